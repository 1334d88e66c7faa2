#pragma once
// A circular, sun-synchronous-like polar orbit over a spherical, rotating earth, and the
// earth location of a cross-track scan: the scan ray leaves the satellite in the plane at
// right angles to its flight direction and meets the earth where geometry puts it, so swaths
// widen with altitude and curve with the orbit and the earth's rotation.
#include "make-samples/Instruments.h"

namespace veltra::samples {

constexpr double EarthRadiusKm = 6371.0;
constexpr double EarthGravityKm3S2 = 398600.4418; // GM, km^3/s^2
constexpr double EarthRotationRadS = 7.2921159e-5;

struct TVector3 {
    double X = 0, Y = 0, Z = 0;
};

struct TGroundPoint {
    double Latitude = 0;  // degrees, north positive
    double Longitude = 0; // degrees east, -180 to 180
};

// A direction seen from a place on the ground: its angle from the local vertical and its
// azimuth, clockwise from north, 0 to 360 degrees.
struct TLookAngles {
    double Zenith = 0;
    double Azimuth = 0;
};

class TOrbit {
public:
    // The orbit of the satellite whose sub-satellite point passes latitude and longitude
    // (degrees) at the given time (seconds), going north (ascending) or south.
    static TOrbit Through(const TSatellite& satellite, double latitude, double longitude,
                          bool descending, double time);

    double RadiusKm() const { return radius_; }
    // When the reference revolution crosses the equator northwards (seconds).
    double NodeTime() const { return nodeTime_; }
    double PeriodS() const;

    // Inertial position (km) and velocity (km/s) in the frame that coincides with the
    // earth-fixed one when the satellite crosses the equator northwards.
    TVector3 Position(double time) const;
    TVector3 Velocity(double time) const;

    // Ascending-node crossings from the reference revolution's node to the time (negative
    // before it).
    int RevolutionsSinceNode(double time) const;

    TGroundPoint SubSatellitePoint(double time) const;
    // Where the ray at scanAngleDeg from nadir (negative to the left of the flight direction)
    // meets the earth at the given time.
    TGroundPoint ScanPoint(double time, double scanAngleDeg) const;
    // Where the satellite is seen from a point on the ground at the given time.
    TLookAngles SatelliteSeenFrom(double time, const TGroundPoint& point) const;

private:
    double radius_ = 0;        // km from the earth's centre
    double inclination_ = 0;   // radians
    double nodeLongitude_ = 0; // earth-fixed longitude of the ascending node, radians
    double nodeTime_ = 0;      // seconds, when the satellite crosses it

    double MeanMotion() const; // radians per second
    void Frame(double time, TVector3& radial, TVector3& along) const;
    TGroundPoint EarthFixed(const TVector3& point, double time) const;
};

} // namespace veltra::samples
