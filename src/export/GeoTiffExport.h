#pragma once
// The map picture as a georeferenced GeoTIFF: the bitmap's RGB pixels with the coordinate
// reference system and the affine geotransform that put every pixel where the projection
// object draws it. The CRS uses the projection object's own sphere (radius 6378.135 km) and
// centre; the geotransform follows its pixel formulas: a map unit of the bitmap width (of the
// height for polar stereographic) around the centre, and for the zoomed Mercator a pixel row
// linear in the Mercator ordinate between the region's limits. Pixel X covers the map
// coordinates that round to X, so GDAL's pixel edge lies half a pixel before it.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "base/Canvas.h"
#include "base/Errors.h"

namespace veltra {

class TMapping;

// A projection kind with no coordinate reference system to match it.
class ENoGeoReference : public EWriteError {
public:
    using EWriteError::EWriteError;
};

struct TGeoReference {
    std::string Proj;                  // PROJ definition of the CRS
    std::array<double, 6> Transform{}; // GDAL geotransform: pixel edge to CRS metres
};

// Raises ENoGeoReference for the kinds other than plate carree (whole world, zoomed, northern
// gridlines), Mercator (whole world and zoomed), orthographic, polar stereographic, the two
// fitted azimuthal equidistant kinds and gnomonic, and for a map of zero size.
TGeoReference GeoReferenceOf(const TMapping& mapping);

// The GeoTIFF file of the picture with the mapping's reference (the picture must have the
// mapping's size), made by the GeoTIFF writer of the export module in `moduleFolder`; fileName
// only names it in messages. Raises ENoGeoReference, ENoExportModule or EWriteError.
std::vector<std::uint8_t> GeoTiffFileBytes(const TRgbImage& image, const TMapping& mapping,
                                           const std::string& fileName,
                                           const std::string& moduleFolder);

// Writes those bytes to a regular file, replaced atomically (WriteOutput, TOutputNeeds::
// RegularFile). Raises ENoGeoReference (nothing is written), ENoExportModule or EWriteError.
void SaveGeoTiff(const TRgbImage& image, const TMapping& mapping, const std::string& fileName,
                 const std::string& moduleFolder);

} // namespace veltra
