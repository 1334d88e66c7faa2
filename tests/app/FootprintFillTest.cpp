#include <gtest/gtest.h>

#include "app/DrawnFootprints.h"
#include "app/FootprintFill.h"
#include "formats/Samples.h"
#include "mapping/zorMapping.h"
#include "support/RasterBitmap.h"

using namespace veltra;

namespace {

// Counts how often each pixel is filled.
class TCountingBitmap : public test::TRasterBitmap {
public:
    std::vector<int> Count;
    void FillRect(int left, int top, int right, int bottom, TColour colour) override
    {
        Count.resize(static_cast<std::size_t>(Width() * Height()));
        for (int y = std::max(0, top); y < std::min(bottom, Height()); ++y)
            for (int x = std::max(0, left); x < std::min(right, Width()); ++x)
                ++Count[static_cast<std::size_t>(y * Width() + x)];
        TRasterBitmap::FillRect(left, top, right, bottom, colour);
    }
};

// A 360 x 180 pixel plate carree of the whole world: one pixel per degree.
TMapping World()
{
    TMapping m;
    m.SetProjection(pkPlateCarreeZoomed);
    m.SetWidth(360);
    m.SetHeight(180);
    m.SetLongitudeSpan(360);
    m.SetLatitudeSpan(180);
    return m;
}

} // namespace

// Polygons sharing an edge, at fractional corners, fill every pixel between them once.
TEST(FootprintFill, NeighbouringPolygonsShareNoPixelAndLeaveNoneOut)
{
    TCountingBitmap canvas;
    canvas.SetSize(40, 40);
    const double xs1[] = {3.3, 30.7, 12.2}, ys1[] = {2.6, 5.1, 33.9};
    const double xs2[] = {30.7, 36.4, 12.2}, ys2[] = {5.1, 37.2, 33.9};
    FillPolygon(canvas, xs1, ys1, 3, 1);
    FillPolygon(canvas, xs2, ys2, 3, 2);
    int once = 0;
    for (int c : canvas.Count) {
        EXPECT_LE(c, 1);
        once += c;
    }
    EXPECT_GT(once, 500);
    // A pixel whose centre is inside: (20, 20) in the first, (30, 30) in the second.
    EXPECT_EQ(canvas.Pixel(20, 15), 1u);
    EXPECT_EQ(canvas.Pixel(30, 30), 2u);
}

// A swath of 6 lines of 8 footprints two degrees apart: every pixel of the swath is filled in
// its footprint's colour, the edges reach half a spacing out, a missing footprint stays a
// hole, and a line crossing the map edge is not filled across the map.
TEST(FootprintFill, SwathIsFilledUpToMissingFootprintsAndTheMapEdge)
{
    const TMapping m = World();
    TSampleList samples;
    samples.Reset();
    std::vector<TColour> colours;
    for (int line = 0; line < 6; ++line)
        for (int f = 0; f < 8; ++f) {
            if (line == 2 && f == 3)
                continue; // not visible
            samples.AddSample(20 - 2.0f * line, -30 + 2.0f * f, 250, {line, f, 0});
            colours.push_back(static_cast<TColour>(100 + line * 8 + f));
        }
    for (int f = 0; f < 5; ++f) // across the date line
        samples.AddSample(-40, 176 + 2.0f * f, 250, {0, f, 1}), colours.push_back(500);
    test::TRasterBitmap canvas;
    canvas.SetSize(360, 180);
    PaintFilledFootprints(canvas, m, samples, colours);
    // Footprint (line, f) lies at pixel x = 150 + 2f, y = 70 + 2 line and covers x-1 .. x.
    for (int line = 0; line < 6; ++line)
        for (int f = 0; f < 8; ++f) {
            const TColour expected =
                line == 2 && f == 3 ? 0u : static_cast<TColour>(100 + line * 8 + f);
            EXPECT_EQ(canvas.Pixel(150 + 2 * f, 70 + 2 * line), expected) << line << "," << f;
            EXPECT_EQ(canvas.Pixel(150 + 2 * f - 1, 70 + 2 * line - 1), expected);
        }
    EXPECT_EQ(canvas.Pixel(148, 70), 0u);  // beyond the swath's edge
    EXPECT_EQ(canvas.Pixel(180, 130), 0u); // mid-map on the date-line stream's row
    EXPECT_EQ(canvas.Pixel(357, 130), 500u);
    EXPECT_EQ(canvas.Pixel(1, 130), 500u);
}

// The footprint nearest the cursor within the reach; the later of two as near.
TEST(DrawnFootprints, NearestWithinReachLaterOnTop)
{
    TDrawnFootprints drawn;
    for (auto [x, y] : {std::pair{10, 10}, {13, 10}, {7, 10}, {100, 50}}) {
        drawn.Add(0);
        drawn.Drawn(x, y, 0, static_cast<float>(x));
    }
    EXPECT_EQ(drawn.Nearest(11, 10, 4, 200, 100), 0);
    EXPECT_EQ(drawn.Nearest(12, 10, 4, 200, 100), 1);
    EXPECT_EQ(drawn.Nearest(10, 10, 4, 200, 100), 0);
    EXPECT_EQ(drawn.Nearest(17, 10, 4, 200, 100), 1);
    EXPECT_EQ(drawn.Nearest(18, 10, 4, 200, 100), -1);
    EXPECT_EQ(drawn.Nearest(8, 13, 4, 200, 100), 2); // 1+9 from (7,10) vs 4+9 from (10,10)
    EXPECT_EQ(drawn.Nearest(99, 47, 4, 200, 100), 3);
    drawn.Add(0);
    drawn.Drawn(13, 10, 0, 0); // a later footprint on the same pixel
    EXPECT_EQ(drawn.Nearest(13, 10, 4, 200, 100), 4);
    drawn.Clear();
    EXPECT_EQ(drawn.Nearest(13, 10, 4, 200, 100), -1);
}
