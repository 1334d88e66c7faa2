#include "app/DrawnFootprints.h"

#include <algorithm>

namespace veltra {

void TDrawnFootprints::Clear()
{
    items_.clear();
    cellStart_.clear();
    cellItems_.clear();
    width_ = height_ = -1;
}

void TDrawnFootprints::Drawn(std::int32_t x, std::int32_t y, TColour colour, float value)
{
    if (items_.empty())
        items_.emplace_back();
    items_.back() = {x, y, colour, value};
    width_ = height_ = -1;
}

std::vector<TColour> TDrawnFootprints::Colours() const
{
    std::vector<TColour> colours;
    colours.reserve(items_.size());
    for (const TDrawnFootprint& item : items_)
        colours.push_back(item.Colour);
    return colours;
}

// A counting sort of the footprints on the bitmap into their cells.
void TDrawnFootprints::BuildIndex(int width, int height)
{
    width_ = width;
    height_ = height;
    columns_ = (std::max(width, 0) + CellSize - 1) / CellSize;
    rows_ = (std::max(height, 0) + CellSize - 1) / CellSize;
    const std::size_t cells = static_cast<std::size_t>(columns_) * static_cast<std::size_t>(rows_);
    cellStart_.assign(cells + 1, 0);
    auto cellOf = [&](const TDrawnFootprint& item) -> std::ptrdiff_t {
        if (item.X < 0 || item.Y < 0 || item.X >= width || item.Y >= height)
            return -1;
        return static_cast<std::ptrdiff_t>(item.Y / CellSize) * columns_ + item.X / CellSize;
    };
    for (const TDrawnFootprint& item : items_)
        if (const auto cell = cellOf(item); cell >= 0)
            ++cellStart_[static_cast<std::size_t>(cell) + 1];
    for (std::size_t c = 0; c < cells; ++c)
        cellStart_[c + 1] += cellStart_[c];
    cellItems_.assign(static_cast<std::size_t>(cellStart_[cells]), 0);
    std::vector<std::int32_t> fill(cellStart_.begin(), cellStart_.end() - 1);
    for (std::int32_t i = 0; i < Count(); ++i)
        if (const auto cell = cellOf(items_[static_cast<std::size_t>(i)]); cell >= 0)
            cellItems_[static_cast<std::size_t>(fill[static_cast<std::size_t>(cell)]++)] = i;
}

std::int32_t TDrawnFootprints::Nearest(int x, int y, int radius, int width, int height)
{
    if (width != width_ || height != height_)
        BuildIndex(width, height);
    if (x < 0 || y < 0 || x >= width || y >= height || columns_ == 0)
        return -1;
    const int left = std::max(0, (x - radius) / CellSize);
    const int right = std::min(columns_ - 1, (x + radius) / CellSize);
    const int top = std::max(0, (y - radius) / CellSize);
    const int bottom = std::min(rows_ - 1, (y + radius) / CellSize);
    std::int32_t best = -1;
    std::int64_t bestDistance = std::int64_t{radius} * radius + 1;
    for (int row = top; row <= bottom; ++row)
        for (int column = left; column <= right; ++column) {
            const std::size_t cell = static_cast<std::size_t>(row) * columns_ + column;
            for (std::int32_t k = cellStart_[cell]; k < cellStart_[cell + 1]; ++k) {
                const std::int32_t i = cellItems_[static_cast<std::size_t>(k)];
                const TDrawnFootprint& item = items_[static_cast<std::size_t>(i)];
                const std::int64_t dx = item.X - x, dy = item.Y - y;
                const std::int64_t distance = dx * dx + dy * dy;
                if (distance < bestDistance || (distance == bestDistance && i > best)) {
                    best = i;
                    bestDistance = distance;
                }
            }
        }
    return best;
}

} // namespace veltra
