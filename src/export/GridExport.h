#pragma once
// The composite's grid as a NetCDF-4 file following the CF conventions (1.8), and such a file
// read back to be merged with more passes or grids. Dimensions lat and lon (the cell centres);
// brightness_temperature(lat, lon) by the rule (NaN, the _FillValue, where empty), count
// (footprints in the cell), time of the chosen footprint (the mean time for the mean), and what
// a merge needs beyond them: the chosen footprint's absolute scan angle (the choosing rules),
// the sums of the values and times (the mean). Global attributes: the footprint export's, with
// composite_rule, grid_step and input_files.
#include <cstdint>
#include <string>
#include <vector>

#include "base/Stream.h"
#include "export/NetCdfExport.h"

namespace veltra {

class TGridComposite;

// The grid as arrays, row by row from the south, as the file holds them; what crosses into the
// export module.
struct TGridProduct {
    std::string Rule;
    double Step = 0;
    int Rows = 0, Columns = 0;
    std::vector<float> Value;          // K, NaN where empty
    std::vector<std::int32_t> Count;   // footprints
    std::vector<double> Time;          // seconds since 1970, NaN where empty
    std::vector<float> Angle;          // degrees, NaN where empty; the choosing rules
    std::vector<double> Sum;           // K; the mean
    std::vector<std::int64_t> TimeSum; // ms since 1970, added up; the mean
    TExportMetadata Metadata;          // Values unused
};

TGridProduct GridProductOf(const TGridComposite& grid, const TExportMetadata& metadata);
// Adds a grid read back to a grid of the same rule and step; false, with the reason, when it is
// of another rule or step or its arrays do not fit.
bool AddGridProduct(TGridComposite& grid, const TGridProduct& product, std::string& reason);

// The grid's NetCDF file, made in memory by the NetCDF writer of the export module in
// `moduleFolder`; fileName only names it in messages. Raises EWriteError (ENoExportModule
// without the module).
std::vector<std::uint8_t> GridNetCdfFileBytes(const TGridComposite& grid,
                                              const TExportMetadata& metadata,
                                              const std::string& fileName,
                                              const std::string& moduleFolder);
// Reads a grid file whole (at most MaxGridFileBytes; a day at 0.25 degrees is a few
// megabytes) with the export module; false, with the reason, when it is not a grid this
// program wrote. Raises ENoExportModule without the module, EReadError when it cannot be read.
inline constexpr std::int64_t MaxGridFileBytes = std::int64_t{1} << 30;
bool ReadGridFile(TStream& stream, TGridProduct& product, std::string& reason,
                  const std::string& moduleFolder);
// Reads a grid file's bytes with the export module; false, with the reason, when they are not
// a grid this program wrote. Raises ENoExportModule without the module.
bool ReadGridNetCdf(const std::vector<std::uint8_t>& bytes, TGridProduct& product,
                    std::string& reason, const std::string& moduleFolder);

} // namespace veltra
