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

} // namespace veltra
