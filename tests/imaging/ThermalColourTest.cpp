#include "imaging/ThermalColour.h"

#include "imaging/Legend.h"

#include <cmath>
#include <limits>
#include <random>

#include <gtest/gtest.h>

#include "support/FakeHost.h"

namespace veltra {
namespace {

constexpr double TMin = 150.0;
constexpr double TMax = 320.0;

struct TRampCase {
    double Temperature;
    int R, G, B;
};

// The ramp between 150 K and 320 K: red at the warm end, the two markers just outside.
const TRampCase RampCases[] = {
    {320.0, 255, 0, 0},     {300.0, 255, 157, 0},    {280.0, 195, 255, 0},   {235.0, 0, 255, 159},
    {220.0, 0, 233, 255},   {200.0, 0, 75, 255},     {180.0, 83, 0, 255},    {150.0, 255, 0, 191},
    {149.9, 170, 190, 190}, {149.99, 170, 190, 190}, {320.01, 100, 100, 85}, {320.1, 100, 100, 85},
};

TEST(ThermalColourTest, TemperatureToColourFollowsTheRamp)
{
    for (const TRampCase& c : RampCases) {
        int r = -1, g = -1, b = -1;
        TemperatureToColour(c.Temperature, TMin, TMax, r, g, b);
        EXPECT_EQ(r, c.R) << c.Temperature;
        EXPECT_EQ(g, c.G) << c.Temperature;
        EXPECT_EQ(b, c.B) << c.Temperature;
        EXPECT_EQ(ColourForTemperature(static_cast<float>(c.Temperature), TMin, TMax),
                  PackColour(c.R, c.G, c.B))
            << c.Temperature;
    }
}

TEST(ThermalColourTest, NotANumberIsBelowTheRange)
{
    EXPECT_EQ(ColourForTemperature(std::numeric_limits<float>::quiet_NaN(), TMin, TMax),
              BelowRangeColour);
    EXPECT_EQ(BelowRangeColour, 170u + 190u * 256 + 190u * 65536);
    EXPECT_EQ(AboveRangeColour, 100u + 100u * 256 + 85u * 65536);
    EXPECT_EQ(GreyColour(102), 102u * 65793);
}

// The ramp ends read back exactly (the coldest colour's hue, about 315.06, is clamped to the
// end of the ramp); the markers set the range limits but read as no temperature.
TEST(ThermalColourTest, RampEndsAndMarkersReadBack)
{
    struct TCase {
        int R, G, B;
        bool Result;
        float Temperature;
    } cases[] = {
        {255, 0, 0, true, 320.0f},
        {255, 0, 191, true, 150.0f},
        {170, 190, 190, false, 150.0f},
        {100, 100, 85, false, 320.0f},
    };
    for (const TCase& c : cases) {
        float t = 0;
        EXPECT_EQ(ColourToTemperature(c.R, c.G, c.B, t, TMin, TMax), c.Result) << c.B;
        EXPECT_EQ(t, c.Temperature) << c.B;
    }
}

TEST(ThermalColourTest, GreysLeaveTheTemperatureAlone)
{
    for (int grey : {0, 1, 128, 254, 255}) {
        float t = 42.0f;
        EXPECT_FALSE(ColourToTemperature(grey, grey, grey, t, TMin, TMax)) << grey;
        EXPECT_EQ(t, 42.0f) << grey;
    }
}

// Every colour of the ramp reads back within the 8-bit quantisation of its hue
// (about 0.24 degrees, i.e. 0.13 K over this range).
TEST(ThermalColourTest, RampReadsBackWithinQuantisation)
{
    for (int step = 0; step <= 1700; ++step) {
        const double t = TMin + step * 0.1;
        int r = 0, g = 0, b = 0;
        TemperatureToColour(t, TMin, TMax, r, g, b);
        float back = 0;
        ASSERT_TRUE(ColourToTemperature(r, g, b, back, TMin, TMax)) << t;
        EXPECT_NEAR(back, t, 0.2) << t;
    }
}

// The looked-up colours are the computed ones: around every colour change of the range (where
// a bucket holds two colours), at random, outside the range and after the range changes.
TEST(ThermalColourTest, RampLooksUpTheComputedColours)
{
    TColourRamp ramp;
    std::mt19937 random(7);
    const double ranges[][2] = {{150, 320}, {200, 231.5}, {150, 350}, {-10, 10}, {5, 5}};
    for (const auto& [tMin, tMax] : ranges) {
        std::uniform_real_distribution<float> spread(static_cast<float>(tMin - 20),
                                                     static_cast<float>(tMax + 20));
        TColour before = ColourForTemperature(static_cast<float>(tMin), tMin, tMax);
        int changes = 0;
        for (float t = static_cast<float>(tMin); t <= tMax; t += 0.01f) {
            const TColour colour = ColourForTemperature(t, tMin, tMax);
            for (float u = t, k = 0; colour != before && k < 8; ++k, ++changes) {
                ASSERT_EQ(ramp.Colour(u, tMin, tMax), ColourForTemperature(u, tMin, tMax));
                u = std::nextafter(u, 0.0f);
            }
            before = colour;
        }
        EXPECT_GT(changes, tMax - tMin > 1 ? 1000 : -1);
        for (int i = 0; i < 20000; ++i) {
            const float t = spread(random);
            ASSERT_EQ(ramp.Colour(t, tMin, tMax), ColourForTemperature(t, tMin, tMax)) << t;
        }
    }
    EXPECT_EQ(ramp.Colour(std::numeric_limits<float>::quiet_NaN(), 150, 320), BelowRangeColour);
}

TEST(ThermalColourTest, HueSixSectors)
{
    struct TCase {
        float Hue;
        float R, G, B;
    } cases[] = {
        {0, 1, 0, 0},   {60, 1, 1, 0},  {120, 0, 1, 0}, {180, 0, 1, 1},
        {240, 0, 0, 1}, {300, 1, 0, 1}, {360, 1, 0, 0}, {30, 1, 0.5f, 0},
    };
    for (const TCase& c : cases) {
        float r = -1, g = -1, b = -1;
        HSVToRGB(c.Hue, 1, 1, r, g, b);
        EXPECT_FLOAT_EQ(r, c.R) << c.Hue;
        EXPECT_FLOAT_EQ(g, c.G) << c.Hue;
        EXPECT_FLOAT_EQ(b, c.B) << c.Hue;
        if (c.Hue == 360)
            continue;
        float h = -1, s = -1, v = -1;
        RGBToHSV(c.R, c.G, c.B, h, s, v);
        EXPECT_FLOAT_EQ(h, c.Hue);
        EXPECT_FLOAT_EQ(s, 1);
        EXPECT_FLOAT_EQ(v, 1);
    }
}

TEST(ThermalColourTest, HueOutsideTheCircleLeavesTheOutputs)
{
    for (float hue : {360.5f, 400.0f, -61.0f, std::numeric_limits<float>::quiet_NaN()}) {
        float r = 0.25f, g = 0.5f, b = 0.75f;
        HSVToRGB(hue, 1, 1, r, g, b);
        EXPECT_EQ(r, 0.25f) << hue;
        EXPECT_EQ(g, 0.5f) << hue;
        EXPECT_EQ(b, 0.75f) << hue;
    }
    float r = 0, g = 0, b = 0;
    HSVToRGB(500.0f, 0, 0.4f, r, g, b); // no saturation: grey whatever the hue
    EXPECT_EQ(r, 0.4f);
    EXPECT_EQ(b, 0.4f);
}

TEST(ThermalColourTest, ScaleLabels)
{
    const TScaleLabels celsius = ScaleLabelTexts(TMin, TMax, true);
    EXPECT_EQ(celsius.MinTemp, "-123C");
    EXPECT_EQ(celsius.MaxTemp, "47C");
    const TScaleLabels kelvin = ScaleLabelTexts(TMin, TMax, false);
    EXPECT_EQ(kelvin.MinTemp, "150K");
    EXPECT_EQ(kelvin.MaxTemp, "320K");
    // 273.16 rather than 273.15: 273.65 K is 0.49 C, shown as 0.
    EXPECT_EQ(ScaleLabelTexts(273.65, 300, true).MinTemp, "0C");
}

TEST(ThermalColourTest, ScaleBarFramesAndPaintsOneColumnPerStep)
{
    test::TRecordingCanvas bar(129, 17);
    TColourScale thermal(TPaletteKind::Thermal, TMin, TMax);
    PaintScaleBar(bar, &thermal);

    using test::TCanvasCall;
    const auto& calls = bar.Calls;
    ASSERT_EQ(calls.size(), 3u + 127 * 3);
    EXPECT_EQ(calls[1].What, TCanvasCall::Colour);
    EXPECT_EQ(calls[1].A, 0);
    EXPECT_EQ(calls[2].What, TCanvasCall::Frame);
    EXPECT_EQ(calls[2].A, 0);
    EXPECT_EQ(calls[2].B, 0);
    EXPECT_EQ(calls[2].C, 129);
    EXPECT_EQ(calls[2].D, 17);
    for (int i = 1; i <= 127; ++i) {
        const TCanvasCall* column = &calls[3 + 3 * static_cast<size_t>(i - 1)];
        ASSERT_EQ(column[0].What, TCanvasCall::Colour);
        EXPECT_EQ(column[1].What, TCanvasCall::Move);
        EXPECT_EQ(column[1].A, i);
        EXPECT_EQ(column[1].B, 1);
        EXPECT_EQ(column[2].What, TCanvasCall::Line);
        EXPECT_EQ(column[2].A, i);
        EXPECT_EQ(column[2].B, 16);
        // Neighbouring columns are (320 - 150) / 126 K apart.
        const double t = TMin + (i - 1) * (TMax - TMin) / 126;
        EXPECT_EQ(static_cast<TColour>(column[0].A),
                  ColourForTemperature(static_cast<float>(t), TMin, TMax))
            << i;
    }
    EXPECT_EQ(static_cast<TColour>(calls[3].A), PackColour(255, 0, 191));
    EXPECT_EQ(static_cast<TColour>(calls[3 + 3 * 63].A), PackColour(0, 255, 159)); // 235 K
    EXPECT_EQ(static_cast<TColour>(calls[3 + 3 * 126].A), PackColour(255, 0, 0));
}

TEST(ThermalColourTest, NarrowBarsPaintOnlyWhatFits)
{
    TColourScale thermal(TPaletteKind::Thermal, TMin, TMax);
    test::TRecordingCanvas tiny(2, 17);
    PaintScaleBar(tiny, &thermal);
    EXPECT_EQ(tiny.Count(test::TCanvasCall::Move), 0);
    EXPECT_EQ(tiny.Count(test::TCanvasCall::Frame), 1);

    test::TRecordingCanvas three(3, 17);
    PaintScaleBar(three, &thermal);
    ASSERT_EQ(three.Count(test::TCanvasCall::Move), 1);
    EXPECT_EQ(three.PenColour(), PackColour(255, 0, 191));
}

} // namespace
} // namespace veltra
