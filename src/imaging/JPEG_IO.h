#pragma once
// The map picture as a JPEG file: baseline, three YCbCr components from the image's RGB
// pixels, the caller's quality factor, and a text comment stored in a COM marker so that
// anyone looking at the file can tell which program made it.
#include <cstdint>
#include <string>
#include <vector>

#include "base/Canvas.h"

namespace veltra {

inline constexpr const char* JpegWriteFailure = "Error writing JPEG to file";

// The JPEG file's bytes. An empty image or an encoder error raises
// EWriteError(JpegWriteFailure).
std::vector<std::uint8_t> JpegBytes(const TRgbImage& image, int quality,
                                    const std::string& comment);

// Writes the image to fileName as outputs are written (WriteOutput: a link is followed, a
// device or FIFO written directly, a file first written under a temporary name beside the
// target and then renamed over it, so a failed save leaves an existing picture of that name as
// it was and no temporary file behind). A failure to encode raises
// EWriteError(JpegWriteFailure); one to write raises EWriteError(JpegWriteFailure + " \"NAME\":
// REASON") with the system's REASON as its Reason().
void SaveJPEG(const TRgbImage& image, const std::string& fileName, int quality,
              const std::string& comment);

} // namespace veltra
