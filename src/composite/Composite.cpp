#include "composite/Composite.h"

#include <algorithm>
#include <cmath>

#include "base/Errors.h"

namespace veltra {

const char* CompositeRuleName(TCompositeRule rule)
{
    switch (rule) {
    case TCompositeRule::Latest: return "latest";
    case TCompositeRule::Nadir: return "nadir";
    case TCompositeRule::Min: return "min";
    case TCompositeRule::Max: return "max";
    case TCompositeRule::Mean: break;
    }
    return "mean";
}

std::optional<TCompositeRule> CompositeRuleNamed(const std::string& name)
{
    for (const TCompositeRule rule : CompositeRules)
        if (name == CompositeRuleName(rule))
            return rule;
    return std::nullopt;
}

std::int64_t SumUnits(float value)
{
    constexpr double Limit = 4611686018427387904.0; // 2^62
    const double units = static_cast<double>(value) * SumUnitsPerKelvin;
    if (!(std::fabs(units) < Limit))
        return std::isnan(units) ? 0 : units < 0 ? -(std::int64_t{1} << 62) : std::int64_t{1} << 62;
    return std::llround(units);
}

// ---------------------------------------------------------------------------------------
// Pixels

TPixelComposite::TPixelComposite(TCompositeRule rule, int width, int height, bool rankOrdered)
    : rule_(rule), rankOrdered_(rankOrdered && rule == TCompositeRule::Latest),
      width_(std::max(width, 0)), height_(std::max(height, 0))
{
    const std::size_t pixels = static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_);
    switch (rule_) {
    case TCompositeRule::Latest:
        if (rankOrdered_) {
            colour_ = TZeroedArray<TColour>(pixels);
            wordsPerRow_ = (static_cast<std::size_t>(width_) + 63) / 64;
            reached_ =
                TZeroedArray<std::uint64_t>(wordsPerRow_ * static_cast<std::size_t>(height_));
            break;
        }
        latest_ = TZeroedArray<TLatestPixel>(pixels);
        highest_.assign(static_cast<std::size_t>(height_), TRank{0, 0});
        break;
    case TCompositeRule::Mean: mean_ = TZeroedArray<TMeanPixel>(pixels); break;
    case TCompositeRule::Nadir:
    case TCompositeRule::Min:
    case TCompositeRule::Max: chosen_ = TZeroedArray<TChosenPixel>(pixels); break;
    }
}

// ---------------------------------------------------------------------------------------
// Grid

namespace {

// The index i with origin + i step <= value < origin + (i + 1) step, the bounds computed as
// written, so that a value on a boundary lands in the cell the boundary opens.
int IndexOf(double value, double origin, double step)
{
    int i = static_cast<int>(std::floor((value - origin) / step));
    while (i > 0 && origin + i * step > value)
        --i;
    while (origin + (i + 1) * step <= value)
        ++i;
    return i;
}

} // namespace

TGridComposite::TGridComposite(TCompositeRule rule, double step)
    : rule_(rule), step_(step), rows_(RowsFor(step)), columns_(ColumnsFor(step))
{
    if (!(step >= MinGridStep && step <= 90))
        throw EVeltraError("A grid step must be from 0.1 to 90 degrees");
    cells_ = TZeroedArray<TGridCell>(static_cast<std::size_t>(rows_) *
                                     static_cast<std::size_t>(columns_));
}

int TGridComposite::RowOf(double latitude) const
{
    if (!(latitude >= -90.0 && latitude <= 90.0))
        return -1;
    return std::min(IndexOf(latitude, -90.0, step_), rows_ - 1);
}

int TGridComposite::ColumnOf(double longitude) const
{
    if (!std::isfinite(longitude))
        return -1;
    double lon = longitude;
    if (lon < -180.0 || lon >= 180.0) {
        lon = std::fmod(longitude + 180.0, 360.0);
        if (lon < 0)
            lon += 360.0;
        lon -= 180.0;
        if (lon >= 180.0) // a rounding of the sum above
            lon -= 360.0;
    }
    return std::clamp(IndexOf(lon, -180.0, step_), 0, columns_ - 1);
}

bool TGridComposite::CellOf(double latitude, double longitude, int& row, int& column) const
{
    row = RowOf(latitude);
    column = ColumnOf(longitude);
    return row >= 0 && column >= 0;
}

bool TGridComposite::Add(float latitude, float longitude, const TCompositeFootprint& footprint)
{
    int row = 0, column = 0;
    if (!CellOf(latitude, longitude, row, column))
        return false;
    AddAt(row, column, footprint);
    return true;
}

void TGridComposite::AddAt(int row, int column, const TCompositeFootprint& footprint)
{
    TGridCell& cell = At(row, column);
    TChosen& chosen = cell.Chosen;
    if (rule_ == TCompositeRule::Mean) {
        AddToSum(cell.Sum, SumUnits(footprint.Value));
        AddToSum(cell.TimeSum, footprint.Time);
    } else if (chosen.Count == 0 ||
               Wins(rule_, KeyOf(rule_, footprint.Value, footprint.Angle), footprint.Time,
                    footprint.Order, KeyOf(rule_, chosen.Value, chosen.Angle), chosen.Time,
                    chosen.Order)) {
        const std::uint32_t count = chosen.Count;
        chosen = TChosen{footprint.Time,  footprint.Order, footprint.Colour,
                         footprint.Value, footprint.Angle, count};
    }
    ++chosen.Count;
}

void TGridComposite::AddCell(int row, int column, const TGridCell& from)
{
    if (from.Chosen.Count == 0)
        return;
    TGridCell& to = At(row, column);
    const std::uint32_t count = to.Chosen.Count + from.Chosen.Count;
    AddToSum(to.Sum, from.Sum);
    AddToSum(to.TimeSum, from.TimeSum);
    if (rule_ != TCompositeRule::Mean &&
        (to.Chosen.Count == 0 ||
         Wins(rule_, KeyOf(rule_, from.Chosen.Value, from.Chosen.Angle), from.Chosen.Time,
              from.Chosen.Order, KeyOf(rule_, to.Chosen.Value, to.Chosen.Angle), to.Chosen.Time,
              to.Chosen.Order)))
        to.Chosen = from.Chosen;
    to.Chosen.Count = count;
}

void TGridComposite::Merge(const TGridComposite& other)
{
    if (other.rule_ != rule_ || other.rows_ != rows_ || other.columns_ != columns_)
        throw EVeltraError("Grids of different rules or steps cannot be merged");
    for (int row = 0; row < rows_; ++row)
        for (int column = 0; column < columns_; ++column)
            AddCell(row, column, other.Cell(row, column));
}

bool TGridComposite::ValueOf(int row, int column, float& value, double& timeMs) const
{
    const TGridCell& cell = Cell(row, column);
    const std::uint32_t count = cell.Chosen.Count;
    if (count == 0)
        return false;
    if (rule_ == TCompositeRule::Mean) {
        value = static_cast<float>(static_cast<double>(cell.Sum) / SumUnitsPerKelvin / count);
        timeMs = static_cast<double>(cell.TimeSum) / count;
    } else {
        value = cell.Chosen.Value;
        timeMs = static_cast<double>(cell.Chosen.Time);
    }
    return true;
}

std::uint64_t TGridComposite::Footprints() const
{
    std::uint64_t total = 0;
    for (std::size_t i = 0; i < cells_.size(); ++i)
        total += cells_[i].Chosen.Count;
    return total;
}

} // namespace veltra
