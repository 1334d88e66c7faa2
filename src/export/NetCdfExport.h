#pragma once
// The footprints as a NetCDF-4 file following the CF conventions (1.8): one dimension over
// the footprints in drawing order, the positions as lat/lon, the channel's brightness
// temperature (or, for the visible HIRS channel, its albedo) with lat/lon as coordinates, and
// the scan line, footprint and input file of each footprint so the swath can be rebuilt.
// The values are the brightness-temperature export's, float for float.
#include <cstdint>
#include <string>
#include <vector>

#include "formats/Samples.h"

namespace veltra {

// The global attributes: what was read, by which instrument, and from where.
struct TExportMetadata {
    std::string Title;
    std::string Institution; // the processing centre named by the file headers
    std::string Source;      // the data set the footprints were decoded from
    std::string History;     // the program and its version
    std::string Platform;    // the satellite
    std::string Instrument;  // HIRS, AMSU-A, AMSU-B
    int Channel = 0;
    double CentralWavenumber = 0; // cm^-1; 0 when unknown
    double CentralFrequency = 0;  // GHz, microwave channels; 0 for the infrared ones
    bool Albedo = false;          // the visible channel: the values are albedo, percent
    // Written instead of the samples' temperatures when not empty, one per sample: the
    // visible channel's albedo, which the 12-byte sample record holds as 0.
    std::vector<float> Values;
    // The `file` variable indexes this list; written one a line, so a name must hold no line
    // feed (the caller escapes them).
    std::vector<std::string> InputFiles;
};

// The NetCDF file of the first SampleCount() samples, made in memory by the NetCDF writer of
// the export module in `moduleFolder`; fileName only names it in messages. Raises EWriteError
// (ENoExportModule without the module).
std::vector<std::uint8_t> NetCdfFileBytes(const TSampleList& samples,
                                          const TExportMetadata& metadata,
                                          const std::string& fileName,
                                          const std::string& moduleFolder);

// Writes those bytes in one step to a regular file, replaced atomically (WriteOutput,
// TOutputNeeds::RegularFile), so a failure never leaves half a file. Raises EWriteError when
// it cannot be written (ENoExportModule without the module), leaving an existing file of that
// name as it was.
void SaveNetCdf(const TSampleList& samples, const TExportMetadata& metadata,
                const std::string& fileName, const std::string& moduleFolder);

} // namespace veltra
