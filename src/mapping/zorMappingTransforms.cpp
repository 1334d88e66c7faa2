// The forward and inverse transforms of every projection kind. A forward transform computes
// map coordinates in units of the bitmap width (height for polar stereographic) and turns
// them into a pixel; the inverse undoes it for the cursor read-out. Every arithmetic fault is
// caught per call and reported as "not visible" / "no position".
#include <cmath>

#include "mapping/MappingMath.h"
#include "mapping/zorMapping.h"

namespace veltra {

using namespace mapmath;

namespace {

// Reach of the kinds that only draw the part of the globe round the centre, km.
constexpr double AzimuthalReachKm = 12000;
constexpr double OrthographicReachKm = 6300; // about 56.6 degrees of arc
constexpr double LambertReachKm = 10000;
// The Cassini window: rotated longitude and latitude strictly within +-60 degrees.
constexpr double CassiniLimit = 1.0471975512;

// What a forward transform found.
enum class TForward {
    Hidden,        // not visible, the outputs stay as they were
    Visible,       // visible, store the pixel
    HiddenStored,  // not visible, but the pixel is stored all the same
    InsideBitmap,  // store the pixel, visible only if it lies inside the bitmap
};

// Whether a point lies closer to the centre than the reach.
bool WithinReach(double latitude, double longitude, double centreLatitude,
                 double centreLongitude, double reachKm)
{
    double distance = 0;
    if (!GreatCircleDistance(latitude, longitude, centreLatitude, centreLongitude, distance))
        throw EArithmeticError();
    return distance < reachKm;
}

// The point seen from the map centre on the sphere: cos c of the arc c to it, and its east
// and north components.
struct TAzimuthal {
    double CosArc, East, North;
};

TAzimuthal SeenFromCentre(double sinPhi0, double cosPhi0, double latitude, double deltaLon)
{
    const double phi = latitude * DegToRad, dl = deltaLon * DegToRad;
    const double sinPhi = std::sin(phi), cosPhi = std::cos(phi);
    const double cosDl = std::cos(dl);
    return {sinPhi0 * sinPhi + cosPhi0 * cosPhi * cosDl, cosPhi * std::sin(dl),
            cosPhi0 * sinPhi - sinPhi0 * cosPhi * cosDl};
}

} // namespace

bool TMapping::ForwardPixel(double latitude, double longitude, double& px, double& py,
                            bool& store) const
{
    const double w = Width, h = Height, halfH = HalfHeight;
    const double lat0 = CentreLatitude, lon0 = CentreLongitude, s = Scale;
    const double sinPhi0 = SinCentreLatitude, cosPhi0 = CosCentreLatitude;
    auto pix = [&](double x, double y) {
        px = CheckFinite((x + 0.5) * w);
        py = CheckFinite(halfH - y * w);
    };
    store = false;
    CheckFinite(latitude);
    const double dLon = ReduceDifference(longitude - lon0);

    switch (Projection) {
    case pkPlateCarree: {
        const double lon = ReduceDifference(longitude);
        px = CheckFinite(w * (lon + 180) / 360);
        py = CheckFinite((1 - (latitude + 90) / 180) * h);
        return true;
    }
    case pkPlateCarreeZoomed:
    case pkPlateCarreeNorth:
        px = Divide((dLon + LongitudeSpan / 2.0) * w, LongitudeSpan);
        py = CheckFinite((1 - Divide(latitude - LatitudeMin, LatitudeSpan)) * h);
        return true;
    case pkAzimuthalFixed:
    case pkAzimuthal: {
        if (!WithinReach(latitude, longitude, lat0, lon0, AzimuthalReachKm))
            return false;
        const TAzimuthal a = SeenFromCentre(sinPhi0, cosPhi0, latitude, dLon);
        double x = 0, y = 0;
        if (std::fabs(a.CosArc) < 1) {
            const double c = std::acos(a.CosArc);
            const double k = Divide(s * c, std::sin(c));
            x = k * a.East;
            y = k * a.North;
        }
        pix(x, y);
        return true;
    }
    case pkMercator: {
        const double m = MercatorOrdinate(latitude);
        px = CheckFinite(w * (dLon + 180) / 360);
        py = CheckFinite(halfH - w * m / 360);
        return true;
    }
    case pkMercatorZoomed: {
        const double m = MercatorOrdinate(latitude);
        const double a = Divide(m - MercatorOffset, MercatorSlope);
        px = Divide(w * (dLon + LongitudeSpan / 2.0), LongitudeSpan);
        py = CheckFinite(h * (1 - Divide(a, LatitudeSpan)));
        store = true;
        return true;
    }
    case pkOrthographic: {
        if (!WithinReach(latitude, longitude, lat0, lon0, OrthographicReachKm))
            return false;
        const TAzimuthal a = SeenFromCentre(sinPhi0, cosPhi0, latitude, dLon);
        pix(s * a.East, s * a.North);
        return true;
    }
    case pkCassini: {
        if (!WithinReach(latitude, longitude, lat0, lon0, OrthographicReachKm))
            return false;
        // Rotated so the centre lies on the equator of a transverse graticule.
        const TAzimuthal a = SeenFromCentre(sinPhi0, cosPhi0, latitude, dLon);
        const double lonR = std::atan2(a.East, a.CosArc);
        const double latR = ArcSin(a.North);
        if (!(lonR > -CassiniLimit && lonR < CassiniLimit && latR > -CassiniLimit &&
              latR < CassiniLimit))
            return false;
        const double sinLat = std::sin(latR), cosLat = std::cos(latR);
        const double cosLon = std::cos(lonR);
        const double x = s * std::atan2(cosLat * std::sin(lonR),
                                        Sqrt(sinLat * sinLat + cosLon * cosLon * cosLat * cosLat));
        const double y = s * std::atan2(sinLat, cosLon * cosLat);
        pix(x, y);
        return true;
    }
    case pkPolarStereographic: {
        const double phi = latitude * DegToRad, dl = dLon * DegToRad;
        double x, y;
        if (!SouthernHemisphere) {
            const double rho = s * std::tan((Pi / 2 - phi) / 2);
            x = rho * std::sin(dl);
            y = PolarOffset - rho * std::cos(dl);
        } else {
            const double rho = s * std::tan((Pi / 2 + phi) / 2);
            x = rho * std::sin(dl);
            y = rho * std::cos(dl) - PolarOffset;
        }
        px = CheckFinite(h * x + w / 2);
        py = CheckFinite(halfH - h * y);
        return true;
    }
    case pkLambertConformal: {
        if (!WithinReach(latitude, longitude, lat0, lon0, LambertReachKm))
            return false;
        const double e = Eccentricity;
        const double phi = (SouthernHemisphere ? -latitude : latitude) * DegToRad;
        const double es = e * std::sin(phi);
        const double tau = std::tan(Pi / 4 - phi / 2);
        double t = 0;
        if (std::fabs(tau) >= 1e-5)
            t = Power(Divide(tau, Power((1 - es) / (1 + es), e / 2)), ConeConstant);
        const double rho = ConeScale * t;
        const double theta = ConeFactor * dLon;
        const double x = rho * std::sin(theta);
        const double y = ConeRho0 - rho * std::cos(theta);
        pix(x, SouthernHemisphere ? -y : y);
        return true;
    }
    case pkGnomonic: {
        if (!WithinReach(latitude, longitude, lat0, lon0, AzimuthalReachKm))
            return false;
        const TAzimuthal a = SeenFromCentre(sinPhi0, cosPhi0, latitude, dLon);
        if (std::fabs(a.CosArc) >= 1 || a.CosArc < 1e-6) {
            // On the horizon or behind it: the centre pixel is stored all the same.
            pix(0, 0);
            store = true;
            return false;
        }
        const double k = Divide(s, a.CosArc);
        pix(k * a.East, k * a.North);
        return true;
    }
    case pkVanDerGrinten: {
        double x, y;
        VanDerGrinten(latitude, dLon, x, y);
        pix(x, y);
        return true;
    }
    case pkAzimuthalWorld: {
        const double phi = latitude * DegToRad, phi0 = lat0 * DegToRad;
        const double dlw = (lon0 - longitude) * DegToRad; // westward, not reduced
        const double sinHalfLat = std::sin((phi0 - phi) / 2);
        const double sinHalfLon = std::sin(dlw / 2);
        const double c = 2 * ArcSin(Sqrt(sinHalfLat * sinHalfLat +
                                         cosPhi0 * std::cos(phi) * sinHalfLon * sinHalfLon));
        double az = 0;
        if (c >= 1e-10) {
            const double nw = std::cos(phi) * std::sin(dlw);
            const double d = cosPhi0 * std::sin(phi) - sinPhi0 * std::cos(phi) * std::cos(dlw);
            if (std::fabs(d) < 1e-10)
                az = nw > 0 ? Pi / 2 : -Pi / 2;
            else
                az = std::atan2(nw, d);
        }
        const double rho = s * c;
        pix(-rho * std::sin(az), rho * std::cos(az));
        return true;
    }
    default:
        return false;
    }
}

// Van der Grinten's projection of the whole world into a circle of radius 0.155 pi, after
// Snyder's closed formulas.
void TMapping::VanDerGrinten(double latitude, double deltaLon, double& x, double& y) const
{
    const double r = VdGRadius;
    const double s = Scale;
    const double absLat = std::fabs(latitude);
    if (absLat > 89.999) {
        x = 0;
        y = latitude < 0 ? -r : r;
        return;
    }
    if (std::fabs(deltaLon) < 1e-4) {
        const double theta = ArcSin(2 * absLat / 180);
        x = 0;
        y = r * std::tan(theta / 2);
        if (latitude < 0)
            y = -y;
        return;
    }
    if (absLat < 1e-4) {
        x = s * deltaLon * Pi / 180;
        y = 0;
        return;
    }
    const double theta = ArcSin(2 * absLat / 180);
    const double sinT = std::sin(theta), cosT = std::cos(theta);
    const double a = 0.5 * std::fabs(180 / deltaLon - deltaLon / 180);
    const double g = Divide(cosT, sinT + cosT - 1);
    const double p = g * (Divide(2, sinT) - 1);
    const double q = a * a + g;
    const double p2 = p * p, a2 = a * a;
    const double denominator = p2 + a2;
    const double xr =
        Divide(a * (g - p2) + Sqrt(a2 * (g - p2) * (g - p2) - denominator * (g * g - p2)),
               denominator);
    const double yr = Divide(p * q - a * Sqrt((a2 + 1) * denominator - q * q), denominator);
    x = r * xr;
    if (deltaLon < 0)
        x = -x;
    y = r * yr;
    if (latitude < 0)
        y = -y;
}

// Runs the forward transform and stores the pixel in the caller's type: rounded to whole
// pixels or as singles. The zoomed Mercator is visible only inside the bitmap, tested on the
// stored values.
template <typename T, typename Convert>
bool TMapping::StoreForward(float latitude, float longitude, T& x, T& y, Convert convert) const
{
    try {
        double px = 0, py = 0;
        bool store = false;
        const bool visible = ForwardPixel(latitude, longitude, px, py, store);
        if (!visible && !store)
            return false;
        const T cx = convert(px), cy = convert(py);
        x = cx;
        y = cy;
        if (Projection == pkMercatorZoomed)
            return cx >= 0 && cx < Width && cy >= 0 && cy < Height;
        return visible;
    } catch (const EArithmeticError&) {
        return false;
    }
}

bool TMapping::LatLonToXY(float latitude, float longitude, std::int32_t& x,
                          std::int32_t& y) const
{
    return StoreForward(latitude, longitude, x, y, RoundHalfEven);
}

bool TMapping::LatLonToXYF(float latitude, float longitude, float& x, float& y) const
{
    return StoreForward(latitude, longitude, x, y, ToSingle);
}

bool TMapping::XYToLatLon(std::int32_t x, std::int32_t y, float& latitude,
                          float& longitude) const
{
    try {
        double lat = 0, lon = 0;
        if (!InverseDegrees(x, y, lat, lon))
            return false;
        float fLat = ToSingle(lat), fLon = ToSingle(lon);
        // A longitude just short of 180 may round up to 180 in single precision; the kinds
        // that promise [-180, 180) turn it into -180.
        if (fLon == 180.0f && ReducesInverseLongitude())
            fLon = -180.0f;
        latitude = fLat;
        longitude = fLon;
        return true;
    } catch (const EArithmeticError&) {
        return false;
    }
}

bool TMapping::ReducesInverseLongitude() const
{
    switch (Projection) {
    case pkPlateCarree:
    case pkPlateCarreeZoomed:
    case pkAzimuthalFixed:
    case pkAzimuthal:
    case pkMercator:
    case pkMercatorZoomed:
    case pkGnomonic:
    case pkAzimuthalWorld:
    case pkPlateCarreeNorth:
        return true;
    default:
        return false;
    }
}

// The latitude and longitude of a point at arc c from the centre, given the point's map
// coordinates (x, y) at distance rho from the centre.
void TMapping::AzimuthalCompletion(double x, double y, double rho, double sinArc,
                                   double cosArc, double& latitude, double& longitude) const
{
    const double sinPhi0 = SinCentreLatitude, cosPhi0 = CosCentreLatitude;
    latitude = ArcSin(cosArc * sinPhi0 + Divide(y * sinArc * cosPhi0, rho)) * RadToDeg;
    double dl;
    if (CentreLatitude == 90.0f)
        dl = std::atan2(x, -y);
    else if (CentreLatitude == -90.0f)
        dl = std::atan2(x, y);
    else
        dl = std::atan2(x * sinArc, rho * cosPhi0 * cosArc - y * sinPhi0 * sinArc);
    longitude = CentreLongitude + dl * RadToDeg;
}

bool TMapping::InverseDegrees(std::int32_t px, std::int32_t py, double& latitude,
                              double& longitude) const
{
    if (Height == 0 || Width == 0)
        return false;
    const double w = Width, h = Height, halfH = HalfHeight;
    const double X = px, Y = py;
    const double xW = X / w - 0.5, yW = (halfH - Y) / w; // width units, north up
    const double rho = std::sqrt(xW * xW + yW * yW);
    const double s = Scale;
    auto centre = [&] {
        latitude = CentreLatitude;
        longitude = CentreLongitude;
        return true;
    };

    switch (Projection) {
    case pkPlateCarree:
        longitude = ReduceLongitude(360 * X / w - 180);
        latitude = (1 - Y / h) * 180 - 90;
        return true;
    case pkPlateCarreeZoomed:
    case pkPlateCarreeNorth:
        longitude = ReduceLongitude(LongitudeMin + LongitudeSpan * X / w);
        latitude = LatitudeMin + (1 - Y / h) * LatitudeSpan;
        return true;
    case pkAzimuthalFixed:
    case pkAzimuthal: {
        if (rho < 1e-5)
            return centre();
        const double c = Divide(rho, s);
        AzimuthalCompletion(xW, yW, rho, std::sin(c), std::cos(c), latitude, longitude);
        longitude = ReduceLongitude(longitude);
        return true;
    }
    case pkMercator: {
        longitude = ReduceLongitude(CentreLongitude - 180 + 360 * X / w);
        latitude = MercatorLatitude((halfH - Y) * 360 / w);
        return true;
    }
    case pkMercatorZoomed: {
        longitude = ReduceLongitude(LongitudeMin + LongitudeSpan * X / w);
        const double a = (1 - Y / h) * LatitudeSpan;
        latitude = MercatorLatitude(MercatorSlope * a + MercatorOffset);
        return true;
    }
    case pkOrthographic: {
        if (rho < 1e-5)
            return centre();
        const double sinArc = Divide(rho, s);
        const double cosArc = Sqrt(1 - sinArc * sinArc); // off the globe's disc: no root
        AzimuthalCompletion(xW, yW, rho, sinArc, cosArc, latitude, longitude);
        return true;
    }
    case pkPolarStereographic: {
        const double x = (X - w / 2) / h;
        const double yH = 0.5 - Y / h;
        const double y = SouthernHemisphere ? yH + PolarOffset : yH - PolarOffset;
        if (x == 0 && y == 0)
            return centre();
        const double c = 2 * std::atan(std::sqrt(x * x + y * y) * InvScale);
        if (!SouthernHemisphere) {
            longitude = CentreLongitude + std::atan2(x, -y) * RadToDeg;
            latitude = ArcSin(std::cos(c)) * RadToDeg;
        } else {
            longitude = CentreLongitude + std::atan2(x, y) * RadToDeg;
            latitude = ArcSin(-std::cos(c)) * RadToDeg;
        }
        return true;
    }
    case pkLambertConformal:
        LambertInverse(xW, SouthernHemisphere ? -yW : yW, latitude, longitude);
        return true;
    case pkGnomonic: {
        if (rho < 1e-5)
            return centre();
        const double c = std::atan(Divide(rho, s));
        AzimuthalCompletion(xW, yW, rho, std::sin(c), std::cos(c), latitude, longitude);
        longitude = ReduceLongitude(longitude);
        return true;
    }
    case pkVanDerGrinten:
        VanDerGrintenInverse(xW, yW, latitude, longitude);
        return true;
    case pkAzimuthalWorld: {
        if (rho < 1e-5)
            return centre();
        const double c = Divide(rho, s);
        if (c >= 2 * Pi)
            return false;
        AzimuthalWorldInverse(xW, yW, c, latitude, longitude);
        return true;
    }
    default:
        return false;
    }
}

// Lambert conformal conic backwards: the cone radius gives the isometric quantity t, from
// which the ellipsoidal latitude follows by fixed-point iteration.
void TMapping::LambertInverse(double x, double y, double& latitude, double& longitude) const
{
    const double e = Eccentricity;
    const double along = ConeRho0 - y;
    longitude = CentreLongitude + std::atan(Divide(x, along)) * InvConeFactor;
    const double rho = std::sqrt(x * x + along * along);
    const double t = Power(rho * InvConeScale, InvConeConstant);
    double phi = Pi / 2 - 2 * std::atan(t);
    double change;
    int passes = 0;
    do {
        const double es = e * std::sin(phi);
        const double next = Pi / 2 - 2 * std::atan(t * Power((1 - es) / (1 + es), e / 2));
        change = std::fabs(std::fabs(phi) - std::fabs(next));
        phi = next;
        ++passes;
    } while (passes < 100 && change > 1e-5);
    latitude = CheckFinite(phi * RadToDeg);
    if (SouthernHemisphere)
        latitude = -latitude;
}

// Van der Grinten backwards, by the trigonometric solution of the cubic in the latitude
// (Snyder's formulas).
void TMapping::VanDerGrintenInverse(double xW, double yW, double& latitude,
                                    double& longitude) const
{
    const double xr = xW * InvVdGRadius, yr = yW * InvVdGRadius;
    const double x2 = xr * xr, y2 = yr * yr;
    const double sum2 = x2 + y2;
    if (xr == 0 && yr == 0) {
        // The cubic degenerates at the very centre (0/0); its limit is the centre itself.
        latitude = 0;
        longitude = CentreLongitude;
        return;
    }
    const double c1 = -std::fabs(yr) * (1 + sum2);
    const double c2 = c1 - 2 * y2 + x2;
    const double c3 = -2 * c1 + 1 + 2 * y2 + sum2 * sum2;
    const double ratio = Divide(c2, c3);
    const double d = Divide(y2, c3) + (2 * ratio * ratio * ratio - Divide(9 * c1 * c2, c3 * c3)) / 27;
    const double a1 = Divide(c1 - Divide(c2 * c2, 3 * c3), c3);
    const double m1 = 2 * Sqrt(-a1 / 3);
    double cosArg = Divide(3 * d, a1 * m1);
    // Along the equator the argument is -1 in exact arithmetic; rounding may take it a hair
    // past, which is not a point off the map.
    if (std::fabs(cosArg) > 1 && std::fabs(cosArg) < 1 + 1e-12)
        cosArg = cosArg > 0 ? 1 : -1;
    const double theta1 = ArcCos(cosArg) / 3;
    latitude = 180 * (-m1 * std::cos(theta1 + Pi / 3) - Divide(c2, 3 * c3));
    if (yr < 0)
        latitude = -latitude;
    longitude = CentreLongitude;
    if (xr != 0)
        longitude += 90 * Divide(sum2 - 1 + Sqrt(1 + 2 * (x2 - y2) + sum2 * sum2), xr);
}

// The whole-globe azimuthal equidistant backwards, c being the arc from the centre.
void TMapping::AzimuthalWorldInverse(double xW, double yW, double c, double& latitude,
                                     double& longitude) const
{
    const double sinPhi0 = SinCentreLatitude, cosPhi0 = CosCentreLatitude;
    const double az = std::atan2(-xW, yW);
    const double sinC = std::sin(c), cosC = std::cos(c);
    const double phi = ArcSin(sinPhi0 * cosC + cosPhi0 * sinC * std::cos(az));
    latitude = phi * RadToDeg;
    if (std::cos(phi) == 0) {
        longitude = CentreLongitude;
        return;
    }
    double lonW; // westward from the centre
    if (std::fabs(cosPhi0) < 1e-5)
        lonW = Pi - az;
    else
        lonW = std::atan2(std::sin(az) * sinC * cosPhi0, cosC - sinPhi0 * std::sin(phi));
    double lambda = CentreLongitude * DegToRad - lonW + Pi;
    lambda = std::fmod(lambda, 2 * Pi);
    if (lambda < 0)
        lambda += 2 * Pi;
    longitude = ReduceLongitude((lambda - Pi) * RadToDeg);
}

} // namespace veltra
