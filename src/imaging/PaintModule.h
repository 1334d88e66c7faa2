#pragma once
// Qt's graphics (QPainter, its fonts, the PNG writer) for a program that does not link them:
// veltra-paint.so beside the program, loaded the first time text, a pen wider than 33 pixels
// or a PNG file is asked for. Loading Qt's graphics library and its forty-odd dependencies
// takes longer than rendering a whole pass without them. No exception crosses between the
// program and the module.
#include <cstdint>
#include <string>
#include <vector>

#include "imaging/RasterCanvas.h"

namespace veltra {

inline constexpr const char* PaintModuleFileName = "veltra-paint.so";
inline constexpr const char* PaintModuleEntry = "VeltraPaintModule";
// Raised whenever the interface below changes, so a stale module is refused instead of used.
inline constexpr int PaintModuleVersion = 2;

struct TPaintModule {
    int Version;
    // Each returns true, or false with the reason in `error`.
    // Starts Qt's graphics on the off-screen platform (needed for text) unless a Qt application
    // runs already; to be called by the main thread before any other thread draws.
    bool (*StartGraphics)(std::string& error);
    bool (*WideSegment)(const TRgbPixels& pixels, double ax, double ay, double bx, double by,
                        TColour colour, int width, std::string& error);
    bool (*TextWidth)(const TFont& font, const std::string& text, int& width, std::string& error);
    bool (*TextHeight)(const TFont& font, int& height, std::string& error);
    bool (*TextOut)(const TRgbPixels& pixels, int x, int y, const TFont& font,
                    const std::string& text, std::string& error);
    // The pixels as a PNG file's bytes.
    bool (*PngBytes)(const TRgbImage& pixels, std::vector<std::uint8_t>& bytes, std::string& error);
};

// The module in `folder`, loaded once per process and kept. Raises EVeltraError naming the
// module and the reason when it is missing, cannot be loaded or is of another version; a later
// call tries again.
const TPaintModule& PaintModuleIn(const std::string& folder);

// A painter that loads the module in its folder when it is first asked to draw or measure.
// One per canvas, or per thread.
class TModulePainter : public TCanvasPainter {
public:
    explicit TModulePainter(std::string folder) : folder_(std::move(folder)) {}

    void WideSegment(const TRgbPixels& pixels, double ax, double ay, double bx, double by,
                     TColour colour, int width) override;
    int TextWidth(const TFont& font, const std::string& text) override;
    int TextHeight(const TFont& font) override;
    void TextOut(const TRgbPixels& pixels, int x, int y, const TFont& font,
                 const std::string& text) override;

private:
    const TPaintModule& Module();

    std::string folder_;
    const TPaintModule* module_ = nullptr;
};

} // namespace veltra

// The module's one exported symbol.
extern "C" const veltra::TPaintModule* VeltraPaintModule();
