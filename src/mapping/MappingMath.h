#pragma once
// Checked trigonometry for the projection code. The processor does not trap a square root of a
// negative number, an arcsine past 1 or a logarithm of zero: each helper checks its domain and
// raises EArithmeticError, which the transforms turn into "not visible".
#include <cmath>
#include <numbers>

#include "base/Numbers.h"

namespace veltra::mapmath {

inline constexpr double Pi = std::numbers::pi;
inline constexpr double DegToRad = Pi / 180.0;
inline constexpr double RadToDeg = 180.0 / Pi;
// Radius of the sphere of great-circle distances, km (the WGS 72 equatorial radius).
inline constexpr double EarthRadiusKm = 6378.135;

inline double Sqrt(double value)
{
    if (!(value >= 0.0))
        throw EArithmeticError();
    return CheckFinite(std::sqrt(value));
}

inline double ArcSin(double value)
{
    if (!(value >= -1.0 && value <= 1.0))
        throw EArithmeticError();
    return std::asin(value);
}

inline double ArcCos(double value)
{
    if (!(value >= -1.0 && value <= 1.0))
        throw EArithmeticError();
    return std::acos(value);
}

inline double Ln(double value)
{
    if (!(value > 0.0))
        throw EArithmeticError();
    return CheckFinite(std::log(value));
}

inline double Power(double base, double exponent)
{
    return CheckFinite(std::pow(CheckFinite(base), CheckFinite(exponent)));
}

// Whole turns of 360 degrees taken off far-out values at once, so a huge angle cannot keep a
// subtraction loop running; fmod is exact, so moderate values come out as repeated steps would.
inline double TakeWholeTurns(double degrees)
{
    CheckFinite(degrees);
    if (std::fabs(degrees) > 1080.0)
        degrees = std::fmod(degrees, 360.0);
    return degrees;
}

// A longitude difference into [-180, 180].
inline double ReduceDifference(double degrees)
{
    degrees = TakeWholeTurns(degrees);
    while (degrees > 180.0)
        degrees -= 360.0;
    while (degrees < -180.0)
        degrees += 360.0;
    return degrees;
}

// A longitude into [-180, 180).
inline double ReduceLongitude(double degrees)
{
    degrees = TakeWholeTurns(degrees);
    while (degrees >= 180.0)
        degrees -= 360.0;
    while (degrees < -180.0)
        degrees += 360.0;
    return degrees;
}

} // namespace veltra::mapmath
