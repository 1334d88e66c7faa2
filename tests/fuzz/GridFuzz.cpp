// The reader of composite grid files (NetCDF-4 files veltra-render --composite wrote, merged
// into a new composite). The input makes the file's contents: its rule, step, dimensions and
// every cell's count, value, time, angle and sums, from the bytes; the file is written, read
// back through the export module's reader and merged into a grid as a composite merges one.
// A refusal is allowed and must say why; what is taken must be what was written, fit the grid,
// and read out as the footprints it counted. The HDF5 layer under NetCDF is not fed raw bytes
// here: it is a library of its own, and its parser is not this program's.
#include <cmath>
#include <cstdint>
#include <cstring>
#include <span>
#include <string>
#include <vector>

#include "composite/Composite.h"
#include "export/GridExport.h"
#include "export/module/Writers.h"
#include "fuzz/FuzzSupport.h"

using namespace veltra;

namespace {

// Takes the next bytes as a value (0 when they run out).
template <typename T> T Take(std::span<const std::uint8_t>& input)
{
    T value{};
    const std::size_t n = std::min(sizeof(T), input.size());
    std::memcpy(&value, input.data(), n);
    input = input.subspan(n);
    return value;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::span<const std::uint8_t> input(data, size);
    const std::uint8_t choice = fuzz::TakeByte(input);
    // Steps that divide the globe, one that does not and ones out of range.
    constexpr double Steps[] = {15, 30, 45, 90, 20.5, 0.05, 120, NAN};
    TGridProduct p;
    p.Rule = choice & 8 ? "median" : CompositeRuleName(CompositeRules[choice % 5]);
    p.Step = Steps[(choice >> 4) % 8];
    const bool fits = std::isfinite(p.Step) && p.Step >= TGridComposite::MinGridStep;
    p.Rows = fits ? TGridComposite::RowsFor(p.Step) + ((choice & 0x80) && (choice & 1)) : 1;
    p.Columns = fits ? TGridComposite::ColumnsFor(p.Step) : 1;
    if (p.Rows * p.Columns > 4096)
        return 0;
    p.Metadata.Instrument = "AMSU-B";
    p.Metadata.Channel = Take<std::uint8_t>(input);
    const auto cells = static_cast<std::size_t>(p.Rows * p.Columns);
    const bool mean = p.Rule == "mean";
    for (std::size_t c = 0; c < cells; ++c) {
        p.Count.push_back(Take<std::int32_t>(input));
        p.Value.push_back(Take<float>(input));
        p.Time.push_back(Take<double>(input));
        if (mean) {
            p.Sum.push_back(Take<double>(input));
            p.TimeSum.push_back(Take<std::int64_t>(input));
        } else {
            p.Angle.push_back(Take<float>(input));
        }
    }

    std::vector<std::uint8_t> bytes;
    std::string error;
    if (!GridNetCdfBytes(p, "fuzz.nc", bytes, error))
        return 0;
    TGridProduct read;
    std::string reason;
    if (!ReadGridNetCdf(bytes.data(), bytes.size(), read, reason)) {
        fuzz::Check(!reason.empty(), "a refused grid says why");
        return 0;
    }
    fuzz::Check(read.Rule == p.Rule && read.Step == p.Step && read.Count == p.Count,
                "a grid reads back as it was written");
    const std::optional<TCompositeRule> rule = CompositeRuleNamed(read.Rule);
    if (!rule || !(read.Step >= TGridComposite::MinGridStep && read.Step <= 90))
        return 0;
    TGridComposite grid(*rule, read.Step);
    if (!AddGridProduct(grid, read, reason)) {
        fuzz::Check(!reason.empty(), "a grid that does not fit says why");
        return 0;
    }
    // Taken in twice, as two days of a month are.
    fuzz::Check(AddGridProduct(grid, read, reason), "a grid that fits once fits twice");
    std::uint64_t counted = 0;
    for (int row = 0; row < grid.Rows(); ++row)
        for (int column = 0; column < grid.Columns(); ++column) {
            float value = 0;
            double time = 0;
            const bool filled = grid.ValueOf(row, column, value, time);
            fuzz::Check(filled == (grid.Cell(row, column).Chosen.Count > 0),
                        "a cell has a value when it counted footprints");
            counted += grid.Cell(row, column).Chosen.Count;
        }
    fuzz::Check(counted == grid.Footprints(), "the grid's footprints are its cells' counts");
    const TGridProduct again = GridProductOf(grid, read.Metadata);
    fuzz::Check(again.Value.size() == cells, "a grid writes one value per cell");
    return 0;
}
