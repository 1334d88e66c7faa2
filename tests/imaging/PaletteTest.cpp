// The palettes over known temperatures, the range choices and the percentile stretch.
#include "imaging/Palette.h"

#include <cmath>
#include <limits>

#include <gtest/gtest.h>

#include "base/Format.h"
#include "imaging/ColourRange.h"
#include "imaging/Legend.h"

namespace veltra {
namespace {

struct TPaletteCase {
    TPaletteKind Palette;
    double Min, Max, Temperature;
    int R, G, B;
};

// Over 150-405 K one kelvin is one entry of a 256-entry table (entry = T - 150). The viridis
// and cividis rows are the published fractions times 255, rounded:
//   viridis   0: 0.267004 0.004874 0.329415    cividis   0: 0.000000 0.135112 0.304751
//   viridis  64: 0.229739 0.322361 0.545706    cividis  64: 0.263738 0.307831 0.422789
//   viridis 128: 0.127568 0.566949 0.550556    cividis 128: 0.488697 0.485318 0.471008
//   viridis 191: 0.360741 0.785964 0.387814    cividis 191: 0.732422 0.677364 0.425717
//   viridis 255: 0.993248 0.906157 0.143936    cividis 255: 0.995737 0.909344 0.217772
// The difference palette has 255 entries, blue to white at entry 127 (midway) to red; over
// -127..127 one unit is one entry.
const TPaletteCase Cases[] = {
    {TPaletteKind::Viridis, 150, 405, 150.0, 68, 1, 84},
    {TPaletteKind::Viridis, 150, 405, 214.0, 59, 82, 139},
    {TPaletteKind::Viridis, 150, 405, 278.4, 33, 145, 140},
    {TPaletteKind::Viridis, 150, 405, 340.6, 92, 200, 99},
    {TPaletteKind::Viridis, 150, 405, 405.0, 253, 231, 37},
    {TPaletteKind::Cividis, 150, 405, 150.0, 0, 34, 78},
    {TPaletteKind::Cividis, 150, 405, 213.6, 67, 78, 108},
    {TPaletteKind::Cividis, 150, 405, 278.0, 125, 124, 120},
    {TPaletteKind::Cividis, 150, 405, 341.0, 187, 173, 109},
    {TPaletteKind::Cividis, 150, 405, 404.9, 254, 232, 56},
    {TPaletteKind::Grey, 150, 405, 150.0, 255, 255, 255}, // cold white
    {TPaletteKind::Grey, 150, 405, 278.0, 127, 127, 127},
    {TPaletteKind::Grey, 150, 405, 405.0, 0, 0, 0}, // warm black
    {TPaletteKind::Difference, -127, 127, -127.0, 0, 0, 255},
    {TPaletteKind::Difference, -127, 127, 0.0, 255, 255, 255},
    {TPaletteKind::Difference, -127, 127, 64.0, 255, 126, 126}, // 63 / 127 of the way to white
    {TPaletteKind::Difference, -127, 127, 127.0, 255, 0, 0},
    {TPaletteKind::Thermal, 150, 320, 300.0, 255, 157, 0}, // the hue ramp, unchanged
    {TPaletteKind::Thermal, 150, 320, 150.0, 255, 0, 191},
};

TEST(PaletteTest, KnownTemperaturesTakeThePublishedEntries)
{
    for (const TPaletteCase& c : Cases) {
        TColourScale scale(c.Palette, c.Min, c.Max);
        EXPECT_EQ(scale.Colour(static_cast<float>(c.Temperature)), PackColour(c.R, c.G, c.B))
            << PaletteOfCode(static_cast<int>(c.Palette))->Name << " " << c.Temperature;
    }
    // Outside the range every palette keeps the two marker colours; not a number is below.
    for (const TPaletteInfo& info : PaletteKinds()) {
        TColourScale scale(info.Kind, 200, 300);
        EXPECT_EQ(scale.Colour(199.99f), BelowRangeColour) << info.Name;
        EXPECT_EQ(scale.Colour(std::numeric_limits<float>::quiet_NaN()), BelowRangeColour);
        EXPECT_EQ(scale.Colour(300.01f), AboveRangeColour) << info.Name;
        EXPECT_EQ(PaletteNamed(UpperCase(info.Name)), &info);
    }
    EXPECT_EQ(PaletteNamed("rainbow"), nullptr);
    EXPECT_EQ(PaletteOfCode(5), nullptr);
}

TEST(PaletteTest, RangesAreTwoOrderedNumbersOrAuto)
{
    TColourRange range;
    ASSERT_TRUE(ParseColourRange(" 200.5 , 300", range));
    EXPECT_EQ(range.Choice, TColourRange::TChoice::Given);
    EXPECT_EQ(range.Min, 200.5);
    EXPECT_EQ(range.Max, 300);
    TColourRange back;
    ASSERT_TRUE(ParseColourRange(ColourRangeText(range), back));
    EXPECT_EQ(back.Min, 200.5);
    ASSERT_TRUE(ParseColourRange("Auto", range));
    EXPECT_EQ(range.Choice, TColourRange::TChoice::Auto);
    ASSERT_TRUE(ParseColourRange("", range));
    EXPECT_EQ(range.Choice, TColourRange::TChoice::Default);
    for (const char* bad : {"300,200", "250,250", "200", "200,300,400", "a,b", "nan,300", "200,inf",
                            "-2e6,0", "0x10,20", "auto,300"})
        EXPECT_FALSE(ParseColourRange(bad, range)) << bad;
}

// The 2nd and 98th percentiles at their nearest ranks, what is not a number left out; one
// value alone is widened to a range.
TEST(PaletteTest, AutoRangeTakesThePercentilesOfTheFootprints)
{
    std::vector<float> values;
    for (int i = 100; i >= 1; --i)
        values.push_back(static_cast<float>(i));
    values.push_back(std::numeric_limits<float>::quiet_NaN());
    values.push_back(std::numeric_limits<float>::infinity());
    double min = 0, max = 0;
    ASSERT_TRUE(PercentileRange(values, min, max));
    EXPECT_EQ(min, 2);
    EXPECT_EQ(max, 98);
    ASSERT_TRUE(PercentileRange({250, 251, 252}, min, max)); // ranks 1 and 3
    EXPECT_EQ(min, 250);
    EXPECT_EQ(max, 252);
    ASSERT_TRUE(PercentileRange({270.5f}, min, max));
    EXPECT_EQ(min, 270);
    EXPECT_EQ(max, 271);
    EXPECT_FALSE(PercentileRange({std::numeric_limits<float>::quiet_NaN()}, min, max));
    // A difference: symmetric about 0, out to the 98th percentile of the magnitudes.
    for (float& v : values)
        v = -v;
    ASSERT_TRUE(SymmetricRange(values, min, max));
    EXPECT_EQ(min, -98);
    EXPECT_EQ(max, 98);
    ASSERT_TRUE(SymmetricRange({3, -1, 2}, min, max));
    EXPECT_EQ(max, 3);
    ASSERT_TRUE(SymmetricRange({0, 0}, min, max));
    EXPECT_EQ(min, -0.5);
    EXPECT_EQ(max, 0.5);
    EXPECT_FALSE(SymmetricRange({}, min, max));
}

TEST(PaletteTest, TicksAtRoundSteps)
{
    int decimals = -1;
    EXPECT_EQ(TickValues(-45.24, 15.2, 14, decimals),
              (std::vector<double>{-45, -40, -35, -30, -25, -20, -15, -10, -5, 0, 5, 10, 15}));
    EXPECT_EQ(decimals, 0);
    EXPECT_EQ(TickValues(-45.24, 15.2, 13, decimals),
              (std::vector<double>{-40, -30, -20, -10, 0, 10}));
    EXPECT_EQ(TickValues(0.05, 0.51, 6, decimals), (std::vector<double>{0.1, 0.2, 0.3, 0.4, 0.5}));
    EXPECT_EQ(decimals, 1);
    EXPECT_TRUE(TickValues(5, 5, 8, decimals).empty());
}

} // namespace
} // namespace veltra
