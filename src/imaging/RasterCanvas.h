#pragma once
// The map bitmap: 24-bit RGB rows (red, green, blue bytes; each row padded to a multiple of 4
// bytes) with the drawing verbs the decoders, the overlays, the graticule and the scale bar
// use. Nothing is antialiased, so a colour read back is exactly the colour drawn. A 1-pixel pen
// is drawn by our own Bresenham walk, which leaves the end point of every LineTo unpainted so
// joined segments paint each pixel once, and round pens up to 33 pixels wide by stamping discs.
// Text and wider pens need a font engine and a general stroker: the canvas hands them to its
// painter, so that a program that never draws them need not load one.
#include <climits>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "base/Canvas.h"

namespace veltra {

// Writable RGB rows, as the canvas lends them to its painter for one call.
struct TRgbPixels {
    int Width = 0, Height = 0;
    std::ptrdiff_t BytesPerLine = 0;
    std::uint8_t* Bits = nullptr;
};

// Text and the strokes of pens too wide for the canvas's own discs. Each may raise EVeltraError
// (no font engine to be had).
class TCanvasPainter {
public:
    virtual ~TCanvasPainter() = default;
    // A round-capped stroke of the given width whose axis runs through the pixel centres
    // (ax, ay) and (bx, by), already clipped to the bitmap grown by the width; a dot when the
    // two are equal.
    virtual void WideSegment(const TRgbPixels& pixels, double ax, double ay, double bx, double by,
                             TColour colour, int width) = 0;
    // Measured at the resolution of a bitmap, 96 dots per inch.
    virtual int TextWidth(const TFont& font, const std::string& text) = 0;
    virtual int TextHeight(const TFont& font) = 0;
    // The text's top left at (x, y), in the font's colour; not drawn when wholly off the bitmap.
    virtual void TextOut(const TRgbPixels& pixels, int x, int y, const TFont& font,
                         const std::string& text) = 0;
};

// A run of pixels of one row, first to last column inclusive.
struct TPixelRun {
    int Row, First, Last;
};

// Where the strokes of a canvas's pens go instead of into its pixels (a composite of many
// passes keeps per pixel what each footprint's stroke covers): the runs of each stroke, on the
// bitmap, as they would be painted. A run may repeat pixels of another of the same stroke.
class TRunSink {
public:
    virtual ~TRunSink() = default;
    virtual void Runs(const TPixelRun* runs, int count) = 0;
};

class TRasterCanvas : public TBitmap {
public:
    // A canvas owns its pixels: a copy would write into the other's (see bits_).
    TRasterCanvas(const TRasterCanvas&) = delete;
    TRasterCanvas& operator=(const TRasterCanvas&) = delete;
    // A bitmap of the given size filled with the fill colour (white by default). Text and wide
    // pens go to the painter, which must outlive the canvas; without one they raise EVeltraError.
    explicit TRasterCanvas(TCanvasPainter* painter, int width = 0, int height = 0,
                           TColour fillColour = 0xFFFFFF);

    // Changes the size: the pixels both sizes share keep their colour, new ones get the fill
    // colour. Negative sizes count as 0.
    void Resize(int width, int height);
    void SetSize(int width, int height) override { Resize(width, height); }
    // The colour new pixels get on Resize; FillRect leaves its colour here, as a brush does.
    TColour FillColour() const override { return fillColour_; }
    void SetFillColour(TColour colour) override { fillColour_ = colour; }

    // The pixels, read-only, until the next drawing verb or Resize; no pixels when empty.
    TRgbImage Rgb() const { return {width_, height_, stride_, pixels_.get()}; }
    // The pixels for a reader that keeps them (an image that shares them, laid out as Rgb()):
    // while it does, the next drawing verb gives the canvas a copy of its own to draw on, so
    // the reader keeps seeing what it saw.
    std::shared_ptr<std::uint8_t[]> SharedPixels() const
    {
        bits_ = nullptr;
        return pixels_;
    }

    // A canvas of the given size without pixels, whose lines and polylines all go to a run
    // sink (SetRunSink) on rows firstRow to lastRow only; nothing else may be drawn on it.
    // Strokes that reach none of those rows are not walked at all, so canvases over bands of
    // rows share the strokes of one picture out between them.
    struct TStrokesOnly {
        int FirstRow, LastRow;
    };
    TRasterCanvas(TStrokesOnly rows, int width, int height);

    // Lines and polylines go to the sink (null: to the pixels) until it is taken away; fills,
    // frames and text still paint the pixels.
    void SetRunSink(TRunSink* sink) { sink_ = sink; }
    // One pixel in a colour (nothing off the bitmap); not recorded.
    void SetPixelColour(int x, int y, TColour colour)
    {
        if (x >= 0 && y >= 0 && x < width_ && y < height_)
            SetPixel(x, y, colour);
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
    // The pixels of an image (not this canvas's own) with its top-left at (left, top), clipped.
    void CopyImage(int left, int top, const TRgbImage& image);

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
    // The pixels, writable, lent to the painter for one call.
    TRgbPixels Lent();
    TCanvasPainter& Painter() const;
    // One segment in the pen colour; a 1-pixel pen leaves the end point out.
    // bits: the pixels, writable (Bits()), passed down from the drawing verb.
    void Segment(int x0, int y0, int x1, int y1, std::uint8_t* bits);
    void ThinSegment(int x0, int y0, int x1, int y1, std::uint8_t* bits);
    // Pens up to this radius are stamped by our own walk, wider ones go to the painter.
    static constexpr int MaxStampRadius = 16;
    bool ShortSegment(int x0, int y0, int x1, int y1, std::uint8_t* bits);
    template <int Centres>
    void PaintDiscs(const int (&x)[Centres], const int (&y)[Centres], int top, int bottom,
                    std::uint8_t* bits);
    void WideSegment(int x0, int y0, int x1, int y1, std::uint8_t* bits);
    void WideSegmentPainted(int x0, int y0, int x1, int y1);

    // The writable pixels, kept from one drawing verb to the next while they are neither
    // replaced nor shared.
    std::uint8_t* Bits()
    {
        if (bits_ == nullptr)
            bits_ = OwnPixels();
        return bits_;
    }
    std::uint8_t* OwnPixels();

    TCanvasPainter* painter_;
    std::shared_ptr<std::uint8_t[]> pixels_; // stride_ * height_ bytes; null when empty
    mutable std::uint8_t* bits_ = nullptr;
    int width_ = 0, height_ = 0;
    std::ptrdiff_t stride_ = 0;
    static std::ptrdiff_t PaddedStride(int width);
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
    TRunSink* sink_ = nullptr;
    int sinkFirstRow_ = 0, sinkLastRow_ = INT_MAX; // the rows whose runs go to the sink
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

} // namespace veltra
