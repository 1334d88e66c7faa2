#pragma once
// The fields every NOAA KLM Level 1b scan line and data-set header shares, whatever the
// instrument (NOAA KLM User's Guide, section 8.3.1; the NOAA CoastWatch layout files): the
// line's number and time at the start of its record, the quality words, and the solar and
// viewing angles of its footprints; the data set's start and end in the data-set header.
#include <cstddef>

#include "formats/ByteOrder.h"
#include "formats/ScanLine.h"

namespace veltra {

// Where an instrument's scan-line record keeps its quality words and angles.
struct TKlmLineLayout {
    std::size_t QualityIndicator;   // 32-bit quality indicator bit field
    std::size_t ScanLineQuality;    // 4 bytes of scan-line quality flags
    std::size_t CalibrationProblem; // the calibration problem byte, inside the flags
    std::size_t ChannelQuality;     // 16-bit words, one per channel
    int ChannelQualityCount;
    int FirstChannel; // of the first channel quality word (0: order disputed, HIRS)
    // Per footprint three signed 16-bit angles in 10^-2 degree: solar zenith, satellite
    // zenith, relative azimuth.
    std::size_t Angles;
};

// The line's number, time and quality words; a field the record is too short for, or a time
// out of range, stays empty.
TScanLineInfo ReadKlmLine(TBytes record, const TKlmLineLayout& layout);

// A footprint's angles from a KLM angle block (TFootprintAnglesReader).
TFootprintAngles KlmFootprintAngles(TBytes record, std::size_t offset, std::size_t footprint,
                                    TByteOrder order);

// The data set's start and end, from the data-set header (year, day of year, millisecond of
// the day at 84 and 96); an end or start out of range stays empty.
TPassTimes ReadKlmDataSetTimes(TBytes header);

} // namespace veltra
