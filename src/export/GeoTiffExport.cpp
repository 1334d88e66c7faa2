#include "export/GeoTiffExport.h"

#include <cmath>
#include <numbers>
#include <vector>

#include "base/AtomicFile.h"
#include "base/Format.h"
#include "export/ExportModule.h"
#include "mapping/zorMapping.h"

namespace veltra {

namespace {

// The sphere of the projection object's great-circle distances, metres.
constexpr double SphereRadius = 6378135.0;
constexpr double MetresPerDegree = SphereRadius * std::numbers::pi / 180.0;

// The CRS of the mapping's kind (its PROJ name from the table of kinds) about a centre.
std::string ProjDefinition(const TMapping& m, double centreLatitude, double centreLongitude)
{
    return Format("+proj=%s +lat_0=%.9g +lon_0=%.9g +x_0=0 +y_0=0 +R=6378135 +units=m +no_defs",
                  ProjectionKindOf(m.Projection).Crs, centreLatitude, centreLongitude);
}

// Map coordinates in units of the bitmap width, (0, 0) at the centre, scaled to metres by
// `metresPerUnit`: pixel px = (x + 0.5) W, py = halfH - y W.
std::array<double, 6> WidthUnits(const TMapping& m, double metresPerUnit)
{
    const double step = metresPerUnit / m.Width;
    return {-(0.5 * m.Width + 0.5) * step, step, 0, (m.HalfHeight + 0.5) * step, 0, -step};
}

// Longitude across the region: px = W (dLon + span/2) / span.
void RegionColumns(const TMapping& m, std::array<double, 6>& t)
{
    const double span = m.LongitudeSpan;
    t[1] = MetresPerDegree * span / m.Width;
    t[0] = -MetresPerDegree * span / 2.0 - 0.5 * t[1];
}

} // namespace

TGeoReference GeoReferenceOf(const TMapping& m)
{
    if (m.Width <= 0 || m.Height <= 0)
        throw ENoGeoReference("The map has no size to georeference");
    const double w = m.Width, h = m.Height, k = MetresPerDegree;
    TGeoReference r;
    auto& t = r.Transform;
    switch (m.Projection) {
    case pkPlateCarree:
        // px = W (lon + 180) / 360, py = (1 - (lat + 90) / 180) H; the centre is ignored.
        r.Proj = ProjDefinition(m, 0, 0);
        t = {-180 * k - 0.5 * 360 * k / w, 360 * k / w, 0,
             90 * k + 0.5 * 180 * k / h,   0,           -180 * k / h};
        break;
    case pkPlateCarreeZoomed:
    case pkPlateCarreeNorth: {
        // py = (1 - (lat - latMin) / latSpan) H.
        r.Proj = ProjDefinition(m, 0, m.CentreLongitude);
        RegionColumns(m, t);
        const double latMax = static_cast<double>(m.LatitudeMin) + m.LatitudeSpan;
        t[5] = -k * m.LatitudeSpan / h;
        t[3] = k * latMax - 0.5 * t[5];
        break;
    }
    case pkMercator:
        // px = W (dLon + 180) / 360, py = halfH - W m / 360, m the ordinate in degrees.
        r.Proj = ProjDefinition(m, 0, m.CentreLongitude);
        t = {-180 * k - 0.5 * 360 * k / w,       360 * k / w, 0,
             (m.HalfHeight + 0.5) * 360 * k / w, 0,           -360 * k / w};
        break;
    case pkMercatorZoomed: {
        // The ordinate is linear in the row: m = offset + slope latSpan (1 - py / H).
        r.Proj = ProjDefinition(m, 0, m.CentreLongitude);
        RegionColumns(m, t);
        const double rise = static_cast<double>(m.MercatorSlope) * m.LatitudeSpan;
        t[5] = -k * rise / h;
        t[3] = k * (static_cast<double>(m.MercatorOffset) + rise) - 0.5 * t[5];
        break;
    }
    case pkOrthographic:
    case pkAzimuthalFixed:
    case pkAzimuthal:
    case pkGnomonic: {
        // The unit sphere's map scaled by Scale: a width unit is R / Scale metres.
        r.Proj = ProjDefinition(m, m.CentreLatitude, m.CentreLongitude);
        t = WidthUnits(m, SphereRadius / m.Scale);
        break;
    }
    case pkPolarStereographic: {
        // rho = Scale tan(pi/4 -+ phi/2) height units, PROJ's is 2 R tan(...): px = H x + W/2,
        // py = halfH - H y, with y shifted by the pole's offset from the centre.
        r.Proj = ProjDefinition(m, m.SouthernHemisphere ? -90 : 90, m.CentreLongitude) + " +k=1";
        const double step = 2 * SphereRadius / (static_cast<double>(m.Scale) * h);
        const double pole = (m.SouthernHemisphere ? 1 : -1) * h * m.PolarOffset;
        t = {-(w / 2 + 0.5) * step, step, 0, (m.HalfHeight + 0.5 + pole) * step, 0, -step};
        break;
    }
    default:
        throw ENoGeoReference(
            "This map projection has no coordinate reference system for a GeoTIFF; choose "
            "Plate Caree, Mercator, Orthographic or Polar Stereographic");
    }
    for (const double value : t)
        if (!std::isfinite(value))
            throw ENoGeoReference("This view of the map cannot be georeferenced");
    return r;
}

std::vector<std::uint8_t> GeoTiffFileBytes(const TRgbImage& image, const TMapping& mapping,
                                           const std::string& fileName,
                                           const std::string& moduleFolder)
{
    const TGeoReference reference = GeoReferenceOf(mapping);
    if (image.Width != mapping.Width || image.Height != mapping.Height || image.Bits == nullptr)
        throw EWriteError("Cannot write \"" + fileName + "\": the picture is not the map's size");
    const TExportModule& module = ExportModuleIn(moduleFolder);
    std::vector<std::uint8_t> bytes;
    std::string error;
    if (!module.GeoTiffBytes(image, reference, fileName, bytes, error))
        throw EWriteError(error);
    return bytes;
}

void SaveGeoTiff(const TRgbImage& image, const TMapping& mapping, const std::string& fileName,
                 const std::string& moduleFolder)
{
    WriteOutput(fileName, GeoTiffFileBytes(image, mapping, fileName, moduleFolder),
                TOutputNeeds::RegularFile);
}

} // namespace veltra
