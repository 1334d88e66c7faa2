#pragma once
// The thermal colour scale: brightness temperatures painted as a hue ramp from red (warmest,
// hue 0) through yellow, green, cyan, blue and magenta to a pinkish purple (coldest, hue 315),
// with two marker colours for temperatures outside the displayed range, and its exact inverse
// for the cursor read-out. Also the two labels of the scale bar under the map.
#include <cstdint>
#include <string>
#include <vector>

#include "base/Canvas.h"

namespace veltra {

// Hue span of the ramp in degrees: the coldest end stops short of red.
constexpr float HueSpan = 315.0f;

// Marker colours for temperatures below and above the displayed range.
constexpr int BelowRangeRed = 170, BelowRangeGreen = 190, BelowRangeBlue = 190;
constexpr int AboveRangeRed = 100, AboveRangeGreen = 100, AboveRangeBlue = 85;
constexpr TColour BelowRangeColour = PackColour(BelowRangeRed, BelowRangeGreen, BelowRangeBlue);
constexpr TColour AboveRangeColour = PackColour(AboveRangeRed, AboveRangeGreen, AboveRangeBlue);

// A grey level g (0-255) as a packed colour with R = G = B = g: g * 65793.
constexpr TColour GreyColour(int grey)
{
    return static_cast<TColour>(grey & 255) * 65793u;
}

// Six-sector HSV to RGB: hue in degrees [0, 360), saturation and value 0-1, results 0-1.
// A hue of exactly 360 counts as 0. A hue whose 60-degree sector, truncated toward zero, falls
// outside 0-5 (360 and above, -60 and below, not a number) leaves r, g and b as they were.
void HSVToRGB(float hue, float saturation, float value, float& r, float& g, float& b);

// RGB (0-1) to hue in degrees [0, 360), saturation and value (0-1). Greys have hue 0.
void RGBToHSV(float r, float g, float b, float& hue, float& saturation, float& value);

// The colour of temperature t (kelvin) in the range [tMin, tMax], components 0-255. Below the
// range, or not a number: the below-range colour; above it: the above-range colour.
void TemperatureToColour(double t, double tMin, double tMax, int& r, int& g, int& b);

// The temperature of a ramp colour. The marker colours set t to tMin (below-range) or tMax
// (above-range) and give false; greys (black and white included) give false and leave t as it
// was; any other colour sets t and gives true.
bool ColourToTemperature(int r, int g, int b, float& t, float tMin, float tMax);

// TemperatureToColour of a single-precision temperature, packed R + G * 256 + B * 65536.
TColour ColourForTemperature(float t, double tMin, double tMax);

// ColourForTemperature for the many temperatures of a render pass, mostly looked up. Over a
// range the ramp takes some 1300 colours, each on one interval of temperatures, since the hue
// only moves one way as the temperature rises. The single-precision temperatures of the range
// are cut into buckets of consecutive values; a bucket whose first and last values have the
// same colour has it throughout and is answered from the table, the few others are computed.
// A bucket is looked at when first asked for; the table starts anew when the range changes.
// Not for concurrent use.
class TColourRamp {
public:
    TColour Colour(float t, double tMin, double tMax);

private:
    static constexpr int MaxBuckets = 65536;
    static constexpr TColour Mixed = 0xFFFFFFFFu;   // a bucket of several colours
    static constexpr TColour Unknown = 0xFFFFFFFEu; // not looked at yet
    void Build(double tMin, double tMax);

    double tMin_ = 0, tMax_ = 0;
    bool built_ = false;
    // Bit patterns of the lowest and highest temperature of the range.
    std::uint32_t first_ = 0, last_ = 0;
    int shift_ = 0; // bits of the pattern below the bucket number
    std::vector<TColour> buckets_;
};

// The captions beside the bar, in kelvin ("150K") or degrees Celsius ("-123C").
struct TScaleLabels {
    std::string MinTemp;
    std::string MaxTemp;
};
TScaleLabels ScaleLabelTexts(double tMin, double tMax, bool celsius);

} // namespace veltra
