#include "make-samples/Orbit.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace veltra::samples {

namespace {

constexpr double Degree = std::numbers::pi / 180.0;

TVector3 Add(const TVector3& a, const TVector3& b)
{
    return {a.X + b.X, a.Y + b.Y, a.Z + b.Z};
}

TVector3 Scale(const TVector3& a, double s)
{
    return {a.X * s, a.Y * s, a.Z * s};
}

TVector3 Cross(const TVector3& a, const TVector3& b)
{
    return {a.Y * b.Z - a.Z * b.Y, a.Z * b.X - a.X * b.Z, a.X * b.Y - a.Y * b.X};
}

double NormaliseLongitude(double degrees)
{
    double lon = std::fmod(degrees + 180.0, 360.0);
    if (lon < 0)
        lon += 360.0;
    return lon - 180.0;
}

} // namespace

TOrbit TOrbit::Through(const TSatellite& satellite, double latitude, double longitude,
                       bool descending, double time)
{
    TOrbit orbit;
    orbit.radius_ = EarthRadiusKm + satellite.AltitudeKm;
    orbit.inclination_ = satellite.InclinationDeg * Degree;
    // Argument of latitude u of the point: sin(latitude) = sin(i) sin(u).
    const double s =
        std::clamp(std::sin(latitude * Degree) / std::sin(orbit.inclination_), -1.0, 1.0);
    const double u = descending ? std::numbers::pi - std::asin(s) : std::asin(s);
    const double sinceNode = u / orbit.MeanMotion();
    orbit.nodeTime_ = time - sinceNode;
    // Longitude of the point = node longitude + its angle along the equator - earth rotation.
    const double alongEquator = std::atan2(std::cos(orbit.inclination_) * std::sin(u), std::cos(u));
    orbit.nodeLongitude_ = longitude * Degree - alongEquator + EarthRotationRadS * sinceNode;
    return orbit;
}

double TOrbit::MeanMotion() const
{
    return std::sqrt(EarthGravityKm3S2 / (radius_ * radius_ * radius_));
}

double TOrbit::PeriodS() const
{
    return 2.0 * std::numbers::pi / MeanMotion();
}

void TOrbit::Frame(double time, TVector3& radial, TVector3& along) const
{
    const double u = MeanMotion() * (time - nodeTime_);
    const double ci = std::cos(inclination_), si = std::sin(inclination_);
    const TVector3 node{std::cos(nodeLongitude_), std::sin(nodeLongitude_), 0.0};
    const TVector3 north{-std::sin(nodeLongitude_) * ci, std::cos(nodeLongitude_) * ci, si};
    radial = Add(Scale(node, std::cos(u)), Scale(north, std::sin(u)));
    along = Add(Scale(node, -std::sin(u)), Scale(north, std::cos(u)));
}

int TOrbit::RevolutionsSinceNode(double time) const
{
    return static_cast<int>(std::floor((time - nodeTime_) / PeriodS()));
}

TVector3 TOrbit::Position(double time) const
{
    TVector3 radial, along;
    Frame(time, radial, along);
    return Scale(radial, radius_);
}

TVector3 TOrbit::Velocity(double time) const
{
    TVector3 radial, along;
    Frame(time, radial, along);
    return Scale(along, radius_ * MeanMotion());
}

TGroundPoint TOrbit::EarthFixed(const TVector3& p, double time) const
{
    const double r = std::sqrt(p.X * p.X + p.Y * p.Y + p.Z * p.Z);
    const double lat = std::asin(p.Z / r) / Degree;
    const double lon = (std::atan2(p.Y, p.X) - EarthRotationRadS * (time - nodeTime_)) / Degree;
    return {lat, NormaliseLongitude(lon)};
}

TGroundPoint TOrbit::SubSatellitePoint(double time) const
{
    return EarthFixed(Position(time), time);
}

TGroundPoint TOrbit::ScanPoint(double time, double scanAngleDeg) const
{
    TVector3 radial, along;
    Frame(time, radial, along);
    // Right of the flight direction, looking down: along x radial.
    const TVector3 right = Cross(along, radial);
    const double eta = scanAngleDeg * Degree;
    const TVector3 ray = Add(Scale(radial, -std::cos(eta)), Scale(right, std::sin(eta)));
    // |r radial + s ray| = R: s^2 - 2 s r cos(eta) + r^2 - R^2 = 0, the nearer root.
    const double r = radius_;
    const double disc = EarthRadiusKm * EarthRadiusKm - r * r * std::sin(eta) * std::sin(eta);
    const double s = r * std::cos(eta) - std::sqrt(std::max(0.0, disc));
    return EarthFixed(Add(Scale(radial, r), Scale(ray, s)), time);
}

TLookAngles TOrbit::SatelliteSeenFrom(double time, const TGroundPoint& point) const
{
    // The satellite in the earth-fixed frame, turned back by the earth's rotation since the
    // node as EarthFixed turns longitudes.
    const TVector3 p = Position(time);
    const double turn = -EarthRotationRadS * (time - nodeTime_);
    const TVector3 satellite{p.X * std::cos(turn) - p.Y * std::sin(turn),
                             p.X * std::sin(turn) + p.Y * std::cos(turn), p.Z};
    const double lat = point.Latitude * Degree, lon = point.Longitude * Degree;
    const TVector3 up{std::cos(lat) * std::cos(lon), std::cos(lat) * std::sin(lon), std::sin(lat)};
    const TVector3 east{-std::sin(lon), std::cos(lon), 0.0};
    const TVector3 north{-std::sin(lat) * std::cos(lon), -std::sin(lat) * std::sin(lon),
                         std::cos(lat)};
    const TVector3 d = Add(satellite, Scale(up, -EarthRadiusKm));
    const auto dot = [](const TVector3& a, const TVector3& b) {
        return a.X * b.X + a.Y * b.Y + a.Z * b.Z;
    };
    const double length = std::sqrt(dot(d, d));
    const double zenith = std::acos(std::clamp(dot(d, up) / length, -1.0, 1.0)) / Degree;
    double azimuth = std::atan2(dot(d, east), dot(d, north)) / Degree;
    if (azimuth < 0)
        azimuth += 360.0;
    return {zenith, azimuth};
}

} // namespace veltra::samples
