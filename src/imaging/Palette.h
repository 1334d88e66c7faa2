#pragma once
// The palettes the map can be painted in, and a palette over a range of values: the colour of
// a value. Thermal is the hue ramp of ThermalColour, whose colours the read-out can turn back
// into temperatures; the others are tables of 8-bit colours from the low end of the range to
// the high end: the published viridis and cividis maps (perceptually uniform, and readable
// with the common colour-vision deficiencies), a grey scale that shows cold as white and warm
// as black (clouds white, as infrared imagery is conventionally shown) and a diverging
// blue-white-red for differences (white in the middle of a range symmetric about 0). Every
// palette shows values below the range in the below-range colour and values above it in the
// above-range colour of ThermalColour.
#include <array>
#include <cstdint>
#include <span>
#include <string>

#include "base/Canvas.h"
#include "imaging/ThermalColour.h"

namespace veltra {

// The codes are what the setting "Palette" stores.
enum class TPaletteKind : std::int32_t {
    Thermal = 0,
    Viridis = 1,
    Cividis = 2,
    Grey = 3,
    Difference = 4
};

struct TPaletteInfo {
    TPaletteKind Kind;
    const char* Name;     // as the command line names it: "thermal", "viridis", ...
    const char* MenuText; // as View > Palette shows it: "&Thermal", ...
};

// Every palette, in the menu's order.
const std::array<TPaletteInfo, 5>& PaletteKinds();
// The palette of a stored code or of a name (any case); nullptr for none.
const TPaletteInfo* PaletteOfCode(std::int32_t code);
const TPaletteInfo* PaletteNamed(const std::string& name);

// The 8-bit colours of a table palette, entry 0 at the low end of the range; empty for
// Thermal. Viridis and cividis have 256 entries (each published fraction times 255, rounded
// to the nearest integer, halves to even), grey 256 (white to black), difference 255 (an odd
// count, so a value midway in the range is white).
std::span<const TColour> PaletteEntries(TPaletteKind kind);

// A palette over the range [Min, Max]. A value in the range takes the entry at its position,
// RoundHalfEven((value - Min) / (Max - Min) * (entries - 1)); Thermal takes the hue ramp's
// colour (TemperatureToColour), looked up as TColourRamp does. An empty range shows its one
// value at the high end. Not for concurrent use (the thermal lookups are cached).
class TColourScale {
public:
    TColourScale() = default;
    TColourScale(TPaletteKind palette, double min, double max)
        : palette_(palette), min_(min), max_(max)
    {
    }

    TPaletteKind Palette() const { return palette_; }
    double Min() const { return min_; }
    double Max() const { return max_; }
    void SetPalette(TPaletteKind palette) { palette_ = palette; }
    void SetRange(double min, double max) { min_ = min, max_ = max; }

    // Below Min or not a number: the below-range colour; above Max: the above-range colour.
    TColour Colour(float value);

private:
    TPaletteKind palette_ = TPaletteKind::Thermal;
    double min_ = 150.0, max_ = 320.0;
    TColourRamp ramp_;
};

} // namespace veltra
