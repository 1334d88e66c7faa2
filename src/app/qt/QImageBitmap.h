#pragma once
// A minimal 24-bit bitmap over a QImage (RGB888) so the window can run on its own; the
// imaging library's map canvas takes its place (see Adapters.cpp). Nothing is antialiased;
// a 1-pixel LineTo leaves its end point unpainted.
#include <QImage>

#include "base/Canvas.h"

namespace veltra {

class TQImageBitmap : public TBitmap {
public:
    int Width() const override { return image_.width(); }
    int Height() const override { return image_.height(); }
    TColour PenColour() const override { return pen_; }
    void SetPenColour(TColour colour) override { pen_ = colour; }
    int PenWidth() const override { return penWidth_; }
    void SetPenWidth(int width) override { penWidth_ = width < 1 ? 1 : width; }
    TPenStyle PenStyle() const override { return penStyle_; }
    void SetPenStyle(TPenStyle style) override { penStyle_ = style; }
    void MoveTo(int x, int y) override { position_ = {x, y}; }
    void LineTo(int x, int y) override;
    void Polyline(const TPoint* points, int count) override;
    void FillRect(int left, int top, int right, int bottom, TColour colour) override;
    void FrameRect(int left, int top, int right, int bottom) override;
    TFont Font() const override { return font_; }
    void SetFont(const TFont& font) override { font_ = font; }
    int TextWidth(const std::string& text) override;
    int TextHeight(const std::string& text) override;
    void TextOut(int x, int y, const std::string& text) override;
    TColour Pixel(int x, int y) const override;
    void SetSize(int width, int height) override;
    TColour FillColour() const override { return fill_; }
    void SetFillColour(TColour colour) override { fill_ = colour; }

    const QImage& Image() const { return image_; }

private:
    void Plot(int x, int y, TColour colour);
    void Segment(TPoint from, TPoint to);
    QFont QtFont() const;

    QImage image_;
    TColour pen_ = 0;
    int penWidth_ = 1;
    TPenStyle penStyle_ = TPenStyle::Solid;
    TPoint position_;
    TFont font_{"DejaVu Sans", 7, 0};
    TColour fill_ = 0xFFFFFF;
};

} // namespace veltra
