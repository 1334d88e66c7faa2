#pragma once
// A PNG encoder for pictures no earlier version wrote, made for speed: 8-bit RGB, every row
// filtered by its left neighbour (PNG filter 1, "Sub", which suits maps of smooth fields and
// large plain areas), deflated at zlib's fastest level with run-length matching. The pictures
// of single files keep the paint module's encoder, so their bytes stay what they were.
#include <cstdint>
#include <vector>

#include "base/Canvas.h"

namespace veltra {

// The rows are deflated in this many stretches, each on its own (a sync flush ends all but the
// last), so that threads can share the work and the bytes do not depend on how many there are.
inline constexpr int PngStretches = 8;

// The PNG file of the image, its stretches deflated by up to `threads` threads. Raises
// EWriteError when zlib fails (out of memory).
std::vector<std::uint8_t> FastPngBytes(const TRgbImage& image, int threads = 1);

} // namespace veltra
