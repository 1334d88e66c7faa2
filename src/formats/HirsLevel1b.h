#pragma once
// Level 1b HIRS (NOAA KLM layout): the data-set header with its conversion constants and
// diagnostics, and scan lines of 56 footprints calibrated from raw counts.
#include <array>
#include <string>
#include <vector>

#include "base/Stream.h"
#include "formats/ByteOrder.h"
#include "formats/DecodeContext.h"

namespace veltra {

constexpr int HirsRecordSize = 4608;
constexpr int HirsFootprints = 56;

// Filter-wheel position (1-20) of each channel, at index channel (index 0 unused).
extern const std::array<int, 21> HirsPositionTable;

// Brightness temperature (K) of a radiance (mW/(m2 sr cm-1)) at a central wavenumber (cm-1);
// 0 for a radiance of 0 or below. Raises EArithmeticError when the arithmetic faults.
double InversePlanck(double radiance, double wavenumber);

void DecodeHirsHeaderDiagnostics(TBytes header, std::vector<std::string>& lines);
void ReadHirsHeader(TDecodeContext& context, TStream& stream);
void DecodeHirsLine(TDecodeContext& context, TStream& stream);

} // namespace veltra
