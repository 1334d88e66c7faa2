#include "make-samples/Pass.h"

#include <algorithm>
#include <cmath>

#include "base/DateTime.h"
#include "base/Errors.h"

namespace veltra::samples {

namespace {

// A reproducible value in [-1, 1] for a key (splitmix64 finaliser).
double HashNoise(std::uint64_t key)
{
    key += 0x9E3779B97F4A7C15ULL;
    key = (key ^ (key >> 30)) * 0xBF58476D1CE4E5B9ULL;
    key = (key ^ (key >> 27)) * 0x94D049BB133111EBULL;
    key ^= key >> 31;
    return static_cast<double>(key >> 11) / static_cast<double>(1ULL << 52) - 1.0;
}

// Radiometric noise: about 0.15 K in the infrared, 0.25 K in the microwave, 0.3 % albedo.
double NoiseAmplitude(TInstrument instrument, int channel)
{
    if (instrument != TInstrument::Hirs)
        return 0.25;
    return channel == 20 ? 0.3 : 0.15;
}

// Fills the values of every channel of the instrument at the line's stored positions.
void FillValues(const TSceneModel& scene, TInstrument instrument, TScanLineData& line)
{
    const int first = FirstChannel(instrument);
    const int channels = ChannelCount(instrument);
    const int footprints = static_cast<int>(line.Latitude.size());
    const auto milliseconds = static_cast<std::uint64_t>(std::llround(line.Seconds * 1000.0));
    line.Values.assign(static_cast<size_t>(footprints * channels), 0.0);
    for (int i = 0; i < footprints; ++i) {
        const TSceneState state =
            scene.At(line.Latitude[i] * 1e-4, line.Longitude[i] * 1e-4, line.Seconds);
        for (int c = first; c < first + channels; ++c) {
            double low = 0, high = 0;
            TSceneModel::Range(instrument, c, low, high);
            const std::uint64_t key = (milliseconds << 16) ^ (static_cast<std::uint64_t>(i) << 8) ^
                                      static_cast<std::uint64_t>(c) ^
                                      (static_cast<std::uint64_t>(instrument) << 56);
            const double value =
                scene.Value(instrument, c, state) + NoiseAmplitude(instrument, c) * HashNoise(key);
            line.Values[static_cast<size_t>(i * channels + c - first)] =
                std::clamp(value, low, high);
        }
    }
}

} // namespace

TUtcTime UtcOf(const TPassInfo& info, double seconds)
{
    auto ms = static_cast<std::int64_t>(std::llround(seconds * 1000.0));
    TUtcTime t{info.Year, info.DayOfYear, 0};
    while (ms >= 86400000) {
        ms -= 86400000;
        if (++t.DayOfYear > (IsLeapYear(t.Year) ? 366 : 365)) {
            t.DayOfYear = 1;
            ++t.Year;
        }
    }
    t.Milliseconds = static_cast<std::int32_t>(std::max<std::int64_t>(0, ms));
    return t;
}

double TViewAngles::RelativeAzimuth() const
{
    const double difference = std::fmod(std::fabs(SatelliteAzimuth - SolarAzimuth), 360.0);
    return difference > 180.0 ? 360.0 - difference : difference;
}

TViewAngles ViewAnglesAt(const TPassInfo& info, double seconds, double scanAngleDeg)
{
    const TGroundPoint point = info.Orbit.ScanPoint(seconds, scanAngleDeg);
    const TLookAngles satellite = info.Orbit.SatelliteSeenFrom(seconds, point);
    const TLookAngles sun = SunSeenFrom(info.DayOfYear, point.Latitude, point.Longitude, seconds);
    return {satellite.Zenith, satellite.Azimuth, sun.Zenith, sun.Azimuth};
}

int TPassInfo::RevolutionAt(double seconds) const
{
    return Revolution + Orbit.RevolutionsSinceNode(seconds);
}

double TPassData::Value(int line, int footprint, int channel) const
{
    const int index = footprint * ChannelCount() + channel - FirstChannel();
    return Lines.at(static_cast<size_t>(line)).Values.at(static_cast<size_t>(index));
}

double TPassData::LatitudeDeg(int line, int footprint) const
{
    return Lines.at(static_cast<size_t>(line)).Latitude.at(static_cast<size_t>(footprint)) * 1e-4;
}

double TPassData::LongitudeDeg(int line, int footprint) const
{
    return Lines.at(static_cast<size_t>(line)).Longitude.at(static_cast<size_t>(footprint)) * 1e-4;
}

TPassData MakePass(const TSceneModel& scene, const TPassInfo& info, TInstrument instrument,
                   double startSeconds, int lineCount)
{
    const TScanGeometry geometry = ScanGeometry(instrument);
    TPassData pass;
    pass.Info = info;
    pass.Instrument = instrument;
    pass.FootprintCount = geometry.Footprints;
    pass.Lines.resize(static_cast<size_t>(std::max(0, lineCount)));
    for (int l = 0; l < lineCount; ++l) {
        TScanLineData& line = pass.Lines[static_cast<size_t>(l)];
        line.Seconds = startSeconds + l * geometry.LinePeriodS;
        for (int i = 0; i < geometry.Footprints; ++i) {
            const TGroundPoint p = info.Orbit.ScanPoint(line.Seconds, geometry.ScanAngleDeg(i));
            line.Latitude.push_back(ToStored(p.Latitude, 1e-4));
            line.Longitude.push_back(ToStored(p.Longitude, 1e-4));
            line.Angles.push_back(ViewAnglesAt(info, line.Seconds, geometry.ScanAngleDeg(i)));
        }
        FillValues(scene, instrument, line);
    }
    return pass;
}

TPassData ResamplePass(const TSceneModel& scene, const TPassData& grid, TInstrument instrument)
{
    TPassData pass = grid;
    pass.Instrument = instrument;
    for (TScanLineData& line : pass.Lines)
        FillValues(scene, instrument, line);
    return pass;
}

TPassData SlicePass(const TPassData& pass, int first, int count)
{
    if (first < 0 || count < 0 || first + count > static_cast<int>(pass.Lines.size()))
        throw EVeltraError("Slice outside the pass");
    TPassData part = pass;
    part.Lines.assign(pass.Lines.begin() + first, pass.Lines.begin() + first + count);
    return part;
}

int LinesFor(TInstrument instrument, double seconds)
{
    return static_cast<int>(std::ceil(seconds / ScanGeometry(instrument).LinePeriodS - 1e-9));
}

} // namespace veltra::samples
