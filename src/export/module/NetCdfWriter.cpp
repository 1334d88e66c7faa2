// The NetCDF-4 bytes of the footprints, one dimension over them in drawing order, and of a
// composite's grid, which a composite also reads back.
#include <H5Epublic.h>
#include <netcdf.h>
#include <netcdf_mem.h>

#include <cmath>
#include <cstring>
#include <mutex>

#include "base/Errors.h"
#include "composite/Composite.h"
#include "export/GridExport.h"
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

    const int lat = nc.Described("lat", NC_FLOAT, {dimension}, "latitude",
                                 "latitude of the footprint centre", "degrees_north");
    const int lon = nc.Described("lon", NC_FLOAT, {dimension}, "longitude",
                                 "longitude of the footprint centre", "degrees_east");
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

namespace {

void WriteGrid(const TNetCdfWriter& nc, const TGridProduct& g)
{
    const int latDimension = nc.Dimension("lat", static_cast<std::size_t>(g.Rows));
    const int lonDimension = nc.Dimension("lon", static_cast<std::size_t>(g.Columns));
    const std::vector<int> cells = {latDimension, lonDimension};
    DefineFootprintGlobals(nc, g.Metadata);
    nc.Text(NC_GLOBAL, "composite_rule", g.Rule);
    nc.Double(NC_GLOBAL, "grid_step", g.Step);

    const int lat = nc.Described("lat", NC_DOUBLE, {latDimension}, "latitude",
                                 "latitude of the cell centre", "degrees_north");
    const int lon = nc.Described("lon", NC_DOUBLE, {lonDimension}, "longitude",
                                 "longitude of the cell centre", "degrees_east");

    const double nanDouble = NAN;
    const int value = nc.Variable("brightness_temperature", NC_FLOAT, cells);
    nc.Text(value, "standard_name", "toa_brightness_temperature");
    nc.Text(value, "long_name",
            "brightness temperature of the channel, " + g.Rule + " of the footprints in the cell");
    nc.Text(value, "units", "K");
    nc.FloatFill(value);
    const int count = nc.Variable("count", NC_INT, cells);
    nc.Text(count, "long_name", "footprints in the cell");
    const int time = nc.Variable("time", NC_DOUBLE, cells);
    nc.Text(time, "standard_name", "time");
    nc.Text(time, "long_name",
            g.Rule == "mean" ? "mean time of the footprints in the cell"
                             : "time of the scan line of the chosen footprint");
    nc.Text(time, "units", "seconds since 1970-01-01 00:00:00");
    nc.Text(time, "calendar", "standard");
    CheckNetCdf(nc_put_att_double(nc.Id, time, "_FillValue", NC_DOUBLE, 1, &nanDouble),
                nc.FileName);
    int angle = -1, sum = -1, timeSum = -1;
    if (g.Rule == "mean") {
        sum = nc.Variable("brightness_temperature_sum", NC_DOUBLE, cells);
        nc.Text(sum, "long_name",
                "sum of the brightness temperatures in the cell, each "
                "rounded to 2^-20 K, for merging grids");
        nc.Text(sum, "units", "K");
        timeSum = nc.Variable("time_sum", NC_INT64, cells);
        nc.Text(timeSum, "long_name",
                "sum of the footprints' times in milliseconds since "
                "1970-01-01 00:00:00 UTC, for merging grids");
    } else {
        angle = nc.Variable("scan_angle", NC_FLOAT, cells);
        nc.Text(angle, "long_name", "absolute scan angle of the chosen footprint");
        nc.Text(angle, "units", "degree");
        nc.FloatFill(angle);
    }
    nc.Text(value, "coordinates", "lat lon");
    CheckNetCdf(nc_enddef(nc.Id), nc.FileName);

    std::vector<double> centres(static_cast<std::size_t>(g.Rows));
    for (int i = 0; i < g.Rows; ++i)
        centres[static_cast<std::size_t>(i)] = -90.0 + (i + 0.5) * g.Step;
    nc.Put(lat, centres);
    centres.resize(static_cast<std::size_t>(g.Columns));
    for (int j = 0; j < g.Columns; ++j)
        centres[static_cast<std::size_t>(j)] = -180.0 + (j + 0.5) * g.Step;
    nc.Put(lon, centres);
    nc.Put(value, g.Value);
    nc.Put(count, g.Count);
    nc.Put(time, g.Time);
    if (angle >= 0)
        nc.Put(angle, g.Angle);
    if (sum >= 0) {
        nc.Put(sum, g.Sum);
        nc.Put(timeSum, g.TimeSum);
    }
}

// Reading back: every failure is a reason, never an exception.
struct TGridReadError {
    std::string Reason;
};

void Need(int status, const char* what)
{
    if (status != NC_NOERR)
        throw TGridReadError{std::string(what) + ": " + nc_strerror(status)};
}

std::string TextAttribute(int id, const char* name)
{
    std::size_t length = 0;
    Need(nc_inq_attlen(id, NC_GLOBAL, name, &length), name);
    if (length > (1u << 20))
        throw TGridReadError{std::string(name) + " is too long"};
    std::string text(length, '\0');
    Need(nc_get_att_text(id, NC_GLOBAL, name, text.data()), name);
    return text;
}

// A variable over (lat, lon) of the grid's shape.
int GridVariableOf(int id, const char* name, int latDim, int lonDim)
{
    int variable = -1, dims = 0;
    Need(nc_inq_varid(id, name, &variable), name);
    Need(nc_inq_varndims(id, variable, &dims), name);
    int ids[2] = {-1, -1};
    if (dims != 2 || (Need(nc_inq_vardimid(id, variable, ids), name), ids[0] != latDim) ||
        ids[1] != lonDim)
        throw TGridReadError{std::string(name) + " is not a variable over lat and lon"};
    return variable;
}

void ReadGrid(int id, TGridProduct& g)
{
    g.Rule = TextAttribute(id, "composite_rule");
    Need(nc_get_att_double(id, NC_GLOBAL, "grid_step", &g.Step), "grid_step");
    if (!(g.Step >= TGridComposite::MinGridStep && g.Step <= 90))
        throw TGridReadError{"grid_step is not from 0.1 to 90 degrees"};
    int latDim = -1, lonDim = -1;
    std::size_t rows = 0, columns = 0;
    Need(nc_inq_dimid(id, "lat", &latDim), "lat");
    Need(nc_inq_dimid(id, "lon", &lonDim), "lon");
    Need(nc_inq_dimlen(id, latDim, &rows), "lat");
    Need(nc_inq_dimlen(id, lonDim, &columns), "lon");
    g.Rows = TGridComposite::RowsFor(g.Step);
    g.Columns = TGridComposite::ColumnsFor(g.Step);
    if (rows != static_cast<std::size_t>(g.Rows) || columns != static_cast<std::size_t>(g.Columns))
        throw TGridReadError{"lat and lon do not fit grid_step"};
    TExportMetadata& m = g.Metadata;
    m.Instrument = TextAttribute(id, "instrument");
    m.Platform = TextAttribute(id, "platform");
    Need(nc_get_att_int(id, NC_GLOBAL, "channel", &m.Channel), "channel");
    const std::string files = TextAttribute(id, "input_files");
    for (std::size_t from = 0; from < files.size();) {
        const std::size_t to = std::min(files.find('\n', from), files.size());
        m.InputFiles.push_back(files.substr(from, to - from));
        from = to + 1;
    }
    const std::size_t cells = rows * columns;
    g.Value.resize(cells);
    g.Count.resize(cells);
    g.Time.resize(cells);
    Need(nc_get_var_float(id, GridVariableOf(id, "brightness_temperature", latDim, lonDim),
                          g.Value.data()),
         "brightness_temperature");
    Need(nc_get_var_int(id, GridVariableOf(id, "count", latDim, lonDim), g.Count.data()), "count");
    Need(nc_get_var_double(id, GridVariableOf(id, "time", latDim, lonDim), g.Time.data()), "time");
    if (g.Rule == "mean") {
        g.Sum.resize(cells);
        g.TimeSum.resize(cells);
        Need(nc_get_var_double(id, GridVariableOf(id, "brightness_temperature_sum", latDim, lonDim),
                               g.Sum.data()),
             "brightness_temperature_sum");
        Need(nc_get_var_longlong(id, GridVariableOf(id, "time_sum", latDim, lonDim),
                                 reinterpret_cast<long long*>(g.TimeSum.data())),
             "time_sum");
    } else {
        g.Angle.resize(cells);
        Need(nc_get_var_float(id, GridVariableOf(id, "scan_angle", latDim, lonDim), g.Angle.data()),
             "scan_angle");
    }
}

} // namespace

bool GridNetCdfBytes(const TGridProduct& grid, const std::string& fileName,
                     std::vector<std::uint8_t>& bytes, std::string& error)
{
    return NetCdfMemoryBytes(
        fileName, [&](TNetCdfWriter& nc) { WriteGrid(nc, grid); }, bytes, error);
}

bool ReadGridNetCdf(const std::uint8_t* bytes, std::size_t size, TGridProduct& grid,
                    std::string& reason)
{
    try {
        const std::lock_guard<std::mutex> lock(NetCdfLock());
        H5Eset_auto2(H5E_DEFAULT, nullptr, nullptr);
        // The library reads the memory it is given and writes nothing to it.
        std::vector<std::uint8_t> copy(bytes, bytes + size);
        int id = -1;
        Need(nc_open_mem("veltra-grid.nc", NC_NOWRITE, copy.size(), copy.data(), &id),
             "not a NetCDF file");
        try {
            ReadGrid(id, grid);
        } catch (...) {
            nc_close(id);
            throw;
        }
        nc_close(id);
        return true;
    } catch (const TGridReadError& e) {
        reason = "not a grid of veltra-render --composite: " + e.Reason;
    } catch (const std::exception& e) {
        reason = std::string("not a grid of veltra-render --composite: ") + e.what();
    }
    return false;
}

} // namespace veltra
