// Per-scan-line records decoded from bytes written at the offsets the public tables give:
// quality bits with bit 31 the most significant bit of the word as the file stores it (a
// known pitfall), little-endian AAPP files, times, angles, instrument states, and the flag
// meanings and masking rules.
#include "formats/ScanLine.h"

#include <array>
#include <chrono>
#include <cmath>
#include <functional>

#include <gtest/gtest.h>

#include "formats/DecodeStream.h"
#include "formats/RecordBuilder.h"

namespace veltra::test {
namespace {

using namespace std::chrono;

constexpr float NaN = std::numeric_limits<float>::quiet_NaN();

// Milliseconds since 1970 of a millisecond of 15 January 2008, worked out by the standard
// library's calendar.
TUtcMilliseconds January15(std::int64_t milliseconds)
{
    const sys_days day = year{2008} / January / 15;
    return duration_cast<std::chrono::milliseconds>(day.time_since_epoch()).count() + milliseconds;
}

// An archive header of blanks, which gives no times, with a data set name when one is given.
TRecordBuilder Archive(const std::string& dataSetName = "")
{
    TRecordBuilder archive(512);
    archive.Bytes.assign(512, ' ');
    return archive.Text(30, dataSetName);
}

TByteVector Level1bFile(const TRecordBuilder& archive, const TRecordBuilder& header,
                        std::size_t headerRecord, const TRecordBuilder& line)
{
    TByteVector headerBytes = header.Bytes;
    headerBytes.resize(headerRecord, 0);
    return Join({archive.Bytes, headerBytes, line.Bytes});
}

// HIRS: the quality indicator at 28 with only bit 31 set (bytes 80 00 00 00), the scan-line
// quality flags at 32 with bit 14 (meaning disputed) and bit 9 (Moon in the space view), the
// time at 2-11, footprint 0's solar zenith, satellite zenith and relative azimuth at 664, and
// its place at 1000 (a line with every footprint at 0 N 0 E holds no data).
TByteVector HirsFile()
{
    TRecordBuilder header(4608);
    header.BE16(84, 2008).BE16(86, 15).BE32(88, 28800000);
    header.BE16(96, 2008).BE16(98, 15).BE32(100, 28806400).BE16(128, 1);
    TRecordBuilder line(4608);
    line.BE16(0, 1).BE16(2, 2008).BE16(4, 15).BE32(8, 28800000);
    line.BE32(28, static_cast<std::int32_t>(0x80000000u)).BE32(32, 0x00004200);
    line.BE16(664, 12345).BE16(666, 1000).BE16(668, 17000).Place(1000, 10, 20);
    return Level1bFile(Archive(), header, 4608, line);
}

// AMSU-A: only bit 0 of the quality indicator at 24 (parity error, which does not flag the
// line), channel 3's quality word at 36 saying all space views were bad. No header times.
TByteVector AmsuAFile()
{
    TRecordBuilder header(960);
    header.BE16(144, 1);
    TRecordBuilder line(2560);
    line.BE16(0, 7).BE16(2, 2008).BE16(4, 15).BE32(8, 1000).BE32(24, 1).BE16(36, 0x0010);
    return Level1bFile(Archive(), header, 2560, line);
}

// MHS (so named in the archive header, whose name gives the pass times): a clean quality
// indicator but instrument mode 5 in byte 22.
TByteVector MhsFile()
{
    const TRecordBuilder archive = Archive("NSS.MHSX.M2.D08015.S0847.E0901.B0646060.GC");
    TRecordBuilder header(480);
    header.BE16(132, 1);
    TRecordBuilder line(3072);
    line.BE16(2, 2008).BE16(4, 15).BE32(8, 31860000);
    line.Bytes[22] = 5;
    return Level1bFile(archive, header, 3072, line);
}

// AAPP MHS as AAPP writes it on a little-endian computer: qualind 0x08000000 (bit 27, no Earth
// location) stored as 00 00 00 08, the angles of footprint 0 at 776 (satellite zenith and
// azimuth, solar zenith and azimuth), the pass times in the header at 44 and 60.
TByteVector NativeMhsFile()
{
    TRecordBuilder header(4608, true);
    header.Int32(28, 12).Int32(72, 1);
    header.Int32(44, 2008).Int32(48, 15).Int32(52, 31860000);
    header.Int32(60, 2008).Int32(64, 15).Int32(68, 32760000);
    TRecordBuilder line(4608, true);
    line.Int32(0, 1).Int32(4, 2008).Int32(8, 15).Int32(12, 31860000).Int32(16, 0x08000000);
    line.Place(56, 10, 20).Int32(2228, 25000);
    line.Int32(776, 4500).Int32(780, 9000).Int32(784, 8000).Int32(788, 27000);
    return Join({header.Bytes, line.Bytes});
}

// AAPP HIRS in the defined big-endian layout: qualind bit 30 (time sequence error).
TByteVector BigEndianHirsFile()
{
    TRecordBuilder header(6656);
    header.Int32(28, 5).Int32(72, 1);
    TRecordBuilder line(6656);
    line.Int32(4, 2008).Int32(8, 15).Int32(12, 500).Int32(16, 0x40000000);
    return Join({header.Bytes, line.Bytes});
}

// Level 1d: no line fields; three lines between the header's start and end.
TByteVector Level1dFile()
{
    TRecordBuilder header(15872);
    header.Int32(72, 3).Int32(44, 2008).Int32(48, 15).Int32(52, 0);
    header.Int32(60, 2008).Int32(64, 15).Int32(68, 12800);
    return Join({header.Bytes, TByteVector(3 * 15872, 0)});
}

struct TLineCase {
    const char* Name;
    std::function<TByteVector()> File;
    const char* Ext;
    const char* Sensor;
    int Channel;
    bool Visible; // whether footprint 0 is drawn, so its angles are read
    int Line;     // the line checked
    std::optional<std::uint32_t> Quality;
    bool Flagged, Hidden;
    std::optional<TUtcMilliseconds> Time;
    std::vector<std::string> Words;
    TPassTimes Pass;
    TFootprintAngles Angles; // SatelliteZenith, SolarZenith, RelativeAzimuth, ScanAngle
};

const TLineCase LineCases[] = {
    {"Level 1b HIRS",
     HirsFile,
     ".L1B",
     "HIRS",
     20,
     true,
     0,
     0x80000000u,
     true,
     true,
     January15(28800000),
     {"do not use", "scan line quality bit 14", "Moon in space view"},
     {January15(28800000), January15(28806400)},
     {10.0f, 123.45f, 170.0f, -49.5f}},
    {"Level 1b AMSU-A",
     AmsuAFile,
     ".L1B",
     "AMSU-A",
     3,
     false,
     0,
     1u,
     false,
     true,
     January15(1000),
     {"parity error", "channel 3: all space views bad"},
     {},
     {}},
    {"Level 1b MHS",
     MhsFile,
     ".L1B",
     "AMSU-B",
     16,
     false,
     0,
     0u,
     false,
     true,
     January15(31860000),
     {"instrument mode 5"},
     {January15(31620000), January15(32460000)},
     {}},
    {"Level 1c MHS, little-endian",
     NativeMhsFile,
     ".L1C",
     "AMSU-B",
     16,
     true,
     0,
     0x08000000u,
     true,
     true,
     January15(31860000),
     {"no Earth location"},
     {January15(31860000), January15(32760000)},
     {45.0f, 80.0f, 180.0f, -44.5f * 10 / 9}},
    {"Level 1c HIRS, big-endian",
     BigEndianHirsFile,
     ".L1C",
     "HIRS",
     8,
     false,
     0,
     0x40000000u,
     false,
     false,
     January15(500),
     {"time sequence error"},
     {},
     {}},
    {"Level 1d",
     Level1dFile,
     ".L1D",
     "HIRS",
     8,
     false,
     1,
     std::nullopt,
     false,
     false,
     January15(6400),
     {},
     {January15(0), January15(12800)},
     {}},
};

void ExpectAngle(float decoded, float expected, const char* what)
{
    if (std::isnan(expected))
        EXPECT_TRUE(std::isnan(decoded)) << what << " " << decoded;
    else
        EXPECT_NEAR(decoded, expected, 1e-3) << what;
}

TEST(ScanLineTest, RecordsDecodeAtTheirOffsets)
{
    for (const TLineCase& c : LineCases) {
        SCOPED_TRACE(c.Name);
        TFakeHost host;
        host.Ext = c.Ext;
        host.Sensor = c.Sensor;
        host.ChannelTab = std::to_string(c.Channel);
        if (!c.Visible)
            host.Projector.Visible = [](float, float) { return false; };
        const TByteVector bytes = c.File();
        TMemoryStream stream(bytes);
        DecodeStream(host, &stream);
        const std::vector<TScanLineInfo>& lines = host.Samples.ScanLines();
        ASSERT_GT(lines.size(), static_cast<std::size_t>(c.Line));
        const TScanLineInfo& line = lines[static_cast<std::size_t>(c.Line)];
        EXPECT_EQ(line.Record, c.Line);
        EXPECT_EQ(line.QualityIndicator, c.Quality);
        EXPECT_EQ(LineFlagged(line), c.Flagged);
        EXPECT_EQ(FootprintHidden(line, c.Channel), c.Hidden);
        EXPECT_EQ(line.Time, c.Time);
        EXPECT_EQ(FlagWords(line, c.Channel), c.Words);
        const TPassTimes pass = host.Samples.PassTimes(0);
        EXPECT_EQ(pass.Start, c.Pass.Start);
        EXPECT_EQ(pass.End, c.Pass.End);
        ASSERT_EQ(host.Samples.SampleCount() > 0, c.Visible);
        if (!c.Visible)
            continue;
        EXPECT_EQ(host.Samples.ScanLineOf(0), &lines[0]);
        EXPECT_EQ(host.Samples.TimeOf(0), c.Time);
        EXPECT_EQ(host.Samples.HiddenAt(0), c.Hidden);
        const TFootprintAngles angles = host.Samples.AnglesOf(0);
        ExpectAngle(angles.SatelliteZenith, c.Angles.SatelliteZenith, "satellite zenith");
        ExpectAngle(angles.SolarZenith, c.Angles.SolarZenith, "solar zenith");
        ExpectAngle(angles.RelativeAzimuth, c.Angles.RelativeAzimuth, "relative azimuth");
        ExpectAngle(angles.ScanAngle, c.Angles.ScanAngle, "scan angle");
    }
}

TEST(ScanLineTest, StatesAndChannelsThatHide)
{
    TScanLineInfo hirs;
    hirs.Instrument = TLineInstrument::Hirs;
    hirs.QualityIndicator = 1u; // bit 0 has no meaning for HIRS
    hirs.HasChannelQuality = true;
    hirs.ChannelQuality.fill(0x0038); // stored order disputed: never hides a channel
    EXPECT_EQ(FlagWords(hirs, 8), std::vector<std::string>{"quality indicator bit 0"});
    EXPECT_FALSE(FootprintHidden(hirs, 8));
    for (const std::uint32_t bit : {31u, 28u, 27u}) {
        hirs.QualityIndicator = 1u << bit;
        EXPECT_TRUE(LineHidden(hirs)) << bit;
    }
    hirs.QualityIndicator = QualityTimeSequence | QualityDataGap;
    EXPECT_FALSE(LineFlagged(hirs));
    EXPECT_EQ(FlagWords(hirs, 8), (std::vector<std::string>{"time sequence error", "data gap"}));

    TScanLineInfo mhs;
    mhs.Instrument = TLineInstrument::Mhs;
    mhs.InstrumentMode = MhsScanMode;
    mhs.HasChannelQuality = true;
    mhs.ChannelQuality[16] = 0x0001; // channel 17: marginal PRT readings only
    mhs.ChannelQuality[17] = 0x0008; // channel 18: all PRT readings bad
    EXPECT_FALSE(LineHidden(mhs));
    EXPECT_FALSE(FootprintHidden(mhs, 17));
    EXPECT_TRUE(FootprintHidden(mhs, 18));
    EXPECT_EQ(FlagWords(mhs, 17), std::vector<std::string>{"channel 17: marginal PRT readings"});
    mhs.Instrument = TLineInstrument::AmsuB; // AMSU-B has no modes to hide by
    mhs.InstrumentMode = 0;
    EXPECT_FALSE(LineHidden(mhs));
}

TEST(ScanLineTest, TimesAndScanAngles)
{
    EXPECT_EQ(UtcFromYearDay(2008, 15, 28800000), January15(28800000));
    EXPECT_EQ(UtcFromYearDay(2008, 366, 0), January15(0) + 351 * 86400000LL);
    for (const auto& [year, day, ms] : {std::array<std::int64_t, 3>{2007, 366, 0},
                                        {0, 15, 0},
                                        {2008, 0, 0},
                                        {2008, 15, -1},
                                        {2008, 15, 86401000},
                                        {65535, 65535, 4294967295}})
        EXPECT_FALSE(UtcFromYearDay(year, day, ms)) << year << " " << day << " " << ms;
    EXPECT_EQ(FormatDateTime("yyyy-mm-dd hh:nn:ss.zzz", DateTimeFromUtc(January15(28800123))),
              "2008-01-15 08:00:00.123");
    EXPECT_EQ(UtcFromDateTime(DateTimeFromUtc(January15(5))), January15(5));
    EXPECT_FALSE(UtcFromDateTime(0));

    const struct {
        TLineInstrument Instrument;
        int Last;
        float Edge;
    } scans[] = {{TLineInstrument::Hirs, 55, 49.5f},
                 {TLineInstrument::AmsuA, 29, 48.3333f},
                 {TLineInstrument::AmsuB, 89, 48.95f},
                 {TLineInstrument::Mhs, 89, 49.4444f}};
    for (const auto& s : scans) {
        EXPECT_NEAR(ScanAngle(s.Instrument, 0), -s.Edge, 1e-3);
        EXPECT_NEAR(ScanAngle(s.Instrument, s.Last), s.Edge, 1e-3);
        EXPECT_TRUE(std::isnan(ScanAngle(s.Instrument, s.Last + 1)));
    }
    EXPECT_TRUE(std::isnan(ScanAngle(TLineInstrument::Unknown, 0)));
}

} // namespace
} // namespace veltra::test
