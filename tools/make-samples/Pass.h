#pragma once
// One instrument's view of a satellite pass: scan lines with their time, the earth location
// of every footprint (as the files store it, 10^-4 degree) and the value of every channel at
// that footprint. The format writers turn this into bytes; a test that decodes a written file
// compares what it reads with these values.
#include <array>
#include <cstdint>
#include <vector>

#include "make-samples/Instruments.h"
#include "make-samples/Orbit.h"
#include "make-samples/Scene.h"

namespace veltra::samples {

// How a footprint is seen: the satellite's and the sun's zenith angles and azimuths at the
// footprint (degrees; azimuths clockwise from north, 0-360), and the relative azimuth, the
// difference of the two azimuths folded into 0-180 degrees.
struct TViewAngles {
    double SatelliteZenith = 0, SatelliteAzimuth = 0;
    double SolarZenith = 0, SolarAzimuth = 0;

    double RelativeAzimuth() const;
};

struct TScanLineData {
    double Seconds = 0;        // UTC seconds since 00:00 of the pass's day (may pass 86400)
    std::uint16_t Quality = 0; // Level 1b HIRS scan type; not 0 (not an Earth view) is rejected
    // The quality words the ground processing sets (NOAA KLM bit meanings, bit 31 the most
    // significant): the quality indicator, the scan-line quality flags (HIRS: calibration in
    // bits 15-8; AMSU: the calibration problem byte in bits 15-8), and the AMSU channel quality
    // words at [channel - 1].
    std::uint32_t QualityIndicator = 0;
    std::uint32_t ScanLineQuality = 0;
    std::array<std::uint16_t, 20> ChannelQuality{};
    // What the stored time is off by (a time sequence error), seconds.
    double TimeErrorS = 0;
    std::vector<std::int32_t> Latitude;  // per footprint, 10^-4 degree
    std::vector<std::int32_t> Longitude; // per footprint, 10^-4 degree
    std::vector<TViewAngles> Angles;     // per footprint
    // Per footprint and channel, at [footprint * ChannelCount + channel - FirstChannel]:
    // brightness temperature in K, or albedo in percent for HIRS channel 20.
    std::vector<double> Values;

    // The time the records store for the line.
    double StoredSeconds() const { return Seconds + TimeErrorS; }
};

// Which pass: the satellite and its orbit, the UTC day the pass starts on, the revolution
// number of the orbit's reference revolution, and the nominal pass time (UTC seconds of the
// day) that names the pass in AAPP file names whichever station received which part of it.
struct TPassInfo {
    TSatellite Satellite;
    TOrbit Orbit;
    int Year = 0;
    int DayOfYear = 0;
    int Revolution = 0;
    double PassSeconds = 0;

    // Revolution number at a time (counted from ascending node to ascending node).
    int RevolutionAt(double seconds) const;
};

struct TPassData {
    TPassInfo Info;
    TInstrument Instrument = TInstrument::Hirs;
    int FootprintCount = 0; // per line: the instrument's own, or the grid's after resampling
    std::vector<TScanLineData> Lines;

    int Footprints() const { return FootprintCount; }
    int FirstChannel() const { return samples::FirstChannel(Instrument); }
    int ChannelCount() const { return samples::ChannelCount(Instrument); }
    double Value(int line, int footprint, int channel) const;
    double LatitudeDeg(int line, int footprint) const;
    double LongitudeDeg(int line, int footprint) const;
};

// A moment of a pass as calendar fields: year, day of year, millisecond of the day.
struct TUtcTime {
    int Year = 0;
    int DayOfYear = 0;
    std::int32_t Milliseconds = 0;

    int Hour() const { return Milliseconds / 3600000; }
    int Minute() const { return Milliseconds / 60000 % 60; }
};

// The calendar time of seconds counted from 00:00 UTC of the pass's first day.
TUtcTime UtcOf(const TPassInfo& info, double seconds);

// How the footprint at a scan angle (degrees from nadir) is seen at a time of the pass.
TViewAngles ViewAnglesAt(const TPassInfo& info, double seconds, double scanAngleDeg);

// lineCount scan lines of the instrument, the first at startSeconds, one every line period,
// with the scene seen at each footprint plus a little instrument noise (a fixed function of
// time, footprint and channel, so the same footprint gets the same value in every file).
TPassData MakePass(const TSceneModel& scene, const TPassInfo& info, TInstrument instrument,
                   double startSeconds, int lineCount);

// Another instrument's channels on the footprints of an existing pass (Level 1d puts the
// microwave sounders on the HIRS grid).
TPassData ResamplePass(const TSceneModel& scene, const TPassData& grid, TInstrument instrument);

// Lines first to first + count - 1 of a pass (a part of it received by one station).
TPassData SlicePass(const TPassData& pass, int first, int count);

// Number of lines of the instrument that fit in a duration (rounded up).
int LinesFor(TInstrument instrument, double seconds);

} // namespace veltra::samples
