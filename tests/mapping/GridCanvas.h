#pragma once
// A drawing surface that records what the graticule draws: polylines, MoveTo/LineTo
// segments and texts, each with the pen or font in force, and the label texts measured.
// Text is 6 pixels per character and 10 pixels high.
#include <set>
#include <string>
#include <vector>

#include "base/Canvas.h"

namespace veltra::test {

struct TDrawn {
    enum Kind { Polyline, Segment, TextOut } What;
    std::vector<TPoint> Points; // the polyline, the segment's two ends, or the text's corner
    TPenStyle Style;
    TColour Pen;
    std::string Text;
    TFont Font;
};

class TGridCanvas : public TCanvas {
public:
    TGridCanvas(int width, int height) : width_(width), height_(height) {}

    std::vector<TDrawn> Drawn;
    std::set<std::string> HeightsMeasured, WidthsMeasured;
    int Modified = 0;
    TFont CurrentFont{"Original", 9, 0x123456};

    static int CodePoints(const std::string& text)
    {
        int n = 0;
        for (unsigned char c : text)
            n += (c & 0xC0) != 0x80;
        return n;
    }

    int Width() const override { return width_; }
    int Height() const override { return height_; }
    TColour PenColour() const override { return pen_; }
    void SetPenColour(TColour colour) override { pen_ = colour; }
    int PenWidth() const override { return 1; }
    void SetPenWidth(int) override {}
    TPenStyle PenStyle() const override { return style_; }
    void SetPenStyle(TPenStyle style) override { style_ = style; }
    void MoveTo(int x, int y) override { position_ = {x, y}; }
    void LineTo(int x, int y) override
    {
        Drawn.push_back({TDrawn::Segment, {position_, {x, y}}, style_, pen_, {}, {}});
        position_ = {x, y};
    }
    void Polyline(const TPoint* points, int count) override
    {
        Drawn.push_back(
            {TDrawn::Polyline, std::vector<TPoint>(points, points + count), style_, pen_, {}, {}});
    }
    void FillRect(int, int, int, int, TColour) override {}
    void FrameRect(int, int, int, int) override {}
    TFont Font() const override { return CurrentFont; }
    void SetFont(const TFont& font) override { CurrentFont = font; }
    int TextWidth(const std::string& text) override
    {
        WidthsMeasured.insert(text);
        return 6 * CodePoints(text);
    }
    int TextHeight(const std::string& text) override
    {
        HeightsMeasured.insert(text);
        return 10;
    }
    void TextOut(int x, int y, const std::string& text) override
    {
        Drawn.push_back({TDrawn::TextOut, {{x, y}}, style_, pen_, text, CurrentFont});
    }
    TColour Pixel(int, int) const override { return 0; }
    void MarkModified() override { ++Modified; }

    std::vector<TDrawn> Of(TDrawn::Kind kind) const
    {
        std::vector<TDrawn> out;
        for (const TDrawn& d : Drawn)
            if (d.What == kind)
                out.push_back(d);
        return out;
    }

private:
    int width_, height_;
    TColour pen_ = 0;
    TPenStyle style_ = TPenStyle::Solid;
    TPoint position_;
};

} // namespace veltra::test
