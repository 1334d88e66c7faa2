#pragma once
// The NetCDF and GeoTIFF writers live in a module of their own (veltra-exports.so beside the
// program), loaded the first time one of those exports is asked for: NetCDF and GDAL bring
// about a hundred shared libraries, which a program that only draws pictures would otherwise
// load and relocate at every start. The module makes the whole file in memory; the caller
// writes it. No exception crosses between the program and the module.
#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "base/Errors.h"

namespace veltra {

class TSampleList;
struct TGridProduct;
struct TExportMetadata;
struct TFootprintColumns;
struct TSwath;
struct TGeoReference;

// What a GeoTIFF holds, Width x Height pixels row by row: the picture's 8-bit RGB with an
// alpha byte per pixel (0 transparent), or one Float32 band of values (NaN: nodata) with its
// unit, description and metadata items.
struct TGeoTiffRaster {
    int Width = 0, Height = 0;
    const std::uint8_t* Rgb = nullptr;
    std::ptrdiff_t RgbBytesPerLine = 0;
    const std::uint8_t* Alpha = nullptr; // Width bytes a row
    const float* Values = nullptr;       // Width values a row; instead of Rgb and Alpha
    std::string Unit, Description;
    std::vector<std::pair<std::string, std::string>> Metadata;
};

inline constexpr const char* ExportModuleFileName = "veltra-exports.so";
inline constexpr const char* ExportModuleEntry = "VeltraExportModule";
// Raised whenever the interface below changes, so a stale module is refused instead of used.
inline constexpr int ExportModuleVersion = 4;

struct TExportModule {
    int Version;
    // Each fills `bytes` with the file and returns true, or returns false with the message in
    // `error` ("Cannot write \"<fileName>\": <reason>").
    bool (*NetCdfBytes)(const TSampleList& samples, const TExportMetadata& metadata,
                        const TFootprintColumns& columns, const std::string& fileName,
                        std::vector<std::uint8_t>& bytes, std::string& error);
    bool (*GeoTiffBytes)(const TGeoTiffRaster& raster, const TGeoReference& reference,
                         const std::string& fileName, std::vector<std::uint8_t>& bytes,
                         std::string& error);
    // Every channel of a pass as a CF swath (SwathExport.h).
    bool (*SwathBytes)(const TSwath& swath, const std::string& fileName,
                       std::vector<std::uint8_t>& bytes, std::string& error);
    // The composite's grid (GridExport.h), and such a file's bytes read back: false, with the
    // reason, when they are not a grid this program wrote.
    bool (*GridNetCdfBytes)(const TGridProduct& grid, const std::string& fileName,
                            std::vector<std::uint8_t>& bytes, std::string& error);
    bool (*ReadGridNetCdf)(const std::uint8_t* bytes, std::size_t size, TGridProduct& grid,
                           std::string& reason);
};

// The module cannot be loaded: the export is not written, and the message says why.
class ENoExportModule : public EWriteError {
public:
    using EWriteError::EWriteError;
};

// The module in `folder` (with or without a trailing separator), loaded once per process and
// kept. Raises ENoExportModule naming the module and the reason when it is missing, cannot be
// loaded or is of another version; a later call tries again.
const TExportModule& ExportModuleIn(const std::string& folder);

} // namespace veltra

// The module's one exported symbol.
extern "C" const veltra::TExportModule* VeltraExportModule();
