// Outline overlays: the four file readers fed with bytes built here at known offsets, the
// drawing rules through a plate-carree stand-in projection, and the shipped Countries.dat.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include <unistd.h>

#include "mapping/zorCartography.h"
#include "mapping/zorMapping.h"
#include "support/FakeHost.h"

namespace veltra {
namespace {

using Bytes = std::vector<std::uint8_t>;
using test::TCanvasCall;
using test::TRecordingCanvas;

void Put32(Bytes& out, std::uint32_t v, bool bigEndian = false)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<std::uint8_t>(v >> (bigEndian ? 24 - 8 * i : 8 * i)));
}

void Put16(Bytes& out, std::int16_t v)
{
    out.push_back(static_cast<std::uint8_t>(v & 0xFF));
    out.push_back(static_cast<std::uint8_t>((v >> 8) & 0xFF));
}

Bytes Text(const std::string& s)
{
    return Bytes(s.begin(), s.end());
}

// Minute format: int32 N, byte Kind, N × (int16 lon, int16 lat) minutes, little-endian.
struct TMinuteRecord {
    std::uint8_t Kind;
    std::vector<std::pair<std::int16_t, std::int16_t>> Points;
};

Bytes MinuteFile(const std::vector<TMinuteRecord>& records)
{
    Bytes out;
    for (const auto& r : records) {
        Put32(out, static_cast<std::uint32_t>(r.Points.size()));
        out.push_back(r.Kind);
        for (const auto& [lon, lat] : r.Points) {
            Put16(out, lon);
            Put16(out, lat);
        }
    }
    return out;
}

// GSHHS polygon: header words (id, n, flag, w, e, s, n, area, ...) then points in
// millionths of a degree.
struct TGshhsPolygon {
    std::uint32_t Level;
    std::uint32_t Area;
    std::vector<std::pair<std::int32_t, std::int32_t>> Points; // x (lon), y (lat)
};

Bytes GshhsFile(const std::vector<TGshhsPolygon>& polygons, int headerSize, bool bigEndian)
{
    Bytes out;
    std::uint32_t id = 0;
    for (const auto& p : polygons) {
        const std::uint32_t version = headerSize == 44 ? 7 : 0;
        Put32(out, id++, bigEndian);
        Put32(out, static_cast<std::uint32_t>(p.Points.size()), bigEndian);
        Put32(out, p.Level | version << 8, bigEndian);
        for (int i = 0; i < 4; ++i)
            Put32(out, 0, bigEndian); // west, east, south, north
        Put32(out, p.Area, bigEndian);
        Put32(out, headerSize == 40 ? 3 : 0, bigEndian);
        for (int offset = 36; offset < headerSize; offset += 4)
            Put32(out, 0, bigEndian);
        for (const auto& [x, y] : p.Points) {
            Put32(out, static_cast<std::uint32_t>(x), bigEndian);
            Put32(out, static_cast<std::uint32_t>(y), bigEndian);
        }
    }
    return out;
}

// Plate carree with a chosen scale: X = OriginX + lon × ppd, Y = OriginY − lat × ppd.
class TGridProjector : public TProjector {
public:
    std::int32_t Width = 360;
    std::uint8_t Kind = 1;
    double PixelsPerDegree = 1;
    double OriginX = 180, OriginY = 90;
    std::function<bool(float, float)> Visible = [](float, float) { return true; };

    bool LatLonToXY(float lat, float lon, std::int32_t& x, std::int32_t& y) const override
    {
        if (!Visible(lat, lon))
            return false;
        x = static_cast<std::int32_t>(std::lround(OriginX + lon * PixelsPerDegree));
        y = static_cast<std::int32_t>(std::lround(OriginY - lat * PixelsPerDegree));
        return true;
    }
    std::int32_t GetWidth() const override { return Width; }
    std::int32_t GetHeight() const override { return 180; }
    std::uint8_t ProjectionKind() const override { return Kind; }
};

using TPolyline = std::vector<std::pair<int, int>>;

// The recording canvas logs a polyline as a move followed by lines.
std::vector<TPolyline> Polylines(const TRecordingCanvas& canvas)
{
    std::vector<TPolyline> out;
    for (const auto& c : canvas.Calls) {
        if (c.What == TCanvasCall::Move)
            out.emplace_back();
        if ((c.What == TCanvasCall::Move || c.What == TCanvasCall::Line) && !out.empty())
            out.back().emplace_back(c.A, c.B);
    }
    return out;
}

std::unique_ptr<TLineSegment> Segment(std::uint8_t kind,
                                      const std::vector<std::pair<float, float>>& lonLat)
{
    auto s = std::make_unique<TLineSegment>();
    s->Kind = kind;
    for (const auto& [lon, lat] : lonLat)
        s->AddPoint(lon, lat);
    return s;
}

// A list that finds no Countries.dat anywhere.
struct TCartogFixture : ::testing::Test {
    TCartogList List{{}, ""};
    TGridProjector Projector;
    TRecordingCanvas Canvas{360, 180};

    std::vector<TPolyline> DrawAll()
    {
        List.Mapping = &Projector;
        List.Draw(&Canvas, 0, 0);
        return Polylines(Canvas);
    }
};

// ---- Loading ---------------------------------------------------------------------------

using MinuteFormat = TCartogFixture;

TEST_F(MinuteFormat, RecordsConvertMinutesToDegreesAndKeepTheirKind)
{
    // Records without points draw nothing and are not kept.
    List.LoadFromBytes(
        MinuteFile({{4, {{60, -90}, {-30, 5400}, {10800, 0}}}, {0, {}}, {0, {}}, {2, {{1, 1}}}}),
        "Countries.dat");
    ASSERT_EQ(List.Count(), 2);
    const TLineSegment& s = List.Items(0);
    EXPECT_EQ(s.Kind, 4);
    ASSERT_EQ(s.Count, 3);
    EXPECT_FLOAT_EQ(s.Points[0].Lon, 1.0f);
    EXPECT_FLOAT_EQ(s.Points[0].Lat, -1.5f);
    EXPECT_FLOAT_EQ(s.Points[1].Lat, 90.0f);
    EXPECT_FLOAT_EQ(s.MaxLon, 180.0f); // no longitude reduction in this format
    EXPECT_FLOAT_EQ(s.MinLon, -0.5f);
    EXPECT_FLOAT_EQ(s.MaxLat, 90.0f);
    EXPECT_FLOAT_EQ(s.MinLat, -1.5f);
    EXPECT_EQ(List.Items(1).Kind, 2);
    EXPECT_EQ(List.MaxPoints, 3);
    EXPECT_TRUE(List.CloseRings);
}

TEST_F(MinuteFormat, DamagedEndingsKeepTheCompletedRecords)
{
    const Bytes good = MinuteFile({{0, {{1, 2}, {3, 4}}}});
    struct Case {
        const char* Name;
        Bytes Tail;
    };
    Bytes countAndKind, emptyAtEnd, shortPoints, hugeCount, negativeCount, shortCount;
    Put32(countAndKind, 2);
    countAndKind.push_back(0);
    Put32(emptyAtEnd, 0); // even a record of no points is dropped when the file ends there
    emptyAtEnd.push_back(0);
    shortPoints = countAndKind;
    Put16(shortPoints, 1);
    Put16(shortPoints, 1);
    Put16(shortPoints, 1); // 6 of the 8 bytes two points need
    Put32(hugeCount, 0x7FFFFFFF);
    hugeCount.insert(hugeCount.end(), {0, 1, 2, 3, 4});
    Put32(negativeCount, 0xFFFFFFFF);
    negativeCount.insert(negativeCount.end(), {0, 1, 2, 3, 4});
    shortCount = {1, 0};
    for (const Case& c : std::vector<Case>{{"count and kind only", countAndKind},
                                           {"no points at the end", emptyAtEnd},
                                           {"points cut off", shortPoints},
                                           {"huge count", hugeCount},
                                           {"negative count", negativeCount},
                                           {"count cut off", shortCount}}) {
        Bytes file = good;
        file.insert(file.end(), c.Tail.begin(), c.Tail.end());
        List.LoadFromBytes(file, "c.dat");
        EXPECT_EQ(List.Count(), 1) << c.Name;
        EXPECT_EQ(List.MaxPoints, 2) << c.Name;
    }
}

using FileDispatch = TCartogFixture;

TEST_F(FileDispatch, ShortFilesAndTextFilesLeaveTheListAsItWas)
{
    List.LoadFromBytes(MinuteFile({{0, {{1, 2}, {3, 4}}}}), "a.dat");
    for (const Bytes& file : {Bytes{}, Bytes{1, 0, 0}, Text("# -b\n10.0\t20.0\n11.0\t21.0\n")}) {
        List.CloseRings = false;
        List.LoadFromBytes(file, "b.dat");
        EXPECT_EQ(List.Count(), 1);
        EXPECT_EQ(List.MaxPoints, 2);
        EXPECT_TRUE(List.CloseRings);
    }
}

TEST_F(FileDispatch, TextFormatLoadsOnlyWhenAccepted)
{
    List.AcceptText = true;
    List.LoadFromBytes(Text("# -b\n10.5\t20.25\n 11.0\t 21.0 \nno tab here\n12.0\tbad\n"
                            "x\n-5.5\t-6.5\r\n-7.0\t-8.0"),
                       "t.txt");
    EXPECT_FALSE(List.CloseRings);
    ASSERT_EQ(List.Count(), 2);
    ASSERT_EQ(List.Items(0).Count, 2);
    EXPECT_FLOAT_EQ(List.Items(0).Points[0].Lon, 10.5f);
    EXPECT_FLOAT_EQ(List.Items(0).Points[0].Lat, 20.25f);
    EXPECT_FLOAT_EQ(List.Items(0).Points[1].Lat, 21.0f);
    EXPECT_EQ(List.Items(0).Kind, 1);
    ASSERT_EQ(List.Items(1).Count, 2);
    EXPECT_FLOAT_EQ(List.Items(1).MinLat, -8.0f);
}

TEST_F(FileDispatch, MissingFileLoadsNothing)
{
    List.LoadFromFile("");
    List.LoadFromFile("/nonexistent/Countries.dat");
    EXPECT_EQ(List.Count(), 0);
}

// ---- GSHHS -------------------------------------------------------------------------------

struct GshhsCase {
    int HeaderSize;
    bool BigEndian;
};

class GshhsFormat : public TCartogFixture, public ::testing::WithParamInterface<GshhsCase> {};

TEST_P(GshhsFormat, ReadsLandLargeLakesAndIslandsInLakes)
{
    const auto [headerSize, bigEndian] = GetParam();
    const std::vector<TGshhsPolygon> polygons = {
        {1, 5000, {{350500000, 10000000}, {359000000, -20250000}, {1000000, 0}}},
        {2, 99, {{1, 1}}},                                    // small lake: left out
        {2, 100, {{-2000000, 3000000}, {-1000000, 4000000}}}, // large lake
        {3, 0, {{1000000, 1000000}}},                         // island in a lake
        {4, 100000, {{5, 5}, {6, 6}}},                        // pond in an island: left out
    };
    List.LoadFromBytes(GshhsFile(polygons, headerSize, bigEndian), "gshhs_c.b");
    EXPECT_FALSE(List.CloseRings);
    ASSERT_EQ(List.Count(), 3);
    const TLineSegment& land = List.Items(0);
    EXPECT_EQ(land.Kind, 1);
    ASSERT_EQ(land.Count, 3);
    EXPECT_FLOAT_EQ(land.Points[0].Lon, 350.5f);
    EXPECT_FLOAT_EQ(land.Points[1].Lat, -20.25f);
    EXPECT_FLOAT_EQ(land.MaxLon, -1.0f); // 359 brought back by 360
    EXPECT_FLOAT_EQ(land.MinLon, 1.0f);
    EXPECT_FLOAT_EQ(land.MaxLat, 10.0f);
    EXPECT_FLOAT_EQ(List.Items(1).Points[1].Lat, 4.0f);
    EXPECT_FLOAT_EQ(List.Items(2).Points[0].Lon, 1.0f);
    EXPECT_EQ(List.MaxPoints, 3);
}

TEST_P(GshhsFormat, TruncatedPolygonKeepsThoseBefore)
{
    const auto [headerSize, bigEndian] = GetParam();
    Bytes file = GshhsFile({{1, 0, {{1, 1}, {2, 2}}}, {1, 0, {{3, 3}, {4, 4}, {5, 5}}}}, headerSize,
                           bigEndian);
    // Into the last point, into the first, and into the second header.
    for (std::size_t cut : {std::size_t{4}, std::size_t{20}, std::size_t{24 + 5}}) {
        List.LoadFromBytes(Bytes(file.begin(), file.end() - static_cast<long>(cut)), "g");
        EXPECT_EQ(List.Count(), 1) << "cut " << cut;
    }
    // A count far beyond the file neither allocates for it nor loops over it.
    Bytes huge = file;
    const std::size_t second = static_cast<std::size_t>(headerSize) + 2 * 8;
    for (int i = 0; i < 4; ++i)
        huge[second + 4 + static_cast<std::size_t>(i)] = i == (bigEndian ? 0 : 3) ? 0x7F : 0xFF;
    List.LoadFromBytes(huge, "g");
    EXPECT_EQ(List.Count(), 1);
}

INSTANTIATE_TEST_SUITE_P(HeaderSizesAndByteOrders, GshhsFormat,
                         ::testing::Values(GshhsCase{36, false}, GshhsCase{36, true},
                                           GshhsCase{40, false}, GshhsCase{40, true},
                                           GshhsCase{44, false}, GshhsCase{44, true}),
                         [](const auto& info) {
                             return std::to_string(info.param.HeaderSize) +
                                    (info.param.BigEndian ? "BigEndian" : "LittleEndian");
                         });

// ---- GPX ---------------------------------------------------------------------------------

using GpxFormat = TCartogFixture;

const char* const GpxHead = "<?xml version=\"1.0\"?>\n<gpx>\n  <trk><name>Pass</name>\n";

TEST_F(GpxFormat, TwoTrackSegmentsGiveTwoPolylines)
{
    const std::string gpx = std::string(GpxHead) +
                            "    <trkseg>\n"
                            "      <trkpt lat=\"51.5\" lon=\"-0.125\"><ele>3</ele></trkpt>\n"
                            "      <TRKPT LON=\"2.35\" LAT=\"48.85\"/>\r\n"
                            "      <trkpt lon=\"1.0\" lat=\"50.0/>\n" // latitude unclosed
                            "      <trkpt lat=\"abc\" lon=\"1.0\"/>\n"
                            "      <trkpt lat=\"1.0\"/>\n"
                            "    </trkseg>\n"
                            "    <trkseg>\n"
                            "    </trkseg>\n" // no points: nothing added
                            "\t<trkseg>\n"
                            "<trkpt lat=\"-33.9\" lon=\"358.5\"/>\n"
                            "<trkpt lat=\"+1e1\" lon=\"-.5\"/>\n"
                            "</trkseg>\n</trk>\n</gpx>\n";
    List.LoadFromBytes(Text(gpx), "/tmp/tracks.v2/Track.Gpx");
    ASSERT_EQ(List.Count(), 2);
    const TLineSegment& first = List.Items(0);
    ASSERT_EQ(first.Count, 2);
    EXPECT_FLOAT_EQ(first.Points[0].Lon, -0.125f);
    EXPECT_FLOAT_EQ(first.Points[0].Lat, 51.5f);
    EXPECT_FLOAT_EQ(first.Points[1].Lon, 2.35f);
    EXPECT_EQ(first.Kind, 1);
    const TLineSegment& second = List.Items(1);
    ASSERT_EQ(second.Count, 2);
    EXPECT_FLOAT_EQ(second.MaxLon, -1.5f); // 358.5 brought back by 360
    EXPECT_FLOAT_EQ(second.Points[1].Lat, 10.0f);
    EXPECT_FLOAT_EQ(second.Points[1].Lon, -0.5f);
    EXPECT_TRUE(List.CloseRings);
}

TEST_F(GpxFormat, AppendsAndDropsAnUnclosedLastSegment)
{
    List.LoadFromBytes(MinuteFile({{0, {{1, 2}}}}), "a.dat");
    const std::string gpx = std::string(GpxHead) +
                            "<trkseg>\n<trkpt lat=\"1\" lon=\"2\"/>\n</trkseg>\n"
                            "<trkseg>\n<trkpt lat=\"3\" lon=\"4\"/>\n";
    List.LoadFromBytes(Text(gpx), "t.gpx");
    ASSERT_EQ(List.Count(), 2);
    EXPECT_FLOAT_EQ(List.Items(1).Points[0].Lon, 2.0f);
}

TEST_F(GpxFormat, OnlyTheExtensionSelectsTheTrackReader)
{
    const std::string gpx = "<trkseg>\n<trkpt lat=\"1\" lon=\"2\"/>\n</trkseg>\n";
    // Read as minutes, "<trk" is a count far beyond the file.
    List.LoadFromBytes(Text(gpx), "gpx.folder/track");
    EXPECT_EQ(List.Count(), 0);
    List.LoadFromBytes(Text(gpx), "track.gpx");
    EXPECT_EQ(List.Count(), 1);
}

// ---- List behaviour ----------------------------------------------------------------------

using ListBehaviour = TCartogFixture;

TEST_F(ListBehaviour, CapacityGrowsInStepsAndIsTrimmedAfterALoad)
{
    EXPECT_EQ(List.Capacity(), 1500);
    for (int i = 0; i < 1499; ++i)
        List.Add(std::make_unique<TLineSegment>());
    EXPECT_EQ(List.Capacity(), 1500);
    List.Add(std::make_unique<TLineSegment>());
    EXPECT_EQ(List.Capacity(), 6500);
    List.LoadFromBytes(MinuteFile({{0, {{1, 2}}}, {0, {{1, 2}}}, {0, {{1, 2}}}}), "a.dat");
    EXPECT_EQ(List.Count(), 3);
    EXPECT_EQ(List.Capacity(), 3);
    List.Add(std::make_unique<TLineSegment>());
    EXPECT_EQ(List.Capacity(), 5003);
}

TEST_F(ListBehaviour, CursorIteration)
{
    int cursor = 7;
    EXPECT_EQ(List.FirstSegment(cursor), nullptr);
    EXPECT_EQ(cursor, 1);
    List.Add(Segment(0, {{1, 1}}));
    List.Add(Segment(4, {{2, 2}}));
    std::vector<int> kinds;
    for (const TLineSegment* s = List.FirstSegment(cursor); s; s = List.NextSegment(cursor))
        kinds.push_back(s->Kind);
    EXPECT_EQ(kinds, (std::vector<int>{0, 4}));
    EXPECT_EQ(cursor, 3);
    List.Clear();
    EXPECT_EQ(List.Count(), 0);
    EXPECT_EQ(List.MaxPoints, 0);
}

TEST(CountriesFileSearch, ZephanoFolderFirstThenTheExecutableFolder)
{
    namespace fs = std::filesystem;
    const fs::path root = fs::temp_directory_path() / ("cartog-" + std::to_string(getpid()));
    fs::create_directories(root / "zephano");
    fs::create_directories(root / "bin");
    fs::create_directories(root / "empty");
    std::ofstream(root / "zephano" / "Countries.dat") << "x";
    std::ofstream(root / "bin" / "Countries.dat") << "x";
    const std::string zephanoExe = (root / "zephano" / "Zephano.exe").string();
    const std::string bin = (root / "bin").string();
    const std::string empty = (root / "empty").string() + "/";
    std::string asked;
    const auto lookup = [&](std::string exe) {
        return [&asked, exe](const std::string& name) {
            asked = name;
            return exe;
        };
    };

    EXPECT_EQ(TCartogList(lookup(zephanoExe), bin).CountriesFile,
              (root / "zephano" / "Countries.dat").string());
    EXPECT_EQ(asked, "Zephano");
    EXPECT_EQ(TCartogList(lookup(empty + "Zephano.exe"), bin).CountriesFile,
              (root / "bin" / "Countries.dat").string());
    EXPECT_EQ(TCartogList(lookup(""), bin + "/").CountriesFile,
              (root / "bin" / "Countries.dat").string());
    EXPECT_EQ(TCartogList(lookup(empty + "Zephano.exe"), empty).CountriesFile, "");
    EXPECT_EQ(TCartogList({}, "").CountriesFile, "");
    fs::remove_all(root);
}

// ---- Drawing -----------------------------------------------------------------------------

using Drawing = TCartogFixture;

TEST_F(Drawing, ClosedRunWithOffsetsAndRepeatedPixelsDropped)
{
    // 10.2 and 10.4 fall on the pixel of 10; the last point is kept although it repeats.
    List.Add(Segment(0, {{10, 20}, {10.2f, 20}, {10.4f, 20}, {20, 20}, {20, 30}, {20.3f, 30}}));
    List.Mapping = &Projector;
    List.Draw(&Canvas, 5, 2);
    const std::vector<TPolyline> expected = {
        {{195, 68}, {205, 68}, {205, 58}, {205, 58}, {195, 68}}};
    EXPECT_EQ(Polylines(Canvas), expected);
}

TEST_F(Drawing, NothingWithoutProjectionOrOutlines)
{
    List.Draw(&Canvas, 0, 0);
    List.Add(Segment(0, {{10, 20}, {20, 20}}));
    List.Draw(&Canvas, 0, 0);
    List.DrawOnCanvas(Canvas, 0, 0);
    EXPECT_TRUE(Canvas.Calls.empty());
    List.Mapping = &Projector;
    List.Draw(nullptr, 0, 0);
    List.DrawOnCanvas(Canvas, 0, 0);
    EXPECT_EQ(Polylines(Canvas).size(), 1u);
}

TEST_F(Drawing, DrawingClassesZeroFourAndEightOnly)
{
    for (int kind = 0; kind < 12; ++kind)
        List.Add(
            Segment(static_cast<std::uint8_t>(kind), {{0, 0}, {static_cast<float>(kind + 1), 0}}));
    List.CloseRings = false;
    std::vector<int> drawnKinds;
    for (const TPolyline& p : DrawAll())
        drawnKinds.push_back(p.back().first - 181);
    EXPECT_EQ(drawnKinds, (std::vector<int>{0, 1, 4, 5, 8, 9}));
}

struct JumpCase {
    std::uint8_t Kind;
    float Step; // degrees = pixels between two points of a 360-pixel-wide map
    std::size_t Runs;
};

class AntimeridianJump : public TCartogFixture, public ::testing::WithParamInterface<JumpCase> {};

TEST_P(AntimeridianJump, SplitsWhereSuccessivePixelsJumpTooFar)
{
    const JumpCase c = GetParam();
    Projector.Kind = c.Kind;
    List.CloseRings = false;
    List.Add(Segment(0, {{-175, 0}, {-170, 0}, {-170 + c.Step, 0}, {-170 + c.Step, 5}}));
    const std::vector<TPolyline> runs = DrawAll();
    ASSERT_EQ(runs.size(), c.Runs);
    EXPECT_EQ(runs.back().back(), std::make_pair(10 + static_cast<int>(c.Step), 85));
}

// 5/6 of 360 is 300 pixels; Van der Grinten (kind 12) breaks at 3/6, 180 pixels.
INSTANTIATE_TEST_SUITE_P(WorldMaps, AntimeridianJump,
                         ::testing::Values(JumpCase{1, 300, 1}, JumpCase{1, 301, 2},
                                           JumpCase{5, 340, 2}, JumpCase{12, 180, 1},
                                           JumpCase{12, 181, 2}, JumpCase{12, 250, 2}));

TEST_F(Drawing, AntimeridianCrossingIsBrokenNotDrawnAcrossTheMap)
{
    List.Add(Segment(0, {{170, 10}, {179, 10}, {-179, 12}, {-170, 12}}));
    List.CloseRings = false;
    const std::vector<TPolyline> expected = {{{350, 80}, {359, 80}}, {{1, 78}, {10, 78}}};
    EXPECT_EQ(DrawAll(), expected);
    Canvas.Calls.clear();
    Projector.Kind = 12;
    Projector.Width = 700; // threshold 350: the 358-pixel step still breaks
    EXPECT_EQ(DrawAll(), expected);
    Canvas.Calls.clear();
    Projector.Width = 720; // threshold 360: drawn across
    EXPECT_EQ(DrawAll().size(), 1u);
}

TEST_F(Drawing, HiddenPointsSplitAndTheRingStillClosesToTheFirstVisiblePixel)
{
    Projector.Visible = [](float, float lon) { return lon < 25 || lon > 35; };
    List.Add(Segment(0, {{0, 0}, {10, 0}, {20, 0}, {30, 0}, {40, 0}, {50, 0}}));
    const std::vector<TPolyline> expected = {{{180, 90}, {190, 90}, {200, 90}},
                                             {{220, 90}, {230, 90}, {180, 90}}};
    EXPECT_EQ(DrawAll(), expected);
}

TEST_F(Drawing, LongRunsGoOutInPiecesOfSixteenThousandPoints)
{
    Projector.OriginX = 0;
    Projector.Width = 1000000;
    auto s = std::make_unique<TLineSegment>();
    s->Kind = 0;
    for (int i = 0; i < 32000; ++i)
        s->AddPoint(static_cast<float>(i), 0);
    List.Add(std::move(s));
    List.CloseRings = false;
    const std::vector<TPolyline> pieces = DrawAll();
    ASSERT_EQ(pieces.size(), 3u);
    EXPECT_EQ(pieces[0].size(), 16000u);
    EXPECT_EQ(pieces[1].size(), 16000u);
    EXPECT_EQ(pieces[2].size(), 2u);
    EXPECT_EQ(pieces[0].front().first, 0);
    EXPECT_EQ(pieces[1].front().first, 15999);
    EXPECT_EQ(pieces[2].front().first, 31998);
    EXPECT_EQ(pieces[2].back().first, 31999);
}

TEST_F(Drawing, CullingWindowKeepsOverlappingAndAntarcticOutlines)
{
    List.South = 30;
    List.North = 60;
    List.West = -10;
    List.East = 40;
    List.CloseRings = false;
    List.Add(Segment(0, {{0, 40}, {1, 41}}));       // inside
    List.Add(Segment(0, {{100, 40}, {101, 41}}));   // east of the window
    List.Add(Segment(0, {{0, 10}, {1, 11}}));       // south of it
    List.Add(Segment(0, {{100, -75}, {101, -71}})); // Antarctic
    const std::vector<TPolyline> runs = DrawAll();
    ASSERT_EQ(runs.size(), 2u);
    EXPECT_EQ(runs[0].front(), std::make_pair(180, 50));
    EXPECT_EQ(runs[1].front(), std::make_pair(280, 165));
}

// A real projection that counts the points asked of it.
class TCountingProjector : public TProjector {
public:
    TMapping Mapping;
    mutable int Asked = 0;
    bool LatLonToXY(float lat, float lon, std::int32_t& x, std::int32_t& y) const override
    {
        ++Asked;
        return Mapping.LatLonToXY(lat, lon, x, y);
    }
    std::int32_t GetWidth() const override { return Mapping.GetWidth(); }
    std::int32_t GetHeight() const override { return Mapping.GetHeight(); }
    std::uint8_t ProjectionKind() const override { return Mapping.ProjectionKind(); }
    std::uint64_t ViewStamp() const override { return Mapping.ViewStamp(); }
};

// Every change of view, through any setter, projects anew; an unchanged one only redraws.
// The list drawn straight through the mapping passes over outlines beyond its reach and must
// draw what the counting projector, which asks for every point, draws.
TEST_F(Drawing, PixelPolylinesAreKeptWhileTheViewStaysTheSame)
{
    TCountingProjector counting;
    counting.Mapping.SetProjection(7);
    counting.Mapping.SetWidth(400);
    counting.Mapping.SetHeight(300);
    ApplyRegionPreset(counting.Mapping, 0);
    for (int i = 0; i < 40; ++i)
        List.Add(
            Segment(i % 2 ? 0 : 4, {{i * 9.0f - 180, 50}, {i * 9.0f - 170, 60}, {i * 9.0f, -20}}));
    // A box whose eastern bound was brought back by 360 degrees, as the GSHHS reader does:
    // [-170, -160] no longer holds the points at 0 and 5 degrees.
    auto shifted = Segment(0, {{-170, 50}, {0, 50}, {5, 52}, {200, 50}});
    shifted->MaxLon -= 360;
    shifted->LongitudesShifted = true;
    List.Add(std::move(shifted));
    List.Mapping = &counting;
    const std::function<void(TMapping&)> changes[] = {
        [](TMapping& m) { m.SetCentreLongitude(-20); },
        [](TMapping& m) { m.SetCentreLatitude(40); },
        [](TMapping& m) { m.SetLongitudeSpan(90); },
        [](TMapping& m) { m.SetLatitudeSpan(30); },
        [](TMapping& m) { m.SetWidth(500); },
        [](TMapping& m) { m.SetHeight(200); },
        [](TMapping& m) { m.SetProjection(1); },
    };
    for (const auto& change : changes) {
        List.Draw(&Canvas, 0, 0);
        const int asked = counting.Asked;
        Canvas.Calls.clear();
        List.Draw(&Canvas, 0, 0);
        EXPECT_EQ(counting.Asked, asked);
        const std::vector<TPolyline> kept = Polylines(Canvas);
        EXPECT_FALSE(kept.empty());

        change(counting.Mapping);
        Canvas.Calls.clear();
        List.Draw(&Canvas, 0, 0);
        EXPECT_GT(counting.Asked, asked);
        TCartogList fresh({}, "");
        for (int i = 0; i < List.Count(); ++i)
            fresh.Add(std::make_unique<TLineSegment>(List.Items(i)));
        fresh.Mapping = &counting.Mapping;
        TRecordingCanvas reference{360, 180};
        fresh.Draw(&reference, 0, 0);
        EXPECT_EQ(Polylines(Canvas), Polylines(reference));
    }
    // So do new outlines, offsets and the closing of rings.
    const int asked = counting.Asked;
    List.Draw(&Canvas, 1, 0);
    List.CloseRings = false;
    List.Draw(&Canvas, 1, 0);
    List.Add(Segment(0, {{0, 0}, {10, 10}}));
    List.Draw(&Canvas, 1, 0);
    EXPECT_EQ(counting.Asked, asked + 124 + 124 + 126);
}

// ---- Untrusted input ---------------------------------------------------------------------

// Whatever a file holds, a load ends, keeps its polylines consistent and they draw.
void ExpectConsistent(const TCartogList& list)
{
    for (int i = 0; i < list.Count(); ++i) {
        const TLineSegment& s = list.Items(i);
        ASSERT_EQ(static_cast<std::size_t>(s.Count), s.Points.size());
        ASSERT_LE(s.Count, list.MaxPoints);
    }
    EXPECT_EQ(list.Capacity(), list.Count());
}

TEST_F(FileDispatch, RandomAndTruncatedBytesNeverCrashOrHang)
{
    std::mt19937 random(20240611);
    const std::string gpx = std::string(GpxHead) +
                            "<trkseg>\n<trkpt lat=\"1\" lon=\"2\"/>\n<trkpt lat=\"3\" lon=\"4\"/>\n"
                            "</trkseg>\n";
    const std::vector<std::pair<Bytes, std::string>> seeds = {
        {MinuteFile({{0, {{1, 2}, {3, 4}}}, {4, {{5, 6}}}}), "c.dat"},
        {GshhsFile({{1, 0, {{1, 2}, {3, 4}}}, {2, 500, {{5, 6}}}}, 44, true), "g.b"},
        {GshhsFile({{1, 0, {{1, 2}, {3, 4}}}, {3, 0, {{5, 6}}}}, 40, false), "g.b"},
        {Text(gpx), "t.gpx"},
    };
    List.Mapping = &Projector;
    for (const auto& [file, name] : seeds) {
        for (std::size_t n = 0; n <= file.size(); ++n) {
            List.LoadFromBytes(Bytes(file.begin(), file.begin() + static_cast<long>(n)), name);
            ExpectConsistent(List);
            List.Draw(&Canvas, 0, 0);
        }
        for (int round = 0; round < 300; ++round) {
            Bytes mutated = file;
            for (int k = 0; k < 3; ++k)
                mutated[random() % mutated.size()] = static_cast<std::uint8_t>(random());
            List.LoadFromBytes(mutated, name);
            ExpectConsistent(List);
            List.Draw(&Canvas, 0, 0);
        }
    }
    for (int round = 0; round < 300; ++round) {
        Bytes noise(random() % 200);
        for (auto& b : noise)
            b = static_cast<std::uint8_t>(random());
        if (noise.size() >= 4 && round % 2)
            std::memset(noise.data(), 0, 4); // GSHHS
        List.LoadFromBytes(noise, round % 3 ? "n.dat" : "n.gpx");
        ExpectConsistent(List);
        List.Draw(&Canvas, 0, 0);
    }
}

TEST_F(FileDispatch, LoadsFromAFileOnDisk)
{
    const std::filesystem::path path = std::filesystem::temp_directory_path() /
                                       ("cartog-load-test-" + std::to_string(getpid()) + ".gpx");
    std::ofstream(path, std::ios::binary) << "<trkseg>\n<trkpt lat=\"1\" lon=\"2\"/>\n</trkseg>\n";
    List.LoadFromFile(path.string());
    std::filesystem::remove(path);
    ASSERT_EQ(List.Count(), 1);
    EXPECT_FLOAT_EQ(List.Items(0).Points[0].Lon, 2.0f);
}

// A file is parsed once per process and shared, also between threads; a file rewritten on
// disk is read again.
TEST(SharedOutlineFile, ParsedOncePerVersionOfTheFile)
{
    const std::filesystem::path path = std::filesystem::temp_directory_path() /
                                       ("cartog-shared-" + std::to_string(getpid()) + ".dat");
    auto write = [&](const Bytes& bytes) {
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<long>(bytes.size()));
    };
    write(MinuteFile({{0, {{60, 120}, {120, 180}}}, {4, {{0, 0}}}}));
    std::vector<std::unique_ptr<TCartogList>> lists;
    for (int i = 0; i < 4; ++i)
        lists.push_back(std::make_unique<TCartogList>(TAppPathLookup{}, ""));
    lists[3]->Add(Segment(0, {{1, 1}}));
    lists[3]->CloseRings = false;
    std::vector<std::thread> threads;
    for (auto& list : lists)
        threads.emplace_back([&list, &path] { list->LoadFromFile(path.string()); });
    for (auto& thread : threads)
        thread.join();
    for (auto& list : lists) {
        ASSERT_EQ(list->Count(), 2);
        EXPECT_EQ(&list->Items(0), &lists[0]->Items(0));
        EXPECT_EQ(list->MaxPoints, 2);
        EXPECT_TRUE(list->CloseRings);
        EXPECT_EQ(list->Capacity(), 2);
    }
    write(MinuteFile({{0, {{60, 120}, {120, 180}, {180, 240}}}}));
    lists[0]->LoadFromFile(path.string());
    ASSERT_EQ(lists[0]->Count(), 1);
    EXPECT_EQ(lists[0]->MaxPoints, 3);
    std::filesystem::remove(path);
    lists[1]->LoadFromFile(path.string());
    EXPECT_EQ(lists[1]->Count(), 2); // a file gone loads nothing and keeps the list
}

// ---- The outline file shipped with the program ---------------------------------------------

TEST(ShippedCountries, LoadsCoastlinesAndBordersOfTheWholeWorld)
{
    TCartogList list({}, "");
    list.LoadFromFile(VELTRA_SOURCE_DIR "/data/Countries.dat");
    ASSERT_GT(list.Count(), 500);
    long points = 0;
    int coasts = 0, borders = 0;
    bool greatBritain = false;
    for (int i = 0; i < list.Count(); ++i) {
        const TLineSegment& s = list.Items(i);
        points += s.Count;
        ASSERT_TRUE(s.Kind == 0 || s.Kind == 4) << "segment " << i;
        (s.Kind == 0 ? coasts : borders)++;
        ASSERT_GE(s.MinLon, -180.0f);
        ASSERT_LE(s.MaxLon, 180.0f);
        ASSERT_GE(s.MinLat, -90.0f);
        ASSERT_LE(s.MaxLat, 90.0f);
        for (int k = 1; k < s.Count; ++k)
            ASSERT_FALSE(s.Points[k].Lon == s.Points[k - 1].Lon &&
                         s.Points[k].Lat == s.Points[k - 1].Lat)
                << "repeated point in segment " << i;
        // The main island of Great Britain: from the Lizard (49.96N) to Dunnet Head (58.67N),
        // Ardnamurchan (6.2W) to Lowestoft (1.76E).
        if (s.Kind == 0 && s.MinLat > 49.5f && s.MinLat < 50.5f && s.MaxLat > 58.3f &&
            s.MaxLat < 59.0f && s.MinLon > -7.0f && s.MinLon < -5.0f && s.MaxLon > 1.3f &&
            s.MaxLon < 2.2f && s.Count > 100)
            greatBritain = true;
    }
    EXPECT_GT(points, 30000);
    EXPECT_LT(points, 400000);
    EXPECT_GT(coasts, 300);
    EXPECT_GT(borders, 100);
    EXPECT_TRUE(greatBritain);
}

} // namespace
} // namespace veltra
