#pragma once
// The map bitmap: a 24-bit RGB raster (QImage::Format_RGB888) with the drawing verbs the
// decoders, the overlays, the graticule and the scale bar use. Nothing is antialiased, so a
// colour read back is exactly the colour drawn. A 1-pixel pen is drawn by our own Bresenham
// walk, which leaves the end point of every LineTo unpainted so joined segments paint each
// pixel once; wider pens go through QPainter with round caps and joins. Every font request is
// served by the small sans face bundled with the program, so labels look the same everywhere.
// Text needs a QGuiApplication.
#include <QImage>
#include <QString>
#include <cstdint>
#include <string>

#include "base/Canvas.h"

namespace veltra {

class TMapCanvas : public TBitmap {
public:
    // A canvas owns its pixels: a copy would write into the other's (see bits_).
    TMapCanvas(const TMapCanvas&) = delete;
    TMapCanvas& operator=(const TMapCanvas&) = delete;
    // A bitmap of the given size filled with the fill colour (white by default).
    explicit TMapCanvas(int width = 0, int height = 0, TColour fillColour = 0xFFFFFF);

    // Changes the size: the pixels both sizes share keep their colour, new ones get the fill
    // colour. Negative sizes count as 0.
    void Resize(int width, int height);
    void SetSize(int width, int height) override { Resize(width, height); }
    // The colour new pixels get on Resize; FillRect leaves its colour here, as a brush does.
    TColour FillColour() const override { return fillColour_; }
    void SetFillColour(TColour colour) override { fillColour_ = colour; }

    // The pixels, read-only: only the drawing verbs and Resize change them. The caller may
    // keep a copy that shares them, so the next drawing verb asks the image for its pixels
    // again, which detaches it.
    const QImage& Image() const
    {
        bits_ = nullptr;
        return image_;
    }

    // How often the picture was marked as modified as a whole.
    int ModifiedCount() const { return modified_; }
    TPoint PenPos() const { return position_; }

    int Width() const override { return width_; }
    int Height() const override { return height_; }

    TColour PenColour() const override { return penColour_; }
    void SetPenColour(TColour colour) override
    {
        if (colour != penColour_)
            Unrecordable();
        penColour_ = colour;
    }
    int PenWidth() const override { return penWidth_; }
    void SetPenWidth(int width) override
    {
        if (width != penWidth_)
            Unrecordable();
        penWidth_ = width;
    }
    TPenStyle PenStyle() const override { return penStyle_; }
    // Dotted applies to 1-pixel pens (three pixels on, three off); wider pens draw solid.
    void SetPenStyle(TPenStyle style) override
    {
        if (style != penStyle_)
            Unrecordable();
        penStyle_ = style;
    }

    void MoveTo(int x, int y) override;
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
    void MarkModified() override { ++modified_; }

    // Lines of our own walks are recorded; fills, frames, text and painter strokes are not.
    bool StartRecording(TPixelRecording& recording) override;
    void StopRecording() override;
    bool Replay(const TPixelRecording& recording) override;

private:
    void Unrecordable()
    {
        if (recording_ != nullptr)
            recording_->Complete = false;
    }
    // Makes halfSpan_ the disc of the current pen width.
    void PrepareStamp();
    void SetPixel(int x, int y, TColour colour);
    // One segment in the pen colour; a 1-pixel pen leaves the end point out.
    // bits: the pixels, writable (Bits()), passed down from the drawing verb.
    void Segment(int x0, int y0, int x1, int y1, uchar* bits);
    void ThinSegment(int x0, int y0, int x1, int y1, uchar* bits);
    // Pens up to this radius are stamped by our own walk, wider ones go through QPainter.
    static constexpr int MaxStampRadius = 16;
    bool ShortSegment(int x0, int y0, int x1, int y1, uchar* bits);
    template <int Centres>
    void PaintDiscs(const int (&x)[Centres], const int (&y)[Centres], int top, int bottom,
                    uchar* bits);
    void WideSegment(int x0, int y0, int x1, int y1, uchar* bits);
    void WideSegmentPainted(int x0, int y0, int x1, int y1);

    // The image's writable pixels, kept from one drawing verb to the next while the image is
    // neither replaced nor handed out.
    uchar* Bits()
    {
        if (bits_ == nullptr)
            bits_ = image_.bits();
        return bits_;
    }

    QImage image_;
    mutable uchar* bits_ = nullptr;
    // The image's geometry, kept beside it for the drawing verbs' inner paths.
    int width_ = 0, height_ = 0;
    qsizetype stride_ = 0;
    TColour fillColour_;
    TColour penColour_ = 0;
    int penWidth_ = 1;
    TPenStyle penStyle_ = TPenStyle::Solid;
    TPoint position_;
    // Position in the dot pattern, carried across the segments of one stroke.
    std::int64_t dotPhase_ = 0;
    TFont font_{"Small Fonts", 7, 0};
    int modified_ = 0;
    TPixelRecording* recording_ = nullptr;
    // The round pen's disc for the width in stampWidth_: half the span of each row offset from
    // -stampRadius_ to stampRadius_ (-1: no pixel), and the largest offset with a pixel.
    int stampWidth_ = -1, stampRadius_ = 0, stampReach_ = 0;
    int halfSpan_[2 * MaxStampRadius + 1] = {};
    // Segments of up to this many steps have their discs painted together.
    static constexpr int MaxShortSteps = 2;
    // The same from UnionSpanMargin rows further out (a row is at most reach + MaxShortSteps
    // from a centre of such a segment, and the disc's radius is reach + 1), with rows without a
    // pixel far negative, so a span's ends fall outside any other span they are taken with.
    static constexpr int UnionSpanMargin = MaxShortSteps - 1, NoSpan = -(1 << 20);
    int unionSpan_[2 * MaxStampRadius + 1 + 2 * UnionSpanMargin] = {};
};

// The family name of the bundled face, registered with the font database the first time it
// is asked for. Raises EVeltraError without a QGuiApplication or when the face is missing.
QString BundledFontFamily();

} // namespace veltra
