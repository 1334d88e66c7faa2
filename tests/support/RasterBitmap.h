#pragma once
// A plain in-memory bitmap for tests that need pixels without a widget toolkit: fills,
// 1-pixel lines (end point not painted, as the real canvas does), pixel reads. Wider pens
// paint their lines 1 pixel wide here; text is not drawn.
#include <algorithm>
#include <cstdlib>
#include <vector>

#include "base/Canvas.h"

namespace veltra::test {

class TRasterBitmap : public TBitmap {
public:
    int Width() const override { return width_; }
    int Height() const override { return height_; }
    void SetSize(int width, int height) override
    {
        std::vector<TColour> pixels(
            static_cast<std::size_t>(std::max(0, width) * std::max(0, height)), fill_);
        for (int y = 0; y < std::min(height, height_); ++y)
            for (int x = 0; x < std::min(width, width_); ++x)
                pixels[static_cast<std::size_t>(y * width + x)] = Pixel(x, y);
        pixels_ = std::move(pixels);
        width_ = std::max(0, width);
        height_ = std::max(0, height);
    }
    TColour FillColour() const override { return fill_; }
    void SetFillColour(TColour colour) override { fill_ = colour; }
    TColour PenColour() const override { return pen_; }
    void SetPenColour(TColour colour) override { pen_ = colour; }
    int PenWidth() const override { return penWidth_; }
    void SetPenWidth(int width) override { penWidth_ = width; }
    TPenStyle PenStyle() const override { return style_; }
    void SetPenStyle(TPenStyle style) override { style_ = style; }
    void MoveTo(int x, int y) override
    {
        x_ = x;
        y_ = y;
    }
    void LineTo(int x, int y) override
    {
        // Bresenham from the current position, the end point excluded.
        int x0 = x_, y0 = y_;
        const int dx = std::abs(x - x0), sx = x0 < x ? 1 : -1;
        const int dy = -std::abs(y - y0), sy = y0 < y ? 1 : -1;
        int error = dx + dy;
        int steps = 0;
        while ((x0 != x || y0 != y) && steps++ < 100000) {
            Put(x0, y0, pen_);
            const int e2 = 2 * error;
            if (e2 >= dy) {
                error += dy;
                x0 += sx;
            }
            if (e2 <= dx) {
                error += dx;
                y0 += sy;
            }
        }
        ++Lines;
        MoveTo(x, y);
    }
    void Polyline(const TPoint* points, int count) override
    {
        if (count < 2)
            return;
        MoveTo(points[0].X, points[0].Y);
        for (int i = 1; i < count; ++i)
            LineTo(points[i].X, points[i].Y);
    }
    void FillRect(int left, int top, int right, int bottom, TColour colour) override
    {
        for (int y = std::max(0, top); y < std::min(bottom, height_); ++y)
            for (int x = std::max(0, left); x < std::min(right, width_); ++x)
                Put(x, y, colour);
        ++Fills;
    }
    void FrameRect(int left, int top, int right, int bottom) override
    {
        for (int x = left; x < right; ++x) {
            Put(x, top, pen_);
            Put(x, bottom - 1, pen_);
        }
        for (int y = top; y < bottom; ++y) {
            Put(left, y, pen_);
            Put(right - 1, y, pen_);
        }
    }
    TFont Font() const override { return font_; }
    void SetFont(const TFont& font) override { font_ = font; }
    int TextWidth(const std::string& text) override { return 5 * static_cast<int>(text.size()); }
    int TextHeight(const std::string&) override { return 9; }
    void TextOut(int, int, const std::string&) override {}
    TColour Pixel(int x, int y) const override
    {
        if (x < 0 || y < 0 || x >= width_ || y >= height_)
            return 0;
        return pixels_[static_cast<std::size_t>(y * width_ + x)];
    }
    void Put(int x, int y, TColour colour)
    {
        if (x >= 0 && y >= 0 && x < width_ && y < height_)
            pixels_[static_cast<std::size_t>(y * width_ + x)] = colour;
    }

    int Fills = 0; // how many FillRect calls: one per render pass
    int Lines = 0;

private:
    int width_ = 0, height_ = 0;
    std::vector<TColour> pixels_;
    TColour fill_ = 0, pen_ = 0;
    int penWidth_ = 1;
    int x_ = 0, y_ = 0;
    TPenStyle style_ = TPenStyle::Solid;
    TFont font_;
};

} // namespace veltra::test
