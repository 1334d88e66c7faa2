// The NetCDF-4 bytes of a whole pass as a CF swath (export/SwathExport.h).
#include <algorithm>

#include "base/Errors.h"
#include "export/SwathExport.h"
#include "export/module/NetCdfSupport.h"
#include "export/module/Writers.h"

namespace veltra {

namespace {

struct TSwathDimensions {
    int Line = -1, Footprint = -1, Channel = -1;
};

// A float of each footprint with its units; not a number where unknown.
int FootprintVariable(const TNetCdfWriter& nc, const TSwathDimensions& d, const char* name,
                      const char* standardName, const char* longName, const char* units)
{
    const int variable =
        nc.Described(name, NC_FLOAT, {d.Line, d.Footprint}, standardName, longName, units);
    nc.FloatFill(variable);
    return variable;
}

// The channel coordinate with the channels' central wavenumbers and their frequencies or
// wavelengths, as auxiliary coordinates; gives the names of the auxiliary ones.
std::string DefineChannels(const TNetCdfWriter& nc, const TSwath& s, int dimension,
                           std::vector<std::pair<int, std::vector<double>>>& values,
                           int& channelVariable)
{
    channelVariable = nc.Variable("channel", NC_INT, {dimension});
    nc.Text(channelVariable, "long_name", "channel number");
    std::vector<double> wavenumbers, frequencies, wavelengths;
    for (const TSwathChannel& c : s.Channels) {
        wavenumbers.push_back(c.Wavenumber);
        frequencies.push_back(c.Frequency);
        wavelengths.push_back(c.Wavelength);
    }
    const int wavenumber = nc.Variable("central_wavenumber", NC_DOUBLE, {dimension});
    nc.Text(wavenumber, "long_name", "central wavenumber of the channel");
    nc.Text(wavenumber, "units", "cm-1");
    values.push_back({wavenumber, wavenumbers});
    const bool microwave = !s.Channels.empty() && s.Channels.front().Frequency != 0;
    const int other =
        nc.Variable(microwave ? "central_frequency" : "central_wavelength", NC_DOUBLE, {dimension});
    nc.Text(other, "long_name",
            microwave ? "central frequency of the channel" : "central wavelength of the channel");
    nc.Text(other, "units", microwave ? "GHz" : "um");
    values.push_back({other, microwave ? frequencies : wavelengths});
    return microwave ? " central_wavenumber central_frequency"
                     : " central_wavenumber central_wavelength";
}

// Every array the length its dimensions give (the optional ones empty or that length): the
// library reads as many values as the variable holds.
void CheckShape(const TSwath& s, const std::string& fileName)
{
    const auto lines = static_cast<std::size_t>(std::max(s.Lines, 0));
    const std::size_t grid = lines * static_cast<std::size_t>(std::max(s.Footprints, 0));
    const auto fits = [](std::size_t size, std::size_t length, bool optional) {
        return size == length || (optional && size == 0);
    };
    bool ok = fits(s.BrightnessTemperature.size(), grid * s.Channels.size(), false) &&
              fits(s.Albedo.size(), grid, true) && fits(s.Latitude.size(), grid, false) &&
              fits(s.Longitude.size(), grid, false) && fits(s.Time.size(), lines, true) &&
              fits(s.QualityFlags.size(), lines, true) && fits(s.Record.size(), lines, false) &&
              fits(s.File.size(), lines, false);
    for (const auto* angles : {&s.SatelliteZenith, &s.SolarZenith, &s.RelativeAzimuth})
        ok = ok && fits(angles->size(), grid, true);
    if (!ok)
        throw EWriteError("Cannot write \"" + fileName +
                          "\": the swath's arrays do not fit its "
                          "dimensions");
}

void WriteSwath(const TNetCdfWriter& nc, const TSwath& s)
{
    CheckShape(s, nc.FileName);
    TSwathDimensions d;
    d.Line = nc.Dimension("scan_line", static_cast<std::size_t>(s.Lines));
    d.Footprint = nc.Dimension("footprint", static_cast<std::size_t>(s.Footprints));
    d.Channel = nc.Dimension("channel", s.Channels.size());
    DefineGlobals(nc, s.Metadata);
    DefineInputFiles(nc, s.Metadata);

    std::vector<std::pair<int, std::vector<float>>> floats;
    std::vector<std::pair<int, std::vector<double>>> doubles;
    std::vector<std::pair<int, std::vector<int>>> ints;
    int channel = -1;
    const std::string channelCoordinates = DefineChannels(nc, s, d.Channel, doubles, channel);
    std::vector<int> numbers;
    for (const TSwathChannel& c : s.Channels)
        numbers.push_back(c.Number);
    ints.push_back({channel, numbers});

    const std::string coordinates = std::string(s.Time.empty() ? "" : "time ") + "lat lon";
    const int bt =
        nc.Variable("brightness_temperature", NC_FLOAT, {d.Line, d.Footprint, d.Channel});
    nc.Text(bt, "standard_name", "toa_brightness_temperature");
    nc.Text(bt, "long_name", "brightness temperature of each channel");
    nc.Text(bt, "units", "K");
    nc.Text(bt, "coordinates", coordinates + channelCoordinates);
    nc.FloatFill(bt);
    floats.push_back({bt, s.BrightnessTemperature});
    if (!s.Albedo.empty()) {
        const int albedo =
            FootprintVariable(nc, d, "albedo", nullptr, "albedo of the visible channel", "percent");
        nc.Int(albedo, "channel", s.AlbedoChannel.Number);
        if (s.AlbedoChannel.Wavenumber != 0)
            nc.Double(albedo, "central_wavenumber", s.AlbedoChannel.Wavenumber);
        nc.Text(albedo, "coordinates", coordinates);
        floats.push_back({albedo, s.Albedo});
    }
    floats.push_back({FootprintVariable(nc, d, "lat", "latitude",
                                        "latitude of the footprint centre", "degrees_north"),
                      s.Latitude});
    floats.push_back({FootprintVariable(nc, d, "lon", "longitude",
                                        "longitude of the footprint centre", "degrees_east"),
                      s.Longitude});
    int time = -1;
    if (!s.Time.empty())
        time = nc.TimeVariable("time of the scan line (UTC)", d.Line, s.Time);
    const struct {
        const char *Name, *StandardName, *LongName;
        const std::vector<float>& Values;
    } angles[] = {
        {"satellite_zenith_angle", "sensor_zenith_angle",
         "zenith angle of the satellite seen from the footprint", s.SatelliteZenith},
        {"solar_zenith_angle", "solar_zenith_angle",
         "zenith angle of the sun seen from the footprint", s.SolarZenith},
        {"relative_azimuth_angle", nullptr,
         "difference of the solar and satellite azimuths at the footprint, 0-180 degrees",
         s.RelativeAzimuth},
    };
    for (const auto& angle : angles)
        if (!angle.Values.empty())
            floats.push_back(
                {FootprintVariable(nc, d, angle.Name, angle.StandardName, angle.LongName, "degree"),
                 angle.Values});
    std::vector<std::pair<int, std::vector<std::uint32_t>>> flags;
    if (!s.QualityFlags.empty()) {
        const int quality = nc.Variable("quality_flags", NC_UINT, {d.Line});
        nc.QualityFlagAttributes(quality, s.Metadata);
        flags.push_back({quality, s.QualityFlags});
    }
    const int record = nc.Variable("record", NC_INT, {d.Line});
    nc.Text(record, "long_name", "index of the scan line record in its file, from 0");
    ints.push_back({record, std::vector<int>(s.Record.begin(), s.Record.end())});
    const int file = nc.Variable("file", NC_INT, {d.Line});
    nc.Text(file, "long_name", "index of the file in the input_files attribute, from 0");
    ints.push_back({file, std::vector<int>(s.File.begin(), s.File.end())});
    CheckNetCdf(nc_enddef(nc.Id), nc.FileName);

    for (const auto& [variable, values] : floats)
        nc.Put(variable, values);
    for (const auto& [variable, values] : doubles)
        nc.Put(variable, values);
    for (const auto& [variable, values] : ints)
        nc.Put(variable, values);
    for (const auto& [variable, values] : flags)
        nc.Put(variable, values);
    if (time >= 0)
        nc.Put(time, s.Time);
}

} // namespace

bool SwathBytes(const TSwath& swath, const std::string& fileName, std::vector<std::uint8_t>& bytes,
                std::string& error)
{
    return NetCdfMemoryBytes(
        fileName, [&](TNetCdfWriter& nc) { WriteSwath(nc, swath); }, bytes, error);
}

} // namespace veltra
