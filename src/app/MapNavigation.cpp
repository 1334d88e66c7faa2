#include "app/MapNavigation.h"

#include <algorithm>
#include <cmath>

#include "formats/Samples.h"
#include "mapping/zorMapping.h"

namespace veltra {

namespace {

constexpr double DegToRad = 3.14159265358979323846 / 180;
// A point placed within this distance of its pixel is where it belongs.
constexpr double PlaceTolerance = 0.02;
constexpr int PlaceIterations = 25;
// Footprints looked at per test of a fitted view: enough to find the edges of a pass.
constexpr int FitProbes = 6000;

double Wrap(double longitude)
{
    longitude = std::fmod(longitude + 180.0, 360.0);
    return (longitude < 0 ? longitude + 360.0 : longitude) - 180.0;
}

} // namespace

struct TMapNavigation::TPan {
    TMapping Start;
    int X = 0, Y = 0;
    bool Located = false;
    float Latitude = 0, Longitude = 0;
};

TMapNavigation::TMapNavigation(TMapping& mapping) : mapping_(mapping) {}

TMapNavigation::~TMapNavigation() = default;

void TMapNavigation::Remember()
{
    if (home_)
        return;
    home_ = std::make_unique<TMapping>();
    home_->Assign(mapping_);
    TMapping& m = mapping_;
    if (m.Width <= 0 || m.Height <= 0)
        return;
    if (m.Projection == pkMercator) {
        // The world Mercator draws 360 degrees over the width with the equator at mid-height:
        // the zoomed kind shows the same between the latitudes at the top and bottom edges.
        const double top = MercatorLatitude(180.0 * m.Height / m.Width);
        m.SetProjection(pkMercatorZoomed);
        m.SetLongitudeSpan(360);
        m.SetLatitudeSpan(static_cast<float>(2 * top));
        m.SetCentreLatitude(0);
    } else if (m.Projection == pkPlateCarree) {
        m.SetProjection(pkPlateCarreeZoomed);
        m.SetLongitudeSpan(360);
        m.SetLatitudeSpan(180);
        m.SetCentreLatitude(0);
    }
}

bool TMapNavigation::Reset()
{
    pan_.reset();
    if (!home_)
        return false;
    const std::int32_t width = mapping_.Width, height = mapping_.Height;
    mapping_.Assign(*home_);
    mapping_.SetWidth(width);
    mapping_.SetHeight(height);
    home_.reset();
    return true;
}

bool TMapNavigation::PixelOf(float latitude, float longitude, double& x, double& y) const
{
    // The zoomed Mercator calls a point visible only on the bitmap, but places it all the same.
    float fx = std::nanf(""), fy = std::nanf("");
    if (!mapping_.LatLonToXYF(latitude, longitude, fx, fy) &&
        mapping_.Projection != pkMercatorZoomed)
        return false;
    x = fx;
    y = fy;
    return std::isfinite(x) && std::isfinite(y);
}

// Newton's method on the centre: the pixel of the point as a function of centre longitude
// and latitude, its derivatives taken by small steps of the centre. Works for every kind,
// whatever its formulas, since it only asks the forward transform.
bool TMapNavigation::PlacePoint(float latitude, float longitude, double x, double y)
{
    TMapping& m = mapping_;
    const float startLat = m.CentreLatitude, startLon = m.CentreLongitude;
    // The polar and conic kinds turn to the other pole at the equator: stay in the hemisphere.
    const bool keepHemisphere =
        m.Projection == pkPolarStereographic || m.Projection == pkLambertConformal;
    const double latLow = keepHemisphere && !m.SouthernHemisphere ? 0.01 : -89.9;
    const double latHigh = keepHemisphere && m.SouthernHemisphere ? -0.01 : 89.9;
    auto centre = [&m](double lat, double lon) {
        m.SetCentreLongitude(static_cast<float>(lon));
        m.SetCentreLatitude(static_cast<float>(lat));
    };
    for (int i = 0; i < PlaceIterations; ++i) {
        double px = 0, py = 0;
        if (!PixelOf(latitude, longitude, px, py))
            break;
        const double ex = px - x, ey = py - y;
        if (std::fabs(ex) < PlaceTolerance && std::fabs(ey) < PlaceTolerance)
            return true;
        const double lat0 = m.CentreLatitude, lon0 = m.CentreLongitude;
        const double h = std::max(m.LatitudeSpan * 1e-3, 1e-3);
        double lx = 0, ly = 0, ax = 0, ay = 0;
        const double latStep = lat0 + h > latHigh ? -h : h;
        centre(lat0, lon0 + h);
        const bool lonOk = PixelOf(latitude, longitude, lx, ly);
        centre(lat0 + latStep, lon0);
        const bool latOk = PixelOf(latitude, longitude, ax, ay);
        centre(lat0, lon0);
        if (!lonOk || !latOk)
            break;
        const double a = (lx - px) / h, b = (ax - px) / latStep;
        const double c = (ly - py) / h, d = (ay - py) / latStep;
        const double det = a * d - b * c;
        if (!std::isfinite(det) || std::fabs(det) < 1e-12)
            break;
        double dLon = (-ex * d + ey * b) / det;
        double dLat = (ex * c - ey * a) / det;
        // Long steps leave the region where the derivatives hold: shorten them.
        const double longest = std::max(std::fabs(dLon), std::fabs(dLat));
        if (!std::isfinite(longest))
            break;
        if (longest > 20) {
            dLon *= 20 / longest;
            dLat *= 20 / longest;
        }
        centre(std::clamp(lat0 + dLat, latLow, latHigh), Wrap(lon0 + dLon));
    }
    double px = 0, py = 0;
    if (PixelOf(latitude, longitude, px, py) && std::fabs(px - x) < 0.5 && std::fabs(py - y) < 0.5)
        return true;
    centre(startLat, startLon);
    return false;
}

bool TMapNavigation::SetSpans(double longitudeSpan, double latitudeSpan)
{
    if (!(longitudeSpan > 0 && latitudeSpan > 0))
        return false;
    double k = std::min({1.0, 180.0 / latitudeSpan, 360.0 / longitudeSpan});
    k = std::max(k, SmallestSpan / std::min(latitudeSpan, longitudeSpan));
    const auto lon = static_cast<float>(longitudeSpan * k);
    const auto lat = static_cast<float>(latitudeSpan * k);
    if (lon == mapping_.LongitudeSpan && lat == mapping_.LatitudeSpan)
        return false;
    mapping_.SetLongitudeSpan(lon);
    mapping_.SetLatitudeSpan(lat);
    return true;
}

bool TMapNavigation::ZoomAt(double factor, double x, double y)
{
    if (!(factor > 0) || mapping_.Width <= 0 || mapping_.Height <= 0)
        return false;
    Remember();
    float latitude = 0, longitude = 0;
    const bool located =
        mapping_.CanLocate() &&
        mapping_.XYToLatLon(static_cast<std::int32_t>(std::lround(x)),
                            static_cast<std::int32_t>(std::lround(y)), latitude, longitude);
    if (!SetSpans(mapping_.LongitudeSpan / factor, mapping_.LatitudeSpan / factor))
        return false;
    if (located)
        PlacePoint(latitude, longitude, std::round(x), std::round(y));
    return true;
}

bool TMapNavigation::ZoomCentre(double factor)
{
    return ZoomAt(factor, mapping_.Width / 2, mapping_.HalfHeight);
}

void TMapNavigation::BeginPan(int x, int y)
{
    pan_ = std::make_unique<TPan>();
    pan_->Start.Assign(mapping_);
    pan_->X = x;
    pan_->Y = y;
    pan_->Located =
        mapping_.CanLocate() && mapping_.XYToLatLon(x, y, pan_->Latitude, pan_->Longitude);
}

bool TMapNavigation::PanTo(int x, int y)
{
    if (!pan_ || (x == pan_->X && y == pan_->Y && !home_))
        return false;
    if (!home_) {
        Remember(); // the same picture, perhaps of the zoomed kind
        pan_->Start.Assign(mapping_);
    }
    const float lat = mapping_.CentreLatitude, lon = mapping_.CentreLongitude;
    mapping_.SetCentreLongitude(pan_->Start.CentreLongitude);
    mapping_.SetCentreLatitude(pan_->Start.CentreLatitude);
    if (pan_->Located) {
        PlacePoint(pan_->Latitude, pan_->Longitude, x, y);
    } else {
        // Grabbed off the globe: the point at the centre moves by the drag instead.
        const int cx = mapping_.Width / 2, cy = mapping_.HalfHeight;
        float latitude = 0, longitude = 0;
        if (mapping_.XYToLatLon(cx - (x - pan_->X), cy - (y - pan_->Y), latitude, longitude))
            PlacePoint(latitude, longitude, cx, cy);
    }
    return lat != mapping_.CentreLatitude || lon != mapping_.CentreLongitude;
}

void TMapNavigation::EndPan()
{
    pan_.reset();
}

void TMapNavigation::SetView(float centreLatitude, float centreLongitude, float longitudeSpan,
                             float latitudeSpan)
{
    Remember();
    if (!std::isnan(longitudeSpan))
        mapping_.SetLongitudeSpan(longitudeSpan);
    if (!std::isnan(latitudeSpan))
        mapping_.SetLatitudeSpan(latitudeSpan);
    if (!std::isnan(centreLongitude))
        mapping_.SetCentreLongitude(centreLongitude);
    if (!std::isnan(centreLatitude))
        mapping_.SetCentreLatitude(centreLatitude);
}

bool TMapNavigation::HoldsAll(const TSampleList& samples, int step) const
{
    for (std::int32_t i = 0; i < samples.SampleCount(); i += step) {
        double x = 0, y = 0;
        if (!PixelOf(samples[i].Latitude, samples[i].Longitude, x, y) || x < 0 || y < 0 ||
            x >= mapping_.Width || y >= mapping_.Height)
            return false;
    }
    return true;
}

// The centre is the direction of the mean of the footprints' unit vectors, so a pass over
// the date line or a pole is centred where it lies; the spans are then the smallest multiple
// of a first guess that holds every footprint looked at.
bool TMapNavigation::Fit(const TSampleList& samples)
{
    const std::int32_t count = samples.SampleCount();
    if (count == 0 || mapping_.Width <= 0 || mapping_.Height <= 0)
        return false;
    const int step = std::max(1, count / FitProbes);
    double sx = 0, sy = 0, sz = 0;
    for (std::int32_t i = 0; i < count; i += step) {
        const double phi = samples[i].Latitude * DegToRad, lambda = samples[i].Longitude * DegToRad;
        sx += std::cos(phi) * std::cos(lambda);
        sy += std::cos(phi) * std::sin(lambda);
        sz += std::sin(phi);
    }
    if (!std::isfinite(sx + sy + sz) || std::hypot(sx, sy, sz) < 1e-9)
        return false;
    const double centreLat = std::atan2(sz, std::hypot(sx, sy)) / DegToRad;
    const double centreLon = std::atan2(sy, sx) / DegToRad;
    double reach = 0; // the largest angle from the centre, degrees
    for (std::int32_t i = 0; i < count; i += step) {
        double distance = 0;
        if (GreatCircleDistance(centreLat, centreLon, samples[i].Latitude, samples[i].Longitude,
                                distance))
            reach = std::max(reach, distance / 6378.135 / DegToRad);
    }
    Remember();
    const double latSpan = std::max(2 * reach, SmallestSpan);
    const double aspect = static_cast<double>(mapping_.Width) / mapping_.Height;
    const double lonSpan = latSpan * aspect / std::max(std::cos(centreLat * DegToRad), 0.2);
    auto tryScale = [&](double k) {
        SetSpans(lonSpan * k, latSpan * k);
        PlacePoint(static_cast<float>(centreLat), static_cast<float>(centreLon), mapping_.Width / 2,
                   mapping_.HalfHeight);
        return HoldsAll(samples, step);
    };
    double low = 0.05, high = 8;
    if (!tryScale(high))
        return true; // nothing holds it all: the widest view tried
    for (int i = 0; i < 24; ++i) {
        const double middle = std::sqrt(low * high);
        (tryScale(middle) ? high : low) = middle;
    }
    // A little room round the edge footprints, whose pens are wider than their centres.
    tryScale(high * 1.04);
    return true;
}

} // namespace veltra
