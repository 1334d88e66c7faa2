#pragma once
// AAPP Level 1c (one instrument per file) and Level 1d (HIRS, AMSU-A and AMSU-B on the HIRS
// grid) files, which already carry brightness temperatures in hundredths of a kelvin.
#include "base/Stream.h"
#include "formats/DecodeContext.h"

namespace veltra {

constexpr int AappHeaderReadSize = 576;

void ReadAappHeader(TDecodeContext& context, TStream& stream);
void DecodeAappLine(TDecodeContext& context, TStream& stream);

} // namespace veltra
