#pragma once
// Numeric helpers shared by the decoders, the projection and the colour scale.
#include <cmath>
#include <cstdint>
#include <limits>

#include "base/Errors.h"

namespace veltra {

// The whole number nearest a value of magnitude below 2^51, halves to even, without checks.
// Adding and taking away 1.5 * 2^52 leaves no bits below the units, rounded as the
// floating-point unit rounds: nearbyint's result for any value this small, without a call.
inline double RoundedWhole(double value)
{
    constexpr double Shift = 6755399441055744.0;
    return (value + Shift) - Shift;
}

// Rounds to the nearest integer, halves to even (the default floating-point rounding mode).
// The value must be finite and within the 32-bit range; anything else is an arithmetic fault.
inline std::int32_t RoundHalfEven(double value)
{
    if (!std::isfinite(value) || value >= 2147483647.5 || value < -2147483648.5)
        throw EArithmeticError("Invalid floating point operation");
    return static_cast<std::int32_t>(RoundedWhole(value));
}

// Converts a double to single precision; an overflow or a result that is not a number is an
// arithmetic fault, as storing such a value into a single-precision field would be.
inline float ToSingle(double value)
{
    if (std::isnan(value))
        throw EArithmeticError("Invalid floating point operation");
    if (std::isfinite(value) && std::fabs(value) > std::numeric_limits<float>::max())
        throw EArithmeticError("Floating point overflow");
    return static_cast<float>(value);
}

// Checks the result of a floating-point computation that must be finite.
inline double CheckFinite(double value)
{
    if (!std::isfinite(value))
        throw EArithmeticError("Invalid floating point operation");
    return value;
}

// A division that raises on a zero divisor or a non-finite result.
inline double Divide(double numerator, double denominator)
{
    if (denominator == 0.0)
        throw EArithmeticError("Floating point division by zero");
    return CheckFinite(numerator / denominator);
}

} // namespace veltra
