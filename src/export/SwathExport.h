#pragma once
// Every channel of a pass as one NetCDF-4 file following the CF conventions (1.8), as a swath:
// dimensions scan_line, footprint and channel; the brightness temperatures of all channels
// (the visible HIRS channel as an albedo of its own), latitude and longitude of every footprint,
// the time of every scan line, the viewing and solar angles and the quality indicator where the
// records hold them, and the channels' central wavenumbers with their frequencies (microwave)
// or wavelengths (infrared). Only the scan lines the decoders accepted are rows: a line they
// reject (a HIRS calibration view, one masking hides in every channel) is absent, not zero.
#include <cstdint>
#include <string>
#include <vector>

#include "export/NetCdfExport.h"

namespace veltra {

struct TSwathChannel {
    int Number = 0;
    double Wavenumber = 0; // central wavenumber, cm^-1
    double Frequency = 0;  // GHz, microwave channels; 0 for the infrared ones
    double Wavelength = 0; // micrometres, infrared channels; 0 for the microwave ones
};

// The arrays are row-major in the order of their dimensions: [line][footprint][channel],
// [line][footprint] or [line]. Not a number stands for a value the pass does not have.
struct TSwath {
    TExportMetadata Metadata; // the global attributes and the quality flags' description
    std::int32_t Lines = 0, Footprints = 0;
    std::vector<TSwathChannel> Channels;      // of BrightnessTemperature, by channel number
    std::vector<float> BrightnessTemperature; // kelvin
    // The visible HIRS channel's albedo in percent; empty when the sensor has none.
    std::vector<float> Albedo;
    TSwathChannel AlbedoChannel;
    std::vector<float> Latitude, Longitude; // degrees
    // Empty when no line of the pass has the value.
    std::vector<std::int64_t> Time; // [line], TimeUnits; NoTime where the line has none
    std::vector<float> SatelliteZenith, SolarZenith, RelativeAzimuth; // degrees
    std::vector<std::uint32_t> QualityFlags; // [line]; empty unless every line has one
    // Each line's record (from 0) and file (index in Metadata.InputFiles).
    std::vector<std::int32_t> Record, File;
};

// The NetCDF file of the swath, made in memory by the writer of the export module in
// `moduleFolder`; fileName only names it in messages. Raises EWriteError (ENoExportModule without
// the module).
std::vector<std::uint8_t> SwathFileBytes(const TSwath& swath, const std::string& fileName,
                                         const std::string& moduleFolder);
// Writes those bytes in one step to a regular file, replaced atomically (WriteOutput,
// TOutputNeeds::RegularFile), so a failure never leaves half a file. Raises EWriteError when it
// cannot be written, leaving an existing file of that name as it was.
void SaveSwathNetCdf(const TSwath& swath, const std::string& fileName,
                     const std::string& moduleFolder);

} // namespace veltra
