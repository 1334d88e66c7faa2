#pragma once
// The writers the export module offers, as export/ExportModule.h describes them.
#include "export/ExportModule.h"

namespace veltra {

bool NetCdfBytes(const TSampleList& samples, const TExportMetadata& metadata,
                 const TFootprintColumns& columns, const std::string& fileName,
                 std::vector<std::uint8_t>& bytes, std::string& error);
bool SwathBytes(const TSwath& swath, const std::string& fileName, std::vector<std::uint8_t>& bytes,
                std::string& error);
bool GeoTiffBytes(const TGeoTiffRaster& raster, const TGeoReference& reference,
                  const std::string& fileName, std::vector<std::uint8_t>& bytes,
                  std::string& error);

bool GridNetCdfBytes(const TGridProduct& grid, const std::string& fileName,
                     std::vector<std::uint8_t>& bytes, std::string& error);
bool ReadGridNetCdf(const std::uint8_t* bytes, std::size_t size, TGridProduct& grid,
                    std::string& reason);

} // namespace veltra
