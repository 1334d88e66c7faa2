// The NetCDF-4 bytes of the footprints, made by the NetCDF C library in memory.
#include <netcdf.h>
#include <netcdf_mem.h>

#include <cstdlib>
#include <memory>
#include <mutex>

#include "base/Errors.h"
#include "export/NetCdfExport.h"
#include "export/module/Writers.h"

namespace veltra {

namespace {

// The NetCDF C library keeps process-wide tables without locks: one call sequence at a time.
std::mutex netCdfMutex;

void Check(int status, const std::string& fileName)
{
    if (status != NC_NOERR)
        throw EWriteError("Cannot write \"" + fileName + "\": " + nc_strerror(status));
}

struct TNetCdfWriter {
    int Id = -1;
    std::string FileName;

    void Text(int variable, const char* name, const std::string& value) const
    {
        Check(nc_put_att_text(Id, variable, name, value.size(), value.data()), FileName);
    }
    void Double(int variable, const char* name, double value) const
    {
        Check(nc_put_att_double(Id, variable, name, NC_DOUBLE, 1, &value), FileName);
    }
    int Variable(const char* name, nc_type type, int dimension) const
    {
        int variable = -1;
        Check(nc_def_var(Id, name, type, 1, &dimension, &variable), FileName);
        return variable;
    }
};

std::string Joined(const std::vector<std::string>& lines)
{
    std::string text;
    for (const auto& line : lines)
        text += (text.empty() ? "" : "\n") + line;
    return text;
}

void DefineGlobals(const TNetCdfWriter& nc, const TExportMetadata& m)
{
    nc.Text(NC_GLOBAL, "Conventions", "CF-1.8");
    nc.Text(NC_GLOBAL, "title", m.Title);
    nc.Text(NC_GLOBAL, "institution", m.Institution);
    nc.Text(NC_GLOBAL, "source", m.Source);
    nc.Text(NC_GLOBAL, "history", m.History);
    nc.Text(NC_GLOBAL, "platform", m.Platform);
    nc.Text(NC_GLOBAL, "instrument", m.Instrument);
    const int channel = m.Channel;
    Check(nc_put_att_int(nc.Id, NC_GLOBAL, "channel", NC_INT, 1, &channel), nc.FileName);
    if (m.CentralWavenumber != 0)
        nc.Double(NC_GLOBAL, "channel_central_wavenumber", m.CentralWavenumber);
    if (m.CentralFrequency != 0)
        nc.Double(NC_GLOBAL, "channel_central_frequency", m.CentralFrequency);
    nc.Text(NC_GLOBAL, "input_files", Joined(m.InputFiles));
}

template <typename T, typename Field>
void PutColumn(const TNetCdfWriter& nc, int variable, std::int32_t count, Field field)
{
    if (count == 0)
        return;
    std::vector<T> values(static_cast<std::size_t>(count));
    for (std::int32_t i = 0; i < count; ++i)
        values[static_cast<std::size_t>(i)] = field(i);
    const std::size_t start = 0, length = values.size();
    if constexpr (std::is_same_v<T, float>)
        Check(nc_put_vara_float(nc.Id, variable, &start, &length, values.data()), nc.FileName);
    else
        Check(nc_put_vara_int(nc.Id, variable, &start, &length, values.data()), nc.FileName);
}

void WriteContents(const TNetCdfWriter& nc, const TSampleList& samples, const TExportMetadata& m)
{
    const std::int32_t count = samples.SampleCount();
    int dimension = -1;
    // A length of 0 would make the dimension unlimited, which an empty pass may well be.
    Check(nc_def_dim(nc.Id, "sample", static_cast<std::size_t>(count), &dimension), nc.FileName);
    DefineGlobals(nc, m);

    const int lat = nc.Variable("lat", NC_FLOAT, dimension);
    nc.Text(lat, "standard_name", "latitude");
    nc.Text(lat, "long_name", "latitude of the footprint centre");
    nc.Text(lat, "units", "degrees_north");
    const int lon = nc.Variable("lon", NC_FLOAT, dimension);
    nc.Text(lon, "standard_name", "longitude");
    nc.Text(lon, "long_name", "longitude of the footprint centre");
    nc.Text(lon, "units", "degrees_east");
    int value = -1;
    if (m.Albedo) {
        value = nc.Variable("albedo", NC_FLOAT, dimension);
        nc.Text(value, "long_name", "albedo of the visible channel");
        nc.Text(value, "units", "percent");
    } else {
        value = nc.Variable("brightness_temperature", NC_FLOAT, dimension);
        nc.Text(value, "standard_name", "toa_brightness_temperature");
        nc.Text(value, "long_name", "brightness temperature of the channel");
        nc.Text(value, "units", "K");
    }
    nc.Text(value, "coordinates", "lat lon");
    const int scanLine = nc.Variable("scan_line", NC_INT, dimension);
    nc.Text(scanLine, "long_name", "index of the scan line record in its file, from 0");
    const int footprint = nc.Variable("footprint", NC_INT, dimension);
    nc.Text(footprint, "long_name", "index of the footprint in its scan line, from 0");
    const int file = nc.Variable("file", NC_INT, dimension);
    nc.Text(file, "long_name", "index of the file in the input_files attribute, from 0");
    Check(nc_enddef(nc.Id), nc.FileName);

    PutColumn<float>(nc, lat, count, [&](std::int32_t i) { return samples[i].Latitude; });
    PutColumn<float>(nc, lon, count, [&](std::int32_t i) { return samples[i].Longitude; });
    const bool ownValues = m.Values.size() >= static_cast<std::size_t>(count);
    PutColumn<float>(nc, value, count, [&](std::int32_t i) {
        return ownValues ? m.Values[static_cast<std::size_t>(i)] : samples[i].Temperature;
    });
    PutColumn<int>(nc, scanLine, count, [&](std::int32_t i) { return samples.Origin(i).ScanLine; });
    PutColumn<int>(nc, footprint, count,
                   [&](std::int32_t i) { return samples.Origin(i).Footprint; });
    PutColumn<int>(nc, file, count, [&](std::int32_t i) { return samples.Origin(i).Stream; });
}

} // namespace

bool NetCdfBytes(const TSampleList& samples, const TExportMetadata& metadata,
                 const std::string& fileName, std::vector<std::uint8_t>& bytes, std::string& error)
{
    try {
        NC_memio memory{};
        {
            const std::lock_guard<std::mutex> lock(netCdfMutex);
            TNetCdfWriter nc{-1, fileName};
            Check(nc_create_mem("veltra-export.nc", NC_NETCDF4, 1 << 16, &nc.Id), fileName);
            try {
                WriteContents(nc, samples, metadata);
            } catch (...) {
                nc_abort(nc.Id);
                throw;
            }
            Check(nc_close_memio(nc.Id, &memory), fileName);
        }
        const std::unique_ptr<void, decltype(&std::free)> owner(memory.memory, &std::free);
        const auto* begin = static_cast<const std::uint8_t*>(memory.memory);
        bytes.assign(begin, begin + memory.size);
        return true;
    } catch (const std::exception& e) {
        error = e.what();
        return false;
    }
}

} // namespace veltra
