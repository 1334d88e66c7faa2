#pragma once
// AAPP Level 1c (one instrument per file) and Level 1d (HIRS, AMSU-A and AMSU-B on the HIRS
// grid) files, which already carry brightness temperatures in hundredths of a kelvin.
#include "base/Stream.h"
#include "formats/DecodeContext.h"

namespace veltra {

constexpr int AappHeaderReadSize = 576;

// Seeks to byte 0 and reads the start of the header record: sets SensorCode and RecordSize
// from the family and the instrument (RecordSize 0 for an instrument it does not know),
// RecordCount, SatelliteName and the channel constants; clears the satellite label's hint;
// seeks to the first scan-line record.
void ReadAappHeader(TDecodeContext& context, TStream& stream);

// Reads one scan-line record of RecordSize bytes and plots its footprints for Channel (less
// Difference's temperature when one is asked for); does nothing when RecordSize is 0. For
// Level 1d the selected sensor (SensorName "AMSU-A" or "AMSU-B", else HIRS) chooses the values.
void DecodeAappLine(TDecodeContext& context, TStream& stream);

// Whether a Level 1d file's microwave values are read (the selected sensor is AMSU-A or
// AMSU-B), and whether a channel's values are then the visible HIRS channel's own (its grey
// level times 20) rather than brightness temperatures.
bool AappMicrowave(const TDecodeContext& context);
bool AappVisible(const TDecodeContext& context, bool microwave, int channel);
// The value a record stores for a footprint (0-based) in a channel; the context's header must
// have given a layout (Aapp). As the decoding pass takes a stored temperature: hundredths of a
// kelvin in single precision.
std::int32_t AappStoredValue(const TDecodeContext& context, TBytes record, bool microwave,
                             int channel, std::size_t footprint);
float AappTemperature(std::int32_t stored);

} // namespace veltra
