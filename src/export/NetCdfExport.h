#pragma once
// The footprints as a NetCDF-4 file following the CF conventions (1.8): one dimension over
// the footprints in drawing order, the positions as lat/lon, the channel's brightness
// temperature (or, for the visible HIRS channel, its albedo) with lat/lon as coordinates, and
// the scan line, footprint and input file of each footprint so the swath can be rebuilt; and
// what the scan lines' records tell of each footprint: its time, its satellite and solar zenith
// angles and its line's quality indicator, each where the records hold it (otherwise the
// variable is left out). The values are the brightness-temperature export's, float for float.
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
    // The values are Channel's brightness temperature less this channel's (0: Channel's own).
    int DifferenceChannel = 0;
    // Written instead of the samples' temperatures when not empty, one per sample: the
    // visible channel's albedo, which the 12-byte sample record holds as 0.
    std::vector<float> Values;
    // The `file` variable indexes this list; written one a line, so a name must hold no line
    // feed (the caller escapes them).
    std::vector<std::string> InputFiles;
    // The quality indicator's bits with an agreed meaning for the instrument, as CF flags: one
    // mask per bit and the meanings, one word each (blanks as underscores), in the same order.
    std::vector<std::uint32_t> FlagMasks;
    std::string FlagMeanings;
};

// CF units of the times: UTC milliseconds since the Unix epoch, as 64-bit integers (which
// readers turn into times exactly, where a floating-point count would round). NoTime stands for
// a time not known: the NetCDF library's own fill value of 64-bit integers, made the variable's
// _FillValue when any is missing.
inline constexpr const char* TimeUnits = "milliseconds since 1970-01-01 00:00:00";
inline constexpr std::int64_t NoTime = -9223372036854775806LL;

// What the scan lines' records tell of each sample, one entry per sample; a column is empty
// when the records hold it for no sample (and then it is not written).
struct TFootprintColumns {
    std::vector<std::int64_t> Time;                  // TimeUnits; NoTime where the line has none
    std::vector<float> SatelliteZenith, SolarZenith; // degrees; not a number where unknown
    // The quality indicator; empty unless every sample's line has one.
    std::vector<std::uint32_t> QualityFlags;
};
TFootprintColumns FootprintColumnsOf(const TSampleList& samples);

// The instrument of the pass's scan lines (Unknown when none was kept).
TLineInstrument LineInstrumentOf(const TSampleList& samples);
// Sets FlagMasks and FlagMeanings for the quality indicator of the instrument's lines.
void DescribeQualityFlags(TExportMetadata& metadata, TLineInstrument instrument);

// The NetCDF file of the first SampleCount() samples, made in memory by the NetCDF writer of
// the export module in `moduleFolder`, with the columns of FootprintColumnsOf and the quality
// flags described for the instrument of the samples' lines; fileName only names it in
// messages. Raises EWriteError (ENoExportModule without the module).
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
