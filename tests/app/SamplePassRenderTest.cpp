// The generated sample passes opened and rendered by the controller as a user would: open,
// the load timer's sensor detection, channel, projection and region changes. The footprint
// positions are read from the files here independently (their offsets in each format), so the
// checks do not rest on the decoders: the sample list must hold exactly the footprints the
// projection can show, in drawing order, and their pixels must carry colours of the ramp.
//
// The map is the plain raster test bitmap at 800 x 600. No outline file lies beside the test
// executable, so nothing but footprints is drawn on the background.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <memory>
#include <set>
#include <span>
#include <tuple>

#include "app/FakeView.h"
#include "app/MapNavigation.h"
#include "app/VeltraForm.h"
#include "base/Format.h"
#include "base/Stream.h"
#include "formats/ByteOrder.h"
#include "imaging/ThermalColour.h"
#include "mapping/zorMapping.h"
#include "settings/RegistryVariables.h"

using namespace veltra;
namespace fs = std::filesystem;

namespace {

std::string Sample(const std::string& name)
{
    return std::string(VELTRA_SAMPLES_DIR) + "/" + name;
}

const std::string HirsEurope = "NSS.HIRX.NK.D08015.S0757.E0811.B5041010.GC.L1B";
const std::string HirsOrbit = "NSS.HIRX.NK.D08015.S0728.E0910.B5041010.GC.L1B";
const std::string Level1d = "atovsl1d_noaa15_20080115_0805_50410_gc.l1d";
const std::string GroupMember = "group/hirsl1c_noaa15_20080115_0805_50410_dun.l1c";

// Where a format keeps its scan lines and each footprint's latitude and longitude (two signed
// 32-bit numbers in 10^-4 degree).
struct TLayout {
    std::size_t FirstRecord; // byte offset of the first scan line
    std::size_t RecordSize;  // bytes per scan line
    std::size_t Position;    // offset of footprint 0's latitude in a record
    int Footprints;
    bool QualityWord; // Level 1b HIRS: a non-zero word at 18 rejects the line
};

constexpr TLayout HirsLevel1bLayout{512 + 4608, 4608, 1000, 56, true};
constexpr TLayout HirsLevel1cLayout{6656, 6656, 120, 56, false};
constexpr TLayout Level1dLayout{15872, 15872, 48, 56, false};

struct TFootprint {
    float Latitude, Longitude;
    std::size_t Record; // byte offset of its scan line
    int Index;          // footprint in the line
};

// Every footprint of the accepted scan lines, in record order.
std::vector<std::vector<TFootprint>> ReadFootprints(const std::vector<std::uint8_t>& bytes,
                                                    const TLayout& layout)
{
    std::vector<std::vector<TFootprint>> lines;
    for (std::size_t r = layout.FirstRecord; r + layout.RecordSize <= bytes.size();
         r += layout.RecordSize) {
        const TBytes record(bytes.data() + r, layout.RecordSize);
        if (layout.QualityWord && ReadBE16(record, 18) != 0)
            continue;
        std::vector<TFootprint> line;
        for (int i = 0; i < layout.Footprints; ++i) {
            const std::size_t at = layout.Position + 8 * static_cast<std::size_t>(i);
            line.push_back({static_cast<float>(ReadBE32(record, at) * 1e-4),
                            static_cast<float>(ReadBE32(record, at + 4) * 1e-4), r, i});
        }
        lines.push_back(std::move(line));
    }
    return lines;
}

std::vector<TFootprint> Visible(const TMapping& mapping,
                                const std::vector<std::vector<TFootprint>>& lines)
{
    std::vector<TFootprint> visible;
    for (const auto& line : lines)
        for (const TFootprint& f : line) {
            std::int32_t x = 0, y = 0;
            if (mapping.LatLonToXY(f.Latitude, f.Longitude, x, y))
                visible.push_back(f);
        }
    return visible;
}

// The samples are exactly the visible footprints, in order.
testing::AssertionResult SamplesAreVisibleFootprints(const TFormVeltra& form,
                                                     const std::vector<TFootprint>& visible)
{
    if (form.SampleCount() != static_cast<std::int32_t>(visible.size()))
        return testing::AssertionFailure()
               << form.SampleCount() << " samples for " << visible.size() << " visible footprints";
    for (std::size_t i = 0; i < visible.size(); ++i) {
        const TSample& s = form.Samples[static_cast<std::int32_t>(i)];
        if (s.Latitude != visible[i].Latitude || s.Longitude != visible[i].Longitude)
            return testing::AssertionFailure()
                   << "sample " << i << " at " << s.Latitude << ", " << s.Longitude
                   << " instead of " << visible[i].Latitude << ", " << visible[i].Longitude;
    }
    return testing::AssertionSuccess();
}

// What the pixels under a set of footprints hold, each pixel counted once (several footprints
// may fall on one pixel of a world map).
struct TPixelCensus {
    int Inside = 0;   // pixels under the footprints that lie on the bitmap
    int Ramp = 0;     // of those, pixels the colour scale reads back as a temperature
    int Grey = 0;     // of those, grey pixels other than black, as the visible channel paints
    int Coloured = 0; // of those, pixels that are not grey (R, G and B not all equal)
};

template <typename Points> TPixelCensus Census(const TFormVeltra& form, const Points& points)
{
    TPixelCensus census;
    const TBitmap& bitmap = form.MapBitmap();
    std::set<std::pair<int, int>> seen;
    for (const auto& point : points) {
        std::int32_t x = 0, y = 0;
        if (!form.Mapping->LatLonToXY(point.Latitude, point.Longitude, x, y) || x < 0 || y < 0 ||
            x >= bitmap.Width() || y >= bitmap.Height() || !seen.insert({x, y}).second)
            continue;
        ++census.Inside;
        const TColour c = bitmap.Pixel(x, y);
        float t = 0;
        census.Ramp +=
            ColourToTemperature(RedOf(c), GreenOf(c), BlueOf(c), t,
                                static_cast<float>(form.MinTemp), static_cast<float>(form.MaxTemp));
        const bool grey = RedOf(c) == GreenOf(c) && GreenOf(c) == BlueOf(c);
        census.Grey += grey && c != 0;
        census.Coloured += !grey;
    }
    return census;
}

// The strokes the footprints were drawn in: each scan line's first drawn footprint starts one,
// and so does one more than three quarters of the map's width from the footprint before.
int Strokes(const TFormVeltra& form)
{
    int strokes = 0;
    const int jump = 3 * form.MapBitmap().Width() / 4;
    for (std::int32_t i = 0; i < form.SampleCount(); ++i) {
        const TSampleOrigin& origin = form.Samples.Origin(i);
        const bool sameLine = i > 0 && origin.ScanLine == form.Samples.Origin(i - 1).ScanLine &&
                              origin.Stream == form.Samples.Origin(i - 1).Stream;
        strokes += !sameLine || std::abs(form.Drawn[i].X - form.Drawn[i - 1].X) > jump;
    }
    return strokes;
}

std::span<const TSample> SamplesOf(const TFormVeltra& form)
{
    return {form.Samples.Data(), static_cast<std::size_t>(form.SampleCount())};
}

class SamplePassRender : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(fs::exists(Sample(HirsEurope))) << "build the samples target first";
        form_ = std::make_unique<TFormVeltra>(
            view_, std::vector<std::string>{},
            (fs::temp_directory_path() / "veltra-no-outlines" / "veltra").string());
        form_->SetDiagnosticLines(&diagnostics_);
        form_->RunOnce({});
    }

    TFormVeltra& Open(const std::string& name)
    {
        form_->OpenFile(Sample(name));
        form_->TimerLoadTimer();
        return *form_;
    }

    // Runs an action that renders and returns the strokes the footprints were drawn in.
    template <typename Action> int Render(Action action)
    {
        const std::uint64_t passes = form_->RenderPasses;
        action();
        EXPECT_EQ(form_->RenderPasses, passes + 1) << "one render pass";
        return Strokes(*form_);
    }

    // On the raster bitmap a 1-pixel line leaves its end point unpainted, and a footprint's own
    // pixel is painted by the segment that starts there, towards the next footprint that lies
    // on another pixel. So each stroke can leave at most one pixel under its footprints
    // showing the background, its last; every other one holds a ramp colour, its own line's or
    // that of a later line drawn over it.
    void ExpectRampUnderSamples(int strokes, const char* what)
    {
        const TPixelCensus census = Census(*form_, SamplesOf(*form_));
        EXPECT_GT(census.Inside, 0) << what;
        EXPECT_GE(census.Ramp, census.Inside - strokes) << what;
    }

    // The visible channel paints grey levels (black on the night side), which the read-out
    // cannot turn into temperatures: no ramp colour anywhere under the samples.
    void ExpectGreysUnderSamples()
    {
        const TPixelCensus census = Census(*form_, SamplesOf(*form_));
        EXPECT_EQ(census.Coloured, 0);
        EXPECT_GT(census.Grey, census.Inside / 4);
    }

    test::TFakeView view_;
    std::vector<std::string> diagnostics_;
    std::unique_ptr<TFormVeltra> form_;
};

std::vector<std::uint8_t> Bytes(const std::string& name)
{
    return ReadWholeFile(Sample(name));
}

std::vector<TColour> Pixels(const TBitmap& bitmap)
{
    std::vector<TColour> pixels;
    for (int y = 0; y < bitmap.Height(); ++y)
        for (int x = 0; x < bitmap.Width(); ++x)
            pixels.push_back(bitmap.Pixel(x, y));
    return pixels;
}

} // namespace

// The HIRS Level 1b Europe pass on the default orthographic Europe map, channel 8.
TEST_F(SamplePassRender, HirsEuropePassPaintsItsFootprintsWhereTheyLie)
{
    TFormVeltra& form = *form_;
    const int strokes = Render([&] { Open(HirsEurope); });
    EXPECT_EQ(form.Mapping->Projection, pkOrthographic);
    EXPECT_EQ(form.MapBitmap().Width(), 800);
    EXPECT_EQ(form.MapBitmap().Height(), 600);
    EXPECT_EQ(form.SensorName(), "HIRS");
    EXPECT_EQ(view_.ChannelTabIndex, 7);
    EXPECT_DOUBLE_EQ(form.MaxTemp, 330.0);

    const auto lines = ReadFootprints(Bytes(HirsEurope), HirsLevel1bLayout);
    EXPECT_EQ(lines.size(), 141u - 4u); // four lines carry a quality flag
    const auto visible = Visible(*form.Mapping, lines);
    EXPECT_EQ(visible.size(), lines.size() * 56); // the whole pass lies on the Europe globe
    EXPECT_TRUE(SamplesAreVisibleFootprints(form, visible));
    // One stroke per scan line: no line wraps round the globe.
    EXPECT_EQ(strokes, static_cast<int>(lines.size()));
    const TPixelCensus census = Census(form, SamplesOf(form));
    EXPECT_GT(census.Inside, form.SampleCount() * 9 / 10);
    // At most one unpainted line end per scan line, 137 of the 7672 footprints: at least 98 %
    // of the pixels under the samples show the ramp.
    EXPECT_GE(census.Ramp, census.Inside - strokes);
    EXPECT_GE(census.Ramp * 100, census.Inside * 98);

    // The read-out over a footprint in mid-swath of a mid-pass line: its position and a
    // temperature read back from the colour, close to the temperatures of the footprint and its
    // neighbour (whose segment paints the pixel).
    const std::int32_t mid = 70 * 56 + 28;
    const TSample& s = form.Samples[mid];
    std::int32_t x = 0, y = 0;
    ASSERT_TRUE(form.Mapping->LatLonToXY(s.Latitude, s.Longitude, x, y));
    form.ImageDisplayMouseMove(x, y);
    const std::string& text = view_.Labels[TLabelId::CursorLocation];
    float latitude = 0, longitude = 0, readOut = 0;
    ASSERT_EQ(std::sscanf(text.c_str(), "Lat: %f\xC2\xB0  Lon: %f\xC2\xB0  %fK", &latitude,
                          &longitude, &readOut),
              3)
        << text;
    EXPECT_NEAR(latitude, s.Latitude, 1.0);
    EXPECT_NEAR(longitude, s.Longitude, 1.0);
    const float low = std::min(s.Temperature, form.Samples[mid + 1].Temperature);
    const float high = std::max(s.Temperature, form.Samples[mid + 1].Temperature);
    EXPECT_GE(readOut, std::floor(low) - 1) << text;
    EXPECT_LE(readOut, std::ceil(high) + 1) << text;
    // Beside it the footprint itself, exactly, with what its record holds: the line's time of
    // day (ms at byte 8) and the footprint's satellite zenith angle (hundredths of a degree, the
    // second of three 16-bit angles per footprint from byte 664).
    const int line = form.Samples.Origin(mid).ScanLine;
    const std::vector<std::uint8_t> bytes = Bytes(HirsEurope);
    const TBytes record(bytes.data() + 512 + 4608 * (1 + line), 4608);
    const std::uint32_t ms = static_cast<std::uint32_t>(ReadBE32(record, 8));
    const double zenith = static_cast<std::int16_t>(ReadBE16(record, 664 + 6 * 28 + 2)) * 0.01;
    EXPECT_EQ(view_.Labels[TLabelId::FootprintValue],
              Format("%.2fK  line %d  footprint 29  lat %.2f\xC2\xB0  lon %.2f\xC2\xB0  "
                     "%02u:%02u:%02u.%u UTC  satellite zenith %.2f\xC2\xB0",
                     s.Temperature, line + 1, s.Latitude, s.Longitude, ms / 3600000,
                     ms / 60000 % 60, ms / 1000 % 60, ms % 1000 / 100, zenith));
    form.ImageDisplayMouseMove(2, 2);
    EXPECT_EQ(view_.Labels[TLabelId::FootprintValue], "");

    EXPECT_EQ(view_.Labels[TLabelId::SatName], "NOAA-15 - " + form.ChannelCaption());
    EXPECT_EQ(form.ChannelCaption().rfind("Channel 8 (", 0), 0u);
    EXPECT_EQ(view_.Caption, form.BaseCaption() + " - NOAA-15, , 2008 Jan 15, 07:57-08:11 UTC");
    EXPECT_TRUE(view_.Enabled[TMenuItem::FileSaveRaw]);
    EXPECT_EQ(diagnostics_.front(), "Files:");
    EXPECT_EQ(diagnostics_[1], Sample(HirsEurope));
    EXPECT_EQ(diagnostics_[2], "Archive Retrieval System header decoded:");
}

// The Europe pass has one line flagged do not use and one calibration (both Earth views) and one
// time sequence error: the first two are counted under the map, named under the cursor, and
// hidden only when the user asks; the third is named, never hidden.
TEST_F(SamplePassRender, FlaggedLinesAreCountedNamedAndHiddenOnRequest)
{
    TFormVeltra& form = *form_;
    Open(HirsEurope);
    const std::vector<TColour> shown = Pixels(form.MapBitmap());
    const std::int32_t samples = form.SampleCount();
    EXPECT_EQ(view_.Labels[TLabelId::FlaggedLines], "2 scan lines flagged");
    // The quality indicator of each record, at byte 28, bit 31 the most significant.
    const std::vector<std::uint8_t> bytes = Bytes(HirsEurope);
    const auto quality = [&](int line) {
        return static_cast<std::uint32_t>(
            ReadBE32(TBytes(bytes.data() + 512 + 4608 * (1 + line), 4608), 28));
    };
    std::map<std::uint32_t, std::string> named = {{1u << 31, "flags: do not use"},
                                                  {1u << 28, "flags: calibration"},
                                                  {1u << 30, "flags: time sequence error"}};
    for (std::int32_t i = 28; i < form.SampleCount(); i += 56) {
        const std::uint32_t bits = quality(form.Samples.Origin(i).ScanLine);
        form.ImageDisplayMouseMove(form.Drawn[i].X, form.Drawn[i].Y);
        const std::string& text = view_.Labels[TLabelId::FootprintValue];
        EXPECT_EQ(text.find("flags: ") == std::string::npos, bits == 0) << text;
        if (const auto it = named.find(bits & 0xD0000000u); it != named.end()) {
            EXPECT_NE(text.find(it->second), std::string::npos) << text;
            named.erase(it);
        }
    }
    EXPECT_TRUE(named.empty()) << named.size() << " flags not under the cursor";

    form.MenuViewHideFlaggedLinesClick();
    EXPECT_TRUE(form.StoredChoices().HideFlaggedLines);
    EXPECT_TRUE(view_.Checked[TMenuItem::ViewHideFlaggedLines]);
    EXPECT_EQ(form.SampleCount(), samples - 2 * 56);
    for (std::int32_t i = 0; i < form.SampleCount(); ++i)
        ASSERT_EQ(quality(form.Samples.Origin(i).ScanLine) & 0x98000000u, 0u) << i;
    EXPECT_EQ(view_.Labels[TLabelId::FlaggedLines], "2 scan lines flagged");
    EXPECT_NE(Pixels(form.MapBitmap()), shown);
    form.MenuViewHideFlaggedLinesClick();
    EXPECT_FALSE(form.StoredChoices().HideFlaggedLines);
    EXPECT_EQ(Pixels(form.MapBitmap()), shown);
}

// Zoomed in, the specified pen leaves background between scan lines; filled, the pixel halfway
// between two footprints of neighbouring lines shows one of them, and turning the fill off
// brings back the pen's picture exactly.
TEST_F(SamplePassRender, FilledFootprintsLeaveNoGapBetweenScanLines)
{
    TFormVeltra& form = *form_;
    Open(HirsEurope);
    const std::vector<TColour> plain = Pixels(form.MapBitmap());
    form.Navigation->SetView(50, 5, 20, 15);
    auto gaps = [&] {
        int count = 0, pairs = 0;
        for (std::int32_t i = 0; i + 56 < form.SampleCount(); ++i) {
            if (form.Samples.Origin(i + 56).ScanLine != form.Samples.Origin(i).ScanLine + 1)
                continue;
            const TDrawnFootprint &a = form.Drawn[i], &b = form.Drawn[i + 56];
            const int x = (a.X + b.X) / 2, y = (a.Y + b.Y) / 2;
            if (x < 0 || y < 0 || x >= 800 || y >= 600)
                continue;
            ++pairs;
            const TColour c = form.MapBitmap().Pixel(x, y);
            count += c == 0 ? 1 : 0;
        }
        EXPECT_GT(pairs, 1000);
        return count;
    };
    form.TimerRenderTimer();
    EXPECT_GT(gaps(), 500);
    form.MenuViewFillFootprintsClick();
    EXPECT_TRUE(form.StoredChoices().FillFootprints);
    EXPECT_TRUE(view_.Checked[TMenuItem::ViewFillFootprints]);
    EXPECT_EQ(gaps(), 0);
    form.MenuViewResetViewClick();
    form.MenuViewFillFootprintsClick();
    form.TimerRenderTimer();
    EXPECT_EQ(Pixels(form.MapBitmap()), plain);
}

// A station group: three stations' parts of one pass, all drawn and all in the sample list,
// stream after stream, each sample knowing its stream, scan line and footprint.
TEST_F(SamplePassRender, StationGroupDrawsAndExportsEveryStream)
{
    TFormVeltra& form = *form_;
    view_.Boxes[TCheckBoxId::OpenGroup] = true;
    Render([&] { Open(GroupMember); });
    ASSERT_EQ(form.Streams.Count(), 3);      // the next revolution's file is not in the group
    ASSERT_EQ(diagnostics_.size(), 4u + 3u); // the files, then each one's pass times
    EXPECT_EQ(form.SensorName(), "HIRS");

    std::vector<TFootprint> visible;
    std::vector<TSampleOrigin> origins;
    for (int m = 0; m < 3; ++m) {
        const auto lines =
            ReadFootprints(ReadWholeFile(form.Streams.FileName(m)), HirsLevel1cLayout);
        for (std::size_t l = 0; l < lines.size(); ++l)
            for (std::size_t f = 0; f < lines[l].size(); ++f) {
                std::int32_t x = 0, y = 0;
                if (!form.Mapping->LatLonToXY(lines[l][f].Latitude, lines[l][f].Longitude, x, y))
                    continue;
                visible.push_back(lines[l][f]);
                origins.push_back({static_cast<std::int32_t>(l), static_cast<std::int32_t>(f), m});
            }
        EXPECT_TRUE(form.Streams.Outcome(m).IsComplete()) << form.Streams.Outcome(m).Reason;
    }
    EXPECT_TRUE(SamplesAreVisibleFootprints(form, visible));
    for (std::int32_t i = 0; i < form.SampleCount(); i += 97) {
        const TSampleOrigin& o = form.Samples.Origin(i);
        const TSampleOrigin& expected = origins[static_cast<std::size_t>(i)];
        EXPECT_EQ(std::tie(o.Stream, o.ScanLine, o.Footprint),
                  std::tie(expected.Stream, expected.ScanLine, expected.Footprint))
            << "sample " << i;
    }
    EXPECT_TRUE(form.Streams.Problems().empty());
    // The footprint under the cursor names its member of the group.
    std::int32_t last = form.SampleCount() - 1; // the last one on the picture
    while (last > 0 && (form.Drawn[last].X < 0 || form.Drawn[last].X >= form.MapBitmap().Width() ||
                        form.Drawn[last].Y < 0 || form.Drawn[last].Y >= form.MapBitmap().Height()))
        --last;
    ASSERT_EQ(form.Samples.Origin(last).Stream, 2);
    form.ImageDisplayMouseMove(form.Drawn[last].X, form.Drawn[last].Y);
    const std::string& status = view_.Labels[TLabelId::FootprintValue];
    EXPECT_NE(status.find(form.Streams.FileName(2).substr(form.Streams.FileName(2).rfind('/') + 1)),
              std::string::npos)
        << status;

    // Every member's footprints are painted: under each member's footprints at most one
    // pixel per scan line (its unpainted end) does not hold a ramp colour.
    const std::vector<std::string> members(diagnostics_.begin() + 1, diagnostics_.begin() + 4);
    for (const std::string& member : members) {
        const auto lines = ReadFootprints(ReadWholeFile(member), HirsLevel1cLayout);
        const TPixelCensus census = Census(form, Visible(*form.Mapping, lines));
        EXPECT_GT(census.Inside, 1000) << member;
        EXPECT_GE(census.Ramp, census.Inside - static_cast<int>(lines.size())) << member;
    }
    const std::vector<TColour> group = Pixels(form.MapBitmap());
    const int groupPainted = static_cast<int>(
        std::count_if(group.begin(), group.end(), [](TColour c) { return c != 0; }));

    // The last member alone paints less of the map and has fewer samples.
    view_.Boxes[TCheckBoxId::OpenGroup] = false;
    const std::int32_t samples = form.SampleCount();
    Render([&] {
        form.OpenFile(members.back());
        form.TimerLoadTimer();
    });
    EXPECT_EQ(form.Streams.Count(), 1);
    EXPECT_LT(form.SampleCount(), samples);
    const std::vector<TColour> alone = Pixels(form.MapBitmap());
    const int alonePainted = static_cast<int>(
        std::count_if(alone.begin(), alone.end(), [](TColour c) { return c != 0; }));
    EXPECT_LT(alonePainted * 3, groupPainted * 2);
}

// The bzip2 copy is decompressed in memory and renders exactly as the plain file.
TEST_F(SamplePassRender, CompressedCopyRendersAsThePlainFile)
{
    TFormVeltra& form = *form_;
    Render([&] { Open(HirsEurope + ".bz2"); });
    ASSERT_EQ(form.Streams.Count(), 1);
    EXPECT_EQ(form.FileExt(), ".L1B");
    const std::vector<TColour> compressed = Pixels(form.MapBitmap());
    const std::vector<TSample> compressedSamples(form.Samples.Data(),
                                                 form.Samples.Data() + form.SampleCount());
    const std::string caption = view_.Caption;
    const std::string label = view_.Labels[TLabelId::SatName];

    Render([&] { Open(HirsEurope); });
    ASSERT_GT(form.SampleCount(), 0);
    ASSERT_EQ(static_cast<std::size_t>(form.SampleCount()), compressedSamples.size());
    EXPECT_EQ(std::memcmp(form.Samples.Data(), compressedSamples.data(),
                          compressedSamples.size() * sizeof(TSample)),
              0);
    EXPECT_TRUE(Pixels(form.MapBitmap()) == compressed);
    EXPECT_EQ(view_.Caption, caption);
    EXPECT_EQ(view_.Labels[TLabelId::SatName], label);
}

// The Level 1d file under each sensor tab: the values of that sensor's block, on the HIRS grid.
TEST_F(SamplePassRender, Level1dRendersEachSensorsBlock)
{
    TFormVeltra& form = *form_;
    Render([&] { Open(Level1d); });
    ASSERT_EQ(view_.SensorTabs, (std::vector<std::string>{"HIRS", "AMSU-A", "AMSU-B"}));
    const std::vector<std::uint8_t> bytes = Bytes(Level1d);
    const auto lines = ReadFootprints(bytes, Level1dLayout);
    ASSERT_EQ(lines.size(), 141u);

    // Each footprint holds 40 values of 4 bytes from 1852 + 160 i: HIRS channels 1-20, then
    // AMSU-A 1-15 and AMSU-B 16-20, so a channel's value sits at base + 160 i + 4 c.
    const struct {
        int Sensor;
        int ChannelTab;
        int Channel;
        std::size_t Base;
        const char* Unit;
    } cases[] = {{0, 11, 12, 1848, "um)"},
                 {0, 19, 20, 1848, "(visible)"},
                 {1, 4, 5, 1928, "GHz)"},
                 {2, 2, 18, 1928, "GHz)"}};
    for (const auto& c : cases) {
        SCOPED_TRACE("channel " + std::to_string(c.Channel));
        Render([&] {
            form.SelectSensorTab(c.Sensor);
            form.TabControlSensorChange();
        });
        const int strokes = Render([&] {
            form.SelectChannelTab(c.ChannelTab);
            form.TabControlChannelChange();
        });
        EXPECT_EQ(form.SensorName(), view_.SensorTabs[static_cast<std::size_t>(c.Sensor)]);
        const auto visible = Visible(*form.Mapping, lines);
        ASSERT_TRUE(SamplesAreVisibleFootprints(form, visible));
        // Temperatures in hundredths of a kelvin; the visible channel's samples carry 0.
        int wrong = 0;
        for (std::size_t i = 0; i < visible.size(); ++i) {
            const std::size_t at = visible[i].Record + c.Base +
                                   160 * static_cast<std::size_t>(visible[i].Index) +
                                   4 * static_cast<std::size_t>(c.Channel);
            const float expected =
                c.Channel == 20 ? 0.0f : static_cast<float>(ReadBE32(bytes, at) / 100.0);
            wrong += std::fabs(form.Samples[static_cast<std::int32_t>(i)].Temperature - expected) >
                     1e-3f;
        }
        EXPECT_EQ(wrong, 0);
        EXPECT_NE(form.ChannelCaption().find(c.Unit), std::string::npos) << form.ChannelCaption();
        EXPECT_EQ(view_.Labels[TLabelId::SatName], "NOAA-15 - " + form.ChannelCaption());
        if (c.Channel == 20) // the visible channel paints greys, black on the night side
            ExpectGreysUnderSamples();
        else
            ExpectRampUnderSamples(strokes, "Level 1d");
    }
    // Each tab remembered its channel position.
    EXPECT_EQ(form.HirsChannel, 20);
    EXPECT_EQ(form.AmsuAChannel, 5);
    EXPECT_EQ(form.AmsuBChannel, 3);
}

// Every HIRS channel in turn on the Europe pass.
TEST_F(SamplePassRender, EveryHirsChannelRerenders)
{
    TFormVeltra& form = *form_;
    Open(HirsEurope);
    const auto visible =
        Visible(*form.Mapping, ReadFootprints(Bytes(HirsEurope), HirsLevel1bLayout));
    for (int tab = 0; tab < 20; ++tab) {
        SCOPED_TRACE("channel " + std::to_string(tab + 1));
        const int strokes = Render([&] {
            form.SelectChannelTab(tab);
            form.TabControlChannelChange();
        });
        EXPECT_TRUE(SamplesAreVisibleFootprints(form, visible));
        EXPECT_EQ(form.ChannelCaption().rfind(Format("Channel %d (", tab + 1), 0), 0u);
        if (tab == 19)
            ExpectGreysUnderSamples();
        else
            ExpectRampUnderSamples(strokes, "channel");
    }
}

// The whole-orbit file in every menu projection over every region: each change renders once,
// and the samples are exactly the footprints the new projection shows.
TEST_F(SamplePassRender, EveryProjectionAndRegionKeepsSamplesConsistent)
{
    TFormVeltra& form = *form_;
    Open(HirsOrbit);
    const auto lines = ReadFootprints(Bytes(HirsOrbit), HirsLevel1bLayout);
    ASSERT_EQ(lines.size(), 955u - 4u);
    const TMenuItem projections[] = {
        TMenuItem::ProjectionPlateCarree,  TMenuItem::ProjectionPlateCarreeZoomed,
        TMenuItem::ProjectionMercator,     TMenuItem::ProjectionMercatorZoomed,
        TMenuItem::ProjectionOrthographic, TMenuItem::ProjectionPolarStereographic};
    const TMenuItem regions[] = {TMenuItem::RegionAtlantic,     TMenuItem::RegionIndianOcean,
                                 TMenuItem::RegionNorthAmerica, TMenuItem::RegionNorthPole,
                                 TMenuItem::RegionSouthAmerica, TMenuItem::RegionEurope};
    int worldSamples = 0;
    for (TMenuItem projection : projections) {
        int strokes = Render([&] { form.MenuOptionsMapProjectionClick(projection); });
        for (std::size_t r = 0; r <= std::size(regions); ++r) {
            SCOPED_TRACE(Format("projection %d, region step %zu", form.Mapping->Projection, r));
            ASSERT_TRUE(SamplesAreVisibleFootprints(form, Visible(*form.Mapping, lines)));
            if (form.SampleCount() > 0)
                ExpectRampUnderSamples(strokes, "projection and region");
            if (form.Mapping->Projection == pkPlateCarree)
                worldSamples = form.SampleCount();
            if (r == std::size(regions))
                break;
            const std::uint64_t passes = form.RenderPasses;
            const float longitude = form.Mapping->CentreLongitude;
            const float latitude = form.Mapping->CentreLatitude;
            form.MenuOptionsRegionClick(regions[r]);
            // A region whose centre is the one shown already needs no new picture.
            const bool moved = form.Mapping->CentreLongitude != longitude ||
                               form.Mapping->CentreLatitude != latitude;
            EXPECT_EQ(form.RenderPasses, passes + (moved ? 1 : 0));
            if (moved)
                strokes = Strokes(form);
        }
    }
    // The world map shows the whole revolution.
    EXPECT_EQ(worldSamples, static_cast<int>(lines.size()) * 56);
}

// The Level 1c pass's temperatures (hundredths of a kelvin) in every table palette: over a
// range from its coldest to its warmest footprint each footprint takes the entry at its
// temperature's position, the coldest the first and the warmest the last; a range stretched
// over the footprints is their 2nd to 98th percentile, decoded once more but with the headers'
// diagnostics lines once; the read-out's temperature is then the footprint's own.
TEST_F(SamplePassRender, PalettesPaintEachFootprintAtItsPositionInTheRange)
{
    TFormVeltra& form = *form_;
    Open("hirsl1c_noaa15_20080115_0805_50410_gc.l1c");
    std::vector<float> sorted;
    for (std::int32_t i = 0; i < form.SampleCount(); ++i)
        sorted.push_back(form.Samples[i].Temperature);
    std::sort(sorted.begin(), sorted.end());
    ASSERT_GT(sorted.size(), 1000u);
    const double low = sorted.front(), high = sorted.back();
    view_.RangeAnswer = TColourRangeRequest{"", Format("%.17g", low), Format("%.17g", high)};
    form.MenuOptionsColourRangeClick();
    const TMenuItem items[] = {TMenuItem::ViewPaletteViridis, TMenuItem::ViewPaletteCividis,
                               TMenuItem::ViewPaletteGrey, TMenuItem::ViewPaletteDifference};
    for (const TMenuItem item : items) {
        Render([&] { form.MenuViewPaletteClick(item); });
        SCOPED_TRACE(PaletteOfCode(static_cast<int>(form.Palette()))->Name);
        const std::span<const TColour> entries = PaletteEntries(form.Palette());
        std::set<std::size_t> used;
        for (std::int32_t i = 0; i < form.SampleCount(); ++i) {
            const double position = (form.Samples[i].Temperature - low) / (high - low);
            const auto entry =
                static_cast<std::size_t>(std::nearbyint(position * (entries.size() - 1)));
            ASSERT_EQ(form.Drawn[i].Colour, entries[entry]) << i;
            used.insert(entry);
        }
        EXPECT_TRUE(used.count(0) && used.count(entries.size() - 1));
        EXPECT_GT(used.size(), entries.size() / 2);
    }

    const std::size_t lines = diagnostics_.size();
    Render([&] { form.MenuOptionsAutoRangeClick(); });
    const auto rank = [&](std::size_t percent) {
        return sorted[(percent * sorted.size() + 99) / 100 - 1];
    };
    EXPECT_EQ(form.MinTemp, rank(2));
    EXPECT_EQ(form.MaxTemp, rank(98));
    EXPECT_EQ(diagnostics_.size(), lines + 1); // the pass times of this render pass, once
    for (const std::int32_t i : {0, form.SampleCount() / 2, form.SampleCount() - 1}) {
        const TDrawnFootprint& at = form.Drawn[i];
        if (form.Drawn.Nearest(at.X, at.Y, 0, 800, 600) != i)
            continue; // a later footprint on the same pixel
        form.ImageDisplayMouseMove(at.X, at.Y);
        const std::string kelvin =
            Format("%.0fK", static_cast<double>(form.Samples[i].Temperature));
        EXPECT_EQ(form.CursorLocation.substr(form.CursorLocation.size() - kelvin.size()), kelvin);
    }
}

// A run as the renderer makes it (no footprint read back, outlines read, projected and drawn
// beside the decoding, the channel asked for drawn without the first one before it) keeps no sample
// list unless its picture needs the footprints (filled, or a range stretched over them); it
// draws and counts exactly what a run of the window does.
TEST_F(SamplePassRender, RendererRunDrawsAndCountsTheSame)
{
    const auto run = [](bool renderer, bool fill, bool stretched) {
        test::TFakeView view;
        // Beside the program built, with the outline file.
        TFormVeltra form(view, {}, std::string(VELTRA_BINARY_DIR) + "/src/app/veltra-render");
        TRunRequest request;
        request.File = Sample("NSS.AMBX.NK.D08015.S0728.E0910.B5041010.GC.L1B");
        request.Width = 400;
        request.Height = 300;
        request.FillFootprints = fill;
        if (stretched)
            request.Range = TColourRange{TColourRange::TChoice::Auto};
        request.Channel = 18;
        request.SamplesUnread = request.OutlinesBeside = request.DrawOnce = renderer;
        EXPECT_EQ(form.RunOnce(request), TRunResult::Shown);
        EXPECT_EQ(form.RenderPasses, renderer ? 1 : 2);
        return std::tuple{Pixels(form.MapBitmap()), form.SampleCount(), form.Samples.SampleCount()};
    };
    for (const auto& [fill, stretched] : {std::pair{false, false}, {true, false}, {false, true}}) {
        SCOPED_TRACE(Format("fill %d, stretched %d", fill, stretched));
        const auto [pixels, count, kept] = run(false, fill, stretched);
        const auto [rendererPixels, rendererCount, rendererKept] = run(true, fill, stretched);
        ASSERT_GT(count, 10000);
        EXPECT_GT(std::count(pixels.begin(), pixels.end(), TFormVeltra::OverlayColour), 1000);
        EXPECT_EQ(kept, count);
        EXPECT_TRUE(rendererPixels == pixels);
        EXPECT_EQ(rendererCount, count);
        EXPECT_EQ(rendererKept, fill || stretched ? count : 0);
    }
}
