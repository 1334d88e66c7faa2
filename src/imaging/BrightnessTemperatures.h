#pragma once
// The brightness-temperature file: the sample list of the displayed channel as 12-byte
// little-endian records (latitude, longitude in degrees, temperature in kelvin, each a
// single-precision float), no header, in drawing order.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "formats/Samples.h"

namespace veltra {

// The file's bytes: the first SampleCount() samples.
std::vector<std::uint8_t> BrightnessTemperatureBytes(const TSampleList& samples);

// Writes them as outputs are written (WriteOutput: a regular file is replaced atomically,
// written beside the target, then renamed). Raises EWriteError when it cannot be written; an
// existing file of that name is then left as it was.
void SaveBrightnessTemperatures(const TSampleList& samples, const std::string& fileName);

} // namespace veltra
