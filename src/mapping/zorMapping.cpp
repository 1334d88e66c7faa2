// The projection object: setters, the constants every kind shares, the unit-level helpers and
// the region presets. What each kind brings and derives is in zorMappingTransforms.cpp.
#include "mapping/zorMapping.h"

#include <atomic>
#include <cmath>

#include "mapping/MappingMath.h"

namespace veltra {

using namespace mapmath;

namespace {

// First eccentricity squared of the ellipsoid of the Lambert kind (the WGS 72 figure, whose
// equatorial radius 6378.135 km is also the sphere of the great-circle distances), kept as
// the single-precision constant 0.0066943177953.
constexpr float EccentricitySquared = 0.0066943178f;
// The Lambert cone is drawn on an ellipsoid whose equatorial radius is 1.095 map units.
constexpr double ConeRadius = 1.095;

} // namespace

const std::string DegreeSign = "\xC2\xB0";

bool GreatCircleDistance(double lat1, double lon1, double lat2, double lon2, double& distance)
{
    const double p1 = lat1 * DegToRad;
    const double p2 = lat2 * DegToRad;
    double cosArc = std::sin(p1) * std::sin(p2) +
                    std::cos(p1) * std::cos(p2) * std::cos((lon2 - lon1) * DegToRad);
    if (!std::isfinite(cosArc))
        return false;
    // Our decision: rounding takes the cosine just past +-1 for a point at the centre or at
    // its antipode; clamped, those get the distances 0 and half the circumference instead of
    // no distance at all.
    if (cosArc > 1.0)
        cosArc = 1.0;
    else if (cosArc < -1.0)
        cosArc = -1.0;
    distance = std::acos(cosArc) * EarthRadiusKm;
    return true;
}

double MercatorOrdinate(double latitude)
{
    // At the poles and beyond the ordinate is infinite or undefined: the latitude stands in.
    if (!(std::fabs(latitude) < 90.0))
        return latitude;
    if (latitude > 0)
        return RadToDeg * std::log(std::tan(Pi / 4 + latitude * Pi / 360));
    if (latitude < 0)
        return -RadToDeg * std::log(std::tan(Pi / 4 - latitude * Pi / 360));
    return 0.0;
}

double MercatorLatitude(double ordinate)
{
    if (ordinate > 0) {
        const double growth = std::exp(ordinate * Pi / 180);
        if (!std::isfinite(growth))
            return ordinate;
        return (std::atan(growth) - Pi / 4) * 360 / Pi;
    }
    if (ordinate < 0) {
        const double growth = std::exp(-ordinate * Pi / 180);
        if (!std::isfinite(growth))
            return ordinate;
        return (Pi / 4 - std::atan(growth)) * 360 / Pi;
    }
    return ordinate; // zero, or not a number
}

void TMapping::SetProjection(std::uint8_t kind)
{
    Projection = kind;
    ApplyKindDefaults();
    Recalculate();
}

void TMapping::Assign(const TMapping& source)
{
    SetProjection(source.Projection);
    SetHeight(source.GetHeight());
    SetWidth(source.GetWidth());
    SetLongitudeSpan(source.LongitudeSpan);
    SetLatitudeSpan(source.LatitudeSpan);
    SetCentreLongitude(source.CentreLongitude);
    SetCentreLatitude(source.CentreLatitude);
    SetStandardParallel1(source.StandardParallel1);
    SetStandardParallel2(source.StandardParallel2);
}

bool TMapping::CanLocate() const
{
    return ProjectionKindOf(Projection).Locates;
}

void TMapping::SetLatitudeSpan(float span)
{
    LatitudeSpan = span;
    Recalculate();
}

void TMapping::SetLongitudeSpan(float span)
{
    LongitudeSpan = span;
    Recalculate();
}

void TMapping::SetHeight(std::int32_t height)
{
    Height = height;
    if (height != 0)
        InvHeight = 1.0f / static_cast<float>(height);
    Recalculate();
}

void TMapping::SetWidth(std::int32_t width)
{
    Width = width;
    if (width != 0)
        InvWidth = 1.0f / static_cast<float>(width);
    Recalculate();
}

void TMapping::SetCentreLongitude(float longitude)
{
    CentreLongitude = longitude;
    Recalculate();
}

void TMapping::SetCentreLatitude(float latitude)
{
    CentreLatitude = latitude;
    // The polar and conic kinds need a hemisphere; the equator itself counts as southern.
    if ((Projection == pkPolarStereographic || Projection == pkLambertConformal) &&
        std::fabs(latitude) < 0.001f)
        CentreLatitude = latitude > 0 ? 0.001f : -0.001f;
    StandardParallel1 = StandardParallel2 = std::fabs(CentreLatitude);
    SouthernHemisphere = CentreLatitude < 0;
    SinCentreLatitude = static_cast<float>(std::sin(CentreLatitude * DegToRad));
    CosCentreLatitude = static_cast<float>(std::cos(CentreLatitude * DegToRad));
    Recalculate();
}

void TMapping::SetStandardParallel1(float latitude)
{
    StandardParallel1 = std::fabs(latitude);
    Recalculate();
}

void TMapping::SetStandardParallel2(float latitude)
{
    StandardParallel2 = std::fabs(latitude);
    Recalculate();
}

void TMapping::Recalculate()
{
    if (Projection != pkAzimuthalWorld && LatitudeSpan > 180)
        LatitudeSpan = 180;
    Eccentricity = static_cast<float>(std::sqrt(static_cast<double>(EccentricitySquared)));
    HalfEccentricity = Eccentricity / 2;
    RecalculateCone();
    LongitudeMin = CentreLongitude - LongitudeSpan / 2;
    LatitudeMin = CentreLatitude - LatitudeSpan / 2;
    HalfHeight = Height / 2;
    SetUpKind(LatitudeMin, static_cast<double>(CentreLatitude) + LatitudeSpan / 2.0);
    PrepareTransforms();
    static std::atomic<std::uint64_t> views{0};
    viewStamp_ = ++views;
}

// The Lambert cone after Snyder's ellipsoidal formulas. The cone is set on the complements of
// the standard parallels (so a centre at 55 degrees gives a cone touching at 35 degrees) and
// its origin on the centre latitude itself. A fault keeps the fields not yet reached as they
// were.
void TMapping::RecalculateCone()
{
    const double e = Eccentricity;
    const double e2 = EccentricitySquared;
    auto t = [e](double phi) {
        const double es = e * std::sin(phi);
        return Divide(std::tan(Pi / 4 - phi / 2), Power((1 - es) / (1 + es), e / 2));
    };
    auto m = [e2](double phi) {
        const double s = std::sin(phi);
        return Divide(std::cos(phi), Sqrt(1 - e2 * s * s));
    };
    try {
        const double phi1 = (90.0 - StandardParallel1) * DegToRad;
        const double phi2 = (90.0 - StandardParallel2) * DegToRad;
        const double t1 = t(phi1), m1 = m(phi1);
        const double t0 = t(std::fabs(CentreLatitude) * DegToRad);
        double n;
        if (phi1 == phi2 || std::fabs(StandardParallel1) <= 0.1f ||
            std::fabs(StandardParallel2) <= 0.1f) {
            n = std::sin(phi1);
        } else {
            const double t2 = t(phi2), m2 = m(phi2);
            n = Divide(Ln(m1) - Ln(m2), Ln(t1) - Ln(t2));
        }
        ConeConstant = ToSingle(n);
        InvConeConstant = ToSingle(Divide(1.0, n));
        const double f = Divide(m1, n * Power(t1, n));
        ConeScale = ToSingle(f * ConeRadius);
        InvConeScale = ToSingle(Divide(1.0, ConeScale));
        ConeRho0 = ToSingle(ConeScale * Power(t0, n));
        ConeFactor = ToSingle(n * Pi / 180);
        InvConeFactor = ToSingle(Divide(1.0, ConeFactor));
    } catch (const EArithmeticError&) {
    }
}

bool ApplyRegionPreset(TMapping& mapping, int region)
{
    mapping.SetLongitudeSpan(150);
    mapping.SetLatitudeSpan(75);
    for (const TRegionPreset& preset : RegionPresets) {
        if (preset.Region != region)
            continue;
        mapping.SetCentreLongitude(preset.CentreLongitude);
        mapping.SetCentreLatitude(preset.CentreLatitude);
        if (preset.LatitudeSpan != 0)
            mapping.SetLatitudeSpan(preset.LatitudeSpan);
        return true;
    }
    return false;
}

} // namespace veltra
