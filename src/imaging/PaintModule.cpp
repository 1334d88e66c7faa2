#include "imaging/PaintModule.h"

#include "base/Errors.h"
#include "base/Module.h"

namespace veltra {

namespace {

// Raises the module's failure as ours.
void Check(bool done, const std::string& error)
{
    if (!done)
        throw EVeltraError(error);
}

} // namespace

const TPaintModule& PaintModuleIn(const std::string& folder)
{
    std::string error;
    const TPaintModule* module = ModuleIn<TPaintModule>(
        folder, PaintModuleFileName, PaintModuleEntry, PaintModuleVersion, error);
    if (module == nullptr)
        throw EVeltraError("Cannot load the text and PNG drawing: " + error);
    return *module;
}

const TPaintModule& TModulePainter::Module()
{
    if (module_ == nullptr)
        module_ = &PaintModuleIn(folder_);
    return *module_;
}

void TModulePainter::WideSegment(const TRgbPixels& pixels, double ax, double ay, double bx,
                                 double by, TColour colour, int width)
{
    std::string error;
    Check(Module().WideSegment(pixels, ax, ay, bx, by, colour, width, error), error);
}

int TModulePainter::TextWidth(const TFont& font, const std::string& text)
{
    std::string error;
    int width = 0;
    Check(Module().TextWidth(font, text, width, error), error);
    return width;
}

int TModulePainter::TextHeight(const TFont& font)
{
    std::string error;
    int height = 0;
    Check(Module().TextHeight(font, height, error), error);
    return height;
}

void TModulePainter::TextOut(const TRgbPixels& pixels, int x, int y, const TFont& font,
                             const std::string& text)
{
    std::string error;
    Check(Module().TextOut(pixels, x, y, font, text, error), error);
}

} // namespace veltra
