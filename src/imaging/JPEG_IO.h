#pragma once
// The map picture as a JPEG file: baseline, three YCbCr components from the image's RGB
// pixels, the caller's quality factor, and a text comment stored in a COM marker so that
// anyone looking at the file can tell which program made it.
#include <string>

#include "base/Canvas.h"

namespace veltra {

// Writes the image to fileName (a link is followed: the file it leads to is replaced). The
// file is first written under a temporary name beside the target and then renamed over it, so
// a failed save leaves an existing picture of that name as it was and no temporary file
// behind. Any failure (an empty image, a folder that cannot be written, an encoder error)
// raises EWriteError("Error writing JPEG to file").
void SaveJPEG(const TRgbImage& image, const std::string& fileName, int quality,
              const std::string& comment);

} // namespace veltra
