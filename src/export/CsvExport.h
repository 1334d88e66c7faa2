#pragma once
// The footprints as comma-separated text: a header row, then one row per footprint in drawing
// order with its position, temperature and origin. Floats are written in their shortest form
// that reads back to the same single-precision value.
#include <string>

#include "formats/Samples.h"

namespace veltra {

inline constexpr const char* CsvHeader =
    "latitude,longitude,brightness_temperature,scan_line,footprint,file";
// The same for samples that hold the difference of two channels' brightness temperatures.
inline constexpr const char* CsvDifferenceHeader =
    "latitude,longitude,brightness_temperature_difference,scan_line,footprint,file";

std::string CsvText(const TSampleList& samples, bool difference = false);

// Writes the text as outputs are written (WriteOutput); raises EWriteError when it cannot be
// written.
void SaveCsv(const TSampleList& samples, const std::string& fileName);

} // namespace veltra
