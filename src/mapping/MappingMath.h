#pragma once
// Checked trigonometry for the projection code. The processor does not trap a square root of a
// negative number, an arcsine past 1 or a logarithm of zero: each helper checks its domain and
// raises EArithmeticError, which the transforms turn into "not visible".
#include <bit>
#include <cmath>
#include <cstdint>
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

// Sines and cosines of two angles of a few radians at most (|x| <= 8) at once, without the
// library: each angle less the nearest multiple of pi/2 (pi/2 taken as a 33-bit head, whose
// multiples are exact, plus its tail), then the Taylor series of both to the 16th power on the
// remainder, |r| <= pi/4, where the first term left out is below 1e-16. The two angles share
// every instruction, two to a register, and the series are summed in pairs of terms (Estrin's
// scheme), which shortens the chain of dependent operations. The results come within a few
// 1e-16 of the true values, as the library's do; they are not the library's bits, so the
// projection only lets them decide what no such difference can change.
struct TSinCosPair {
    double Sin[2], Cos[2];
};
inline TSinCosPair SinCosNear(double a, double b)
{
    using TPair = double __attribute__((vector_size(16)));
    using TPairIndex = std::int64_t __attribute__((vector_size(16)));
    constexpr double TwoOverPi = 2 / Pi;
    constexpr double HalfPiHead = 1.57079632673412561417e+00;
    constexpr double HalfPiTail = 6.07710050650619224932e-11;
    constexpr double Shift = 6755399441055744.0; // 1.5 * 2^52: rounds to a whole number
    const TPair x = {a, b};
    const TPair shifted = x * TwoOverPi + Shift; // the multiple k in its lowest bits
    const TPair k = shifted - Shift;
    const TPair r = (x - k * HalfPiHead) - k * HalfPiTail;
    const TPair r2 = r * r, r4 = r2 * r2, r8 = r4 * r4;
    // sin r = r + r^3 S(r^2), cos r = 1 + r^2 C(r^2), coefficients +-1/n!.
    const TPair s =
        (-1.0 / 6 + r2 * (1.0 / 120)) + r4 * (-1.0 / 5040 + r2 * (1.0 / 362880)) +
        r8 * ((-1.0 / 39916800 + r2 * (1.0 / 6227020800)) + r4 * (-1.0 / 1307674368000));
    const TPair c = (-1.0 / 2 + r2 * (1.0 / 24)) + r4 * (-1.0 / 720 + r2 * (1.0 / 40320)) +
                    r8 * ((-1.0 / 3628800 + r2 * (1.0 / 479001600)) +
                          r4 * (-1.0 / 87178291200 + r2 * (1.0 / 20922789888000)));
    const TPair sinR = r + r * r2 * s;
    const TPair cosR = 1.0 + r2 * c;
    // Quadrant q = k mod 4: sin x = sin r, cos r, -sin r, -cos r for q = 0 to 3 and cos x =
    // cos r, -sin r, -cos r, sin r. Chosen with bit masks, lane by lane, without branches:
    // an odd q swaps the two, bit 1 of q (of q + 1 for the cosine) sets the sign.
    const auto q = std::bit_cast<TPairIndex>(shifted);
    const TPairIndex swap = -(q & 1);
    const auto sinBits = std::bit_cast<TPairIndex>(sinR);
    const auto cosBits = std::bit_cast<TPairIndex>(cosR);
    const TPairIndex sines = ((cosBits & swap) | (sinBits & ~swap)) ^ ((q & 2) << 62);
    const TPairIndex cosines = ((sinBits & swap) | (cosBits & ~swap)) ^ (((q + 1) & 2) << 62);
    const auto sine = std::bit_cast<TPair>(sines), cosine = std::bit_cast<TPair>(cosines);
    return {{sine[0], sine[1]}, {cosine[0], cosine[1]}};
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
