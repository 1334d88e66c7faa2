// Every generated sample file decoded by the viewer's own decoding pass: for every sensor tab and
// every channel the samples must be the pass's footprints in drawing order, at their stored
// positions and with the values the file's stored counts (or AAPP temperatures) give. Also the
// texts a pass leaves behind (satellite name, channel caption, diagnostics lines, captions) and the
// bzip2 copies, decompressed the way the viewer does it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cmath>
#include <cstring>
#include <memory>
#include <set>
#include <stdexcept>

#include "ReferenceReader.h"
#include "SharedSampleSet.h"
#include "base/Format.h"
#include "bzip/BZip2.h"
#include "formats/DecodeStream.h"
#include "make-samples/Names.h"
#include "make-samples/SampleSet.h"
#include "support/FakeHost.h"

using namespace veltra;
using namespace veltra::samples;

namespace {

const TSamplePasses& Passes()
{
    return test::SharedPasses();
}

const std::vector<TSampleFile>& Files()
{
    return test::SharedSampleSet();
}

bool IsCompressed(const TSampleFile& file)
{
    return file.Path.ends_with(".bz2");
}

const TSampleFile& PlainOf(const TSampleFile& compressed)
{
    const std::string path = compressed.Path.substr(0, compressed.Path.size() - 4);
    for (const TSampleFile& f : Files())
        if (f.Path == path)
            return f;
    throw std::runtime_error("no plain file for " + compressed.Path);
}

std::string ExtensionOf(const TSampleFile& file)
{
    if (file.Family == "Level 1c")
        return ".L1C";
    if (file.Family == "Level 1d")
        return ".L1D";
    return ".L1B";
}

// One way of reading a file: the sensor tab, and the passes its values may come from (a
// station part is a slice of one of them, found by its first footprint's position).
struct TReading {
    std::string Sensor;
    std::vector<const TPassData*> Candidates;
};

std::vector<TReading> ReadingsOf(const TSampleFile& file)
{
    const TSamplePasses& p = Passes();
    if (file.Family == "Level 1d")
        return {
            {"HIRS", {&p.HirsEurope}}, {"AMSU-A", {&p.AmsuAOnHirs}}, {"AMSU-B", {&p.AmsuBOnHirs}}};
    TReading reading{file.Sensor == "MHS" ? "AMSU-B" : file.Sensor, {}};
    for (const TPassData* pass :
         {&p.HirsEurope, &p.AmsuAEurope, &p.AmsuBEurope, &p.AmsuAOnHirs, &p.AmsuBOnHirs,
          &p.MhsEurope, &p.HirsGroupPass, &p.HirsNextPass, &p.HirsOrbit, &p.AmsuBOrbit})
        if (InstrumentName(pass->Instrument) == file.Sensor &&
            pass->Info.Satellite.Name == file.Satellite && pass->Footprints() == file.Footprints)
            reading.Candidates.push_back(pass);
    return {reading};
}

std::vector<int> ChannelsOf(const std::string& sensor)
{
    const int first = sensor == "AMSU-B" ? 16 : 1;
    const int last = sensor == "AMSU-A" ? 15 : 20;
    std::vector<int> channels;
    for (int c = first; c <= last; ++c)
        channels.push_back(c);
    return channels;
}

// Runs the decoding pass over the bytes with every footprint visible.
std::unique_ptr<test::TFakeHost> Decode(const std::vector<std::uint8_t>& bytes,
                                        const std::string& ext, const std::string& sensor,
                                        int channel)
{
    auto host = std::make_unique<test::TFakeHost>();
    host->Ext = ext;
    host->Sensor = sensor;
    host->ChannelTab = std::to_string(channel);
    host->Projector.Visible = [](float, float) { return true; };
    TMemoryStream stream(bytes);
    DecodeStream(*host, &stream);
    return host;
}

// Where a footprint should be drawn, and which line (of the file) and footprint it is.
struct TExpectedFootprint {
    double Latitude, Longitude;
    int Line, Footprint;
};

// The footprints the decoder must draw, in drawing order, for a file made of `lines` lines of
// the pass from line `first` on. Level 1b HIRS drops lines whose quality word is set.
std::vector<TExpectedFootprint> ExpectedFootprints(const TPassData& pass, int first, int lines,
                                                   bool dropRejected)
{
    std::vector<TExpectedFootprint> expected;
    for (int l = first; l < first + lines; ++l) {
        if (dropRejected && pass.Lines[static_cast<std::size_t>(l)].Quality != 0)
            continue;
        for (int j = 0; j < pass.Footprints(); ++j)
            expected.push_back({pass.LatitudeDeg(l, j), pass.LongitudeDeg(l, j), l - first, j});
    }
    return expected;
}

// The pass and first line a file was made from: the candidate whose footprint at the first
// drawn position equals the first sample.
bool FindSource(const TSampleFile& file, const TReading& reading, const TSample& firstSample,
                bool dropRejected, const TPassData*& pass, int& first)
{
    for (const TPassData* candidate : reading.Candidates) {
        const int size = static_cast<int>(candidate->Lines.size());
        for (int o = 0; o + file.Lines <= size; ++o) {
            const auto start = ExpectedFootprints(*candidate, o, 1, dropRejected);
            if (!start.empty() && std::fabs(start[0].Latitude - firstSample.Latitude) < 5e-5 &&
                std::fabs(start[0].Longitude - firstSample.Longitude) < 5e-5) {
                pass = candidate;
                first = o;
                return true;
            }
        }
    }
    return false;
}

// Files as AAPP writes them on little-endian computers.
bool IsNative(const TSampleFile& file)
{
    return file.Path.starts_with("native/");
}

// The value a footprint must decode to, worked out from what the file stores by the reference
// reader: Level 1b counts calibrated with the file's own coefficients and constants, AAPP
// temperatures in hundredths of a kelvin (or twentieths of a grey level for the visible channel).
double StoredValue(const TSampleFile& file, const std::string& sensor, int line, int footprint,
                   int channel)
{
    const test::TFile bytes(file.Bytes);
    if (file.Family != "Level 1b")
        return test::AappValue(
            bytes, test::AappValuesOf(file.Family == "Level 1d", sensor, IsNative(file)), line,
            footprint, channel);
    if (sensor == "HIRS")
        return test::HirsValue(bytes, line, footprint, channel);
    if (sensor == "AMSU-A")
        return test::AmsuAValue(bytes, line, footprint, channel);
    return test::AmsuBValue(bytes, line, footprint, channel, file.Sensor == "MHS" ? 416 : 324);
}

// The pen colour and position of every footprint drawn, from the recorded canvas calls.
struct TDrawnFootprint {
    TColour Colour;
    int X, Y;
};

std::vector<TDrawnFootprint> DrawnFootprints(const test::TRecordingCanvas& canvas)
{
    std::vector<TDrawnFootprint> drawn;
    TColour colour = 0;
    for (const test::TCanvasCall& call : canvas.Calls) {
        if (call.What == test::TCanvasCall::Colour)
            colour = static_cast<TColour>(call.A);
        if (call.What == test::TCanvasCall::Move || call.What == test::TCanvasCall::Line)
            drawn.push_back({colour, call.A, call.B});
    }
    return drawn;
}

// The grey level (0-255, wrapping) of a visible-channel value: an albedo in percent in Level 1b,
// twentieths of a grey level in AAPP files (StoredValue gives them divided by 100).
int GreyOf(const std::string& family, double value)
{
    const double level = family == "Level 1b" ? value * 255 / 100 : std::round(value * 100) / 20;
    return static_cast<int>(std::nearbyint(level)) & 255;
}

// Compares the samples and drawing of one decoded channel with the pass; the first mismatch
// and the number of mismatches make the message.
testing::AssertionResult SamplesMatch(const test::TFakeHost& host,
                                      const std::vector<TExpectedFootprint>& expected,
                                      const TSampleFile& file, const std::string& sensor,
                                      int channel)
{
    if (host.Samples.SampleCount() != static_cast<std::int32_t>(expected.size()))
        return testing::AssertionFailure()
               << host.Samples.SampleCount() << " samples, expected " << expected.size();
    const std::vector<TDrawnFootprint> drawn = DrawnFootprints(host.Canvas);
    if (drawn.size() != expected.size())
        return testing::AssertionFailure() << drawn.size() << " footprints drawn";
    const bool visible = sensor == "HIRS" && channel == 20;
    int mismatches = 0;
    std::string firstMismatch;
    double worst = 0;
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const TSample& s = host.Samples[static_cast<std::int32_t>(i)];
        const TExpectedFootprint& e = expected[i];
        std::int32_t x = 0, y = 0;
        host.Projector.LatLonToXY(s.Latitude, s.Longitude, x, y);
        const bool placed = std::fabs(s.Latitude - e.Latitude) < 5e-5 &&
                            std::fabs(s.Longitude - e.Longitude) < 5e-5 && drawn[i].X == x &&
                            drawn[i].Y == y;
        const double value = StoredValue(file, sensor, e.Line, e.Footprint, channel);
        bool valued = false;
        if (visible) {
            // Sample temperature 0; the footprint is painted in the grey of its albedo.
            valued = s.Temperature == 0.0f &&
                     drawn[i].Colour == static_cast<TColour>(GreyOf(file.Family, value)) * 65793u;
        } else {
            // What single precision keeps of the decoded value, and no more.
            const double error = std::fabs(s.Temperature - value);
            worst = std::max(worst, error);
            valued = error <= 1e-3 &&
                     drawn[i].Colour == static_cast<TColour>(std::lround(s.Temperature));
        }
        if (placed && valued)
            continue;
        if (mismatches++ == 0)
            firstMismatch = Format("footprint %zu: decoded (%.4f, %.4f) %.4f drawn at (%d, %d) "
                                   "colour %u; expected (%.4f, %.4f) %.4f",
                                   i, s.Latitude, s.Longitude, s.Temperature, drawn[i].X,
                                   drawn[i].Y, drawn[i].Colour, e.Latitude, e.Longitude, value);
    }
    if (mismatches > 0)
        return testing::AssertionFailure() << mismatches << " mismatches, first " << firstMismatch;
    return testing::AssertionSuccess() << "largest temperature error " << worst;
}

std::string ExpectedCaption(TInstrument instrument, int channel)
{
    if (instrument == TInstrument::Hirs && channel == 20)
        return "Channel 20 (visible)";
    const TStoredConstants stored =
        StoredConstants(instrument)[static_cast<std::size_t>(channel - FirstChannel(instrument))];
    const double wavenumber = samples::Decode(instrument, channel, stored).Wavenumber;
    if (instrument == TInstrument::Hirs)
        return Format("Channel %d (%.2fum)", channel, 10000.0 / wavenumber);
    return Format("Channel %d (%.2fGHz)", channel, 30.0 * wavenumber);
}

std::uint8_t ExpectedSensorCode(const TSampleFile& file, TInstrument instrument)
{
    if (file.Family == "Level 1d")
        return 5;
    return instrument == TInstrument::Hirs ? 1 : instrument == TInstrument::AmsuA ? 3 : 4;
}

// The archive header names the satellite in capitals (METOP-A); AAPP headers as the manifest.
std::string DecodedSatellite(const TSampleFile& file)
{
    return file.Family == "Level 1b" ? UpperCase(file.Satellite) : file.Satellite;
}

void ExpectLevel1bTexts(const test::TFakeHost& host, const TPassData& pass, const TSampleFile& file)
{
    const std::string satellite = DecodedSatellite(file);
    const TUtcTime start = UtcOf(pass.Info, pass.Lines.front().Seconds);
    const TUtcTime end = UtcOf(pass.Info, pass.Lines.back().Seconds);
    const std::string times =
        Format("%02d:%02d-%02d:%02d UTC", start.Hour(), start.Minute(), end.Hour(), end.Minute());
    EXPECT_EQ(host.WindowCaption, host.Base + " - " + satellite + ", , 2008 Jan 15, " + times);
    EXPECT_EQ(host.Hint, satellite + ", 2008 Jan 15 " + times +
                             "\nAcquired: Fairbanks, Alaska, USA\n"
                             "Processed: NOAA/NESDIS - Suitland, Maryland, USA");
    const auto has = [&](const std::string& line) {
        return std::find(host.Lines.begin(), host.Lines.end(), line) != host.Lines.end();
    };
    ASSERT_FALSE(host.Lines.empty());
    EXPECT_EQ(host.Lines.front(), "Archive Retrieval System header decoded:");
    EXPECT_TRUE(has("  Data Set Name: " + Level1bDataSetName(pass, "GC")));
    EXPECT_TRUE(has("  Satellite: " + satellite));
    EXPECT_EQ(has("MHS Level 1b"), pass.Instrument == TInstrument::Mhs);
    EXPECT_TRUE(
        has(Format("    Number of records: %06d (includes 2 header records)", file.Lines + 2)));
    if (pass.Instrument != TInstrument::Hirs)
        return;
    // The HIRS data-set header: times, counts and every channel's conversion constants.
    const int seconds = start.Milliseconds / 1000;
    EXPECT_TRUE(has(Format("  Start date: 2008-Jan-15 %02d:%02d:%02d", seconds / 3600,
                           seconds / 60 % 60, seconds % 60)));
    EXPECT_TRUE(has(Format("  Data records: %d", file.Lines)));
    EXPECT_TRUE(has(Format("  Earth located: %d", file.Lines)));
    for (int c = 1; c <= 19; ++c) {
        const TStoredConstants stored =
            StoredConstants(TInstrument::Hirs)[static_cast<std::size_t>(c - 1)];
        const TChannelConstants k = samples::Decode(TInstrument::Hirs, c, stored);
        EXPECT_TRUE(has(Format("      Channel: %.2d (%.2fum) wavenumber=%.0f  C1=%.4f  C2=%.4f", c,
                               10000.0 / k.Wavenumber, k.Wavenumber, k.A, k.B)))
            << "channel " << c;
    }
    // The header's last line, before the pass times.
    EXPECT_EQ(host.Lines.end()[-2], " ");
}

// Milliseconds since 1970 of a calendar time of a pass, by the standard library's calendar.
std::int64_t UnixMilliseconds(const TUtcTime& time)
{
    using namespace std::chrono;
    const sys_days day = sys_days(year{time.Year} / January / 1) + days{time.DayOfYear - 1};
    return duration_cast<milliseconds>(day.time_since_epoch()).count() + time.Milliseconds;
}

// The diagnostics line of the pass's start and end, in ISO 8601 from the generator's times of
// the file's first and last line.
std::string PassTimesLine(const TPassData& pass, int first, int lines)
{
    const auto iso = [&](double seconds) {
        using namespace std::chrono;
        const TUtcTime t = UtcOf(pass.Info, seconds);
        const year_month_day date{sys_days(year{t.Year} / January / 1) + days{t.DayOfYear - 1}};
        const int ms = t.Milliseconds;
        return Format("%04d-%02u-%02uT%02d:%02d:%02d.%03dZ", static_cast<int>(date.year()),
                      static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()),
                      ms / 3600000, ms / 60000 % 60, ms / 1000 % 60, ms % 1000);
    };
    return "Pass start: " + iso(pass.Lines[static_cast<std::size_t>(first)].Seconds) +
           ", end: " + iso(pass.Lines[static_cast<std::size_t>(first + lines - 1)].Seconds);
}

// Whether the file's records hold the angles of their footprints: Level 1b, and AAPP Level 1c
// HIRS and native microwave files (the defined big-endian microwave layout has no room).
bool HoldsAngles(const TSampleFile& file)
{
    if (file.Family == "Level 1b")
        return true;
    return file.Family == "Level 1c" && (file.Sensor == "HIRS" || IsNative(file));
}

void ExpectAngle(float decoded, double written, double tolerance, const char* what)
{
    EXPECT_NEAR(decoded, written, tolerance) << what;
}

// The scan lines' records and every sample's angles against what the generator wrote: the
// time of each line (Level 1d: between the header's start and end), its quality words and
// instrument state, and the angles the orbit and the sun give at each footprint.
void ExpectLinesAsWritten(const test::TFakeHost& host, const TSampleFile& file,
                          const TPassData& pass, int first)
{
    const std::vector<TScanLineInfo>& lines = host.Samples.ScanLines();
    ASSERT_EQ(lines.size(), static_cast<std::size_t>(file.Lines));
    const bool level1d = file.Family == "Level 1d", level1b = file.Family == "Level 1b";
    for (std::size_t l = 0; l < lines.size(); ++l) {
        const TScanLineInfo& line = lines[l];
        const TScanLineData& data = pass.Lines[static_cast<std::size_t>(first) + l];
        SCOPED_TRACE(Format("line %zu", l + 1));
        ASSERT_TRUE(line.Time);
        if (level1d) {
            EXPECT_NEAR(static_cast<double>(*line.Time),
                        static_cast<double>(UnixMilliseconds(UtcOf(pass.Info, data.Seconds))), 1);
            EXPECT_FALSE(line.QualityIndicator);
            continue;
        }
        EXPECT_EQ(*line.Time, UnixMilliseconds(UtcOf(pass.Info, data.StoredSeconds())));
        EXPECT_EQ(line.Number, static_cast<std::int32_t>(l + 1));
        EXPECT_EQ(line.QualityIndicator, data.QualityIndicator);
        EXPECT_EQ(line.ScanLineQuality, data.ScanLineQuality);
        if (!level1b)
            continue;
        EXPECT_EQ(line.InstrumentMode, pass.Instrument == TInstrument::Mhs
                                           ? std::optional<std::uint8_t>(3)
                                           : std::nullopt);
        if (pass.Instrument == TInstrument::Hirs) {
            EXPECT_EQ(line.ScanType, data.Quality);
            continue;
        }
        for (int c = pass.FirstChannel(); c < pass.FirstChannel() + pass.ChannelCount(); ++c)
            EXPECT_EQ(ChannelQualityOf(line, c), data.ChannelQuality[c - 1u]) << c;
    }
    const TPassTimes times = host.Samples.PassTimes(0);
    EXPECT_EQ(times.Start, UnixMilliseconds(UtcOf(pass.Info, pass.Lines[first].Seconds)));
    EXPECT_EQ(
        times.End,
        UnixMilliseconds(UtcOf(
            pass.Info, pass.Lines[first + static_cast<std::size_t>(file.Lines) - 1].Seconds)));

    // Footprint angles, from the orbit and the sun at the footprint's time and scan angle.
    const TScanGeometry geometry = ScanGeometry(level1d ? TInstrument::Hirs : pass.Instrument);
    for (std::int32_t i = 0; i < host.Samples.SampleCount(); ++i) {
        const TSampleOrigin& origin = host.Samples.Origin(i);
        SCOPED_TRACE(Format("sample %d, line %d, footprint %d", i, origin.ScanLine + 1,
                            origin.Footprint + 1));
        ASSERT_EQ(host.Samples.ScanLineOf(i), &lines[static_cast<std::size_t>(origin.ScanLine)]);
        const double scanAngle = geometry.ScanAngleDeg(origin.Footprint);
        const TFootprintAngles angles = host.Samples.AnglesOf(i);
        EXPECT_NEAR(angles.ScanAngle, scanAngle, 1e-4);
        if (!HoldsAngles(file)) {
            EXPECT_TRUE(std::isnan(angles.SatelliteZenith) && std::isnan(angles.SolarZenith) &&
                        std::isnan(angles.RelativeAzimuth));
            continue;
        }
        const TViewAngles written = ViewAnglesAt(
            pass.Info, pass.Lines[static_cast<std::size_t>(first + origin.ScanLine)].Seconds,
            scanAngle);
        // Stored in hundredths of a degree; AAPP's relative azimuth is the difference of two.
        ExpectAngle(angles.SatelliteZenith, written.SatelliteZenith, 0.0051, "satellite zenith");
        ExpectAngle(angles.SolarZenith, written.SolarZenith, 0.0051, "solar zenith");
        ExpectAngle(angles.RelativeAzimuth, written.RelativeAzimuth(), level1b ? 0.0051 : 0.0101,
                    "relative azimuth");
    }
}

// Decodes every channel of every reading of a file and checks it against its pass, and with
// the first channel its scan lines' records.
void CheckFile(const TSampleFile& file)
{
    const std::string ext = ExtensionOf(file);
    for (const TReading& reading : ReadingsOf(file)) {
        ASSERT_FALSE(reading.Candidates.empty()) << file.Path;
        for (int channel : ChannelsOf(reading.Sensor)) {
            SCOPED_TRACE(file.Path + ", " + reading.Sensor + " channel " + std::to_string(channel));
            const auto host = Decode(file.Bytes, ext, reading.Sensor, channel);
            ASSERT_GT(host->Samples.SampleCount(), 0);
            const bool dropRejected = file.Family == "Level 1b" && reading.Sensor == "HIRS";
            const TPassData* pass = nullptr;
            int first = 0;
            ASSERT_TRUE(FindSource(file, reading, host->Samples[0], dropRejected, pass, first));
            const auto expected = ExpectedFootprints(*pass, first, file.Lines, dropRejected);
            int rejected = 0;
            for (int l = first; dropRejected && l < first + file.Lines; ++l)
                rejected += pass->Lines[static_cast<std::size_t>(l)].Quality != 0;
            EXPECT_EQ(expected.size(),
                      static_cast<std::size_t>((file.Lines - rejected) * pass->Footprints()));
            EXPECT_TRUE(SamplesMatch(*host, expected, file, reading.Sensor, channel));
            if (channel == ChannelsOf(reading.Sensor).front())
                ExpectLinesAsWritten(*host, file, *pass, first);

            EXPECT_EQ(host->Code, ExpectedSensorCode(file, pass->Instrument));
            EXPECT_EQ(host->Satellite, DecodedSatellite(file));
            EXPECT_EQ(host->Caption, ExpectedCaption(pass->Instrument, channel));
            EXPECT_EQ(host->Label, DecodedSatellite(file) + " - " + host->Caption);
            EXPECT_TRUE(host->SaveRaw);
            const std::string passTimes = PassTimesLine(*pass, first, file.Lines);
            if (file.Family == "Level 1b") {
                ExpectLevel1bTexts(*host, *pass, file);
                EXPECT_EQ(host->Lines.back(), passTimes);
            } else {
                // AAPP headers add no diagnostics but the layout of a native file, and every
                // family the pass times.
                std::vector<std::string> lines = {passTimes};
                if (IsNative(file))
                    lines.insert(lines.begin(), "AAPP native layout, little-endian");
                EXPECT_EQ(host->Lines, lines);
                EXPECT_EQ(host->Hint, "");
                EXPECT_EQ(host->WindowCaption, "unset");
            }
        }
    }
}

class SampleRoundTrip : public testing::TestWithParam<std::size_t> {};

std::vector<std::size_t> PlainFiles()
{
    std::vector<std::size_t> indices;
    for (std::size_t i = 0; i < Files().size(); ++i)
        if (!IsCompressed(Files()[i]))
            indices.push_back(i);
    return indices;
}

std::vector<std::size_t> CompressedFiles()
{
    std::vector<std::size_t> indices;
    for (std::size_t i = 0; i < Files().size(); ++i)
        if (IsCompressed(Files()[i]))
            indices.push_back(i);
    return indices;
}

std::string FileLabel(const testing::TestParamInfo<std::size_t>& info)
{
    std::string label = Files()[info.param].Path;
    for (char& c : label)
        if (!std::isalnum(static_cast<unsigned char>(c)))
            c = '_';
    return label;
}

} // namespace

TEST_P(SampleRoundTrip, EveryChannelDecodesToThePass)
{
    CheckFile(Files()[GetParam()]);
}

INSTANTIATE_TEST_SUITE_P(PlainFiles, SampleRoundTrip, testing::ValuesIn(PlainFiles()), FileLabel);

class CompressedRoundTrip : public testing::TestWithParam<std::size_t> {};

// The viewer decompresses a bzip2 file whole into memory and decodes that: every channel must
// decode exactly as the plain file does, drawing included.
TEST_P(CompressedRoundTrip, DecodesAsThePlainFile)
{
    const TSampleFile& file = Files()[GetParam()];
    const TSampleFile& plain = PlainOf(file);
    TMemoryStream source(file.Bytes);
    TBZDecompressionStream decompressor(source);
    TMemoryStream memory;
    DecompressWhole(decompressor, memory);
    ASSERT_EQ(memory.Size(), static_cast<std::int64_t>(plain.Bytes.size()));
    const std::string ext = ExtensionOf(plain);
    for (const TReading& reading : ReadingsOf(plain)) {
        for (int channel : ChannelsOf(reading.Sensor)) {
            SCOPED_TRACE(file.Path + ", " + reading.Sensor + " channel " + std::to_string(channel));
            const auto fromMemory = Decode(memory.Bytes(), ext, reading.Sensor, channel);
            const auto fromPlain = Decode(plain.Bytes, ext, reading.Sensor, channel);
            ASSERT_GT(fromPlain->Samples.SampleCount(), 0);
            ASSERT_EQ(fromMemory->Samples.SampleCount(), fromPlain->Samples.SampleCount());
            EXPECT_EQ(std::memcmp(fromMemory->Samples.Data(), fromPlain->Samples.Data(),
                                  sizeof(TSample) *
                                      static_cast<std::size_t>(fromPlain->Samples.SampleCount())),
                      0);
            const auto drawnFromMemory = DrawnFootprints(fromMemory->Canvas);
            const auto drawnFromPlain = DrawnFootprints(fromPlain->Canvas);
            EXPECT_TRUE(std::equal(drawnFromMemory.begin(), drawnFromMemory.end(),
                                   drawnFromPlain.begin(), drawnFromPlain.end(),
                                   [](const TDrawnFootprint& a, const TDrawnFootprint& b) {
                                       return a.Colour == b.Colour && a.X == b.X && a.Y == b.Y;
                                   }));
            EXPECT_EQ(fromMemory->Label, fromPlain->Label);
            EXPECT_EQ(fromMemory->Lines, fromPlain->Lines);
            EXPECT_EQ(fromMemory->WindowCaption, fromPlain->WindowCaption);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Bzip2Copies, CompressedRoundTrip, testing::ValuesIn(CompressedFiles()),
                         FileLabel);

// The set covers every family and instrument the decoders read.
TEST(SampleRoundTripCoverage, EveryFamilyAndSensorIsDecoded)
{
    std::set<std::string> kinds;
    for (const TSampleFile& f : Files())
        kinds.insert(f.Family + " " + f.Sensor + (IsCompressed(f) ? " bz2" : ""));
    for (const char* kind :
         {"Level 1b HIRS", "Level 1b AMSU-A", "Level 1b AMSU-B", "Level 1b MHS", "Level 1c HIRS",
          "Level 1c AMSU-A", "Level 1c AMSU-B", "Level 1c MHS", "Level 1d HIRS+AMSU",
          "Level 1b HIRS bz2", "Level 1c AMSU-A bz2", "Level 1d HIRS+AMSU bz2"})
        EXPECT_EQ(kinds.count(kind), 1u) << kind;
}

// The native layout of the instruments and families the sample set leaves out: HIRS Level 1c
// and Level 1d, all three sensors, as AAPP writes them on little-endian computers.
TEST(SampleRoundTripNative, HirsLevel1cAndLevel1d)
{
    const TSamplePasses& p = Passes();
    TSampleFile hirs;
    hirs.Path = "native/hirs.l1c";
    hirs.Family = "Level 1c";
    hirs.Sensor = "HIRS";
    hirs.Satellite = "NOAA-15";
    hirs.Lines = static_cast<int>(p.HirsEurope.Lines.size());
    hirs.Footprints = 56;
    hirs.Bytes = Level1c(p.HirsEurope, true);
    CheckFile(hirs);
    TSampleFile level1d = hirs;
    level1d.Path = "native/atovs.l1d";
    level1d.Family = "Level 1d";
    level1d.Sensor = "HIRS+AMSU";
    level1d.Bytes = Level1d(p.HirsEurope, p.AmsuAOnHirs, p.AmsuBOnHirs, true);
    CheckFile(level1d);
}
