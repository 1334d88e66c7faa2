// The graticule: line ranges per kind, the date-line wrap, forced steps, labels and their
// placement, special parallels, offsets and clamping, drawn on a recording surface.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <limits>
#include <set>
#include <string>

#include "mapping/GridCanvas.h"
#include "mapping/MappingTestSupport.h"
#include "mapping/zorMapping.h"

namespace veltra {
namespace {

using namespace test;

constexpr TColour LabelColour = 0x00C000;
constexpr TColour LineColour = 255;
const std::string Deg = "\xC2\xB0";

std::string MeridianText(int n)
{
    if (n == 0 || n == 180 || n == -180)
        return std::to_string(std::abs(n)) + Deg;
    return std::to_string(std::abs(n)) + Deg + (n < 0 ? "W" : "E");
}

std::string ParallelText(int h)
{
    if (h == 0)
        return "0" + Deg;
    return std::to_string(std::abs(h)) + Deg + (h < 0 ? "S" : "N");
}

std::set<std::string> Meridians(int from, int to, int step)
{
    std::set<std::string> out;
    for (int n = from; n <= to; n += step)
        out.insert(MeridianText(n));
    return out;
}

std::set<std::string> Parallels(int from, int to, int step)
{
    std::set<std::string> out;
    for (int h = from; h <= to; h += step)
        out.insert(ParallelText(h));
    return out;
}

struct TGridCall {
    bool NoLabels = true;
    TSpecialParallels Special{};
    int LonStep = 10, LatStep = 10;
    int XOrigin = 0, YOrigin = 0;
};

TGridCanvas Draw(const TMapping& mapping, const TGridCall& call = {})
{
    TGridCanvas canvas(mapping.Width, mapping.Height);
    mapping.DrawGridlines(&canvas, call.LonStep, call.LatStep, LabelColour, LineColour,
                          call.XOrigin, call.YOrigin, call.NoLabels, call.Special);
    return canvas;
}

// The label texts drawn in the label colour (the outline is drawn in black).
std::vector<TDrawn> LabelTexts(const TGridCanvas& canvas)
{
    std::vector<TDrawn> out;
    for (const TDrawn& d : canvas.Of(TDrawn::TextOut))
        if (d.Font.Colour == LabelColour)
            out.push_back(d);
    return out;
}

const TDrawn* FindLabel(const TGridCanvas& canvas, const std::string& text)
{
    for (const TDrawn& d : canvas.Drawn)
        if (d.What == TDrawn::TextOut && d.Font.Colour == LabelColour && d.Text == text)
            return &d;
    return nullptr;
}

TEST(Graticule, NothingForNoProjectionOrAnUnknownKind)
{
    for (int kind : {0, 15, 200}) {
        TMapping mapping = MakeMapping(pkOrthographic, Europe);
        mapping.Projection = static_cast<std::uint8_t>(kind);
        TGridCanvas canvas = Draw(mapping);
        EXPECT_TRUE(canvas.Drawn.empty());
        EXPECT_EQ(canvas.Modified, 0);
        EXPECT_EQ(canvas.PenColour(), 0u);
        EXPECT_EQ(canvas.CurrentFont.Name, "Original");
        mapping.DrawGridlinesOnCanvas(&canvas, 10, 10, LabelColour, LineColour, 0, 0, false, {});
        EXPECT_TRUE(canvas.Drawn.empty());
    }
    TMapping mapping = MakeMapping(pkOrthographic, Europe);
    mapping.DrawGridlines(nullptr, 10, 10, LabelColour, LineColour, 0, 0, false, {});
    mapping.DrawGridlinesOnCanvas(nullptr, 10, 10, LabelColour, LineColour, 0, 0, false, {});
    TGridCanvas canvas = Draw(mapping);
    EXPECT_EQ(canvas.Modified, 1);
    EXPECT_FALSE(canvas.Drawn.empty());
    // Only the bitmap version marks the surface.
    TGridCanvas plain(800, 600);
    mapping.DrawGridlinesOnCanvas(&plain, 10, 10, LabelColour, LineColour, 0, 0, true, {});
    EXPECT_EQ(plain.Modified, 0);
    EXPECT_FALSE(plain.Drawn.empty());
}

TEST(Graticule, RegionWithoutWholeDegreeRangesDrawsNothing)
{
    for (float centre : {1e9f, std::numeric_limits<float>::quiet_NaN()})
        for (std::uint8_t kind : {pkPlateCarreeZoomed, pkVanDerGrinten}) {
            TMapping mapping = MakeMapping(kind, Europe);
            mapping.SetCentreLongitude(centre);
            TGridCanvas canvas = Draw(mapping, {.NoLabels = false});
            EXPECT_TRUE(canvas.Drawn.empty());
            EXPECT_EQ(canvas.CurrentFont.Name, "Original");
        }
}

TEST(Graticule, RangesPerKind)
{
    struct Case {
        const char* Name;
        std::uint8_t Kind;
        int Region;
        float CentreLongitude; // replaces the preset's when not 999
        std::set<std::string> MeridianLabels, ParallelLabels;
    };
    auto join = [](std::set<std::string> a, const std::set<std::string>& b) {
        a.insert(b.begin(), b.end());
        return a;
    };
    const Case cases[] = {
        // The azimuthal kinds start at -180, so the 180 meridian is drawn once.
        {"orthographic", pkOrthographic, Europe, 999, Meridians(-180, 170, 10),
         Parallels(-80, 80, 10)},
        {"plate carree", pkPlateCarree, Europe, 999, Meridians(-170, 170, 10),
         Parallels(-80, 80, 10)},
        {"mercator", pkMercator, Europe, 999, Meridians(-170, 170, 10), Parallels(-80, 80, 10)},
        // Region 10 +- 75, 55 +- 37.5: -66..86 and 16..93, the latter lowered to 89.
        {"zoomed plate carree", pkPlateCarreeZoomed, Europe, 999, Meridians(-60, 80, 10),
         Parallels(10, 80, 10)},
        // Past the date line: 94..179 and, wrapped, -180..-114.
        {"zoomed across the date line", pkPlateCarreeZoomed, Europe, 170,
         join(Meridians(90, 170, 10), Meridians(-180, -110, 10)), Parallels(10, 80, 10)},
        {"fixed azimuthal", pkAzimuthalFixed, Europe, 999, Meridians(-180, 150, 30),
         Parallels(-75, 75, 15)},
        {"northern plate carree", pkPlateCarreeNorth, Europe, 999, Meridians(-170, 170, 10),
         Parallels(0, 80, 10)},
        // Van der Grinten: centre -90 gives -269..89, and -260..-190 are 100E..170E.
        {"van der grinten", pkVanDerGrinten, NorthAmerica, 999,
         join(Meridians(-180, 80, 10), Meridians(100, 170, 10)), Parallels(-80, 80, 10)},
    };
    for (const Case& c : cases) {
        TMapping mapping = MakeMapping(c.Kind, c.Region);
        if (c.CentreLongitude != 999)
            mapping.SetCentreLongitude(c.CentreLongitude);
        TGridCanvas canvas = Draw(mapping);
        EXPECT_EQ(canvas.HeightsMeasured, c.MeridianLabels) << c.Name;
        EXPECT_EQ(canvas.WidthsMeasured, c.ParallelLabels) << c.Name;
    }
}

TEST(Graticule, StepsForcedByKind)
{
    // The fixed azimuthal kind ignores the caller's steps.
    TGridCanvas fixed = Draw(MakeMapping(pkAzimuthalFixed, Europe), {.LonStep = 7, .LatStep = 3});
    EXPECT_EQ(fixed.HeightsMeasured, Meridians(-180, 150, 30));

    // The fitted azimuthal kind without a latitude span uses 30 for both.
    TMapping unspanned = MakeMapping(pkAzimuthal, Europe);
    unspanned.SetLatitudeSpan(0);
    TGridCanvas wide = Draw(unspanned);
    EXPECT_EQ(wide.HeightsMeasured, Meridians(-180, 150, 30));
    EXPECT_EQ(wide.WidthsMeasured, Parallels(-60, 60, 30));

    // The zoomed Mercator turns 15-degree steps into 5.
    TGridCanvas mercator =
        Draw(MakeMapping(pkMercatorZoomed, Europe), {.LonStep = 15, .LatStep = 15});
    EXPECT_EQ(mercator.HeightsMeasured, Meridians(-65, 85, 5));
    EXPECT_EQ(mercator.WidthsMeasured, Parallels(15, 85, 5)); // from 16 div 5

    // No step, no lines, and the surface is left as it was found.
    TGridCanvas none = Draw(MakeMapping(pkOrthographic, Europe), {.LonStep = 0});
    EXPECT_TRUE(none.Drawn.empty());
    EXPECT_EQ(none.CurrentFont.Name, "Original");
}

TEST(Graticule, CylindricalKindsDrawStraightLines)
{
    const TMapping mapping = MakeMapping(pkMercator, Europe);
    TGridCanvas canvas = Draw(mapping);
    EXPECT_TRUE(canvas.Of(TDrawn::Polyline).empty());
    const std::vector<TDrawn> segments = canvas.Of(TDrawn::Segment);
    ASSERT_EQ(segments.size(), 35u + 17u);

    // Meridians first, west to east: a vertical line from one text height above the bottom
    // edge up to 89 degrees north.
    std::int32_t x = 0, top = 0;
    ASSERT_TRUE(mapping.LatLonToXY(89, 0, x, top));
    const TDrawn& greenwich = segments[17];
    EXPECT_EQ(greenwich.Points[0].X, x);
    EXPECT_EQ(greenwich.Points[0].Y, 600 - 10);
    EXPECT_EQ(greenwich.Points[1].X, x);
    EXPECT_EQ(greenwich.Points[1].Y, top);
    EXPECT_EQ(greenwich.Pen, LineColour);

    // Parallels: horizontal, from clear of the label to two pixels short of the right edge.
    std::int32_t y = 0;
    ASSERT_TRUE(mapping.LatLonToXY(30, -179, x, y));
    const TDrawn& thirty = segments[35 + 11];
    EXPECT_EQ(thirty.Points[0].X, 6 * 4 + 4); // "30°N" is 4 characters wide
    EXPECT_EQ(thirty.Points[0].Y, y);
    EXPECT_EQ(thirty.Points[1].X, 798);
    EXPECT_EQ(thirty.Points[1].Y, y);
}

TEST(Graticule, WalkedLinesFollowTheProjection)
{
    // Polar stereographic shows every point: one run per line, 179 points a meridian and
    // 359 a parallel, each point where LatLonToXY puts it (clamped near the bitmap).
    const TMapping mapping = MakeMapping(pkPolarStereographic, NorthPole);
    TGridCanvas canvas = Draw(mapping);
    const std::vector<TDrawn> runs = canvas.Of(TDrawn::Polyline);
    ASSERT_EQ(runs.size(), 35u + 17u);
    for (std::size_t i = 0; i < 35; ++i)
        EXPECT_EQ(runs[i].Points.size(), 179u);
    for (std::size_t i = 35; i < runs.size(); ++i)
        EXPECT_EQ(runs[i].Points.size(), 359u);
    const TDrawn& equator = runs[35 + 8];
    for (int i = 0; i < 359; ++i) {
        std::int32_t x = 0, y = 0;
        ASSERT_TRUE(mapping.LatLonToXY(0, static_cast<float>(179 - i), x, y));
        EXPECT_EQ(equator.Points[i].X, std::clamp(x, -100, 900));
        EXPECT_EQ(equator.Points[i].Y, std::clamp(y, -100, 900));
    }
    bool clamped = false;
    for (const TDrawn& run : runs)
        for (const TPoint& p : run.Points) {
            ASSERT_GE(p.X, -100);
            ASSERT_LE(p.X, 900);
            ASSERT_GE(p.Y, -100);
            ASSERT_LE(p.Y, 900); // the larger of width and height, plus 100
            clamped = clamped || p.Y == 900 || p.Y == -100 || p.X == -100 || p.X == 900;
        }
    EXPECT_TRUE(clamped);

    // The orthographic globe breaks lines at the reach: several runs, none of one point.
    TGridCanvas ortho = Draw(MakeMapping(pkOrthographic, Europe));
    for (const TDrawn& run : ortho.Of(TDrawn::Polyline))
        EXPECT_GE(run.Points.size(), 2u);
}

TEST(Graticule, LabelsAreOutlinedInTheSmallFont)
{
    // One pixel per degree: meridian n sits at x = n + 180.
    const TMapping mapping = MakeMapping(pkPlateCarree, Europe, 360, 180);
    TGridCanvas canvas = Draw(mapping, {.NoLabels = false});
    const TDrawn* zero = FindLabel(canvas, "0" + Deg);
    ASSERT_NE(zero, nullptr);
    // Centred on (180, 180 - 3 * 10 / 4): "0°" is 12 wide, 10 high.
    EXPECT_EQ(zero->Points[0].X, 174);
    EXPECT_EQ(zero->Points[0].Y, 168);
    EXPECT_EQ(zero->Font.Name, "Small Fonts");
    EXPECT_EQ(zero->Font.Size, 7);

    // The four black copies one pixel off diagonally come just before it.
    const auto at = std::find_if(canvas.Drawn.begin(), canvas.Drawn.end(),
                                 [&](const TDrawn& d) { return &d == zero; });
    ASSERT_GE(at - canvas.Drawn.begin(), 4);
    std::set<std::pair<int, int>> outline;
    for (auto it = at - 4; it != at; ++it) {
        EXPECT_EQ(it->Text, zero->Text);
        EXPECT_EQ(it->Font.Colour, 0u);
        outline.insert({it->Points[0].X - 174, it->Points[0].Y - 168});
    }
    EXPECT_EQ(outline, (std::set<std::pair<int, int>>{{-1, -1}, {1, -1}, {-1, 1}, {1, 1}}));

    // Parallel labels hug the left edge.
    int equatorLabels = 0;
    for (const TDrawn& d : LabelTexts(canvas))
        if (d.Text == "0" + Deg && d.Points[0].X == 2) {
            ++equatorLabels;
            EXPECT_EQ(d.Points[0].Y, 90 - 5);
        }
    EXPECT_EQ(equatorLabels, 1);

    // The surface gets its font back; the pen keeps the line colour.
    EXPECT_EQ(canvas.CurrentFont.Name, "Original");
    EXPECT_EQ(canvas.CurrentFont.Colour, 0x123456u);
    EXPECT_EQ(canvas.PenColour(), LineColour);
}

TEST(Graticule, LabelsPastTheEdgesAreSkipped)
{
    const TMapping mapping = MakeMapping(pkPlateCarree, Europe, 360, 180);
    TGridCanvas canvas = Draw(mapping, {.NoLabels = false});
    std::set<std::string> meridianLabels;
    for (const TDrawn& d : LabelTexts(canvas))
        if (d.Points[0].Y == 168)
            meridianLabels.insert(d.Text);
    // 170°W at x = 10 would start at -5; 160°E at x = 340 would end at 370, past 360;
    // 150°E ends exactly on the edge and stays.
    EXPECT_EQ(meridianLabels, Meridians(-160, 150, 10));
}

TEST(Graticule, NoLabelsDrawsLinesOnly)
{
    TGridCanvas canvas = Draw(MakeMapping(pkOrthographic, Europe), {.NoLabels = true});
    EXPECT_TRUE(canvas.Of(TDrawn::TextOut).empty());
    EXPECT_FALSE(canvas.Of(TDrawn::Polyline).empty());
}

TEST(Graticule, SpecialParallelsAreDottedAndUnlabelled)
{
    const TMapping ortho = MakeMapping(pkOrthographic, IndianOcean);
    TGridCanvas plain = Draw(ortho);
    TGridCanvas canvas = Draw(ortho, {.Special = TSpecialParallels{2}});
    std::vector<TDrawn> dotted;
    for (const TDrawn& d : canvas.Of(TDrawn::Polyline))
        if (d.Style == TPenStyle::Dot)
            dotted.push_back(d);
    ASSERT_FALSE(dotted.empty());
    EXPECT_EQ(canvas.Drawn.size(), plain.Drawn.size() + dotted.size());
    // Every dotted point lies on the equator, walked from 179 down to -179.
    std::set<std::pair<int, int>> equator;
    for (int lon = -179; lon <= 179; ++lon) {
        std::int32_t x = 0, y = 0;
        if (ortho.LatLonToXY(0, static_cast<float>(lon), x, y))
            equator.insert({x, y});
    }
    for (const TDrawn& run : dotted)
        for (const TPoint& p : run.Points)
            EXPECT_TRUE(equator.count({p.X, p.Y})) << p.X << "," << p.Y;
    EXPECT_EQ(canvas.PenStyle(), TPenStyle::Solid);

    // On a cylindrical kind: one dotted segment right across; elements 5 to 7 draw nothing.
    const TMapping plate = MakeMapping(pkPlateCarree, Europe);
    TGridCanvas tropics = Draw(plate, {.Special = TSpecialParallels{1, 3, 5, 6, 7}});
    std::vector<TDrawn> lines;
    for (const TDrawn& d : tropics.Of(TDrawn::Segment))
        if (d.Style == TPenStyle::Dot)
            lines.push_back(d);
    ASSERT_EQ(lines.size(), 2u);
    std::int32_t x = 0, y = 0;
    ASSERT_TRUE(plate.LatLonToXY(23.43917f, -179, x, y));
    EXPECT_EQ(lines[0].Points[0].X, 0);
    EXPECT_EQ(lines[0].Points[0].Y, y);
    EXPECT_EQ(lines[0].Points[1].X, 798);
    ASSERT_TRUE(plate.LatLonToXY(-23.43917f, -179, x, y));
    EXPECT_EQ(lines[1].Points[0].Y, y);
}

TEST(Graticule, OriginShiftsEverything)
{
    const TMapping mapping = MakeMapping(pkOrthographic, Europe);
    TGridCanvas base = Draw(mapping, {.NoLabels = false});
    TGridCanvas shifted = Draw(mapping, {.NoLabels = false, .XOrigin = 30, .YOrigin = -20});
    ASSERT_EQ(base.Drawn.size(), shifted.Drawn.size());
    for (std::size_t i = 0; i < base.Drawn.size(); ++i) {
        ASSERT_EQ(base.Drawn[i].Points.size(), shifted.Drawn[i].Points.size());
        for (std::size_t j = 0; j < base.Drawn[i].Points.size(); ++j) {
            EXPECT_EQ(shifted.Drawn[i].Points[j].X, base.Drawn[i].Points[j].X + 30);
            EXPECT_EQ(shifted.Drawn[i].Points[j].Y, base.Drawn[i].Points[j].Y - 20);
        }
    }
}

TEST(Graticule, LabelOfAHiddenPointGoesToTheLastPointOfItsLine)
{
    // Europe on the orthographic globe: (55N, 130E) is 59.6 degrees of arc from the centre,
    // past the 6300 km reach, so the 130°E label goes where its meridian's line ended.
    const TMapping mapping = MakeMapping(pkOrthographic, Europe);
    std::int32_t x = 0, y = 0;
    ASSERT_FALSE(mapping.LatLonToXY(55, 130, x, y));
    TGridCanvas canvas = Draw(mapping, {.NoLabels = false});
    const std::string text = "130" + Deg + "E";
    const TDrawn* label = FindLabel(canvas, text);
    ASSERT_NE(label, nullptr);
    const TDrawn* line = nullptr;
    for (const TDrawn& d : canvas.Drawn) {
        if (&d == label)
            break;
        if (d.What == TDrawn::Polyline)
            line = &d;
    }
    ASSERT_NE(line, nullptr);
    const TPoint last = line->Points.back();
    EXPECT_EQ(label->Points[0].X, last.X - 6 * 5 / 2);
    EXPECT_EQ(label->Points[0].Y, last.Y - 5);
}

TEST(Graticule, OrthographicLabelsSitOnTheCentreLatitudeAndNearestMeridian)
{
    const TMapping mapping = MakeMapping(pkOrthographic, Europe);
    TGridCanvas canvas = Draw(mapping, {.NoLabels = false});
    std::int32_t x = 0, y = 0;
    // The Greenwich meridian at 55N, labelled "0°" (12 x 10) centred there.
    ASSERT_TRUE(mapping.LatLonToXY(55, 0, x, y));
    bool found = false;
    for (const TDrawn& d : LabelTexts(canvas))
        found = found || (d.Text == "0" + Deg && d.Points[0].X == x - 6 && d.Points[0].Y == y - 5);
    EXPECT_TRUE(found);
    // "40°N" (24 wide) centred 4/5 of its width west of 10E, the meridian nearest the centre.
    ASSERT_TRUE(mapping.LatLonToXY(40, 10, x, y));
    const TDrawn* forty = FindLabel(canvas, "40" + Deg + "N");
    ASSERT_NE(forty, nullptr);
    EXPECT_EQ(forty->Points[0].X, x - 24 * 4 / 5 - 12);
    EXPECT_EQ(forty->Points[0].Y, y - 5);
}

TEST(Graticule, LambertLabelsRunAlongTheBottomAndLeftEdges)
{
    const TMapping mapping = MakeMapping(pkLambertConformal, Europe);
    TGridCanvas canvas = Draw(mapping, {.NoLabels = false});
    int meridianLabels = 0, parallelLabels = 0;
    for (const TDrawn& d : LabelTexts(canvas)) {
        const char last = d.Text.back();
        if (last == 'E' || last == 'W') {
            ++meridianLabels;
            EXPECT_EQ(d.Points[0].Y, 600 - 7 - 5) << d.Text;
        } else if (last == 'N' || last == 'S') {
            ++parallelLabels;
            EXPECT_EQ(d.Points[0].X, 2) << d.Text;
        }
    }
    EXPECT_GT(meridianLabels, 3);
    EXPECT_GT(parallelLabels, 2);
}

} // namespace
} // namespace veltra
