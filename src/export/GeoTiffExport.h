#pragma once
// The map picture as a georeferenced GeoTIFF: the bitmap's RGB pixels with the coordinate
// reference system and the affine geotransform that put every pixel where the projection
// object draws it. The CRS uses the projection object's own sphere (radius 6378.135 km) and
// centre; the geotransform follows its pixel formulas: a map unit of the bitmap width (of the
// height for polar stereographic) around the centre, and for the zoomed Mercator a pixel row
// linear in the Mercator ordinate between the region's limits. Pixel X covers the map
// coordinates that round to X, so GDAL's pixel edge lies half a pixel before it.
//
// A GeoTIFF's corners must lie within its projection's domain, or GIS software cannot place
// them: the rows of a plate carree map beyond a pole, and the corners of an orthographic (or
// azimuthal equidistant) map off the globe, are left out, whole rows and columns from the
// edges, as few as give corners within the domain.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
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
    std::array<double, 6> Transform{}; // GDAL geotransform of the part held: pixel edge to metres
    // The part of the map the GeoTIFF holds: columns Left to Left + Width - 1, rows Top to
    // Top + Height - 1.
    int Left = 0, Top = 0, Width = 0, Height = 0;
};

// Raises ENoGeoReference for the kinds other than plate carree (whole world, zoomed, northern
// gridlines), Mercator (whole world and zoomed), orthographic, polar stereographic, the two
// fitted azimuthal equidistant kinds and gnomonic, for a map of zero size and for a view with
// no part within the domain.
TGeoReference GeoReferenceOf(const TMapping& mapping);

// The GeoTIFF file of the picture with the mapping's reference (the picture must have the
// mapping's size) and an alpha band, opaque where `opaque` (a byte per pixel of the picture, row
// by row) is not 0, everywhere when it is empty; made by the GeoTIFF writer of the export module
// in `moduleFolder`; fileName only names it in messages. Raises ENoGeoReference,
// ENoExportModule or EWriteError.
std::vector<std::uint8_t> GeoTiffFileBytes(const TRgbImage& image,
                                           const std::vector<std::uint8_t>& opaque,
                                           const TMapping& mapping, const std::string& fileName,
                                           const std::string& moduleFolder);

// Writes those bytes to a regular file, replaced atomically (WriteOutput, TOutputNeeds::
// RegularFile). Raises ENoGeoReference (nothing is written), ENoExportModule or EWriteError.
void SaveGeoTiff(const TRgbImage& image, const std::vector<std::uint8_t>& opaque,
                 const TMapping& mapping, const std::string& fileName,
                 const std::string& moduleFolder);

// What a band of values is: its unit ("K"), description, and the file's metadata items.
struct TValueBand {
    std::string Unit, Description;
    std::vector<std::pair<std::string, std::string>> Metadata;
};

// The same with one Float32 band instead: a value per pixel of the map, row by row (NaN:
// nothing drawn there, nodata).
std::vector<std::uint8_t> ValueGeoTiffFileBytes(const std::vector<float>& values,
                                                const TMapping& mapping, const TValueBand& band,
                                                const std::string& fileName,
                                                const std::string& moduleFolder);

} // namespace veltra
