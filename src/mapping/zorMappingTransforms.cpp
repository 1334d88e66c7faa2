// Each projection kind's set-up (the defaults it brings, the constants it derives from the
// view) beside its forward and inverse transforms, and what picks the current kind's when the
// view changes. A forward transform computes map coordinates
// in units of the bitmap width (height for polar stereographic) and turns them into a pixel;
// the inverse undoes it for the cursor read-out. Every arithmetic fault is caught per call and
// reported as "not visible" / "no position".
#include <algorithm>
#include <cmath>
#include <limits>

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

// The smallest cosine of the arc from the centre that GreatCircleDistance finds closer than
// reachKm. The distance acos(c) R never grows as c grows, so "cosine at least this" answers
// as the distance does, at the very edge too, without an arccosine per point.
double ReachCosine(double reachKm)
{
    const auto inside = [reachKm](double c) { return std::acos(c) * EarthRadiusKm < reachKm; };
    double c = std::cos(reachKm / EarthRadiusKm);
    while (!inside(c))
        c = std::nextafter(c, 2.0);
    while (inside(std::nextafter(c, -2.0)))
        c = std::nextafter(c, -2.0);
    return c;
}

// The point seen from the map centre on the sphere: cos c of the arc c to it, and its east
// and north components.
struct TAzimuthal {
    double CosArc, East, North;
};

// The sines and cosines of a point's latitude and of its longitude difference from the centre.
struct TAngles {
    double SinPhi, CosPhi, SinDl, CosDl;
};

} // namespace

// What the transforms share: the pixel of map coordinates, the reach test and the point seen
// from the centre, and the forward and inverse transform of every kind.
struct TMapping::TKinds {
    using TForward = bool (*)(const TMapping&, double latitude, double longitude, double dLon,
                              double& px, double& py, bool& store);
    // X, Y the pixel; xW, yW its map coordinates in width units, north up; rho their length.
    struct TInverseInput {
        double X, Y, xW, yW, rho;
    };
    using TInverse = bool (*)(const TMapping&, const TInverseInput&, double& latitude,
                              double& longitude);

    static void Pixel(const TMapping& m, double x, double y, double& px, double& py)
    {
        const double w = m.Width;
        px = CheckFinite((x + 0.5) * w);
        py = CheckFinite(m.HalfHeight - y * w);
    }

    // Whether the point lies closer to the centre than the kind's reach, as GreatCircleDistance
    // measures it, with the sines and cosines of the point's angles for the projection itself.
    // A latitude further from the centre's than the reach allows fails without trigonometry.
    static bool InReach(const TMapping& m, double latitude, double longitude, double dLon,
                        TAngles& t)
    {
        if (OutsideBand(m, latitude))
            return false;
        const double phi = latitude * DegToRad, dl = dLon * DegToRad;
        t = {std::sin(phi), std::cos(phi), std::sin(dl), std::cos(dl)};
        // The distance takes the difference unreduced, the other way round; cos is even.
        const double cosDistanceDl = longitude - m.CentreLongitude == dLon
                                         ? t.CosDl
                                         : std::cos((m.CentreLongitude - longitude) * DegToRad);
        return CosArc(m, t, cosDistanceDl) >= m.reachCos_;
    }
    static bool OutsideBand(const TMapping& m, double latitude)
    {
        return latitude >= -90 && latitude <= 90 &&
               std::fabs(latitude - m.CentreLatitude) > m.reachBand_;
    }
    static double CosArc(const TMapping& m, const TAngles& t, double cosDistanceDl)
    {
        return t.SinPhi * m.reachSinLat0_ + t.CosPhi * m.reachCosLat0_ * cosDistanceDl;
    }

    static TAzimuthal SeenFromCentre(const TMapping& m, const TAngles& t)
    {
        const double sinPhi0 = m.SinCentreLatitude, cosPhi0 = m.CosCentreLatitude;
        return {sinPhi0 * t.SinPhi + cosPhi0 * t.CosPhi * t.CosDl, t.CosPhi * t.SinDl,
                cosPhi0 * t.SinPhi - sinPhi0 * t.CosPhi * t.CosDl};
    }

    // Kind 0 and codes above 14.
    static bool NoForward(const TMapping&, double, double, double, double&, double&, bool&)
    {
        return false;
    }
    static bool NoInverse(const TMapping&, const TInverseInput&, double&, double&) { return false; }

    // The pixel of the whole-world kind from the reduced longitude, unchecked.
    static void PlateCarreePlane(const TMapping& m, double latitude, double lon, double& px,
                                 double& py)
    {
        const double w = m.Width, h = m.Height;
        px = w * (lon + 180) / 360;
        py = (1 - (latitude + 90) / 180) * h;
    }
    static bool PlateCarree(const TMapping& m, double latitude, double longitude, double,
                            double& px, double& py, bool&)
    {
        PlateCarreePlane(m, latitude, ReduceDifference(longitude), px, py);
        CheckFinite(px);
        CheckFinite(py);
        return true;
    }
    static bool PlateCarreeInverse(const TMapping& m, const TInverseInput& in, double& latitude,
                                   double& longitude)
    {
        const double w = m.Width, h = m.Height;
        longitude = ReduceLongitude(360 * in.X / w - 180);
        latitude = (1 - in.Y / h) * 180 - 90;
        return true;
    }

    // Kinds 2 and 14: the pixel from the longitude difference, unchecked. A zero span gives a
    // result that is not finite.
    static void PlateCarreeZoomedPlane(const TMapping& m, double latitude, double dLon, double& px,
                                       double& py)
    {
        const double w = m.Width, h = m.Height;
        px = (dLon + m.LongitudeSpan / 2.0) * w / m.LongitudeSpan;
        py = (1 - (latitude - m.LatitudeMin) / m.LatitudeSpan) * h;
    }
    static bool PlateCarreeZoomed(const TMapping& m, double latitude, double, double dLon,
                                  double& px, double& py, bool&)
    {
        PlateCarreeZoomedPlane(m, latitude, dLon, px, py);
        CheckFinite(px);
        CheckFinite(py);
        return true;
    }
    // The plate carree kinds' pixel as LatLonToXY rounds it, without the checks, which cannot
    // fail for finite angles and a pixel within 2e9 of the origin: 1 visible, -1 undecided
    // (the checked path then decides). These kinds show every point they can compute.
    static int PlateCarreeNear(const TMapping& m, float latitude, float longitude, std::int32_t& x,
                               std::int32_t& y)
    {
        if (!std::isfinite(latitude) || !std::isfinite(longitude) ||
            !std::isfinite(m.CentreLongitude))
            return -1;
        double px = 0, py = 0;
        if (m.Projection == pkPlateCarree)
            PlateCarreePlane(m, latitude, ReduceDifference(longitude), px, py);
        else
            PlateCarreeZoomedPlane(
                m, latitude, ReduceDifference(longitude - static_cast<double>(m.CentreLongitude)),
                px, py);
        if (!(std::fabs(px) < 2e9 && std::fabs(py) < 2e9))
            return -1;
        x = static_cast<std::int32_t>(RoundedWhole(px));
        y = static_cast<std::int32_t>(RoundedWhole(py));
        return 1;
    }
    static bool PlateCarreeZoomedInverse(const TMapping& m, const TInverseInput& in,
                                         double& latitude, double& longitude)
    {
        const double w = m.Width, h = m.Height;
        longitude = ReduceLongitude(m.LongitudeMin + m.LongitudeSpan * in.X / w);
        latitude = m.LatitudeMin + (1 - in.Y / h) * m.LatitudeSpan;
        return true;
    }

    // The fitted kinds (4, 7, 8, 11): the latitude span fills the bitmap height, the chord
    // between the two edge latitudes, seen along the central meridian, being H/W map units
    // long. Without a span or a size, the kind's default scale.
    static void FittedSetUp(TMapping& m, double latMin, double latMax)
    {
        m.Scale = Kind(m.Projection).DefaultScale;
        if (m.LatitudeSpan == 0 || m.Width == 0 || m.Height == 0)
            return;
        const double phi0 = m.CentreLatitude * DegToRad;
        const double lo = latMin * DegToRad, hi = latMax * DegToRad;
        const double chord = (std::sin(lo) * std::cos(phi0) - std::cos(lo) * std::sin(phi0)) -
                             (std::sin(hi) * std::cos(phi0) - std::cos(hi) * std::sin(phi0));
        try {
            m.Scale = ToSingle(Divide(static_cast<double>(m.Height) / m.Width, std::fabs(chord)));
        } catch (const EArithmeticError&) {
        }
    }

    // Kinds 3 and 4.
    static bool Azimuthal(const TMapping& m, double latitude, double longitude, double dLon,
                          double& px, double& py, bool&)
    {
        TAngles t;
        if (!InReach(m, latitude, longitude, dLon, t))
            return false;
        const TAzimuthal a = SeenFromCentre(m, t);
        const double s = m.Scale;
        double x = 0, y = 0;
        if (std::fabs(a.CosArc) < 1) {
            const double c = std::acos(a.CosArc);
            const double k = Divide(s * c, std::sin(c));
            x = k * a.East;
            y = k * a.North;
        }
        Pixel(m, x, y, px, py);
        return true;
    }
    static bool AzimuthalInverse(const TMapping& m, const TInverseInput& in, double& latitude,
                                 double& longitude)
    {
        if (in.rho < 1e-5)
            return Centre(m, latitude, longitude);
        const double c = Divide(in.rho, m.Scale);
        m.AzimuthalCompletion(in.xW, in.yW, in.rho, std::sin(c), std::cos(c), latitude, longitude);
        longitude = ReduceLongitude(longitude);
        return true;
    }

    static bool Mercator(const TMapping& m, double latitude, double, double dLon, double& px,
                         double& py, bool&)
    {
        const double w = m.Width, halfH = m.HalfHeight;
        const double y = MercatorOrdinate(latitude);
        px = CheckFinite(w * (dLon + 180) / 360);
        py = CheckFinite(halfH - w * y / 360);
        return true;
    }
    static bool MercatorInverse(const TMapping& m, const TInverseInput& in, double& latitude,
                                double& longitude)
    {
        const double w = m.Width, halfH = m.HalfHeight;
        longitude = ReduceLongitude(m.CentreLongitude - 180 + 360 * in.X / w);
        latitude = MercatorLatitude((halfH - in.Y) * 360 / w);
        return true;
    }

    // Kind 6: the Mercator ordinate across the region, linear in the pixel row.
    static void MercatorZoomedSetUp(TMapping& m, double latMin, double latMax)
    {
        try {
            m.MercatorSlope = ToSingle(
                Divide(MercatorOrdinate(latMax) - MercatorOrdinate(latMin), latMax - latMin));
        } catch (const EArithmeticError&) {
            m.MercatorSlope = 1.0f;
        }
        try {
            m.MercatorOffset = ToSingle(CheckFinite(MercatorOrdinate(m.CentreLatitude) -
                                                    m.MercatorSlope * (m.LatitudeSpan / 2.0)));
        } catch (const EArithmeticError&) {
        }
    }
    // Visible only inside the bitmap, which LatLonToXY tests on the stored pixel.
    static bool MercatorZoomed(const TMapping& m, double latitude, double, double dLon, double& px,
                               double& py, bool& store)
    {
        const double w = m.Width, h = m.Height;
        const double y = MercatorOrdinate(latitude);
        const double a = Divide(y - m.MercatorOffset, m.MercatorSlope);
        px = Divide(w * (dLon + m.LongitudeSpan / 2.0), m.LongitudeSpan);
        py = CheckFinite(h * (1 - Divide(a, m.LatitudeSpan)));
        store = true;
        return true;
    }
    static bool MercatorZoomedInverse(const TMapping& m, const TInverseInput& in, double& latitude,
                                      double& longitude)
    {
        const double w = m.Width, h = m.Height;
        longitude = ReduceLongitude(m.LongitudeMin + m.LongitudeSpan * in.X / w);
        const double a = (1 - in.Y / h) * m.LatitudeSpan;
        latitude = MercatorLatitude(m.MercatorSlope * a + m.MercatorOffset);
        return true;
    }

    static bool Orthographic(const TMapping& m, double latitude, double longitude, double dLon,
                             double& px, double& py, bool&)
    {
        TAngles t;
        if (!InReach(m, latitude, longitude, dLon, t))
            return false;
        const TAzimuthal a = SeenFromCentre(m, t);
        const double s = m.Scale;
        Pixel(m, s * a.East, s * a.North, px, py);
        return true;
    }
    // The orthographic pixel as LatLonToXY rounds it, with SinCosNear in place of the library:
    // 1 visible, 0 not, -1 undecided. The two sets of sines and cosines differ by a few 1e-16
    // at most, which moves the arc's cosine by less than 2e-15 and a coordinate by less than
    // 2e-15 of the globe's size in pixels (|East|, |North| <= 1), rounding included. Each
    // decision (in reach or not, the whole pixel a coordinate rounds to) is taken only when it
    // lies tens of thousands of times further than that from its threshold; the library path
    // takes the rest, so every answer is the library path's.
    static int OrthographicNear(const TMapping& m, float latitude, float longitude, std::int32_t& x,
                                std::int32_t& y)
    {
        constexpr double Margin = 1e-10;
        // Latitudes off the globe are the library's: SinCosNear holds for a few radians.
        if (!(std::fabs(latitude) <= 90) || !std::isfinite(longitude))
            return -1;
        const double dLon = ReduceDifference(longitude - static_cast<double>(m.CentreLongitude));
        if (OutsideBand(m, latitude))
            return 0;
        const TSinCosPair pair = SinCosNear(latitude * DegToRad, dLon * DegToRad);
        const TAngles t = {pair.Sin[0], pair.Cos[0], pair.Sin[1], pair.Cos[1]};
        // The distance's own cosine of the unreduced difference, as InReach takes it.
        double cosDistanceDl = t.CosDl;
        const double lon = longitude;
        if (lon - m.CentreLongitude != dLon) {
            const double unreduced = (m.CentreLongitude - lon) * DegToRad;
            if (!(std::fabs(unreduced) <= 8))
                return -1;
            cosDistanceDl = SinCosNear(unreduced, 0).Cos[0];
        }
        const double cosArc = CosArc(m, t, cosDistanceDl);
        if (!(std::fabs(cosArc - m.reachCos_) > Margin))
            return -1;
        if (cosArc < m.reachCos_)
            return 0;
        const TAzimuthal a = SeenFromCentre(m, t);
        const double s = m.Scale, w = m.Width;
        const double px = (s * a.East + 0.5) * w, py = m.HalfHeight - s * a.North * w;
        const double margin =
            Margin * (std::fabs(s * w) + std::fabs(w) + std::abs(m.HalfHeight) + 1);
        std::int32_t rx = 0, ry = 0;
        if (!WholePixelNear(px, margin, rx) || !WholePixelNear(py, margin, ry))
            return -1;
        x = rx;
        y = ry;
        return 1;
    }
    // Whether RoundHalfEven gives every value within margin of value the same whole pixel,
    // and that pixel. A plain rounding: the range is tested first, and there is no fault.
    static bool WholePixelNear(double value, double margin, std::int32_t& pixel)
    {
        if (!(std::fabs(value) < 1e9))
            return false;
        const double whole = RoundedWhole(value);
        pixel = static_cast<std::int32_t>(whole);
        return std::fabs(value - whole) < 0.5 - margin;
    }
    static bool OrthographicInverse(const TMapping& m, const TInverseInput& in, double& latitude,
                                    double& longitude)
    {
        if (in.rho < 1e-5)
            return Centre(m, latitude, longitude);
        const double sinArc = Divide(in.rho, m.Scale);
        const double cosArc = Sqrt(1 - sinArc * sinArc); // off the globe's disc: no root
        m.AzimuthalCompletion(in.xW, in.yW, in.rho, sinArc, cosArc, latitude, longitude);
        return true;
    }

    // Rotated so the centre lies on the equator of a transverse graticule; no inverse.
    static bool Cassini(const TMapping& m, double latitude, double longitude, double dLon,
                        double& px, double& py, bool&)
    {
        TAngles t;
        if (!InReach(m, latitude, longitude, dLon, t))
            return false;
        const TAzimuthal a = SeenFromCentre(m, t);
        const double lonR = std::atan2(a.East, a.CosArc);
        const double latR = ArcSin(a.North);
        if (!(lonR > -CassiniLimit && lonR < CassiniLimit && latR > -CassiniLimit &&
              latR < CassiniLimit))
            return false;
        const double s = m.Scale;
        const double sinLat = std::sin(latR), cosLat = std::cos(latR);
        const double cosLon = std::cos(lonR);
        const double x = s * std::atan2(cosLat * std::sin(lonR),
                                        Sqrt(sinLat * sinLat + cosLon * cosLon * cosLat * cosLat));
        const double y = s * std::atan2(sinLat, cosLon * cosLat);
        Pixel(m, x, y, px, py);
        return true;
    }

    // Kind 9: the distances of the region's edge latitudes from the pole, on a stereographic
    // map of unit globe diameter; the region's height fills the bitmap height.
    static void PolarStereographicSetUp(TMapping& m, double latMin, double latMax)
    {
        if (m.LatitudeSpan != 0) {
            auto g = [&m](double latitude) {
                const double phi = latitude * DegToRad;
                return m.SouthernHemisphere ? std::tan((Pi / 2 + phi) / 2)
                                            : std::tan((Pi / 2 - phi) / 2);
            };
            const double v = g(latMin), h = g(latMax);
            try {
                m.Scale = ToSingle(Divide(1.0, std::fabs(h - v)));
            } catch (const EArithmeticError&) {
            }
            try {
                m.PolarOffset = ToSingle(CheckFinite((h + v) * m.Scale / 2));
            } catch (const EArithmeticError&) {
                m.PolarOffset = 0;
            }
        } else {
            m.Scale = 1.7f;
            const double c = std::cos(m.CentreLatitude * DegToRad);
            m.PolarOffset = static_cast<float>(c * c * 1.7);
        }
        try {
            m.InvScale = ToSingle(Divide(1.0, m.Scale));
        } catch (const EArithmeticError&) {
            m.InvScale = 0;
        }
    }

    static bool PolarStereographic(const TMapping& m, double latitude, double, double dLon,
                                   double& px, double& py, bool&)
    {
        const double w = m.Width, h = m.Height, halfH = m.HalfHeight, s = m.Scale;
        const double phi = latitude * DegToRad, dl = dLon * DegToRad;
        double x, y;
        if (!m.SouthernHemisphere) {
            const double rho = s * std::tan((Pi / 2 - phi) / 2);
            x = rho * std::sin(dl);
            y = m.PolarOffset - rho * std::cos(dl);
        } else {
            const double rho = s * std::tan((Pi / 2 + phi) / 2);
            x = rho * std::sin(dl);
            y = rho * std::cos(dl) - m.PolarOffset;
        }
        px = CheckFinite(h * x + w / 2);
        py = CheckFinite(halfH - h * y);
        return true;
    }
    static bool PolarStereographicInverse(const TMapping& m, const TInverseInput& in,
                                          double& latitude, double& longitude)
    {
        const double w = m.Width, h = m.Height;
        const double x = (in.X - w / 2) / h;
        const double yH = 0.5 - in.Y / h;
        const double y = m.SouthernHemisphere ? yH + m.PolarOffset : yH - m.PolarOffset;
        if (x == 0 && y == 0)
            return Centre(m, latitude, longitude);
        const double c = 2 * std::atan(std::sqrt(x * x + y * y) * m.InvScale);
        if (!m.SouthernHemisphere) {
            longitude = m.CentreLongitude + std::atan2(x, -y) * RadToDeg;
            latitude = ArcSin(std::cos(c)) * RadToDeg;
        } else {
            longitude = m.CentreLongitude + std::atan2(x, y) * RadToDeg;
            latitude = ArcSin(-std::cos(c)) * RadToDeg;
        }
        return true;
    }

    static bool LambertConformal(const TMapping& m, double latitude, double longitude, double dLon,
                                 double& px, double& py, bool&)
    {
        TAngles t;
        if (!InReach(m, latitude, longitude, dLon, t))
            return false;
        const double e = m.Eccentricity;
        const double phi = (m.SouthernHemisphere ? -latitude : latitude) * DegToRad;
        const double es = e * std::sin(phi);
        const double tau = std::tan(Pi / 4 - phi / 2);
        double ts = 0;
        if (std::fabs(tau) >= 1e-5)
            ts = Power(Divide(tau, Power((1 - es) / (1 + es), e / 2)), m.ConeConstant);
        const double rho = m.ConeScale * ts;
        const double theta = m.ConeFactor * dLon;
        const double x = rho * std::sin(theta);
        const double y = m.ConeRho0 - rho * std::cos(theta);
        Pixel(m, x, m.SouthernHemisphere ? -y : y, px, py);
        return true;
    }
    static bool LambertConformalInverse(const TMapping& m, const TInverseInput& in,
                                        double& latitude, double& longitude)
    {
        m.LambertInverse(in.xW, m.SouthernHemisphere ? -in.yW : in.yW, latitude, longitude);
        return true;
    }

    static bool Gnomonic(const TMapping& m, double latitude, double longitude, double dLon,
                         double& px, double& py, bool& store)
    {
        TAngles t;
        if (!InReach(m, latitude, longitude, dLon, t))
            return false;
        const TAzimuthal a = SeenFromCentre(m, t);
        if (std::fabs(a.CosArc) >= 1 || a.CosArc < 1e-6) {
            // On the horizon or behind it: the centre pixel is stored all the same.
            Pixel(m, 0, 0, px, py);
            store = true;
            return false;
        }
        const double k = Divide(m.Scale, a.CosArc);
        Pixel(m, k * a.East, k * a.North, px, py);
        return true;
    }
    static bool GnomonicInverse(const TMapping& m, const TInverseInput& in, double& latitude,
                                double& longitude)
    {
        if (in.rho < 1e-5)
            return Centre(m, latitude, longitude);
        const double c = std::atan(Divide(in.rho, m.Scale));
        m.AzimuthalCompletion(in.xW, in.yW, in.rho, std::sin(c), std::cos(c), latitude, longitude);
        longitude = ReduceLongitude(longitude);
        return true;
    }

    // Kind 12: the whole world in a circle of radius 0.155 pi.
    static void VanDerGrintenSetUp(TMapping& m, double, double)
    {
        m.Scale = 0.155f;
        m.VdGRadius = static_cast<float>(0.155 * Pi);
        m.InvVdGRadius = 1.0f / m.VdGRadius;
    }

    static bool VanDerGrinten(const TMapping& m, double latitude, double, double dLon, double& px,
                              double& py, bool&)
    {
        double x, y;
        m.VanDerGrinten(latitude, dLon, x, y);
        Pixel(m, x, y, px, py);
        return true;
    }
    static bool VanDerGrintenInverse(const TMapping& m, const TInverseInput& in, double& latitude,
                                     double& longitude)
    {
        m.VanDerGrintenInverse(in.xW, in.yW, latitude, longitude);
        return true;
    }

    // Kind 13: the latitude span fills the bitmap height; without one, the whole globe.
    static void AzimuthalWorldSetUp(TMapping& m, double, double)
    {
        try {
            if (m.LatitudeSpan != 0 && m.Width != 0 && m.Height != 0)
                m.Scale = ToSingle(
                    Divide(static_cast<double>(m.Height) / m.Width, m.LatitudeSpan * DegToRad));
            else if (m.Width < m.Height)
                m.Scale = 0.15915494f;
            else
                m.Scale =
                    ToSingle(CheckFinite(m.Height * static_cast<double>(m.InvWidth) / (2 * Pi)));
        } catch (const EArithmeticError&) {
            m.Scale = 1.0f;
        }
    }

    static bool AzimuthalWorld(const TMapping& m, double latitude, double longitude, double,
                               double& px, double& py, bool&)
    {
        const double sinPhi0 = m.SinCentreLatitude, cosPhi0 = m.CosCentreLatitude;
        const double phi = latitude * DegToRad, phi0 = m.CentreLatitude * DegToRad;
        const double dlw = (m.CentreLongitude - longitude) * DegToRad; // westward, not reduced
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
        const double rho = m.Scale * c;
        Pixel(m, -rho * std::sin(az), rho * std::cos(az), px, py);
        return true;
    }
    static bool AzimuthalWorldInverse(const TMapping& m, const TInverseInput& in, double& latitude,
                                      double& longitude)
    {
        if (in.rho < 1e-5)
            return Centre(m, latitude, longitude);
        const double c = Divide(in.rho, m.Scale);
        if (c >= 2 * Pi)
            return false;
        m.AzimuthalWorldInverse(in.xW, in.yW, c, latitude, longitude);
        return true;
    }

    static bool Centre(const TMapping& m, double& latitude, double& longitude)
    {
        latitude = m.CentreLatitude;
        longitude = m.CentreLongitude;
        return true;
    }

    // Projection kinds by code: what choosing the kind sets, its set-up after every change of
    // the view, and its transforms.
    using TSetUp = void (*)(TMapping&, double latMin, double latMax);
    struct TKind {
        float DefaultScale;   // the Scale the kind starts with (0: Scale kept)
        bool GreenwichCentre; // the kind centres on longitude 0
        bool WorldSpan;       // ... and spans 360 degrees
        TSetUp SetUp;         // nullptr: nothing beyond the shared constants
        TForward Forward;
        TInverse Inverse;
        double ReachKm;               // 0 for the kinds that reach round the globe
        bool InsideBitmapOnly;        // visible only where the stored pixel lies in the bitmap
        bool ReducesInverseLongitude; // the inverse gives longitudes in [-180, 180)
    };
    static const TKind Kinds[15];
    static const TKind& Kind(std::uint8_t code) { return code < 15 ? Kinds[code] : Kinds[0]; }
};

const TMapping::TKinds::TKind TMapping::TKinds::Kinds[15] = {
    {0, false, false, nullptr, NoForward, NoInverse, 0, false, false},
    {0, false, false, nullptr, PlateCarree, PlateCarreeInverse, 0, false, true},
    {0, true, false, nullptr, PlateCarreeZoomed, PlateCarreeZoomedInverse, 0, false, true},
    {0.75f, false, false, nullptr, Azimuthal, AzimuthalInverse, AzimuthalReachKm, false, true},
    {0.4f, false, false, FittedSetUp, Azimuthal, AzimuthalInverse, AzimuthalReachKm, false, true},
    {0, true, true, nullptr, Mercator, MercatorInverse, 0, false, true},
    {0, false, false, MercatorZoomedSetUp, MercatorZoomed, MercatorZoomedInverse, 0, true, true},
    {0.8f, false, false, FittedSetUp, Orthographic, OrthographicInverse, OrthographicReachKm, false,
     false},
    {0.8f, false, false, FittedSetUp, Cassini, NoInverse, OrthographicReachKm, false, false},
    {1.7f, false, false, PolarStereographicSetUp, PolarStereographic, PolarStereographicInverse, 0,
     false, false},
    {0, false, false, nullptr, LambertConformal, LambertConformalInverse, LambertReachKm, false,
     false},
    {0.4f, false, false, FittedSetUp, Gnomonic, GnomonicInverse, AzimuthalReachKm, false, true},
    {0, false, false, VanDerGrintenSetUp, VanDerGrinten, VanDerGrintenInverse, 0, false, false},
    {0.2f, false, false, AzimuthalWorldSetUp, AzimuthalWorld, AzimuthalWorldInverse, 0, false,
     true},
    {0, false, false, nullptr, PlateCarreeZoomed, PlateCarreeZoomedInverse, 0, false, true},
};

void TMapping::ApplyKindDefaults()
{
    const TKinds::TKind& kind = TKinds::Kind(Projection);
    if (kind.DefaultScale != 0)
        Scale = kind.DefaultScale;
    if (kind.GreenwichCentre)
        CentreLongitude = 0;
    if (kind.WorldSpan)
        LongitudeSpan = 360;
}

void TMapping::SetUpKind(double latMin, double latMax)
{
    const TKinds::TKind& kind = TKinds::Kind(Projection);
    if (kind.SetUp != nullptr)
        kind.SetUp(*this, latMin, latMax);
}

void TMapping::PrepareTransforms()
{
    const TKinds::TKind& kind = TKinds::Kind(Projection);
    reachCos_ = 2; // nothing in reach until set below
    reachBand_ = std::numeric_limits<double>::infinity();
    if (kind.ReachKm == 0)
        return;
    static const double orthographic = ReachCosine(OrthographicReachKm);
    static const double azimuthal = ReachCosine(AzimuthalReachKm);
    static const double lambert = ReachCosine(LambertReachKm);
    reachCos_ = kind.ReachKm == OrthographicReachKm ? orthographic
                : kind.ReachKm == AzimuthalReachKm  ? azimuthal
                                                    : lambert;
    const double phi0 = CentreLatitude * DegToRad;
    reachSinLat0_ = std::sin(phi0);
    reachCosLat0_ = std::cos(phi0);
    // A point further in latitude than the reach's arc is further in distance; the margin
    // keeps the shortcut clear of rounding.
    if (std::fabs(CentreLatitude) <= 90.0f)
        reachBand_ = kind.ReachKm / EarthRadiusKm * RadToDeg + 0.01;
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
    const double xr = Divide(
        a * (g - p2) + Sqrt(a2 * (g - p2) * (g - p2) - denominator * (g * g - p2)), denominator);
    const double yr = Divide(p * q - a * Sqrt((a2 + 1) * denominator - q * q), denominator);
    x = r * xr;
    if (deltaLon < 0)
        x = -x;
    y = r * yr;
    if (latitude < 0)
        y = -y;
}

// Runs the kind's forward transform and stores the pixel in the caller's type: rounded to
// whole pixels or as singles. The zoomed Mercator is visible only inside the bitmap, tested on
// the stored values.
template <typename T, typename Convert>
bool TMapping::StoreForward(float latitude, float longitude, T& x, T& y, Convert convert) const
{
    const TKinds::TKind& kind = TKinds::Kind(Projection);
    try {
        CheckFinite(latitude);
        const double dLon = ReduceDifference(longitude - static_cast<double>(CentreLongitude));
        double px = 0, py = 0;
        bool store = false;
        const bool visible = kind.Forward(*this, latitude, longitude, dLon, px, py, store);
        if (!visible && !store)
            return false;
        const T cx = convert(px), cy = convert(py);
        x = cx;
        y = cy;
        if (kind.InsideBitmapOnly)
            return cx >= 0 && cx < Width && cy >= 0 && cy < Height;
        return visible;
    } catch (const EArithmeticError&) {
        return false;
    }
}

bool TMapping::LatLonToXY(float latitude, float longitude, std::int32_t& x, std::int32_t& y) const
{
    if (Projection == pkOrthographic) {
        const int near = TKinds::OrthographicNear(*this, latitude, longitude, x, y);
        if (near >= 0)
            return near == 1;
    } else if (Projection == pkPlateCarree || Projection == pkPlateCarreeZoomed ||
               Projection == pkPlateCarreeNorth) {
        const int near = TKinds::PlateCarreeNear(*this, latitude, longitude, x, y);
        if (near >= 0)
            return near == 1;
    }
    return StoreForward(latitude, longitude, x, y, RoundHalfEven);
}

bool TMapping::LimitedReach() const
{
    return TKinds::Kind(Projection).ReachKm != 0 && reachCos_ <= 1 && reachCosLat0_ >= 0;
}

// The largest cosine of the arc from the centre to any point of the box, against the reach's.
// With both latitudes' cosines non-negative, cos c = sin phi sin phi0 + cos phi cos phi0 cos dl
// is at most g(phi) = sin phi sin phi0 + cos phi cos phi0 cos d, d the smallest longitude
// difference in the box; g = R cos(phi - alpha) peaks at alpha or else at an end of the
// latitude range. The margin is far above the rounding of either computation.
bool TMapping::OutOfReach(float south, float north, float west, float east) const
{
    if (!LimitedReach())
        return false;
    // Boxes off the globe or with far-out longitudes are never passed over (this also turns
    // away not-a-number bounds).
    if (!(south >= -90 && north <= 90 && south <= north && west <= east && west >= -10000 &&
          east <= 10000))
        return false;
    const double width = static_cast<double>(east) - west;
    double nearest = 0; // degrees of longitude from the centre's meridian, 0 to 180
    if (width < 360) {
        const double start = static_cast<double>(west) - CentreLongitude;
        const double from = start - 360 * std::floor((start + 180) / 360); // in [-180, 180)
        const double to = from + width;
        if (from > 0)
            nearest = std::max(0.0, std::min(from, 360 - to));
        else if (to < 0)
            nearest = -to;
    }
    const double s0 = reachSinLat0_, c0 = reachCosLat0_ * std::cos(nearest * DegToRad);
    const auto g = [&](double phi) { return s0 * std::sin(phi) + c0 * std::cos(phi); };
    const double a = south * DegToRad, b = north * DegToRad;
    const double peak = std::atan2(s0, c0);
    const double largest = peak >= a && peak <= b ? std::hypot(s0, c0) : std::max(g(a), g(b));
    return largest < reachCos_ - 1e-9;
}

bool TMapping::LatLonToXYF(float latitude, float longitude, float& x, float& y) const
{
    return StoreForward(latitude, longitude, x, y, ToSingle);
}

bool TMapping::XYToLatLon(std::int32_t x, std::int32_t y, float& latitude, float& longitude) const
{
    if (Height == 0 || Width == 0)
        return false;
    const TKinds::TKind& kind = TKinds::Kind(Projection);
    try {
        const double w = Width, halfH = HalfHeight;
        const double X = x, Y = y;
        const double xW = X / w - 0.5, yW = (halfH - Y) / w;
        double lat = 0, lon = 0;
        if (!kind.Inverse(*this, {X, Y, xW, yW, std::sqrt(xW * xW + yW * yW)}, lat, lon))
            return false;
        float fLat = ToSingle(lat), fLon = ToSingle(lon);
        // A longitude just short of 180 may round up to 180 in single precision; the kinds
        // that promise [-180, 180) turn it into -180.
        if (fLon == 180.0f && kind.ReducesInverseLongitude)
            fLon = -180.0f;
        latitude = fLat;
        longitude = fLon;
        return true;
    } catch (const EArithmeticError&) {
        return false;
    }
}

// The latitude and longitude of a point at arc c from the centre, given the point's map
// coordinates (x, y) at distance rho from the centre.
void TMapping::AzimuthalCompletion(double x, double y, double rho, double sinArc, double cosArc,
                                   double& latitude, double& longitude) const
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
void TMapping::VanDerGrintenInverse(double xW, double yW, double& latitude, double& longitude) const
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
    const double d =
        Divide(y2, c3) + (2 * ratio * ratio * ratio - Divide(9 * c1 * c2, c3 * c3)) / 27;
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
