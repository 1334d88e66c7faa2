#pragma once
// The brightness-temperature file: the sample list of the displayed channel as 12-byte
// little-endian records (latitude, longitude in degrees, temperature in kelvin, each a
// single-precision float), no header, in drawing order.
#include <cstddef>
#include <string>

#include "formats/Samples.h"

namespace veltra {

// Writes the first SampleCount() samples; the file is replaced atomically (written beside the
// target, then renamed). Raises EWriteError when it cannot be written; an existing file of
// that name is then left as it was.
void SaveBrightnessTemperatures(const TSampleList& samples, const std::string& fileName);

// Writes bytes to a file atomically: a temporary file in the same folder, flushed, then
// renamed over the target. Raises EWriteError on any failure and removes the temporary file.
void WriteFileAtomically(const std::string& fileName, const void* data, std::size_t size);

} // namespace veltra
