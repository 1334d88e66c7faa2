#include "formats/HirsLevel1b.h"

#include <cmath>

#include <gtest/gtest.h>

#include "formats/RecordBuilder.h"

namespace veltra::test {
namespace {

constexpr double PlanckAt900 = 289.34; // K, for 100 mW/(m2 sr cm-1) at 900 cm-1

std::size_t CountWord(int footprint, int position)
{
    return 1458 + 48 * static_cast<std::size_t>(footprint) + 2 * static_cast<std::size_t>(position);
}

std::size_t Coefficients(int position)
{
    return 144 + 12 * static_cast<std::size_t>(position);
}

// A header with valid dates, wavenumbers 1000 cm-1 (channels 1-12) and 2500 cm-1 (13-19) and
// the identity band correction (a = 0, b = 1).
TRecordBuilder HirsHeader()
{
    TRecordBuilder header(HirsRecordSize);
    header.BE16(84, 2004).BE16(86, 60).BE32(88, 3723000);    // 2004-Feb-29 01:02:03
    header.BE16(96, 2004).BE16(98, 366).BE32(100, 86399000); // 2004-Dec-31 23:59:59
    header.BE16(128, 3).BE16(130, 2).BE16(154, 2);
    for (int c = 1; c <= 19; ++c) {
        const std::size_t entry = 520 + 12 * static_cast<std::size_t>(c - 1);
        header.BE32(entry, c <= 12 ? 1000000000 : 250000000).BE32(entry + 8, 1000000);
    }
    return header;
}

// A scan line whose 56 footprints lie on the equator from 20 W eastwards, 1 degree apart,
// all visible on the test projection.
TRecordBuilder HirsLine()
{
    TRecordBuilder line(HirsRecordSize);
    for (int j = 0; j < HirsFootprints; ++j)
        line.Place(1000 + 8 * static_cast<std::size_t>(j), 0, j - 20);
    return line;
}

TEST(HirsLevel1bTest, FilterPositions)
{
    // Positions 1-20 hold these channels.
    const int channelAt[21] = {0, 1,  17, 2,  3, 13, 4,  18, 11, 19, 7,
                               8, 20, 10, 14, 6, 5,  15, 12, 16, 9};
    for (int k = 1; k <= 20; ++k)
        EXPECT_EQ(HirsPositionTable[static_cast<std::size_t>(channelAt[k])], k) << k;
    EXPECT_EQ(HirsPositionTable[17], 2);
    EXPECT_EQ(HirsPositionTable[9], 20);
}

TEST(HirsLevel1bTest, InversePlanck)
{
    EXPECT_NEAR(InversePlanck(100, 900), PlanckAt900, 0.005);
    EXPECT_EQ(InversePlanck(0, 900), 0);
    EXPECT_EQ(InversePlanck(-3, 900), 0);
    EXPECT_GT(InversePlanck(105, 900), InversePlanck(100, 900));
}

TEST(HirsLevel1bTest, InversePlanckArithmeticFaults)
{
    EXPECT_THROW(InversePlanck(100, 0), EArithmeticError);           // 0 / ln(1)
    EXPECT_THROW(InversePlanck(1e-310, 900), EArithmeticError);      // c1 v^3 / L overflows
    EXPECT_THROW(InversePlanck(1.1910427e-5, -1), EArithmeticError); // ln(0)
    EXPECT_THROW(InversePlanck(1e-5, -1), EArithmeticError);         // ln of a negative
}

TEST(HirsLevel1bTest, HeaderDiagnosticsLines)
{
    TRecordBuilder header = HirsHeader();
    header.BE32(176 + 16 * 1, 1234567).BE32(180 + 16 * 1, 2000); // channel 1, position 1
    header.BE32(184 + 16 * 1, -5000000).BE32(188 + 16 * 1, 100);
    header.BE32(176 + 16 * 2, 3).BE32(184 + 16 * 2, 2147483647); // channel 17, position 2
    header.BE32(188 + 16 * 2, -1);
    header.BE32(520 + 12 * 2, 690000000).BE32(524 + 12 * 2, 11000).BE32(528 + 12 * 2, 999940);
    header.BE32(520 + 12 * 11, 1530000000).BE32(520 + 12 * 12, 219000000);
    header.BE32(524 + 12 * 18, -14000);
    header.Text(760, "GRS 80  ");
    header.BE32(812, 712345678).BE32(816, -123456).BE32(820, 0);
    header.BE32(824, 712345678).BE32(828, -100000000).BE32(832, 5);

    const std::vector<std::string> expected = {
        "HIRS/3 Data Set header decoded:",
        "  Start date: 2004-Feb-29 01:02:03",
        "  End date: 2004-Dec-31 23:59:59",
        "  Data records: 3",
        "  Earth located: 2",
        "  PACS data source: Wallops",
        "  Channel calibration:",
        "      Channel: 01  slope= 1.235 (s.d. 0.002)  B1= -5 (s.d. 0.0001)",
        "      Channel: 02  slope= 0 (s.d. 0)  B1= 0 (s.d. 0)",
        "      Channel: 03  slope= 0 (s.d. 0)  B1= 0 (s.d. 0)",
        "      Channel: 04  slope= 0 (s.d. 0)  B1= 0 (s.d. 0)",
        "      Channel: 05  slope= 0 (s.d. 0)  B1= 0 (s.d. 0)",
        "      Channel: 06  slope= 0 (s.d. 0)  B1= 0 (s.d. 0)",
        "      Channel: 07  slope= 0 (s.d. 0)  B1= 0 (s.d. 0)",
        "      Channel: 08  slope= 0 (s.d. 0)  B1= 0 (s.d. 0)",
        "      Channel: 09  slope= 0 (s.d. 0)  B1= 0 (s.d. 0)",
        "      Channel: 10  slope= 0 (s.d. 0)  B1= 0 (s.d. 0)",
        "      Channel: 11  slope= 0 (s.d. 0)  B1= 0 (s.d. 0)",
        "      Channel: 12  slope= 0 (s.d. 0)  B1= 0 (s.d. 0)",
        "      Channel: 13  slope= 0 (s.d. 0)  B1= 0 (s.d. 0)",
        "      Channel: 14  slope= 0 (s.d. 0)  B1= 0 (s.d. 0)",
        "      Channel: 15  slope= 0 (s.d. 0)  B1= 0 (s.d. 0)",
        "      Channel: 16  slope= 0 (s.d. 0)  B1= 0 (s.d. 0)",
        "      Channel: 17  slope= 3e-06 (s.d. 0)  B1= 2147 (s.d. -1e-06)",
        "      Channel: 18  slope= 0 (s.d. 0)  B1= 0 (s.d. 0)",
        "      Channel: 19  slope= 0 (s.d. 0)  B1= 0 (s.d. 0)",
        "      Channel: 20  slope= 0 (s.d. 0)  B1= 0 (s.d. 0)",
        "  Channel temperature-radiance:",
        "      Channel: 01 (10.00um) wavenumber=1000  C1=0.0000  C2=1.0000",
        "      Channel: 02 (10.00um) wavenumber=1000  C1=0.0000  C2=1.0000",
        "      Channel: 03 (14.49um) wavenumber=690  C1=0.0110  C2=0.9999",
        "      Channel: 04 (10.00um) wavenumber=1000  C1=0.0000  C2=1.0000",
        "      Channel: 05 (10.00um) wavenumber=1000  C1=0.0000  C2=1.0000",
        "      Channel: 06 (10.00um) wavenumber=1000  C1=0.0000  C2=1.0000",
        "      Channel: 07 (10.00um) wavenumber=1000  C1=0.0000  C2=1.0000",
        "      Channel: 08 (10.00um) wavenumber=1000  C1=0.0000  C2=1.0000",
        "      Channel: 09 (10.00um) wavenumber=1000  C1=0.0000  C2=1.0000",
        "      Channel: 10 (10.00um) wavenumber=1000  C1=0.0000  C2=1.0000",
        "      Channel: 11 (10.00um) wavenumber=1000  C1=0.0000  C2=1.0000",
        "      Channel: 12 (6.54um) wavenumber=1530  C1=0.0000  C2=1.0000",
        "      Channel: 13 (4.57um) wavenumber=2190  C1=0.0000  C2=1.0000",
        "      Channel: 14 (4.00um) wavenumber=2500  C1=0.0000  C2=1.0000",
        "      Channel: 15 (4.00um) wavenumber=2500  C1=0.0000  C2=1.0000",
        "      Channel: 16 (4.00um) wavenumber=2500  C1=0.0000  C2=1.0000",
        "      Channel: 17 (4.00um) wavenumber=2500  C1=0.0000  C2=1.0000",
        "      Channel: 18 (4.00um) wavenumber=2500  C1=0.0000  C2=1.0000",
        "      Channel: 19 (4.00um) wavenumber=2500  C1=-0.0140  C2=1.0000",
        "  Navigation",
        "  Reference ellipsoid: GRS 80  ",
        "      Position vector:  X: 7123.46km  Y: -1.23km  Z: 0.00km",
        "      Velocity vector:  X: 7.123km/s  Y: -1.000km/s  Z: 0.000km/s",
        " ",
    };
    std::vector<std::string> lines = {"opened.l1b"};
    DecodeHirsHeaderDiagnostics(TBytes(header.Bytes), lines);
    ASSERT_EQ(lines.size(), expected.size() + 1);
    EXPECT_EQ(lines[0], "opened.l1b");
    for (std::size_t i = 0; i < expected.size(); ++i)
        EXPECT_EQ(lines[i + 1], expected[i]) << i;
}

TEST(HirsLevel1bTest, PacsDataSources)
{
    const std::pair<int, const char*> sources[] = {
        {1, "Gilmore"}, {2, "Wallops"}, {3, "SOCC"}, {0, "unused"}, {4, "unused"}};
    for (const auto& [code, name] : sources) {
        TRecordBuilder header = HirsHeader();
        header.BE16(154, static_cast<std::uint16_t>(code));
        std::vector<std::string> lines;
        DecodeHirsHeaderDiagnostics(TBytes(header.Bytes), lines);
        EXPECT_EQ(lines.at(5), std::string("  PACS data source: ") + name);
    }
}

// A year that makes no date fails while its line is made; the lines before stay.
TEST(HirsLevel1bTest, HeaderFailuresKeepTheLinesBefore)
{
    for (const auto& [offset, linesKept] : {std::pair{84, 1u}, std::pair{96, 2u}}) {
        TRecordBuilder header = HirsHeader();
        header.BE16(static_cast<std::size_t>(offset), 0);
        TDecoderRig rig;
        TMemoryStream stream(header.Bytes);
        EXPECT_THROW(ReadHirsHeader(rig.Context, stream), EConvertError);
        EXPECT_EQ(rig.Host.Lines.size(), linesKept);
        EXPECT_EQ(rig.Host.Code, 0);
        EXPECT_EQ(rig.Context.RecordSize, 0);
    }
}

// A zero wavenumber has no wavelength: its line goes without one and the header is read whole.
TEST(HirsLevel1bTest, ZeroWavenumberCostsOnlyTheWavelength)
{
    TRecordBuilder header = HirsHeader();
    header.BE32(520 + 12 * 4, 0); // channel 5
    TDecoderRig rig;
    TMemoryStream stream(header.Bytes);
    ReadHirsHeader(rig.Context, stream);
    ASSERT_EQ(rig.Host.Lines.size(), 52u);
    EXPECT_EQ(rig.Host.Lines[32], "      Channel: 05 wavenumber=0  C1=0.0000  C2=1.0000");
    EXPECT_EQ(rig.Host.Lines[33],
              "      Channel: 06 (10.00um) wavenumber=1000  C1=0.0000  C2=1.0000");
    EXPECT_EQ(rig.Host.Code, SensorHirs);
    EXPECT_EQ(rig.Context.RecordCount, 3);
}

TEST(HirsLevel1bTest, ReadHeaderSetsLayoutAndChannelConstants)
{
    TRecordBuilder header = HirsHeader();
    header.BE32(520 + 12 * 11, 1530000000).BE32(520 + 12 * 12, 219000000);
    header.BE32(520 + 12 * 2 + 4, 11000).BE32(520 + 12 * 2 + 8, 999940);
    TDecoderRig rig;
    TMemoryStream stream(Join({header.Bytes, TByteVector(10, 0)}));
    ReadHirsHeader(rig.Context, stream);

    EXPECT_EQ(stream.Position(), HirsRecordSize);
    EXPECT_EQ(rig.Host.Code, SensorHirs);
    EXPECT_EQ(rig.Context.RecordSize, 4608);
    EXPECT_EQ(rig.Context.RecordCount, 3);
    EXPECT_EQ(rig.Host.Lines.size(), 52u);
    EXPECT_DOUBLE_EQ(rig.Context.HirsWavenumber[11], 1530.0); // channel 12: 10^-6
    EXPECT_DOUBLE_EQ(rig.Context.HirsWavenumber[12], 2190.0); // channel 13: 10^-5
    EXPECT_DOUBLE_EQ(rig.Context.HirsWavenumber[0], 1000.0);
    EXPECT_DOUBLE_EQ(rig.Context.BandCorrA[2], 0.011);
    EXPECT_DOUBLE_EQ(rig.Context.BandCorrB[2], 0.99994);
    EXPECT_EQ(rig.Context.HirsWavenumber[19], 0); // the visible channel has no entry
    EXPECT_EQ(rig.Context.BandCorrB[19], 0);
    EXPECT_EQ(rig.Context.AmsuWavenumber[0], 0);
}

TEST(HirsLevel1bTest, ShortHeaderIsAReadError)
{
    TRecordBuilder header = HirsHeader();
    header.Bytes.resize(HirsRecordSize - 1);
    TDecoderRig rig;
    TMemoryStream stream(header.Bytes);
    EXPECT_THROW(ReadHirsHeader(rig.Context, stream), EReadError);
    EXPECT_EQ(rig.Host.Code, 0);
    EXPECT_TRUE(rig.Host.Lines.empty());
}

// Decodes one line for a channel after a header; the band correction is the identity unless
// the header says otherwise.
void DecodeOneLine(TDecoderRig& rig, const TRecordBuilder& header, const TRecordBuilder& line,
                   int channel)
{
    TMemoryStream stream(Join({header.Bytes, line.Bytes}));
    ReadHirsHeader(rig.Context, stream);
    rig.Context.Channel = channel;
    DecodeHirsLine(rig.Context, stream);
}

// Count words are 13-bit sign and magnitude unless the user chose the NOAA archive's
// convention (the 13-bit word less 4096). Both read positive counts alike; they differ for
// negative ones: 0x0005 is -5 or -4091, 0x0FFB -4091 or -5.
TEST(HirsLevel1bTest, CountWordConventions)
{
    const int position = HirsPositionTable[8];
    TRecordBuilder header = HirsHeader();
    header.BE32(520 + 12 * 7, 900000000); // channel 8 at 900 cm-1
    TRecordBuilder line = HirsLine();
    line.BE32(Coefficients(position) + 4, 1000000000); // slope 1 per count
    line.BE32(Coefficients(position) + 8, 100000000);  // intercept 100
    // +0, -0, +5, -5, bits 13-15 ignored (0xE005 and 0xF005), and a small negative NOAA count.
    const std::uint16_t words[] = {0x1000, 0x0000, 0x1005, 0x0005, 0xE005, 0xF005, 0x0FFB};
    for (int j = 0; j < 7; ++j)
        line.BE16(CountWord(j, position), words[j]);
    const struct {
        bool Offset;
        int Counts[7];
    } cases[] = {
        {false, {0, 0, 5, -5, -5, 5, -4091}},
        {true, {0, -4096, 5, -4091, -4091, 5, -5}},
    };
    for (const auto& c : cases) {
        TDecoderRig rig;
        rig.Host.CountOffset = c.Offset;
        DecodeOneLine(rig, header, line, 8);
        const TSampleList& s = rig.Host.Samples;
        ASSERT_EQ(s.SampleCount(), HirsFootprints);
        for (int j = 0; j < 7; ++j) // radiance 100 + count; 0 K below a radiance of 0
            EXPECT_NEAR(s[j].Temperature, InversePlanck(100 + c.Counts[j], 900), 1e-4)
                << c.Offset << " word " << j;
        EXPECT_NEAR(s[0].Temperature, PlanckAt900, 0.005);
    }
}

// Channels 17 and 9 sit at filter positions 2 and 20; every other position holds values that
// would give another temperature.
TEST(HirsLevel1bTest, ChannelsReadTheirFilterPosition)
{
    const std::pair<int, int> cases[] = {{17, 2}, {9, 20}};
    for (const auto& [channel, position] : cases) {
        TRecordBuilder header = HirsHeader();
        header.BE32(520 + 12 * static_cast<std::size_t>(channel - 1),
                    channel <= 12 ? 900000000 : 90000000); // 900 cm-1 in either scale
        TRecordBuilder line = HirsLine();
        for (int k = 1; k <= 20; ++k) {
            line.BE32(Coefficients(k) + 4, 1000000); // 0.001 per count
            line.BE32(Coefficients(k) + 8, k == position ? 100000000 : 50000000);
            for (int j = 0; j < HirsFootprints; ++j)
                line.BE16(CountWord(j, k), k == position ? 0x1000 : 0x1FFF);
        }
        TDecoderRig rig;
        DecodeOneLine(rig, header, line, channel);
        ASSERT_EQ(rig.Host.Samples.SampleCount(), HirsFootprints);
        for (int j = 0; j < HirsFootprints; ++j)
            EXPECT_NEAR(rig.Host.Samples[j].Temperature, PlanckAt900, 0.005) << channel;
    }
    EXPECT_EQ(CountWord(0, 2), 1462u);
    EXPECT_EQ(Coefficients(2), 168u);
    EXPECT_EQ(CountWord(0, 20), 1498u);
    EXPECT_EQ(Coefficients(20), 384u);
}

TEST(HirsLevel1bTest, VisibleChannelIsAGreyLevel)
{
    const int position = HirsPositionTable[20];
    TRecordBuilder line = HirsLine();
    line.BE32(Coefficients(position) + 4, 10000000); // 10^-2 percent per count, intercept 0
    // +4000: 40 % gives 102; +4010: 102.255 gives 102; -4000: -102 wraps to 154; +0 is black.
    const std::uint16_t words[] = {0x1000 | 4000, 0x1000 | 4010, 4000, 0x1000};
    const TColour greys[] = {102, 102, 154, 0};
    for (int j = 0; j < 4; ++j)
        line.BE16(CountWord(j, position), words[j]);
    TRecordBuilder header = HirsHeader();
    for (int c = 1; c <= 19; ++c) // no band correction: the visible channel does not need it
        header.BE32(528 + 12 * static_cast<std::size_t>(c - 1), 0);

    TDecoderRig rig;
    DecodeOneLine(rig, header, line, 20);
    ASSERT_EQ(rig.Host.Samples.SampleCount(), HirsFootprints);
    const std::vector<TColour> colours = rig.PenColours();
    for (int j = 0; j < 4; ++j) {
        EXPECT_EQ(colours.at(static_cast<std::size_t>(j)), greys[j] * 65793u) << j;
        EXPECT_EQ(rig.Host.Samples[j].Temperature, 0.0f);
    }
}

TEST(HirsLevel1bTest, ScanLineIsJoinedWithAThickPen)
{
    TDecoderRig rig;
    DecodeOneLine(rig, HirsHeader(), HirsLine(), 8);
    const auto& calls = rig.Host.Canvas.Calls;
    ASSERT_EQ(calls.size(), 2u + 2 * HirsFootprints);
    EXPECT_EQ(calls.front().What, TCanvasCall::Width);
    EXPECT_EQ(calls.front().A, 3);
    EXPECT_EQ(calls[2].What, TCanvasCall::Move);
    EXPECT_EQ(calls[2].A, 300); // 20 W
    EXPECT_EQ(calls[4].What, TCanvasCall::Line);
    EXPECT_EQ(calls.back().What, TCanvasCall::Width);
    EXPECT_EQ(calls.back().A, 1);
    // Radiance 0 gives T* = 0 and a temperature of -a / b = 0.
    EXPECT_EQ(rig.Host.Samples[0].Temperature, 0.0f);
}

TEST(HirsLevel1bTest, RejectedLineDrawsNothing)
{
    TRecordBuilder rejected = HirsLine();
    rejected.BE16(18, 1);
    TDecoderRig rig;
    TMemoryStream stream(Join({HirsHeader().Bytes, rejected.Bytes, HirsLine().Bytes}));
    ReadHirsHeader(rig.Context, stream);
    rig.Context.Channel = 8;
    DecodeHirsLine(rig.Context, stream);
    EXPECT_EQ(rig.Host.Samples.SampleCount(), 0);
    EXPECT_TRUE(rig.Host.Canvas.Calls.empty());
    DecodeHirsLine(rig.Context, stream); // the next line is decoded normally
    EXPECT_EQ(rig.Host.Samples.SampleCount(), HirsFootprints);
}

// A zero band-correction divisor fails at the first visible footprint of an infrared channel;
// footprints the map does not show are skipped before anything is computed.
TEST(HirsLevel1bTest, ZeroBandCorrectionFailsAtTheFirstVisibleFootprint)
{
    TRecordBuilder header = HirsHeader();
    header.BE32(528 + 12 * 7, 0); // channel 8: b = 0
    TRecordBuilder line = HirsLine();
    for (int j = 0; j < 3; ++j)
        line.Place(1000 + 8 * static_cast<std::size_t>(j), 80, 0); // off the map

    TDecoderRig rig;
    EXPECT_THROW(DecodeOneLine(rig, header, line, 8), EArithmeticError);
    EXPECT_EQ(rig.Host.Samples.SampleCount(), 0);
    ASSERT_EQ(rig.Host.Canvas.Calls.size(), 1u);
    EXPECT_EQ(rig.Host.Canvas.Calls[0].What, TCanvasCall::Width);

    TDecoderRig visible;
    DecodeOneLine(visible, header, line, 20);
    EXPECT_EQ(visible.Host.Samples.SampleCount(), HirsFootprints - 3);
}

TEST(HirsLevel1bTest, TruncatedFileKeepsTheCompleteLines)
{
    EXPECT_EQ(SamplesBeforeCutLine(HirsHeader().Bytes, HirsLine().Bytes, 1000, 8, ReadHirsHeader,
                                   DecodeHirsLine),
              2 * HirsFootprints);
}

TEST(HirsLevel1bTest, DamagedInputOnlyRaisesOurErrors)
{
    TRecordBuilder line = HirsLine();
    for (int k = 1; k <= 20; ++k) {
        line.BE32(Coefficients(k) + 4, 30000000);
        line.BE32(Coefficients(k) + 8, 20000000);
        for (int j = 0; j < HirsFootprints; ++j)
            line.BE16(CountWord(j, k), static_cast<std::uint16_t>(0x1000 + 37 * j));
    }
    const TByteVector valid =
        Join({TByteVector(512, 0), HirsHeader().Bytes, line.Bytes, line.Bytes, line.Bytes});
    FuzzDecoder(valid, [](TDecoderRig& rig, TStream& stream, int round) {
        rig.Context.Channel = 1 + round % 20;
        DecodeLevel1b(rig.Context, stream, ReadHirsHeader, DecodeHirsLine);
    });
}

} // namespace
} // namespace veltra::test
