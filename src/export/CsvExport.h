#pragma once
// The footprints as comma-separated text: a header row, then one row per footprint in drawing
// order with its position, temperature and origin. Floats are written in their shortest form
// that reads back to the same single-precision value.
#include <string>

#include "formats/Samples.h"

namespace veltra {

inline constexpr const char* CsvHeader =
    "latitude,longitude,brightness_temperature,scan_line,footprint,file";

std::string CsvText(const TSampleList& samples);

// Writes the text as outputs are written (WriteOutput); raises EWriteError when it cannot be
// written.
void SaveCsv(const TSampleList& samples, const std::string& fileName);

} // namespace veltra
