#pragma once
// The projection kinds, one row each: the code the settings store and TMapping::Projection
// hold, the name the command line takes, the text of the viewer's menu, the coordinate
// reference system of a GeoTIFF and the extent of the graticule. The viewer's menus, the
// renderer's options and --help, the GeoTIFF export and the graticule all read this table; a
// kind's set-up and its forward and inverse transforms are side by side in
// zorMappingTransforms.cpp.
#include <cstdint>
#include <span>
#include <string>

namespace veltra {

// Projection kinds, stored as a byte in TMapping::Projection; codes above 14 behave as none.
enum TProjectionKind : std::uint8_t {
    pkNone = 0,
    pkPlateCarree = 1,        // whole world, equirectangular, centre longitude ignored
    pkPlateCarreeZoomed = 2,  // equirectangular, the region stretched over the bitmap
    pkAzimuthalFixed = 3,     // azimuthal equidistant, fixed scale, 12000 km reach
    pkAzimuthal = 4,          // azimuthal equidistant fitted to the latitude span
    pkMercator = 5,           // Mercator, 360 degrees wide, equator at mid-height
    pkMercatorZoomed = 6,     // Mercator over the region, clipped to the bitmap
    pkOrthographic = 7,       // orthographic fitted to the latitude span, 6300 km reach
    pkCassini = 8,            // Cassini about the centre, +-60 degrees, no inverse
    pkPolarStereographic = 9, // about the pole of the centre's hemisphere
    pkLambertConformal = 10,  // conformal conic on the ellipsoid, 10000 km reach
    pkGnomonic = 11,          // fitted to the latitude span, 12000 km reach
    pkVanDerGrinten = 12,     // whole world
    pkAzimuthalWorld = 13,    // azimuthal equidistant of the whole globe
    pkPlateCarreeNorth = 14,  // as kind 2, gridlines over the northern hemisphere only
};

// The meridians and parallels the graticule draws, before its steps.
enum class TGraticuleExtent {
    None,          // no graticule (kind 0)
    World,         // meridians -179 to 179, parallels -89 to 89
    Globe,         // as World, meridians from -180 (the kinds that show a round globe)
    CentredWorld,  // meridians within 179 degrees of the centre longitude
    Region,        // the region shown, a degree beyond each edge, wrapped at the date line
    NorthernWorld, // meridians -179 to 179, parallels 0 to 89
};

struct TProjectionKindInfo {
    TProjectionKind Code;
    // Its name on the command line ("plate-carree"); nullptr when it has none (the kinds the
    // viewer's menu does not offer are chosen by their code).
    const char* Name;
    // The viewer's menu text ("Plate &Caree"); nullptr when the menu does not offer it.
    const char* MenuText;
    // PROJ's name of the kind's coordinate reference system ("eqc"); nullptr when a GeoTIFF
    // cannot be georeferenced in it.
    const char* Crs;
    TGraticuleExtent Graticule;
    // Whether the cursor read-out can turn a pixel back into a position.
    bool Locates;
};

// Every kind, those of the viewer's menu first, in the menu's order, then the others by code.
std::span<const TProjectionKindInfo> ProjectionKinds();
// The row of a code; the row of pkNone for kind 0 and for codes above 14.
const TProjectionKindInfo& ProjectionKindOf(int code);

} // namespace veltra
