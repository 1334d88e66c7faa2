// The NetCDF-4 bytes of the footprints, one dimension over them in drawing order.
#include "base/Errors.h"
#include "export/NetCdfExport.h"
#include "export/module/NetCdfSupport.h"
#include "export/module/Writers.h"

namespace veltra {

namespace {

template <typename T, typename Field> std::vector<T> Column(std::int32_t count, Field field)
{
    std::vector<T> values(static_cast<std::size_t>(count));
    for (std::int32_t i = 0; i < count; ++i)
        values[static_cast<std::size_t>(i)] = field(i);
    return values;
}

void DefineFootprintGlobals(const TNetCdfWriter& nc, const TExportMetadata& m)
{
    DefineGlobals(nc, m);
    nc.Int(NC_GLOBAL, "channel", m.Channel);
    if (m.DifferenceChannel != 0)
        nc.Int(NC_GLOBAL, "channel_b", m.DifferenceChannel);
    if (m.CentralWavenumber != 0)
        nc.Double(NC_GLOBAL, "channel_central_wavenumber", m.CentralWavenumber);
    if (m.CentralFrequency != 0)
        nc.Double(NC_GLOBAL, "channel_central_frequency", m.CentralFrequency);
    DefineInputFiles(nc, m);
}

// An angle of each footprint, left out when the records hold it for none.
int AngleVariable(const TNetCdfWriter& nc, const char* name, const char* standardName,
                  const char* longName, const std::vector<float>& values, int dimension)
{
    if (values.empty())
        return -1;
    const int variable = nc.Variable(name, NC_FLOAT, {dimension});
    nc.Text(variable, "standard_name", standardName);
    nc.Text(variable, "long_name", longName);
    nc.Text(variable, "units", "degree");
    nc.FloatFill(variable);
    return variable;
}

void WriteContents(const TNetCdfWriter& nc, const TSampleList& samples, const TExportMetadata& m,
                   const TFootprintColumns& columns)
{
    const std::int32_t count = samples.SampleCount();
    const auto fits = [count](std::size_t size) {
        return size == 0 || size == static_cast<std::size_t>(count);
    };
    if (!fits(columns.Time.size()) || !fits(columns.SatelliteZenith.size()) ||
        !fits(columns.SolarZenith.size()) || !fits(columns.QualityFlags.size()))
        throw EWriteError("Cannot write \"" + nc.FileName +
                          "\": a column's length is not the number of samples");
    const int dimension = nc.Dimension("sample", static_cast<std::size_t>(count));
    DefineFootprintGlobals(nc, m);

    const int lat = nc.Variable("lat", NC_FLOAT, {dimension});
    nc.Text(lat, "standard_name", "latitude");
    nc.Text(lat, "long_name", "latitude of the footprint centre");
    nc.Text(lat, "units", "degrees_north");
    const int lon = nc.Variable("lon", NC_FLOAT, {dimension});
    nc.Text(lon, "standard_name", "longitude");
    nc.Text(lon, "long_name", "longitude of the footprint centre");
    nc.Text(lon, "units", "degrees_east");
    int value = -1;
    if (m.DifferenceChannel != 0) {
        value = nc.Variable("brightness_temperature_difference", NC_FLOAT, {dimension});
        nc.Text(value, "long_name",
                "brightness temperature of channel " + std::to_string(m.Channel) +
                    " less that of channel " + std::to_string(m.DifferenceChannel));
        nc.Text(value, "units", "K");
        nc.Int(value, "channel_a", m.Channel);
        nc.Int(value, "channel_b", m.DifferenceChannel);
    } else if (m.Albedo) {
        value = nc.Variable("albedo", NC_FLOAT, {dimension});
        nc.Text(value, "long_name", "albedo of the visible channel");
        nc.Text(value, "units", "percent");
    } else {
        value = nc.Variable("brightness_temperature", NC_FLOAT, {dimension});
        nc.Text(value, "standard_name", "toa_brightness_temperature");
        nc.Text(value, "long_name", "brightness temperature of the channel");
        nc.Text(value, "units", "K");
    }
    nc.Text(value, "coordinates", "lat lon");
    const int scanLine = nc.Variable("scan_line", NC_INT, {dimension});
    nc.Text(scanLine, "long_name", "index of the scan line record in its file, from 0");
    const int footprint = nc.Variable("footprint", NC_INT, {dimension});
    nc.Text(footprint, "long_name", "index of the footprint in its scan line, from 0");
    const int file = nc.Variable("file", NC_INT, {dimension});
    nc.Text(file, "long_name", "index of the file in the input_files attribute, from 0");
    const int time =
        columns.Time.empty()
            ? -1
            : nc.TimeVariable("time of the footprint's scan line (UTC)", dimension, columns.Time);
    const int satelliteZenith =
        AngleVariable(nc, "satellite_zenith_angle", "sensor_zenith_angle",
                      "zenith angle of the satellite seen from the footprint",
                      columns.SatelliteZenith, dimension);
    const int solarZenith = AngleVariable(nc, "solar_zenith_angle", "solar_zenith_angle",
                                          "zenith angle of the sun seen from the footprint",
                                          columns.SolarZenith, dimension);
    int quality = -1;
    if (!columns.QualityFlags.empty()) {
        quality = nc.Variable("quality_flags", NC_UINT, {dimension});
        nc.QualityFlagAttributes(quality, m);
    }
    CheckNetCdf(nc_enddef(nc.Id), nc.FileName);

    if (count == 0)
        return;
    nc.Put(lat, Column<float>(count, [&](std::int32_t i) { return samples[i].Latitude; }));
    nc.Put(lon, Column<float>(count, [&](std::int32_t i) { return samples[i].Longitude; }));
    const bool ownValues = m.Values.size() >= static_cast<std::size_t>(count);
    nc.Put(value, Column<float>(count, [&](std::int32_t i) {
               return ownValues ? m.Values[static_cast<std::size_t>(i)] : samples[i].Temperature;
           }));
    nc.Put(scanLine,
           Column<int>(count, [&](std::int32_t i) { return samples.Origin(i).ScanLine; }));
    nc.Put(footprint,
           Column<int>(count, [&](std::int32_t i) { return samples.Origin(i).Footprint; }));
    nc.Put(file, Column<int>(count, [&](std::int32_t i) { return samples.Origin(i).Stream; }));
    if (time >= 0)
        nc.Put(time, columns.Time);
    if (satelliteZenith >= 0)
        nc.Put(satelliteZenith, columns.SatelliteZenith);
    if (solarZenith >= 0)
        nc.Put(solarZenith, columns.SolarZenith);
    if (quality >= 0)
        nc.Put(quality, columns.QualityFlags);
}

} // namespace

bool NetCdfBytes(const TSampleList& samples, const TExportMetadata& metadata,
                 const TFootprintColumns& columns, const std::string& fileName,
                 std::vector<std::uint8_t>& bytes, std::string& error)
{
    return NetCdfMemoryBytes(
        fileName, [&](TNetCdfWriter& nc) { WriteContents(nc, samples, metadata, columns); }, bytes,
        error);
}

} // namespace veltra
