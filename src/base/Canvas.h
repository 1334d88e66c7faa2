#pragma once
// The drawing surface of the map bitmap, as the decoders, the overlays, the graticule and the
// scale bar see it. The implementation on a 24-bit image lives in imaging/; tests use their
// own. Coordinates are pixels, origin top-left, x to the right, y downwards. Nothing is ever
// antialiased: a colour read back is the colour drawn.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace veltra {

// A packed colour: red in the low byte, R + G * 256 + B * 65536; a grey g is g * 65793.
using TColour = std::uint32_t;

constexpr TColour PackColour(int r, int g, int b)
{
    return static_cast<TColour>(r & 255) | static_cast<TColour>(g & 255) << 8 |
           static_cast<TColour>(b & 255) << 16;
}
constexpr int RedOf(TColour c)
{
    return static_cast<int>(c & 255);
}
constexpr int GreenOf(TColour c)
{
    return static_cast<int>((c >> 8) & 255);
}
constexpr int BlueOf(TColour c)
{
    return static_cast<int>((c >> 16) & 255);
}

// 8-bit RGB rows (red, green, blue bytes), as the map bitmap holds them.
struct TRgbImage {
    int Width = 0, Height = 0;
    std::ptrdiff_t BytesPerLine = 0;
    const std::uint8_t* Bits = nullptr;
};

struct TPoint {
    std::int32_t X = 0;
    std::int32_t Y = 0;
};

enum class TPenStyle { Solid, Dot };

struct TFont {
    std::string Name;
    int Size = 8; // points
    TColour Colour = 0;
};

// The pixels a run of drawing calls painted, kept so that the same calls on the same surface
// can be repeated by writing those pixels again, without walking the lines. A recording holds
// one pen's strokes: it is valid for the surface size and the pen it was made with, and only
// when every call of the run could be recorded (Complete).
struct TPixelRecording {
    // Byte offsets of the painted pixels, each once, in the order they were first painted.
    std::vector<std::uint32_t> Offsets;
    int Width = 0, Height = 0;
    std::int64_t Stride = 0;
    TColour PenColour = 0;
    int PenWidth = 0;
    TPenStyle PenStyle = TPenStyle::Solid;
    TPoint EndPosition;           // the pen position after the last call
    std::int64_t EndDotPhase = 0; // where the dot pattern stood after the last call
    // Whether a call moved the pen (MoveTo, LineTo): only then does a replay leave it at
    // EndPosition. Polylines leave the pen where it was, wherever the recording was made.
    bool MovesPen = false;
    bool Complete = false;
};

class TCanvas {
public:
    virtual ~TCanvas() = default;

    virtual int Width() const = 0;
    virtual int Height() const = 0;

    virtual TColour PenColour() const = 0;
    virtual void SetPenColour(TColour colour) = 0;
    virtual int PenWidth() const = 0;
    virtual void SetPenWidth(int width) = 0;
    virtual TPenStyle PenStyle() const = 0;
    virtual void SetPenStyle(TPenStyle style) = 0;

    // The current pen position; LineTo draws from it to (x, y) and moves it there. With a
    // 1-pixel pen the end point itself is not painted, so joined segments paint each pixel
    // once. Wider pens have round caps and joins.
    virtual void MoveTo(int x, int y) = 0;
    virtual void LineTo(int x, int y) = 0;
    // A connected line through the points (nothing for fewer than two).
    virtual void Polyline(const TPoint* points, int count) = 0;
    // Fills the pixels left <= x < right, top <= y < bottom.
    virtual void FillRect(int left, int top, int right, int bottom, TColour colour) = 0;
    // A 1-pixel frame in the pen colour round left <= x < right, top <= y < bottom.
    virtual void FrameRect(int left, int top, int right, int bottom) = 0;

    virtual TFont Font() const = 0;
    virtual void SetFont(const TFont& font) = 0;
    virtual int TextWidth(const std::string& text) = 0;
    virtual int TextHeight(const std::string& text) = 0;
    // Text (UTF-8) in the font colour, its top-left corner at (x, y), no background.
    virtual void TextOut(int x, int y, const std::string& text) = 0;

    // The colour of a pixel; 0 outside the surface.
    virtual TColour Pixel(int x, int y) const = 0;

    // Tells the surface that its picture changed as a whole (after the graticule), so a
    // bitmap shown on screen knows to repaint. Surfaces that do not care ignore it.
    virtual void MarkModified() {}

    // Records the pixels of the drawing calls up to StopRecording into recording, which must
    // outlive the run; false when this surface cannot record. A change of pen, text, fills and
    // anything drawn through a painter leave the recording incomplete.
    virtual bool StartRecording(TPixelRecording&) { return false; }
    virtual void StopRecording() {}
    // Paints a complete recording made on this surface's size with the current pen, as the
    // recorded calls would; false, painting nothing, when it does not fit.
    virtual bool Replay(const TPixelRecording&) { return false; }
};

// Takes every drawing call and draws nothing: for a decoding pass whose footprints are wanted
// without a picture. It has the size given and no pixels (Pixel gives 0).
class TNullCanvas : public TCanvas {
public:
    explicit TNullCanvas(int width = 0, int height = 0) : width_(width), height_(height) {}

    int Width() const override { return width_; }
    int Height() const override { return height_; }
    TColour PenColour() const override { return 0; }
    void SetPenColour(TColour) override {}
    int PenWidth() const override { return 1; }
    void SetPenWidth(int) override {}
    TPenStyle PenStyle() const override { return TPenStyle::Solid; }
    void SetPenStyle(TPenStyle) override {}
    void MoveTo(int, int) override {}
    void LineTo(int, int) override {}
    void Polyline(const TPoint*, int) override {}
    void FillRect(int, int, int, int, TColour) override {}
    void FrameRect(int, int, int, int) override {}
    TFont Font() const override { return {}; }
    void SetFont(const TFont&) override {}
    int TextWidth(const std::string&) override { return 0; }
    int TextHeight(const std::string&) override { return 0; }
    void TextOut(int, int, const std::string&) override {}
    TColour Pixel(int, int) const override { return 0; }

private:
    int width_, height_;
};

// A bitmap: a raster of its own size with its canvas (the map bitmap is a 24-bit one).
class TBitmap : public TCanvas {
public:
    // Changes the size; new pixels take the fill colour.
    virtual void SetSize(int width, int height) = 0;
    virtual TColour FillColour() const = 0;
    virtual void SetFillColour(TColour colour) = 0;
};

} // namespace veltra
