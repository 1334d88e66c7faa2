#pragma once
// Level 1b AMSU-A (30 footprints, channels 1-15) and AMSU-B (90 footprints, channels 16-20)
// in the NOAA KLM layout, calibrated with the quadratic coefficients each scan line carries.
#include "base/Stream.h"
#include "formats/DecodeContext.h"

namespace veltra {

constexpr int AmsuARecordSize = 2560;
constexpr int AmsuBRecordSize = 3072;

void ReadAmsuAHeader(TDecodeContext& context, TStream& stream);
void ReadAmsuBHeader(TDecodeContext& context, TStream& stream);
void DecodeAmsuALine(TDecodeContext& context, TStream& stream);
void DecodeAmsuBLine(TDecodeContext& context, TStream& stream);

} // namespace veltra
