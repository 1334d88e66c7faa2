#include "export/module/NetCdfSupport.h"

#include <netcdf_mem.h>

#include <algorithm>
#include <cstdlib>
#include <limits>
#include <memory>
#include <mutex>
#include <utility>

#include "base/Errors.h"

namespace veltra {

namespace {

std::string Joined(const std::vector<std::string>& lines)
{
    std::string text;
    for (const auto& line : lines)
        text += (text.empty() ? "" : "\n") + line;
    return text;
}

} // namespace

std::mutex& NetCdfLock()
{
    static std::mutex lock;
    return lock;
}

void CheckNetCdf(int status, const std::string& fileName)
{
    if (status != NC_NOERR)
        throw EWriteError("Cannot write \"" + fileName + "\": " + nc_strerror(status));
}

void TNetCdfWriter::Text(int variable, const char* name, const std::string& value) const
{
    CheckNetCdf(nc_put_att_text(Id, variable, name, value.size(), value.data()), FileName);
}

void TNetCdfWriter::Double(int variable, const char* name, double value) const
{
    CheckNetCdf(nc_put_att_double(Id, variable, name, NC_DOUBLE, 1, &value), FileName);
}

void TNetCdfWriter::Int(int variable, const char* name, int value) const
{
    CheckNetCdf(nc_put_att_int(Id, variable, name, NC_INT, 1, &value), FileName);
}

void TNetCdfWriter::FloatFill(int variable) const
{
    const float fill = std::numeric_limits<float>::quiet_NaN();
    CheckNetCdf(nc_put_att_float(Id, variable, "_FillValue", NC_FLOAT, 1, &fill), FileName);
}

int TNetCdfWriter::TimeVariable(const char* longName, int dimension,
                                const std::vector<std::int64_t>& times) const
{
    const int variable = Variable("time", NC_INT64, {dimension});
    Text(variable, "standard_name", "time");
    Text(variable, "long_name", longName);
    Text(variable, "units", TimeUnits);
    Text(variable, "calendar", "standard");
    if (std::find(times.begin(), times.end(), NoTime) != times.end()) {
        const long long fill = NoTime;
        CheckNetCdf(nc_put_att_longlong(Id, variable, "_FillValue", NC_INT64, 1, &fill), FileName);
    }
    return variable;
}

int TNetCdfWriter::Dimension(const char* name, std::size_t length) const
{
    int dimension = -1;
    // A length of 0 makes the dimension unlimited, which an empty pass may well be.
    CheckNetCdf(nc_def_dim(Id, name, length, &dimension), FileName);
    return dimension;
}

int TNetCdfWriter::Variable(const char* name, nc_type type, std::vector<int> dimensions) const
{
    int variable = -1;
    CheckNetCdf(nc_def_var(Id, name, type, static_cast<int>(dimensions.size()), dimensions.data(),
                           &variable),
                FileName);
    return variable;
}

int TNetCdfWriter::Described(const char* name, nc_type type, std::vector<int> dimensions,
                             const char* standardName, const char* longName,
                             const char* units) const
{
    const int variable = Variable(name, type, std::move(dimensions));
    if (standardName != nullptr)
        Text(variable, "standard_name", standardName);
    Text(variable, "long_name", longName);
    Text(variable, "units", units);
    return variable;
}

void TNetCdfWriter::Put(int variable, const std::vector<float>& values) const
{
    if (!values.empty())
        CheckNetCdf(nc_put_var_float(Id, variable, values.data()), FileName);
}

void TNetCdfWriter::Put(int variable, const std::vector<double>& values) const
{
    if (!values.empty())
        CheckNetCdf(nc_put_var_double(Id, variable, values.data()), FileName);
}

void TNetCdfWriter::Put(int variable, const std::vector<std::int64_t>& values) const
{
    static_assert(sizeof(long long) == sizeof(std::int64_t));
    if (!values.empty())
        CheckNetCdf(
            nc_put_var_longlong(Id, variable, reinterpret_cast<const long long*>(values.data())),
            FileName);
}

void TNetCdfWriter::Put(int variable, const std::vector<int>& values) const
{
    if (!values.empty())
        CheckNetCdf(nc_put_var_int(Id, variable, values.data()), FileName);
}

void TNetCdfWriter::Put(int variable, const std::vector<std::uint32_t>& values) const
{
    if (!values.empty())
        CheckNetCdf(nc_put_var_uint(Id, variable, values.data()), FileName);
}

void TNetCdfWriter::QualityFlagAttributes(int variable, const TExportMetadata& m) const
{
    Text(variable, "long_name",
         "quality indicator bit field of the scan line, bit 31 the most significant");
    if (!m.FlagMasks.empty()) {
        CheckNetCdf(nc_put_att_uint(Id, variable, "flag_masks", NC_UINT, m.FlagMasks.size(),
                                    m.FlagMasks.data()),
                    FileName);
        Text(variable, "flag_meanings", m.FlagMeanings);
    }
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
}

void DefineInputFiles(const TNetCdfWriter& nc, const TExportMetadata& m)
{
    nc.Text(NC_GLOBAL, "input_files", Joined(m.InputFiles));
}

bool NetCdfMemoryBytes(const std::string& fileName,
                       const std::function<void(TNetCdfWriter&)>& write,
                       std::vector<std::uint8_t>& bytes, std::string& error)
{
    try {
        NC_memio memory{};
        {
            const std::lock_guard<std::mutex> lock(NetCdfLock());
            TNetCdfWriter nc{-1, fileName};
            CheckNetCdf(nc_create_mem("veltra-export.nc", NC_NETCDF4, 1 << 16, &nc.Id), fileName);
            try {
                write(nc);
            } catch (...) {
                nc_abort(nc.Id);
                throw;
            }
            CheckNetCdf(nc_close_memio(nc.Id, &memory), fileName);
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
