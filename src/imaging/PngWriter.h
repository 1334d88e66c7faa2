#pragma once
// A PNG encoder for pictures no earlier version wrote, made for speed: 8-bit RGB, every row
// filtered by its left neighbour (PNG filter 1, "Sub", which suits maps of smooth fields and
// large plain areas), deflated at zlib's fastest level with run-length matching. The pictures
// of single files keep the paint module's encoder, so their bytes stay what they were.
#include <cstdint>
#include <vector>

#include "base/Canvas.h"

namespace veltra {

// The PNG file of the image. Raises EWriteError when zlib fails (out of memory).
std::vector<std::uint8_t> FastPngBytes(const TRgbImage& image);

} // namespace veltra
