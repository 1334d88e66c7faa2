// The map bitmap: end points of 1-pixel lines, exact colours, clipping of far-out lines,
// wide and dotted pens, resizing, and text in the bundled font.
#include <gtest/gtest.h>

#include <QFile>
#include <climits>
#include <functional>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "base/Errors.h"
#include "imaging/qt/MapCanvas.h"
#include "mapping/zorCartography.h"
#include "mapping/zorMapping.h"

namespace veltra {
namespace {

constexpr TColour Black = 0;
constexpr TColour Red = 255;
constexpr TColour Odd = PackColour(12, 34, 56);

// The painted pixels of a colour, as (x, y) pairs.
std::set<std::pair<int, int>> PixelsOf(const TRasterCanvas& canvas, TColour colour)
{
    std::set<std::pair<int, int>> out;
    for (int y = 0; y < canvas.Height(); ++y)
        for (int x = 0; x < canvas.Width(); ++x)
            if (canvas.Pixel(x, y) == colour)
                out.insert({x, y});
    return out;
}

std::set<TColour> Colours(const TRasterCanvas& canvas)
{
    std::set<TColour> out;
    for (int y = 0; y < canvas.Height(); ++y)
        for (int x = 0; x < canvas.Width(); ++x)
            out.insert(canvas.Pixel(x, y));
    return out;
}

TEST(MapCanvas, OnePixelLineLeavesItsEndPointOut)
{
    TRasterCanvas canvas(&QtCanvasPainter(), 20, 20, Black);
    canvas.SetPenColour(Red);
    canvas.MoveTo(2, 5);
    canvas.LineTo(10, 5);
    std::set<std::pair<int, int>> expected;
    for (int x = 2; x < 10; ++x)
        expected.insert({x, 5});
    EXPECT_EQ(PixelsOf(canvas, Red), expected);
    EXPECT_EQ(canvas.PenPos().X, 10);

    // Carrying on from the end point paints it as the start of the next segment.
    canvas.LineTo(10, 9);
    EXPECT_EQ(canvas.Pixel(10, 5), Red);
    EXPECT_EQ(canvas.Pixel(10, 8), Red);
    EXPECT_EQ(canvas.Pixel(10, 9), Black);

    // A line of no length paints nothing.
    TRasterCanvas dot(&QtCanvasPainter(), 5, 5, Black);
    dot.SetPenColour(Red);
    dot.MoveTo(2, 2);
    dot.LineTo(2, 2);
    EXPECT_TRUE(PixelsOf(dot, Red).empty());
}

TEST(MapCanvas, BresenhamPaintsOnePixelPerStepOfTheMajorAxis)
{
    for (auto [x1, y1] :
         {std::pair{17, 5}, std::pair{-13, 9}, std::pair{4, -19}, std::pair{-6, -6}}) {
        TRasterCanvas canvas(&QtCanvasPainter(), 60, 60, Black);
        canvas.SetPenColour(Red);
        canvas.MoveTo(30, 30);
        canvas.LineTo(30 + x1, 30 + y1);
        const auto painted = PixelsOf(canvas, Red);
        const int steps = std::max(std::abs(x1), std::abs(y1));
        ASSERT_EQ(static_cast<int>(painted.size()), steps) << x1 << "," << y1;
        EXPECT_TRUE(painted.count({30, 30}));
        EXPECT_FALSE(painted.count({30 + x1, 30 + y1}));
        // Each painted pixel lies within half a pixel of the ideal line.
        for (auto [x, y] : painted) {
            const double cross =
                std::abs((x - 30.0) * y1 - (y - 30.0) * x1) / std::max(std::abs(x1), std::abs(y1));
            EXPECT_LE(cross, 0.5 + 1e-9) << x << "," << y;
        }
    }
}

TEST(MapCanvas, PolylineLeavesOnlyItsLastPointOut)
{
    TRasterCanvas canvas(&QtCanvasPainter(), 10, 10, Black);
    canvas.SetPenColour(Red);
    const TPoint points[] = {{1, 1}, {5, 1}, {5, 5}};
    canvas.Polyline(points, 3);
    const auto painted = PixelsOf(canvas, Red);
    EXPECT_EQ(painted.size(), 8u);
    EXPECT_TRUE(painted.count({5, 1}));
    EXPECT_FALSE(painted.count({5, 5}));
    canvas.Polyline(points, 1); // fewer than two points: nothing
    EXPECT_EQ(PixelsOf(canvas, Red).size(), 8u);
}

TEST(MapCanvas, ColoursReadBackExactly)
{
    TRasterCanvas canvas(&QtCanvasPainter(), 8, 6, Black);
    canvas.FillRect(2, 1, 5, 4, Odd);
    EXPECT_EQ(PixelsOf(canvas, Odd).size(), 9u);
    EXPECT_EQ(canvas.Pixel(2, 1), Odd);
    EXPECT_EQ(canvas.Pixel(5, 1), Black);
    EXPECT_EQ(ImageOf(canvas).pixel(3, 2), qRgb(12, 34, 56));
    EXPECT_EQ(ImageOf(canvas).format(), QImage::Format_RGB888);
    EXPECT_EQ(canvas.FillColour(), Odd);

    // An image handed out shares the pixels but keeps showing what it showed, and writing to
    // it leaves the canvas alone.
    const QImage before = ImageOf(canvas);
    canvas.SetPenColour(PackColour(1, 2, 3));
    canvas.FrameRect(0, 0, 8, 6);
    EXPECT_EQ(before.pixel(0, 0), qRgb(0, 0, 0));
    EXPECT_EQ(ImageOf(canvas).pixel(0, 0), qRgb(1, 2, 3));
    QImage written = ImageOf(canvas);
    written.setPixel(1, 1, qRgb(9, 9, 9));
    EXPECT_EQ(canvas.Pixel(1, 1), Black);
    EXPECT_EQ(PixelsOf(canvas, PackColour(1, 2, 3)).size(), 2u * 8 + 2u * 4);
    EXPECT_EQ(canvas.Pixel(7, 5), PackColour(1, 2, 3));
    EXPECT_EQ(canvas.Pixel(-1, 0), 0u);
    EXPECT_EQ(canvas.Pixel(0, 6), 0u);
}

TEST(MapCanvas, FarOutLinesAreClippedQuickly)
{
    TRasterCanvas canvas(&QtCanvasPainter(), 50, 40, Black);
    canvas.SetPenColour(Red);
    canvas.MoveTo(INT_MIN, 5);
    canvas.LineTo(INT_MAX, 5);
    std::set<std::pair<int, int>> row;
    for (int x = 0; x < 50; ++x)
        row.insert({x, 5});
    EXPECT_EQ(PixelsOf(canvas, Red), row);

    TRasterCanvas diagonal(&QtCanvasPainter(), 30, 30, Black);
    diagonal.SetPenColour(Red);
    diagonal.MoveTo(-2000000000, -2000000000);
    diagonal.LineTo(2000000000, 2000000000);
    const auto painted = PixelsOf(diagonal, Red);
    EXPECT_EQ(painted.size(), 30u);
    for (auto [x, y] : painted)
        EXPECT_EQ(x, y);

    TRasterCanvas wide(&QtCanvasPainter(), 50, 40, Black);
    wide.SetPenColour(Red);
    wide.SetPenWidth(3);
    wide.MoveTo(INT_MIN, 20);
    wide.LineTo(INT_MAX, 20);
    EXPECT_EQ(wide.Pixel(0, 20), Red);
    EXPECT_EQ(wide.Pixel(49, 20), Red);
    EXPECT_EQ(wide.Pixel(25, 10), Black);
}

TEST(MapCanvas, WidePensHaveRoundCapsAndNoBlending)
{
    TRasterCanvas canvas(&QtCanvasPainter(), 40, 40, Black);
    canvas.SetPenColour(Odd);
    canvas.SetPenWidth(5);
    canvas.MoveTo(10, 20);
    canvas.LineTo(30, 20);
    EXPECT_EQ(canvas.Pixel(30, 20), Odd); // the cap covers the end point
    EXPECT_EQ(canvas.Pixel(32, 20), Odd);
    EXPECT_EQ(canvas.Pixel(20, 18), Odd);
    EXPECT_EQ(canvas.Pixel(20, 22), Odd);
    EXPECT_EQ(canvas.Pixel(20, 25), Black);
    EXPECT_EQ(Colours(canvas), (std::set<TColour>{Black, Odd}));
}

TEST(MapCanvas, DottedPenRunsThreeOnThreeOffAcrossSegments)
{
    TRasterCanvas canvas(&QtCanvasPainter(), 30, 5, Black);
    canvas.SetPenColour(Red);
    canvas.SetPenStyle(TPenStyle::Dot);
    canvas.MoveTo(0, 2);
    canvas.LineTo(4, 2);
    canvas.LineTo(14, 2);
    std::vector<int> row;
    for (int x = 0; x < 15; ++x)
        row.push_back(canvas.Pixel(x, 2) == Red);
    EXPECT_EQ(row, (std::vector<int>{1, 1, 1, 0, 0, 0, 1, 1, 1, 0, 0, 0, 1, 1, 0}));
    // Wider pens are always solid.
    canvas.SetPenWidth(2);
    canvas.MoveTo(0, 0);
    canvas.LineTo(20, 0);
    for (int x = 0; x <= 20; ++x)
        EXPECT_EQ(canvas.Pixel(x, 0), Red) << x;
}

// A recording of polylines, replayed on a bitmap of the same size and pen, paints what the
// calls paint, and leaves the pen where they would (a dotted line goes on in phase); a run it
// cannot hold, or a bitmap or pen it was not made for, is refused.
TEST(MapCanvas, RecordedLinesReplayAsDrawn)
{
    std::mt19937 random(7);
    std::uniform_int_distribution<int> coordinate(-30, 90), step(-4, 4);
    std::vector<TPoint> points(40);
    for (TPoint& p : points)
        p = {coordinate(random), coordinate(random) / 2};
    points[5] = {INT_MIN, 3}; // a far-out end is clipped as drawn
    // The second polyline in short steps, as footprints are drawn.
    points[20] = {30, 20};
    for (int i = 21; i < 40; ++i)
        points[i] = {points[i - 1].X + step(random), points[i - 1].Y + step(random)};
    // Recording walks wide pens disc by disc, drawing row by row: the pictures agree.
    const std::pair<int, TPenStyle> pens[] = {
        {1, TPenStyle::Solid}, {1, TPenStyle::Dot},    {2, TPenStyle::Solid},
        {3, TPenStyle::Solid}, {4, TPenStyle::Solid},  {5, TPenStyle::Solid},
        {7, TPenStyle::Solid}, {12, TPenStyle::Solid}, {30, TPenStyle::Solid}};
    for (const auto& [width, style] : pens) {
        auto setUp = [&, width = width, style = style](TRasterCanvas& canvas) {
            canvas.SetPenColour(Odd);
            canvas.SetPenWidth(width);
            canvas.SetPenStyle(style);
        };
        auto draw = [&](TRasterCanvas& canvas) {
            canvas.Polyline(points.data(), 20);
            canvas.Polyline(points.data() + 20, 20);
            canvas.MoveTo(1, 1);
            canvas.LineTo(5, 1); // the dot pattern stands at 4 of 6
        };
        TRasterCanvas recorded(&QtCanvasPainter(), 60, 40, Black),
            direct(&QtCanvasPainter(), 60, 40, Red), replayed(&QtCanvasPainter(), 60, 40, Red);
        setUp(recorded);
        setUp(direct);
        setUp(replayed);
        TPixelRecording recording;
        ASSERT_TRUE(recorded.StartRecording(recording));
        draw(recorded);
        recorded.StopRecording();
        draw(direct);
        ASSERT_TRUE(recording.Complete);
        ASSERT_TRUE(replayed.Replay(recording));
        direct.LineTo(20, 1);
        replayed.LineTo(20, 1);
        EXPECT_EQ(ImageOf(replayed), ImageOf(direct)) << width;

        // Polylines recorded on a bitmap without pixels, their strokes going to a sink, paint
        // the same when replayed, and leave the pen where it stood on the bitmap replayed on.
        if (width == 1) {
            struct TNoRuns : TRunSink {
                void Runs(const TPixelRun*, int) override {}
            } noRuns;
            TRasterCanvas strokes(TRasterCanvas::TStrokesOnly{0, 39}, 60, 40);
            strokes.SetRunSink(&noRuns);
            setUp(strokes);
            TPixelRecording polylines;
            ASSERT_TRUE(strokes.StartRecording(polylines));
            strokes.Polyline(points.data(), 20);
            strokes.Polyline(points.data() + 20, 20);
            strokes.StopRecording();
            TRasterCanvas drawn(&QtCanvasPainter(), 60, 40, Red),
                painted(&QtCanvasPainter(), 60, 40, Red);
            for (TRasterCanvas* canvas : {&drawn, &painted}) {
                setUp(*canvas);
                canvas->MoveTo(7, 7);
            }
            drawn.Polyline(points.data(), 20);
            drawn.Polyline(points.data() + 20, 20);
            ASSERT_TRUE(painted.Replay(polylines));
            drawn.LineTo(20, 30);
            painted.LineTo(20, 30);
            EXPECT_EQ(ImageOf(painted), ImageOf(drawn)) << static_cast<int>(style);
        }

        // Each segment of up to three steps alone (footprints, which have a path of their
        // own up to two), in every direction, away from the edges and against them.
        for (const TPoint from : {TPoint{30, 20}, TPoint{1, 1}})
            for (int dx = -3; dx <= 3; ++dx)
                for (int dy = -3; dy <= 3; ++dy) {
                    TRasterCanvas alone(&QtCanvasPainter(), 60, 40, Black),
                        walked(&QtCanvasPainter(), 60, 40, Black);
                    setUp(alone);
                    setUp(walked);
                    TPixelRecording discs;
                    ASSERT_TRUE(walked.StartRecording(discs));
                    for (TRasterCanvas* canvas : {&walked, &alone}) {
                        canvas->MoveTo(from.X, from.Y);
                        canvas->LineTo(from.X + dx, from.Y + dy);
                    }
                    walked.StopRecording();
                    EXPECT_EQ(ImageOf(alone), ImageOf(walked)) << width << " " << dx << dy;
                }
    }

    TRasterCanvas canvas(&QtCanvasPainter(), 60, 40, Black);
    TPixelRecording recording;
    const std::function<void()> unrecordable[] = {
        [&] { canvas.SetPenColour(Red); },
        [&] { canvas.FillRect(0, 0, 5, 5, Red); },
        [&] { canvas.FrameRect(0, 0, 5, 5); },
        [&] { canvas.TextOut(2, 2, "N"); },
        [&] {
            canvas.SetPenWidth(40); // a painter's stroke
            canvas.LineTo(50, 30);
        },
    };
    for (const auto& call : unrecordable) {
        canvas.SetPenWidth(1);
        canvas.SetPenColour(Odd);
        ASSERT_TRUE(canvas.StartRecording(recording));
        canvas.LineTo(10, 10);
        call();
        canvas.StopRecording();
        EXPECT_FALSE(recording.Complete);
        EXPECT_FALSE(canvas.Replay(recording));
    }
    canvas.SetPenWidth(1);
    canvas.SetPenColour(Odd);
    ASSERT_TRUE(canvas.StartRecording(recording));
    canvas.LineTo(10, 10);
    canvas.StopRecording();
    canvas.SetPenColour(Red);
    EXPECT_FALSE(canvas.Replay(recording));
    canvas.SetPenColour(Odd);
    EXPECT_TRUE(canvas.Replay(recording));
    canvas.Resize(61, 40);
    EXPECT_FALSE(canvas.Replay(recording));
}

// Outlines drawn again in an unchanged view paint the same pixels (the second drawing records
// them, later ones replay the recording), in the pen of the moment.
TEST(MapCanvas, OutlinesRedrawnInAnUnchangedViewPaintTheSamePixels)
{
    TMapping mapping;
    mapping.SetProjection(pkOrthographic);
    ApplyRegionPreset(mapping, 0);
    mapping.SetWidth(400);
    mapping.SetHeight(300);
    const std::string gpx = "<gpx>\n<trk>\n<trkseg>\n<trkpt lat=\"36\" lon=\"-8\"/>\n"
                            "<trkpt lat=\"60\" lon=\"5\"/>\n<trkpt lat=\"45\" lon=\"30\"/>\n"
                            "</trkseg>\n</trk>\n</gpx>\n";
    TCartogList outlines;
    outlines.LoadFromBytes({reinterpret_cast<const std::uint8_t*>(gpx.data()), gpx.size()},
                           "track.gpx");
    outlines.Mapping = &mapping;
    std::vector<QImage> pictures;
    for (const TColour pen : {Red, Red, Red, Odd}) {
        TRasterCanvas canvas(&QtCanvasPainter(), 400, 300, Black);
        canvas.SetPenColour(pen);
        outlines.Draw(&canvas, 0, 0);
        pictures.push_back(ImageOf(canvas));
    }
    const auto red = [&](const QImage& picture) {
        std::set<std::pair<int, int>> out;
        for (int y = 0; y < picture.height(); ++y)
            for (int x = 0; x < picture.width(); ++x)
                if (picture.pixel(x, y) == qRgb(255, 0, 0))
                    out.insert({x, y});
        return out;
    };
    EXPECT_GT(red(pictures[0]).size(), 100u);
    EXPECT_EQ(pictures[1], pictures[0]);
    EXPECT_EQ(pictures[2], pictures[0]);
    std::set<std::pair<int, int>> odd;
    for (int y = 0; y < 300; ++y)
        for (int x = 0; x < 400; ++x)
            if (pictures[3].pixel(x, y) == qRgb(12, 34, 56))
                odd.insert({x, y});
    EXPECT_EQ(odd, red(pictures[0]));
}

TEST(MapCanvas, ResizeKeepsWhatBothSizesShare)
{
    TRasterCanvas canvas(&QtCanvasPainter(), 4, 3, PackColour(0, 0, 255));
    EXPECT_EQ(PixelsOf(canvas, PackColour(0, 0, 255)).size(), 12u);
    canvas.FillRect(0, 0, 4, 3, Red);
    canvas.SetFillColour(Odd);
    canvas.Resize(6, 5);
    EXPECT_EQ(canvas.Width(), 6);
    EXPECT_EQ(canvas.Height(), 5);
    EXPECT_EQ(PixelsOf(canvas, Red).size(), 12u);
    EXPECT_EQ(PixelsOf(canvas, Odd).size(), 30u - 12u);
    canvas.Resize(2, 2);
    EXPECT_EQ(PixelsOf(canvas, Red).size(), 4u);
    canvas.Resize(-3, 7);
    EXPECT_EQ(canvas.Width(), 0);
    EXPECT_EQ(canvas.Height(), 0);
    // Nothing to draw on: no harm done.
    canvas.MoveTo(0, 0);
    canvas.LineTo(5, 5);
    canvas.FillRect(0, 0, 5, 5, Red);
    canvas.TextOut(0, 0, "x");
    EXPECT_EQ(canvas.Pixel(0, 0), 0u);
}

TEST(MapCanvas, MarkModifiedCounts)
{
    TRasterCanvas canvas(&QtCanvasPainter(), 2, 2);
    EXPECT_EQ(canvas.ModifiedCount(), 0);
    TCanvas& surface = canvas;
    surface.MarkModified();
    surface.MarkModified();
    EXPECT_EQ(canvas.ModifiedCount(), 2);
}

TEST(MapCanvas, TextUsesTheBundledFont)
{
    EXPECT_TRUE(QFile::exists(":/fonts/DejaVuSans.ttf"));
    EXPECT_EQ(BundledFontFamily(), "DejaVu Sans");

    TRasterCanvas canvas(&QtCanvasPainter(), 80, 30, Black);
    canvas.SetFont({"Small Fonts", 7, Red});
    const std::string label = "10\xC2\xB0"
                              "E";
    const int tw = canvas.TextWidth(label);
    const int th = canvas.TextHeight(label);
    EXPECT_GT(tw, 10);
    EXPECT_LT(tw, 40);
    EXPECT_GE(th, 8);
    EXPECT_LE(th, 14);
    EXPECT_GT(canvas.TextWidth(label + label), tw);

    canvas.TextOut(5, 6, label);
    const auto painted = PixelsOf(canvas, Red);
    EXPECT_GT(painted.size(), 10u);
    for (auto [x, y] : painted) {
        EXPECT_GE(x, 5);
        EXPECT_LT(x, 5 + tw + 1);
        EXPECT_GE(y, 6);
        EXPECT_LT(y, 6 + th);
    }
    // Glyphs only: no background box, no blended edge pixels.
    EXPECT_EQ(Colours(canvas), (std::set<TColour>{Black, Red}));

    // A larger size gives larger text; far-out positions draw nothing.
    canvas.SetFont({"Arial", 14, Odd});
    EXPECT_GT(canvas.TextHeight(label), th);
    canvas.TextOut(INT_MAX - 5, INT_MIN + 3, label);
    canvas.TextOut(-1000, 10, label);
    EXPECT_TRUE(PixelsOf(canvas, Odd).empty());

    // A canvas without a painter draws no text and says so.
    TRasterCanvas plain(nullptr, 80, 30, Black);
    EXPECT_THROW(plain.TextOut(5, 6, label), EVeltraError);
}

TEST(MapCanvas, CarriesTheGraticule)
{
    TMapping mapping;
    mapping.SetProjection(pkOrthographic);
    ApplyRegionPreset(mapping, 0);
    mapping.SetWidth(400);
    mapping.SetHeight(300);
    TRasterCanvas canvas(&QtCanvasPainter(), 400, 300, PackColour(0, 0, 80));
    const TColour label = PackColour(255, 255, 0);
    mapping.DrawGridlines(&canvas, 10, 10, label, Red, 0, 0, false, {});
    EXPECT_EQ(canvas.ModifiedCount(), 1);
    EXPECT_GT(PixelsOf(canvas, Red).size(), 2000u);
    EXPECT_GT(PixelsOf(canvas, label).size(), 200u);
    EXPECT_EQ(Colours(canvas), (std::set<TColour>{PackColour(0, 0, 80), Red, label, Black}));
    // The centre meridian (10E) is a line through the middle column.
    EXPECT_EQ(canvas.Pixel(200, 250), Red);
}

} // namespace
} // namespace veltra
