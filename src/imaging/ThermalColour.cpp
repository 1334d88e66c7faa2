#include "imaging/ThermalColour.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <limits>

#include "base/Format.h"
#include "base/Numbers.h"

namespace veltra {

namespace {

// Celsius offset of the scale labels (the triple point of water, not 273.15).
constexpr double CelsiusOffset = 273.16;

// The hue arithmetic keeps its intermediate values (h, f, p, q, t, H) in single precision,
// each expression evaluated wider and then stored: the 8-bit components of the ramp (300 K in
// 150..320 K is 157 green, not 158) depend on it.
float Single(double value)
{
    return static_cast<float>(value);
}

int Component(float unit)
{
    return RoundHalfEven(static_cast<double>(unit) * 255.0);
}

} // namespace

void HSVToRGB(float hue, float saturation, float value, float& r, float& g, float& b)
{
    if (saturation == 0.0f) {
        r = g = b = value;
        return;
    }
    const float h = Single((hue == 360.0f ? 0.0 : static_cast<double>(hue)) / 60.0);
    const float sector = std::trunc(h);
    if (!(sector >= 0.0f && sector <= 5.0f))
        return;
    const double s = saturation;
    const double v = value;
    const float f = Single(static_cast<double>(h) - sector);
    const float p = Single(v * (1.0 - s));
    const float q = Single(v * (1.0 - s * f));
    const float t = Single(v * (1.0 - s * (1.0 - f)));
    switch (static_cast<int>(sector)) {
    case 0: r = value, g = t, b = p; break;
    case 1: r = q, g = value, b = p; break;
    case 2: r = p, g = value, b = t; break;
    case 3: r = p, g = q, b = value; break;
    case 4: r = t, g = p, b = value; break;
    default: r = value, g = p, b = q; break;
    }
}

void RGBToHSV(float r, float g, float b, float& hue, float& saturation, float& value)
{
    const float smallest = std::min({r, g, b});
    value = std::max({r, g, b});
    const double d = static_cast<double>(value) - smallest;
    saturation = value == 0.0f ? 0.0f : Single(d / value);
    if (saturation == 0.0f) {
        hue = 0.0f;
        return;
    }
    if (r == value)
        hue = Single((static_cast<double>(g) - b) * 60.0 / d);
    else if (g == value)
        hue = Single((static_cast<double>(b) - r) * 60.0 / d + 120.0);
    else
        hue = Single((static_cast<double>(r) - g) * 60.0 / d + 240.0);
    if (hue < 0.0f)
        hue = Single(static_cast<double>(hue) + 360.0);
}

void TemperatureToColour(double t, double tMin, double tMax, int& r, int& g, int& b)
{
    if (!(t >= tMin)) {
        r = BelowRangeRed, g = BelowRangeGreen, b = BelowRangeBlue;
        return;
    }
    if (t > tMax) {
        r = AboveRangeRed, g = AboveRangeGreen, b = AboveRangeBlue;
        return;
    }
    // 0 at tMax (red), 1 at tMin (the end of the ramp). An empty range shows its one
    // temperature as the warm end.
    const double x = std::clamp(t, tMin, tMax);
    const double u = tMin == tMax ? 0.0 : (x - tMax) / (tMin - tMax);
    const float hue = Single(HueSpan * u);
    float red = 0, green = 0, blue = 0;
    HSVToRGB(hue, 1.0f, 1.0f, red, green, blue);
    r = Component(red);
    g = Component(green);
    b = Component(blue);
}

bool ColourToTemperature(int r, int g, int b, float& t, float tMin, float tMax)
{
    if (r == BelowRangeRed && g == BelowRangeGreen && b == BelowRangeBlue) {
        t = tMin;
        return false;
    }
    if (r == AboveRangeRed && g == AboveRangeGreen && b == AboveRangeBlue) {
        t = tMax;
        return false;
    }
    float hue = 0, saturation = 0, value = 0;
    RGBToHSV(Single(r / 255.0), Single(g / 255.0), Single(b / 255.0), hue, saturation, value);
    if (saturation == 0.0f)
        return false;
    // Hues between 315 and 360, which the ramp never produces (the coldest ramp colour rounds
    // to about 315.06), read as the cold end.
    float u = Single(static_cast<double>(hue) / HueSpan);
    if (!(u >= 0.0f))
        u = 0.0f;
    if (u > 1.0f)
        u = 1.0f;
    t = Single(tMax + (static_cast<double>(tMin) - tMax) * u);
    return true;
}

TColour ColourForTemperature(float t, double tMin, double tMax)
{
    int r = 0, g = 0, b = 0;
    TemperatureToColour(t, tMin, tMax, r, g, b);
    return PackColour(r, g, b);
}

TColour TColourRamp::Colour(float t, double tMin, double tMax)
{
    if (!built_ || tMin != tMin_ || tMax != tMax_)
        Build(tMin, tMax);
    // Within the range a temperature is positive, so its bit pattern orders as it does.
    if (t >= tMin && t <= tMax && !buckets_.empty()) {
        const std::uint32_t bucket = (std::bit_cast<std::uint32_t>(t) - first_) >> shift_;
        TColour& colour = buckets_[bucket];
        if (colour == Unknown) {
            // The bucket's first and last temperature; both ends are seen the first time the
            // bucket is asked for.
            const std::uint32_t from = first_ + (bucket << shift_);
            const std::uint32_t to = std::min(from + ((1u << shift_) - 1), last_);
            const TColour low = ColourForTemperature(std::bit_cast<float>(from), tMin, tMax);
            colour =
                low == ColourForTemperature(std::bit_cast<float>(to), tMin, tMax) ? low : Mixed;
        }
        if (colour != Mixed)
            return colour;
    }
    return ColourForTemperature(t, tMin, tMax);
}

void TColourRamp::Build(double tMin, double tMax)
{
    tMin_ = tMin;
    tMax_ = tMax;
    built_ = true;
    buckets_.clear();
    if (!(tMin > 0 && tMax > tMin && tMax <= std::numeric_limits<float>::max()))
        return;
    // The lowest and highest single-precision temperatures of the range.
    float low = static_cast<float>(tMin), high = static_cast<float>(tMax);
    if (low < tMin)
        low = std::nextafter(low, std::numeric_limits<float>::infinity());
    if (high > tMax)
        high = std::nextafter(high, 0.0f);
    if (!(low <= high))
        return;
    first_ = std::bit_cast<std::uint32_t>(low);
    last_ = std::bit_cast<std::uint32_t>(high);
    shift_ = 0;
    while (((last_ - first_) >> shift_) >= MaxBuckets)
        ++shift_;
    buckets_.assign(((last_ - first_) >> shift_) + 1, Unknown);
}

TScaleLabels ScaleLabelTexts(double tMin, double tMax, bool celsius)
{
    if (celsius)
        return {Format("%.0fC", tMin - CelsiusOffset), Format("%.0fC", tMax - CelsiusOffset)};
    return {Format("%.0fK", tMin), Format("%.0fK", tMax)};
}

} // namespace veltra
