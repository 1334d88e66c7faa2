#include "export/GridExport.h"

#include <cmath>

#include "base/Errors.h"
#include "composite/Composite.h"
#include "export/ExportModule.h"

namespace veltra {

TGridProduct GridProductOf(const TGridComposite& grid, const TExportMetadata& metadata)
{
    TGridProduct p;
    p.Rule = CompositeRuleName(grid.Rule());
    p.Step = grid.Step();
    p.Rows = grid.Rows();
    p.Columns = grid.Columns();
    p.Metadata = metadata;
    const std::size_t cells =
        static_cast<std::size_t>(p.Rows) * static_cast<std::size_t>(p.Columns);
    const bool mean = grid.Rule() == TCompositeRule::Mean;
    p.Value.assign(cells, NAN);
    p.Count.assign(cells, 0);
    p.Time.assign(cells, NAN);
    if (mean) {
        p.Sum.assign(cells, 0);
        p.TimeSum.assign(cells, 0);
    } else {
        p.Angle.assign(cells, NAN);
    }
    for (int row = 0; row < p.Rows; ++row)
        for (int column = 0; column < p.Columns; ++column) {
            const std::size_t at = static_cast<std::size_t>(row) * p.Columns + column;
            const TGridCell& cell = grid.Cell(row, column);
            float value = 0;
            double timeMs = 0;
            if (!grid.ValueOf(row, column, value, timeMs))
                continue;
            p.Value[at] = value;
            p.Count[at] = static_cast<std::int32_t>(cell.Chosen.Count);
            p.Time[at] = timeMs / 1000.0;
            if (mean) {
                p.Sum[at] = static_cast<double>(cell.Sum) / SumUnitsPerKelvin;
                p.TimeSum[at] = cell.TimeSum;
            } else {
                p.Angle[at] = cell.Chosen.Angle;
            }
        }
    return p;
}

bool AddGridProduct(TGridComposite& grid, const TGridProduct& p, std::string& reason)
{
    const std::string rule = CompositeRuleName(grid.Rule());
    if (p.Rule != rule || p.Step != grid.Step()) {
        reason = "a grid of rule " + p.Rule + " and step " + std::to_string(p.Step) +
                 ", not of rule " + rule + " and step " + std::to_string(grid.Step());
        return false;
    }
    const std::size_t cells =
        static_cast<std::size_t>(grid.Rows()) * static_cast<std::size_t>(grid.Columns());
    const bool mean = grid.Rule() == TCompositeRule::Mean;
    if (p.Rows != grid.Rows() || p.Columns != grid.Columns() || p.Value.size() != cells ||
        p.Count.size() != cells || p.Time.size() != cells ||
        (mean ? p.Sum.size() != cells || p.TimeSum.size() != cells : p.Angle.size() != cells)) {
        reason = "a grid whose variables do not fit its step";
        return false;
    }
    // Every filled cell must hold what a grid of footprints can: finite values, and sums and
    // times within the range the accumulators count in. Nothing is taken from one that does
    // not.
    constexpr double Limit = 4611686018427387904.0; // 2^62
    const std::size_t cellCount = cells;
    for (std::size_t at = 0; at < cellCount; ++at) {
        if (p.Count[at] <= 0)
            continue;
        const bool possible = mean ? std::fabs(p.Sum[at] * SumUnitsPerKelvin) < Limit
                                   : std::isfinite(p.Value[at]) &&
                                         std::fabs(p.Time[at] * 1000.0) < Limit &&
                                         !std::isnan(p.Angle[at]);
        if (!possible) {
            reason = "a grid whose cells hold values no footprints give";
            return false;
        }
    }
    for (int row = 0; row < p.Rows; ++row)
        for (int column = 0; column < p.Columns; ++column) {
            const std::size_t at = static_cast<std::size_t>(row) * p.Columns + column;
            if (p.Count[at] <= 0)
                continue;
            TGridCell cell;
            cell.Chosen.Count = static_cast<std::uint32_t>(p.Count[at]);
            if (mean) {
                cell.Sum = std::llround(p.Sum[at] * SumUnitsPerKelvin);
                cell.TimeSum = p.TimeSum[at];
            } else {
                cell.Chosen.Value = p.Value[at];
                cell.Chosen.Angle = p.Angle[at];
                cell.Chosen.Time = std::llround(p.Time[at] * 1000.0);
            }
            grid.AddCell(row, column, cell);
        }
    return true;
}

std::vector<std::uint8_t> GridNetCdfFileBytes(const TGridComposite& grid,
                                              const TExportMetadata& metadata,
                                              const std::string& fileName,
                                              const std::string& moduleFolder)
{
    const TExportModule& module = ExportModuleIn(moduleFolder);
    std::vector<std::uint8_t> bytes;
    std::string error;
    if (!module.GridNetCdfBytes(GridProductOf(grid, metadata), fileName, bytes, error))
        throw EWriteError(error);
    return bytes;
}

bool ReadGridNetCdf(const std::vector<std::uint8_t>& bytes, TGridProduct& product,
                    std::string& reason, const std::string& moduleFolder)
{
    return ExportModuleIn(moduleFolder).ReadGridNetCdf(bytes.data(), bytes.size(), product, reason);
}

bool ReadGridFile(TStream& stream, TGridProduct& product, std::string& reason,
                  const std::string& moduleFolder)
{
    stream.Seek(0, TSeekOrigin::Beginning);
    const std::int64_t size = stream.Seek(0, TSeekOrigin::End);
    if (size <= 0 || size > MaxGridFileBytes) {
        reason = "not a grid of veltra-render --composite: empty or over 1 GiB";
        return false;
    }
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
    stream.Seek(0, TSeekOrigin::Beginning);
    stream.ReadBuffer(bytes.data(), size);
    return ReadGridNetCdf(bytes, product, reason, moduleFolder);
}

} // namespace veltra
