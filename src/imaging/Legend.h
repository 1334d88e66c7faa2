#pragma once
// Colour bars: the scale bar under the map, and the legend strip a saved picture can carry
// below the map: a title line (satellite, sensor, channel, the pass's times), the colour bar of
// the palette over the displayed range with tick values, and the unit. The visible channel,
// painted in grey levels of its albedo, has a grey bar from 0 to 100 percent instead.
#include <functional>
#include <string>
#include <vector>

#include "base/Canvas.h"
#include "imaging/Palette.h"

namespace veltra {

// The grey level the decoders paint an albedo (percent) in: albedo x 2.55, rounded.
TColour AlbedoGrey(double percent);

// A bar in the rectangle left <= x < right, top <= y < bottom: a 1-pixel frame in the frame
// colour and inside it one column per step, from `min` at the left to `max` at the right (each
// column's value taken to single precision), in colourOf(value). A bar of three columns shows
// `min`; narrower bars have only their frame.
void PaintColourBar(TCanvas& canvas, int left, int top, int right, int bottom, TColour frame,
                    double min, double max, const std::function<TColour(float)>& colourOf);

// The window's scale bar on a canvas of its own size, framed in black: the scale's palette over
// its range, or with no scale the visible channel's albedo from 0 to 100 percent.
void PaintScaleBar(TCanvas& bar, TColourScale* scale);

// Tick values from min to max at the smallest step of 1, 2 or 5 times a power of ten that
// gives at most `most` of them; `decimals` is what the step needs.
std::vector<double> TickValues(double min, double max, int most, int& decimals);

struct TLegend {
    std::string Title;
    TColourScale* Scale = nullptr; // nullptr: the visible channel's albedo bar, 0-100 %
    bool Celsius = false;          // ticks and unit in degrees Celsius (K - 273.16)
    TColour Background = 0;        // the strip's; the text takes black or white against it
};

// The strip's height in pixels, from the heights of its two fonts on the canvas.
int LegendHeight(TCanvas& canvas);
// Paints the strip across the canvas's width from row `top` down LegendHeight rows.
void PaintLegend(TCanvas& canvas, int top, TLegend& legend);

} // namespace veltra
