#pragma once
// What the module's NetCDF writers share: a file made in memory by the NetCDF C library, its
// failures as EWriteError naming the file, the definitions and attributes they write, and the
// global attributes of every export.
#include <netcdf.h>

#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "export/NetCdfExport.h"

namespace veltra {

void CheckNetCdf(int status, const std::string& fileName);

// The NetCDF C library keeps process-wide tables without locks: whatever calls it holds this,
// one call sequence at a time.
std::mutex& NetCdfLock();

struct TNetCdfWriter {
    int Id = -1;
    std::string FileName;

    void Text(int variable, const char* name, const std::string& value) const;
    void Double(int variable, const char* name, double value) const;
    void Int(int variable, const char* name, int value) const;
    // _FillValue: not a number, where a value is not known.
    void FloatFill(int variable) const;
    // A time of each line or sample (TimeUnits), with NoTime as its _FillValue when any is
    // missing: without one, readers keep the integers exact.
    int TimeVariable(const char* longName, int dimension,
                     const std::vector<std::int64_t>& times) const;
    int Dimension(const char* name, std::size_t length) const;
    int Variable(const char* name, nc_type type, std::vector<int> dimensions) const;
    // A variable with its standard_name (none when null), long_name and units, in that order.
    int Described(const char* name, nc_type type, std::vector<int> dimensions,
                  const char* standardName, const char* longName, const char* units) const;
    // A whole variable from its values in the order of its dimensions.
    void Put(int variable, const std::vector<float>& values) const;
    void Put(int variable, const std::vector<double>& values) const;
    void Put(int variable, const std::vector<std::int64_t>& values) const;
    void Put(int variable, const std::vector<int>& values) const;
    void Put(int variable, const std::vector<std::uint32_t>& values) const;
    // The quality indicator's CF flag attributes (flag_masks, flag_meanings).
    void QualityFlagAttributes(int variable, const TExportMetadata& m) const;
};

// The global attributes every export begins with: conventions, title, institution, source,
// history, platform and instrument; and the one it ends with, the input files one a line.
void DefineGlobals(const TNetCdfWriter& nc, const TExportMetadata& m);
void DefineInputFiles(const TNetCdfWriter& nc, const TExportMetadata& m);

// A NetCDF-4 file made in memory by `write` (which defines and fills it), as bytes; false with
// the message in `error` when it fails.
bool NetCdfMemoryBytes(const std::string& fileName,
                       const std::function<void(TNetCdfWriter&)>& write,
                       std::vector<std::uint8_t>& bytes, std::string& error);

} // namespace veltra
