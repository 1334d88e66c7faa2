#pragma once
// What a scan-line record says about itself and about the footprints it holds, beyond their
// positions and values: the line's number and UTC time, the quality bits the ground processing
// set, the instrument's state, and per footprint the viewing and solar geometry. Each format's
// reader decodes its own records into one TScanLineInfo per record (the offsets are the
// readers'); the sample list keeps them, and every sample's origin names its line (Samples.h).
//
// Quality bits are numbered as the NOAA KLM documentation numbers them: bit 31 is the most
// significant bit of the 32-bit word as the file stores it (big-endian Level 1b; AAPP files in
// their own byte order), bit 15 the most significant bit of a 16-bit channel word.
#include <array>
#include <cstdint>
#include <limits>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "base/DateTime.h"

namespace veltra {

// The instrument whose footprint grid and flag meanings a line follows. A Level 1d line holds
// all three sounders on the HIRS grid and says HIRS.
enum class TLineInstrument : std::uint8_t { Unknown, Hirs, AmsuA, AmsuB, Mhs };

// Milliseconds since 1970-01-01 00:00:00 UTC.
using TUtcMilliseconds = std::int64_t;

// A calendar time as the records store it: year, day of year (1 = 1 January) and millisecond
// of the day. Nothing when a field is out of its range (years 1950-2199, the days of that
// year, 0 to 86400999 ms, the last second allowing for a leap second).
std::optional<TUtcMilliseconds> UtcFromYearDay(std::int64_t year, std::int64_t dayOfYear,
                                               std::int64_t milliseconds);
// Conversions to and from the date-times the rest of the program formats (FormatDateTime);
// a date-time of 0 ("not known") gives nothing.
TDateTime DateTimeFromUtc(TUtcMilliseconds utc);
std::optional<TUtcMilliseconds> UtcFromDateTime(TDateTime value);
// A UTC time in ISO 8601 to the millisecond: "2008-01-15T07:57:12.345Z".
std::string IsoUtcText(TUtcMilliseconds utc);
// The time of day to the tenth of a second begun: "07:57:12.3 UTC".
std::string TimeOfDayText(TUtcMilliseconds utc);

// The acquisition start and end of a whole pass, from the file's headers: Level 1b from the
// data-set header (its first and last scan line, to the millisecond), else from the archive
// header's data set name (to the minute); AAPP Level 1c and 1d from their header.
struct TPassTimes {
    std::optional<TUtcMilliseconds> Start;
    std::optional<TUtcMilliseconds> End;
};

// Quality indicator bits every instrument shares (the KLM "quality indicator bit field", which
// AAPP copies into its "qualind").
constexpr std::uint32_t QualityDoNotUse = 1u << 31;        // do not use scan for products
constexpr std::uint32_t QualityTimeSequence = 1u << 30;    // time sequence error
constexpr std::uint32_t QualityDataGap = 1u << 29;         // a data gap precedes this scan
constexpr std::uint32_t QualityCalibration = 1u << 28;     // insufficient data to calibrate
constexpr std::uint32_t QualityNoEarthLocation = 1u << 27; // Earth location not available
// The bits for which the field's own readers drop a line: do not use, calibration, no Earth
// location.
constexpr std::uint32_t QualityFlaggedBits =
    QualityDoNotUse | QualityCalibration | QualityNoEarthLocation;

// The MHS instrument mode of a line in which it scans the Earth; other modes are not Earth data.
constexpr std::uint8_t MhsScanMode = 3;
// AMSU-A, AMSU-B and MHS channel quality bits that mean the channel of the line could not be
// calibrated: every blackbody view, every space view or every PRT reading was bad.
constexpr std::uint16_t ChannelQualityBadBits = 0x0038;

struct TScanLineInfo {
    TLineInstrument Instrument = TLineInstrument::Unknown;
    std::int32_t Stream = 0;  // 0-based index of the stream in the render pass (set by the host)
    std::int32_t Record = 0;  // 0-based index of the scan-line record in its stream
    std::int32_t Channel = 0; // the channel the pass decoded from it (1-20)
    // The record's own scan-line number (Level 1b and 1c; counted from 1 by the writers).
    std::optional<std::int32_t> Number;
    // UTC time of the line. Level 1d records hold none: their time is interpolated between the
    // header's start and end by the record's place in the file (TimeInterpolated).
    std::optional<TUtcMilliseconds> Time;
    bool TimeInterpolated = false;
    // The quality indicator bit field (Level 1b; AAPP Level 1c "qualind").
    std::optional<std::uint32_t> QualityIndicator;
    // The scan-line quality flags as one 32-bit word (Level 1b, 4 bytes at its place; AAPP
    // Level 1c "scnlinqual"). HIRS: time problems in bits 23-20, calibration in 15-8, Earth
    // location in 7-4. AMSU-A, AMSU-B and MHS: bits 15-8 are the calibration problem byte.
    std::optional<std::uint32_t> ScanLineQuality;
    // The calibration problem byte (Level 1b), bits 15-8 of ScanLineQuality.
    std::optional<std::uint8_t> CalibrationProblem;
    // Level 1b HIRS scan type: 0 Earth view, 1 space, 2 cold target, 3 warm target. A line
    // that is not an Earth view is not drawn.
    std::optional<std::uint16_t> ScanType;
    // Level 1b MHS instrument mode: MhsScanMode in normal scanning.
    std::optional<std::uint8_t> InstrumentMode;
    // Level 1b channel quality flags, one 16-bit word per channel. AMSU-A channels 1-15 and
    // AMSU-B/MHS channels 16-20 at index channel - 1. HIRS: the 20 words in the order the
    // record stores them, which sources read either as filter-position or as channel order;
    // ChannelQualityOf therefore gives none for HIRS.
    bool HasChannelQuality = false;
    std::array<std::uint16_t, 20> ChannelQuality{};
};

// The angles of one footprint in degrees; not a number where the record holds none (never a
// made-up zero).
struct TFootprintAngles {
    float SatelliteZenith = std::numeric_limits<float>::quiet_NaN();
    float SolarZenith = std::numeric_limits<float>::quiet_NaN();
    // The difference of the solar and satellite azimuths at the footprint, 0-180 degrees.
    float RelativeAzimuth = std::numeric_limits<float>::quiet_NaN();
    // Angle of the scan mirror from nadir, from the footprint's place in the scan and the
    // instrument's published scan step: negative for the first half of the line's footprints.
    // Every footprint of a known instrument has one.
    float ScanAngle = std::numeric_limits<float>::quiet_NaN();
};

// Angles as the records store them, in hundredths of a degree; not a number when the value
// cannot be an angle of its kind (a zenith beyond 180 degrees, an azimuth beyond 360).
float ZenithAngle(std::int32_t hundredths);
float AzimuthAngle(std::int32_t hundredths);

// The scan angle (degrees) of footprint (0-based) of a line of the instrument: HIRS 56
// footprints in 1.8 degree steps (+-49.5), AMSU-A 30 in 10/3 (+-48.33), AMSU-B 90 in 1.1
// (+-48.95), MHS 90 in 10/9 (+-49.44). Not a number for an unknown instrument or footprint.
float ScanAngle(TLineInstrument instrument, std::int32_t footprint);
// Footprints per scan line of the instrument (56, 30, 90, 90); 0 for an unknown one.
std::int32_t FootprintsPerLine(TLineInstrument instrument);

// Whether the line carries a flag for which the field's readers drop it: quality indicator
// bit 31 (do not use), 28 (insufficient calibration) or 27 (no Earth location).
bool LineFlagged(const TScanLineInfo& line);
// Whether masking hides the whole line: flagged, or an MHS line whose instrument mode is not
// the scan mode.
bool LineHidden(const TScanLineInfo& line);
// The channel quality word of a channel (1-20) of an AMSU-A, AMSU-B or MHS line; none for
// HIRS (whose words' order is disputed) and for lines that hold none.
std::optional<std::uint16_t> ChannelQualityOf(const TScanLineInfo& line, int channel);
// Whether the channel's quality word marks the channel of this line bad (ChannelQualityBadBits).
bool ChannelFlaggedBad(const TScanLineInfo& line, int channel);
// Whether masking hides a footprint of the line shown in the channel: the line is hidden, or
// the channel is flagged bad in it (that channel only).
bool FootprintHidden(const TScanLineInfo& line, int channel);

// Which word of a line a flag lives in.
enum class TFlagWord : std::uint8_t { QualityIndicator, ScanLineQuality, ChannelQuality };

// One flag and its meaning in words, for the instruments it applies to (a mask of
// InstrumentMask values).
struct TFlagMeaning {
    TFlagWord Word;
    std::uint8_t Bit; // 31 = most significant bit of a 32-bit word, 15 of a channel word
    std::uint8_t Instruments;
    const char* Words;
};
constexpr std::uint8_t InstrumentMask(TLineInstrument instrument)
{
    return static_cast<std::uint8_t>(1u << static_cast<unsigned>(instrument));
}

// Every flag with an agreed meaning. Bits that are not here (HIRS scan-line quality bit 14,
// whose meaning sources dispute, HIRS Earth-location bits 7-4, and the like) are named by
// their number.
std::span<const TFlagMeaning> FlagMeanings();

// The flags set on a line, in words, most significant bit first: the quality indicator, the
// scan-line quality word, an MHS mode other than scanning ("instrument mode 5"), and, for a
// channel of an AMSU-A, AMSU-B or MHS line, that channel's quality word (its words prefixed
// "channel N: "). A bit without an agreed meaning reads "quality indicator bit 14",
// "scan line quality bit 14" or "channel N: quality bit 12". Empty when nothing is set.
std::vector<std::string> FlagWords(const TScanLineInfo& line, int channel);

} // namespace veltra
