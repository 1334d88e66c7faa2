#pragma once
// Level 1b AMSU-A (30 footprints, channels 1-15) and AMSU-B (90 footprints, channels 16-20)
// in the NOAA KLM layout, calibrated with the quadratic coefficients each scan line carries.
#include <cstddef>

#include "base/Stream.h"
#include "formats/ByteOrder.h"
#include "formats/DecodeContext.h"

namespace veltra {

constexpr int AmsuARecordSize = 2560;
constexpr int AmsuBRecordSize = 3072;
constexpr int AmsuAFootprints = 30;
constexpr int AmsuBFootprints = 90;
// Only the start of each data-set header holds fields the viewer uses.
constexpr int AmsuAHeaderReadSize = 960;
constexpr int AmsuBHeaderReadSize = 480;
// Count of data records in each data-set header (unsigned 16-bit).
constexpr std::size_t AmsuARecordCountOffset = 144;
constexpr std::size_t AmsuBRecordCountOffset = 132;

// Fills AmsuWavenumber, BandCorrA and BandCorrB at index c - 1 for channels c from
// firstChannel to lastChannel, from three signed 32-bit numbers per channel at
// offset + 12 (c - firstChannel): the central wavenumber (cm-1), a and b, each in 10^-6.
void ReadAmsuChannelConstants(TDecodeContext& context, TBytes table, std::size_t offset,
                              int firstChannel, int lastChannel);

// Each reads the start of its data-set header at the current position (left in RecordBuffer)
// and sets SensorCode (3 or 4), RecordSize, RecordCount and the channel constants.
void ReadAmsuAHeader(TDecodeContext& context, TStream& stream);
void ReadAmsuBHeader(TDecodeContext& context, TStream& stream);

// Each reads one scan-line record of RecordSize bytes and plots its footprints for Channel.
// A failure while plotting ends an AMSU-A line and propagates; an AMSU-B line stops at the
// failure and the next line is decoded. A record that cannot be read always propagates.
// With a Difference, each footprint is plotted as Channel's temperature less Difference's.
void DecodeAmsuALine(TDecodeContext& context, TStream& stream);
void DecodeAmsuBLine(TDecodeContext& context, TStream& stream);

// One channel of one scan line: the line's quadratic calibration of the channel's counts,
// radiance = A2 C^2 + A1 C + A0 in mW/(m2 sr cm-1) for a count C.
struct TAmsuLineChannel {
    int Channel = 0;
    double A2 = 0, A1 = 0, A0 = 0;
    double Wavenumber = 0; // central, cm-1, from the header
};
// For the records the header of the context announced (AMSU-A, AMSU-B or MHS); raises
// EConvertError for a channel the sensor does not have.
TAmsuLineChannel AmsuLineChannel(const TDecodeContext& context, TBytes record, int channel);
// What the decoding pass takes for a footprint (0-based) of the channel: the band-corrected
// brightness temperature in single precision.
float AmsuFootprintValue(const TDecodeContext& context, const TAmsuLineChannel& channel,
                         TBytes record, std::size_t footprint);

} // namespace veltra
