#pragma once
// What the render pass drew for each sample of the sample list, by the same index: the pixel,
// the colour and the value shown (the temperature, or the visible channel's own value). From
// it a pixel-space index, built once per pass at the first question, finds the footprint drawn
// nearest to a pixel without looking at every sample.
#include <cstdint>
#include <vector>

#include "base/Canvas.h"

namespace veltra {

struct TDrawnFootprint {
    std::int32_t X = 0, Y = 0;
    TColour Colour = 0;
    float Value = 0;
};

class TDrawnFootprints {
public:
    // Side of the index's square cells, pixels.
    static constexpr int CellSize = 8;

    void Clear();
    // One entry per sample, in sample order; Drawn completes the last one.
    void Add(float value) { items_.push_back({0, 0, 0, value}); }
    void Drawn(std::int32_t x, std::int32_t y, TColour colour, float value);

    std::int32_t Count() const { return static_cast<std::int32_t>(items_.size()); }
    const TDrawnFootprint& operator[](std::int32_t i) const
    {
        return items_[static_cast<std::size_t>(i)];
    }
    std::vector<TColour> Colours() const;

    // The footprint drawn nearest to (x, y), no further than radius pixels, on a bitmap of
    // the given size; of two as near, the one drawn later (on top). -1 when there is none.
    std::int32_t Nearest(int x, int y, int radius, int width, int height);

private:
    void BuildIndex(int width, int height);

    std::vector<TDrawnFootprint> items_;
    // Cells row by row; cellStart_[c] .. cellStart_[c + 1] index cellItems_.
    std::vector<std::int32_t> cellStart_, cellItems_;
    int columns_ = 0, rows_ = 0, width_ = -1, height_ = -1;
};

} // namespace veltra
