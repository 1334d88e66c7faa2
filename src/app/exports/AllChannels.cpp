#include "app/exports/AllChannels.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <map>

#include "app/ChannelPass.h"
#include "app/FootprintReadout.h"
#include "app/VeltraForm.h"
#include "app/exports/ExportCommands.h"
#include "base/Format.h"
#include "formats/RecordChannelsReader.h"

namespace veltra {

namespace {

constexpr int HirsVisibleChannel = 20;
constexpr float NotKnown = std::numeric_limits<float>::quiet_NaN();

// One row of the swath: a scan line that gave at least one footprint in some channel.
struct TRow {
    TScanLineInfo Line;
    std::vector<float> Latitude, Longitude, SatelliteZenith, SolarZenith, RelativeAzimuth;
    std::vector<float> Values; // [footprint][channel]
    std::vector<float> Albedo;
};

// Rows by stream and record, in the order of the files and of their records.
using TRows = std::map<std::pair<std::int32_t, std::int32_t>, TRow>;

class TSwathBuilder {
public:
    TSwathBuilder(std::int32_t footprints, std::size_t channels, bool albedo)
        : footprints_(footprints), channels_(channels), albedo_(albedo)
    {
    }

    // The samples of one channel's pass: index is the channel's place among the brightness
    // temperatures, or -1 for the visible channel's albedo.
    void Add(const TChannelPass& pass, int index, bool level1b)
    {
        for (std::int32_t i = 0; i < pass.Samples.SampleCount(); ++i) {
            const TSampleOrigin& origin = pass.Samples.Origin(i);
            if (origin.Footprint < 0 || origin.Footprint >= footprints_)
                continue;
            TRow& row = RowOf(pass.Samples, i);
            const auto f = static_cast<std::size_t>(origin.Footprint);
            const TSample& sample = pass.Samples[i];
            const TFootprintAngles angles = pass.Samples.AnglesOf(i);
            row.Latitude[f] = sample.Latitude;
            row.Longitude[f] = sample.Longitude;
            row.SatelliteZenith[f] = angles.SatelliteZenith;
            row.SolarZenith[f] = angles.SolarZenith;
            row.RelativeAzimuth[f] = angles.RelativeAzimuth;
            const float value = pass.Values[static_cast<std::size_t>(i)];
            if (index < 0)
                row.Albedo[f] = VisibleAlbedo(value, level1b);
            else
                row.Values[f * channels_ + static_cast<std::size_t>(index)] = value;
        }
    }

    void Fill(TSwath& swath) const
    {
        swath.Lines = static_cast<std::int32_t>(rows_.size());
        swath.Footprints = footprints_;
        bool timed = false, qualified = !rows_.empty();
        const auto known = [](const std::vector<float>& values) {
            return std::any_of(values.begin(), values.end(),
                               [](float v) { return !std::isnan(v); });
        };
        bool satellite = false, solar = false, relative = false;
        for (const auto& [key, row] : rows_) {
            timed = timed || row.Line.Time.has_value();
            qualified = qualified && row.Line.QualityIndicator.has_value();
            satellite = satellite || known(row.SatelliteZenith);
            solar = solar || known(row.SolarZenith);
            relative = relative || known(row.RelativeAzimuth);
        }
        const auto append = [](std::vector<float>& to, const std::vector<float>& from) {
            to.insert(to.end(), from.begin(), from.end());
        };
        for (const auto& [key, row] : rows_) {
            append(swath.BrightnessTemperature, row.Values);
            if (albedo_)
                append(swath.Albedo, row.Albedo);
            append(swath.Latitude, row.Latitude);
            append(swath.Longitude, row.Longitude);
            if (satellite)
                append(swath.SatelliteZenith, row.SatelliteZenith);
            if (solar)
                append(swath.SolarZenith, row.SolarZenith);
            if (relative)
                append(swath.RelativeAzimuth, row.RelativeAzimuth);
            if (timed)
                swath.Time.push_back(row.Line.Time ? *row.Line.Time : NoTime);
            if (qualified)
                swath.QualityFlags.push_back(*row.Line.QualityIndicator);
            swath.File.push_back(key.first);
            swath.Record.push_back(key.second);
        }
    }

private:
    TRow& RowOf(const TSampleList& samples, std::int32_t i)
    {
        const TSampleOrigin& origin = samples.Origin(i);
        const auto [at, added] = rows_.try_emplace({origin.Stream, origin.ScanLine});
        TRow& row = at->second;
        if (added) {
            if (const TScanLineInfo* line = samples.ScanLineOf(i))
                row.Line = *line;
            const auto n = static_cast<std::size_t>(footprints_);
            for (auto* values : {&row.Latitude, &row.Longitude, &row.SatelliteZenith,
                                 &row.SolarZenith, &row.RelativeAzimuth, &row.Albedo})
                values->assign(n, NotKnown);
            row.Values.assign(n * channels_, NotKnown);
        }
        return row;
    }

    std::int32_t footprints_;
    std::size_t channels_;
    bool albedo_;
    TRows rows_;
};

// Footprints per line of the sensor's records: Level 1d holds every sounder on the HIRS grid.
std::int32_t FootprintsOf(const TFormVeltra& form)
{
    if (form.FileExt() == ".L1D" || form.SensorName() == "HIRS")
        return FootprintsPerLine(TLineInstrument::Hirs);
    if (form.SensorName() == "AMSU-A")
        return FootprintsPerLine(TLineInstrument::AmsuA);
    return FootprintsPerLine(TLineInstrument::AmsuB);
}

TSwathChannel ChannelOf(const std::string& sensorName, int number, double wavenumber)
{
    TSwathChannel c{number, wavenumber, 0, 0};
    if (StartsWith(sensorName, "AMSU"))
        c.Frequency = FrequencyGhz(wavenumber);
    else if (wavenumber != 0)
        c.Wavelength = 10000.0 / wavenumber;
    return c;
}

} // namespace

// One channel at a time, folded into the rows before the next is decoded: the swath never holds
// more than one channel's sample list.
TSwath SwathOf(const TFormVeltra& form, const std::string& program)
{
    const std::string sensor = form.SensorName();
    const std::vector<int> numbers = SensorChannels(sensor);
    const bool albedo = sensor == "HIRS";
    const bool level1b = StartsWith(form.FileExt(), ".L1B");
    TSwath swath;
    TSwathBuilder builder(FootprintsOf(form), numbers.size() - (albedo ? 1 : 0), albedo);
    TLineInstrument instrument = TLineInstrument::Unknown;
    for (std::size_t k = 0; k < numbers.size(); ++k) {
        TChannelPass pass(form, numbers[k]);
        pass.Run();
        if (instrument == TLineInstrument::Unknown)
            instrument = LineInstrumentOf(pass.Samples);
        const bool visible = albedo && numbers[k] == HirsVisibleChannel;
        const TSwathChannel channel = ChannelOf(sensor, numbers[k], pass.Wavenumber);
        if (visible)
            swath.AlbedoChannel = channel;
        else
            swath.Channels.push_back(channel);
        builder.Add(pass, visible ? -1 : static_cast<int>(k), level1b);
    }
    builder.Fill(swath);
    swath.Metadata = ExportMetadataOf(form, program, instrument);
    swath.Metadata.Channel = 0;
    swath.Metadata.Albedo = false;
    swath.Metadata.DifferenceChannel = 0; // every channel on its own, whatever the map shows
    swath.Metadata.Values.clear();
    swath.Metadata.Title =
        swath.Metadata.Platform + " " + swath.Metadata.Instrument + " all channels";
    DescribeQualityFlags(swath.Metadata, instrument);
    return swath;
}

} // namespace veltra
