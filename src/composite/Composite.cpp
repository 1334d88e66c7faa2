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
    return std::llround(static_cast<double>(value) * SumUnitsPerKelvin);
}

// ---------------------------------------------------------------------------------------
// Pixels

TPixelComposite::TPixelComposite(TCompositeRule rule, int width, int height)
    : rule_(rule), width_(std::max(width, 0)), height_(std::max(height, 0))
{
    const std::size_t pixels = static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_);
    if (rule_ == TCompositeRule::Mean)
        mean_ = TZeroedArray<TMeanPixel>(pixels);
    else
        chosen_ = TZeroedArray<TPixelChosen>(pixels);
}

void TPixelComposite::SetFootprint(const TCompositeFootprint& footprint)
{
    footprint_ = footprint;
    footprintKey_ = KeyOf(rule_, footprint.Value, footprint.Angle);
    footprintSum_ = SumUnits(footprint.Value);
    // 0 stands for no footprint yet; after 2^32 - 1 footprints the stamps start again, and a
    // pixel reached by footprints that far apart is no longer told apart.
    if (++stamp_ == 0)
        stamp_ = 1;
}

void TPixelComposite::AddRun(int row, int first, int last)
{
    const std::size_t base = static_cast<std::size_t>(row) * static_cast<std::size_t>(width_);
    if (rule_ == TCompositeRule::Mean) {
        for (int x = first; x <= last; ++x) {
            TMeanPixel& cell = mean_[base + static_cast<std::size_t>(x)];
            if (cell.Stamp == stamp_)
                continue;
            cell.Stamp = stamp_;
            cell.Sum += footprintSum_;
            ++cell.Count;
        }
        return;
    }
    const TCompositeFootprint& f = footprint_;
    for (int x = first; x <= last; ++x) {
        TPixelChosen& cell = chosen_[base + static_cast<std::size_t>(x)];
        if (cell.Filled != 0 &&
            !Wins(rule_, footprintKey_, f.Time, f.Order, cell.Key, cell.Time, cell.Order))
            continue;
        cell = TPixelChosen{f.Time, f.Order, f.Colour, footprintKey_, 1};
    }
}

void TPixelComposite::Merge(const TPixelComposite& other)
{
    if (other.rule_ != rule_ || other.width_ != width_ || other.height_ != height_)
        throw EVeltraError("Composites of different maps cannot be merged");
    const std::size_t pixels = static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_);
    if (rule_ == TCompositeRule::Mean) {
        for (std::size_t i = 0; i < pixels; ++i) {
            const TMeanPixel& from = other.mean_[i];
            if (from.Count == 0)
                continue;
            mean_[i].Sum += from.Sum;
            mean_[i].Count += from.Count;
        }
        return;
    }
    for (std::size_t i = 0; i < pixels; ++i) {
        const TPixelChosen& from = other.chosen_[i];
        TPixelChosen& to = chosen_[i];
        if (from.Filled != 0 && (to.Filled == 0 || Wins(rule_, from.Key, from.Time, from.Order,
                                                        to.Key, to.Time, to.Order)))
            to = from;
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

bool TGridComposite::CellOf(double latitude, double longitude, int& row, int& column) const
{
    if (!(latitude >= -90.0 && latitude <= 90.0) || !std::isfinite(longitude))
        return false;
    row = std::min(IndexOf(latitude, -90.0, step_), rows_ - 1);
    double lon = std::fmod(longitude + 180.0, 360.0);
    if (lon < 0)
        lon += 360.0;
    lon -= 180.0;
    if (lon >= 180.0) // a rounding of the sum above
        lon -= 360.0;
    column = std::clamp(IndexOf(lon, -180.0, step_), 0, columns_ - 1);
    return true;
}

bool TGridComposite::Add(float latitude, float longitude, const TCompositeFootprint& footprint)
{
    int row = 0, column = 0;
    if (!CellOf(latitude, longitude, row, column))
        return false;
    TGridCell& cell = At(row, column);
    TChosen& chosen = cell.Chosen;
    if (rule_ == TCompositeRule::Mean) {
        cell.Sum += SumUnits(footprint.Value);
        cell.TimeSum += footprint.Time;
    } else if (chosen.Count == 0 ||
               Wins(rule_, KeyOf(rule_, footprint.Value, footprint.Angle), footprint.Time,
                    footprint.Order, KeyOf(rule_, chosen.Value, chosen.Angle), chosen.Time,
                    chosen.Order)) {
        const std::uint32_t count = chosen.Count;
        chosen = TChosen{footprint.Time,  footprint.Order, footprint.Colour,
                         footprint.Value, footprint.Angle, count};
    }
    ++chosen.Count;
    return true;
}

void TGridComposite::AddCell(int row, int column, const TGridCell& from)
{
    if (from.Chosen.Count == 0)
        return;
    TGridCell& to = At(row, column);
    const std::uint32_t count = to.Chosen.Count + from.Chosen.Count;
    to.Sum += from.Sum;
    to.TimeSum += from.TimeSum;
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
