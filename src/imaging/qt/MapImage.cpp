// The map bitmap shown and saved by a Qt program. Apart from the painter (MapCanvas.cpp), which
// the paint module compiles on its own: nothing there needs the canvas itself.
#include <cstdint>
#include <memory>

#include "imaging/qt/MapCanvas.h"

namespace veltra {

QImage ImageOf(const TRasterCanvas& canvas)
{
    const TRgbImage rgb = canvas.Rgb();
    if (rgb.Bits == nullptr)
        return QImage();
    // The image holds a share of the pixels until its last copy goes. Made on constant data,
    // it copies them before anything could write to them through it.
    auto* share = new std::shared_ptr<std::uint8_t[]>(canvas.SharedPixels());
    const uchar* pixels = share->get();
    return QImage(
        pixels, rgb.Width, rgb.Height, rgb.BytesPerLine, QImage::Format_RGB888,
        [](void* held) { delete static_cast<std::shared_ptr<std::uint8_t[]>*>(held); }, share);
}

} // namespace veltra
