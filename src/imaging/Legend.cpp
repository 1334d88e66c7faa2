#include "imaging/Legend.h"

#include <algorithm>
#include <cmath>

#include "base/Format.h"
#include "base/Numbers.h"

namespace veltra {

namespace {

constexpr double CelsiusOffset = 273.16;
constexpr int Margin = 8, Gap = 4, BarHeight = 14, TickLength = 3;
const TFont TitleFont{"Small Fonts", 9, 0};
const TFont TickFont{"Small Fonts", 8, 0};

// Black on light backgrounds, white on dark ones.
TColour TextColourOn(TColour background)
{
    const int luma =
        (299 * RedOf(background) + 587 * GreenOf(background) + 114 * BlueOf(background)) / 1000;
    return luma < 128 ? 0xFFFFFF : 0;
}

int TextHeightIn(TCanvas& canvas, TFont font)
{
    canvas.SetFont(font);
    return canvas.TextHeight("Cy");
}

std::string TickText(double value, int decimals)
{
    std::string text = Format("%.*f", decimals, value);
    return text.find_first_not_of("-0.") == std::string::npos ? Format("%.*f", decimals, 0.0)
                                                              : text;
}

} // namespace

TColour AlbedoGrey(double percent)
{
    return GreyColour(RoundHalfEven(percent * 255 / 100));
}

void PaintColourBar(TCanvas& canvas, int left, int top, int right, int bottom, TColour frame,
                    double min, double max, const std::function<TColour(float)>& colourOf)
{
    canvas.SetPenWidth(1);
    canvas.SetPenColour(frame);
    canvas.FrameRect(left, top, right, bottom);
    // Columns left + 1 to right - 2 span min to max.
    const double steps = std::max(right - left - 3, 1);
    for (int i = left + 1; i <= right - 2; ++i) {
        const double x = min + (i - left - 1) / steps * (max - min);
        canvas.SetPenColour(colourOf(ToSingle(x)));
        canvas.MoveTo(i, top + 1);
        canvas.LineTo(i, bottom - 1);
    }
}

void PaintScaleBar(TCanvas& bar, TColourScale* scale)
{
    if (scale != nullptr)
        PaintColourBar(bar, 0, 0, bar.Width(), bar.Height(), 0, scale->Min(), scale->Max(),
                       [scale](float value) { return scale->Colour(value); });
    else
        PaintColourBar(bar, 0, 0, bar.Width(), bar.Height(), 0, 0, 100, AlbedoGrey);
}

std::vector<double> TickValues(double min, double max, int most, int& decimals)
{
    decimals = 0;
    std::vector<double> ticks;
    if (!(min < max) || most < 2)
        return ticks;
    const double raw = (max - min) / (most - 1);
    const double power = std::pow(10.0, std::floor(std::log10(raw)));
    double step = 10 * power;
    for (const double factor : {1.0, 2.0, 5.0})
        if (factor * power >= raw) {
            step = factor * power;
            break;
        }
    decimals = std::max(0, static_cast<int>(std::ceil(-std::log10(step) - 1e-9)));
    // A step below 1 divides by its whole inverse, so 3 steps of 0.1 are 0.3.
    const double per = step < 1 ? std::round(1 / step) : 1;
    auto tick = [&](double k) { return step < 1 ? k / per : k * step; };
    for (double k = std::ceil(min / step - 1e-9); tick(k) <= max + 1e-9 * step; ++k)
        ticks.push_back(tick(k));
    return ticks;
}

int LegendHeight(TCanvas& canvas)
{
    const TFont saved = canvas.Font();
    const int height = Gap + TextHeightIn(canvas, TitleFont) + Gap + BarHeight + TickLength +
                       TextHeightIn(canvas, TickFont) + Gap;
    canvas.SetFont(saved);
    return height;
}

void PaintLegend(TCanvas& canvas, int top, TLegend& legend)
{
    const TFont saved = canvas.Font();
    const int width = canvas.Width();
    const TColour ink = TextColourOn(legend.Background);
    canvas.FillRect(0, top, width, top + LegendHeight(canvas), legend.Background);

    TFont font = TitleFont;
    font.Colour = ink;
    canvas.SetFont(font);
    canvas.TextOut(Margin, top + Gap, legend.Title);
    const int barTop = top + Gap + canvas.TextHeight("Cy") + Gap;

    // The range and unit shown: kelvin or Celsius, or the albedo in percent.
    double min = 0, max = 100;
    std::string unit = "%";
    if (legend.Scale != nullptr) {
        const double offset = legend.Celsius ? CelsiusOffset : 0;
        min = legend.Scale->Min() - offset;
        max = legend.Scale->Max() - offset;
        unit = legend.Celsius ? "\u00B0C" : "K";
    }
    font = TickFont;
    font.Colour = ink;
    canvas.SetFont(font);
    const int labelHeight = canvas.TextHeight("Cy");
    const int barLeft = Margin;
    const int barRight = width - Margin - canvas.TextWidth(unit) - Gap;
    if (barRight - barLeft < 4) {
        canvas.SetFont(saved);
        return;
    }
    canvas.TextOut(barRight + Gap, barTop + (BarHeight - labelHeight) / 2, unit);
    TColourScale* scale = legend.Scale;
    const auto colourOf = [scale](float value) {
        return scale != nullptr ? scale->Colour(value) : AlbedoGrey(value);
    };
    PaintColourBar(canvas, barLeft, barTop, barRight, barTop + BarHeight, ink,
                   legend.Scale ? legend.Scale->Min() : 0, legend.Scale ? legend.Scale->Max() : 100,
                   colourOf);

    // Ticks under the columns that show their values, labelled no closer than their widths.
    const int columns = barRight - barLeft - 2;
    const int widest =
        std::max(canvas.TextWidth(TickText(min, 1)), canvas.TextWidth(TickText(max, 1)));
    int decimals = 0;
    const std::vector<double> ticks =
        TickValues(min, max, std::max(2, columns / (widest + 2 * Margin)), decimals);
    canvas.SetPenColour(ink);
    for (const double value : ticks) {
        const int x = barLeft + 1 + RoundHalfEven((value - min) / (max - min) * (columns - 1));
        canvas.MoveTo(x, barTop + BarHeight);
        canvas.LineTo(x, barTop + BarHeight + TickLength);
        const std::string text = TickText(value, decimals);
        const int textWidth = canvas.TextWidth(text);
        const int left = std::clamp(x - textWidth / 2, 0, std::max(0, width - textWidth));
        canvas.TextOut(left, barTop + BarHeight + TickLength, text);
    }
    canvas.SetFont(saved);
}

} // namespace veltra
