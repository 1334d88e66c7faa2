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

// Whether a point of the CRS (metres) lies within the kind's domain: on the globe for the
// orthographic and azimuthal equidistant kinds, between the poles for plate carree.
bool InDomain(const TMapping& m, double x, double y)
{
    switch (m.Projection) {
    case pkPlateCarree:
    case pkPlateCarreeZoomed:
    case pkPlateCarreeNorth: return std::fabs(y) <= 90 * MetresPerDegree;
    case pkOrthographic: return x * x + y * y < SphereRadius * SphereRadius;
    case pkAzimuthalFixed:
    case pkAzimuthal: return std::hypot(x, y) < std::numbers::pi * SphereRadius;
    default: return true;
    }
}

// Leaves out rows and columns at the edges until the four corners lie within the domain: at a
// corner outside it, the row when it lies further out in y than in x (always, for the plate
// carree kinds, whose domain ends at the poles), else the column.
void KeepWithinDomain(const TMapping& m, TGeoReference& r)
{
    const auto& t = r.Transform;
    const bool rowsOnly = m.Projection == pkPlateCarree || m.Projection == pkPlateCarreeZoomed ||
                          m.Projection == pkPlateCarreeNorth;
    int left = 0, top = 0, right = m.Width, bottom = m.Height; // pixel edges
    auto x = [&](int column) { return t[0] + column * t[1]; };
    auto y = [&](int row) { return t[3] + row * t[5]; };
    bool outside = true;
    while (outside && left < right && top < bottom) {
        outside = false;
        for (const bool east : {false, true})
            for (const bool south : {false, true}) {
                const double cx = x(east ? right : left), cy = y(south ? bottom : top);
                if (left >= right || top >= bottom || InDomain(m, cx, cy))
                    continue;
                outside = true;
                if (rowsOnly || std::fabs(cy * t[1]) >= std::fabs(cx * t[5]))
                    (south ? --bottom : ++top);
                else
                    (east ? --right : ++left);
            }
    }
    if (left >= right || top >= bottom)
        throw ENoGeoReference("No part of this view of the map lies within its projection");
    r.Transform[0] = x(left);
    r.Transform[3] = y(top);
    r.Left = left, r.Top = top, r.Width = right - left, r.Height = bottom - top;
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
    KeepWithinDomain(m, r);
    return r;
}

namespace {

std::vector<std::uint8_t> RasterBytes(TGeoTiffRaster& raster, const TGeoReference& reference,
                                      const std::string& fileName, const std::string& moduleFolder)
{
    const TExportModule& module = ExportModuleIn(moduleFolder);
    std::vector<std::uint8_t> bytes;
    std::string error;
    if (!module.GeoTiffBytes(raster, reference, fileName, bytes, error))
        throw EWriteError(error);
    return bytes;
}

// The part of a per-pixel list the reference holds, row by row.
template <typename TValue>
std::vector<TValue> Cropped(const std::vector<TValue>& all, int width, const TGeoReference& r)
{
    std::vector<TValue> part;
    part.reserve(static_cast<std::size_t>(r.Width) * static_cast<std::size_t>(r.Height));
    for (int row = r.Top; row < r.Top + r.Height; ++row) {
        const auto first = all.begin() + static_cast<std::ptrdiff_t>(row) * width + r.Left;
        part.insert(part.end(), first, first + r.Width);
    }
    return part;
}

void CheckSize(const TMapping& mapping, std::size_t pixels, const std::string& fileName)
{
    if (pixels !=
        static_cast<std::size_t>(mapping.Width) * static_cast<std::size_t>(mapping.Height))
        throw EWriteError("Cannot write \"" + fileName + "\": the picture is not the map's size");
}

} // namespace

std::vector<std::uint8_t> GeoTiffFileBytes(const TRgbImage& image,
                                           const std::vector<std::uint8_t>& opaque,
                                           const TMapping& mapping, const std::string& fileName,
                                           const std::string& moduleFolder)
{
    const TGeoReference reference = GeoReferenceOf(mapping);
    if (image.Width != mapping.Width || image.Height != mapping.Height || image.Bits == nullptr)
        throw EWriteError("Cannot write \"" + fileName + "\": the picture is not the map's size");
    const std::size_t pixels = static_cast<std::size_t>(image.Width) * image.Height;
    if (!opaque.empty())
        CheckSize(mapping, opaque.size(), fileName);
    const std::vector<std::uint8_t> alpha = Cropped(
        opaque.empty() ? std::vector<std::uint8_t>(pixels, 255) : opaque, image.Width, reference);
    TGeoTiffRaster raster;
    raster.Width = reference.Width;
    raster.Height = reference.Height;
    raster.Rgb = image.Bits + reference.Top * image.BytesPerLine + 3 * reference.Left;
    raster.RgbBytesPerLine = image.BytesPerLine;
    raster.Alpha = alpha.data();
    return RasterBytes(raster, reference, fileName, moduleFolder);
}

void SaveGeoTiff(const TRgbImage& image, const std::vector<std::uint8_t>& opaque,
                 const TMapping& mapping, const std::string& fileName,
                 const std::string& moduleFolder)
{
    WriteOutput(fileName, GeoTiffFileBytes(image, opaque, mapping, fileName, moduleFolder),
                TOutputNeeds::RegularFile);
}

std::vector<std::uint8_t> ValueGeoTiffFileBytes(const std::vector<float>& values,
                                                const TMapping& mapping, const TValueBand& band,
                                                const std::string& fileName,
                                                const std::string& moduleFolder)
{
    const TGeoReference reference = GeoReferenceOf(mapping);
    CheckSize(mapping, values.size(), fileName);
    const std::vector<float> part = Cropped(values, mapping.Width, reference);
    TGeoTiffRaster raster;
    raster.Width = reference.Width;
    raster.Height = reference.Height;
    raster.Values = part.data();
    raster.Unit = band.Unit;
    raster.Description = band.Description;
    raster.Metadata = band.Metadata;
    return RasterBytes(raster, reference, fileName, moduleFolder);
}

} // namespace veltra
