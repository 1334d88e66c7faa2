#pragma once
// Level 1b HIRS (NOAA KLM layout): the data-set header with its conversion constants and
// diagnostics, and scan lines of 56 footprints calibrated from raw counts. Also the radiance
// to brightness-temperature conversion the microwave decoders share.
#include <array>
#include <cstddef>
#include <string>
#include <vector>

#include "base/Canvas.h"
#include "base/Stream.h"
#include "formats/ByteOrder.h"
#include "formats/DecodeContext.h"

namespace veltra {

constexpr int HirsRecordSize = 4608; // the data-set header and every scan line
constexpr int HirsFootprints = 56;
// Count of data records in the data-set header (unsigned 16-bit).
constexpr std::size_t HirsRecordCountOffset = 128;

// Filter-wheel position (1-20) of each channel, at index channel (index 0 unused).
extern const std::array<int, 21> HirsPositionTable;

// Brightness temperature (K) of a radiance (mW/(m2 sr cm-1)) at a central wavenumber (cm-1);
// 0 for a radiance of 0 or below. Raises EArithmeticError when the arithmetic faults.
double InversePlanck(double radiance, double wavenumber);

// The band-corrected brightness temperature of a channel (1-20): (T* - a) / b with T* from
// InversePlanck and a, b from BandCorrA and BandCorrB. A zero b raises EArithmeticError.
double BandCorrectedTemperature(const TDecodeContext& context, int channel, double radiance,
                                double wavenumber);

// The packed grey of a visible-channel level: rounded halves to even, of which the low eight
// bits are used (so 260 wraps round to 4), with equal red, green and blue.
TColour VisibleGreyColour(double level);

// Fills HirsWavenumber, BandCorrA and BandCorrB for channels 1-19 from the table of three
// signed 32-bit numbers per channel at offset: the wavenumber in 10^-6 cm-1 for channels 1-12
// and 10^-5 cm-1 for 13-19 (2190 cm-1 in 10^-6 would not fit), a and b in 10^-6.
void ReadHirsChannelConstants(TDecodeContext& context, TBytes table, std::size_t offset);

// Appends the header's diagnostics lines one by one; a date that cannot be made fails with
// EConvertError after the lines before it were appended.
void DecodeHirsHeaderDiagnostics(TBytes header, std::vector<std::string>& lines);

// Reads the 4608-byte data-set header at the current position (left in RecordBuffer), appends
// its diagnostics lines, then sets SensorCode 1, RecordSize 4608, RecordCount and the tables.
void ReadHirsHeader(TDecodeContext& context, TStream& stream);

// One channel of one scan line as its record gives it: where the channel's counts lie (its
// filter-wheel position) and the line's calibration of them to a radiance in
// mW/(m2 sr cm-1), or for the visible channel to an albedo in percent.
struct THirsLineChannel {
    int Channel = 0;
    std::size_t Position = 0;
    double Slope = 0, Intercept = 0;
    double Wavenumber = 0; // central, cm-1, from the header; 0 for the visible channel
};
// Raises EConvertError for a channel outside 1-20.
THirsLineChannel HirsLineChannel(const TDecodeContext& context, TBytes record, int channel);
// The radiance (the albedo, for the visible channel) of a footprint (0-55) of the line: its
// count times the slope, plus the intercept. countOffset: how count words are read (HirsCount).
double HirsFootprintRadiance(const THirsLineChannel& channel, TBytes record, std::size_t footprint,
                             bool countOffset);
// What the decoding pass takes for a footprint of a channel: the band-corrected brightness
// temperature in single precision, or the visible channel's albedo.
float HirsFootprintValue(const TDecodeContext& context, const THirsLineChannel& channel,
                         TBytes record, std::size_t footprint, bool countOffset);

// Reads one scan-line record of RecordSize bytes and plots its footprints for Channel (1-20),
// or the difference of Channel and Difference when one is asked for (neither may be 20).
void DecodeHirsLine(TDecodeContext& context, TStream& stream);

} // namespace veltra
