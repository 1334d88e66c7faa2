#include "formats/AmsuLevel1b.h"

#include <array>

#include <gtest/gtest.h>

#include "formats/HirsLevel1b.h"
#include "formats/RecordBuilder.h"

namespace veltra::test {
namespace {

constexpr double Wavenumber89GHz = 2.968720; // cm-1

std::size_t Index(int i)
{
    return static_cast<std::size_t>(i);
}

// A data-set header whose channels all have the 89 GHz wavenumber and the identity band
// correction, with the constants table at tableOffset for channels first to last.
TRecordBuilder AmsuHeader(int size, std::size_t countOffset, std::uint16_t records,
                          std::size_t tableOffset, int first, int last)
{
    TRecordBuilder header(static_cast<std::size_t>(size));
    header.BE16(countOffset, records);
    for (int c = first; c <= last; ++c)
        header.BE32(tableOffset + 12 * Index(c - first), 2968720)
            .BE32(tableOffset + 12 * Index(c - first) + 8, 1000000);
    return header;
}

TRecordBuilder AmsuAHeader(std::uint16_t records = 2)
{
    return AmsuHeader(AmsuARecordSize, 144, records, 688, 1, 15);
}

TRecordBuilder AmsuBHeader(std::uint16_t records = 2)
{
    return AmsuHeader(AmsuBRecordSize, 132, records, 324, 16, 20);
}

// Scan lines with every footprint on the equator, one degree apart, all visible.
TRecordBuilder AmsuALine()
{
    TRecordBuilder line(AmsuARecordSize);
    for (int i = 0; i < AmsuAFootprints; ++i)
        line.Place(652 + 8 * Index(i), 0, i - 15);
    return line;
}

TRecordBuilder AmsuBLine()
{
    TRecordBuilder line(AmsuBRecordSize);
    for (int i = 0; i < AmsuBFootprints; ++i)
        line.Place(752 + 8 * Index(i), 0, i - 45);
    return line;
}

void DecodeOneLine(TDecoderRig& rig, const TRecordBuilder& header, const TRecordBuilder& line,
                   int channel, bool amsuB)
{
    TMemoryStream stream(Join({TByteVector(512, 0), header.Bytes, line.Bytes}));
    rig.Context.Channel = channel;
    auto read = amsuB ? ReadAmsuBHeader : ReadAmsuAHeader;
    auto decode = amsuB ? DecodeAmsuBLine : DecodeAmsuALine;
    DecodeLevel1b(rig.Context, stream, read, decode);
}

// Each header is read only as far as its last used field; the constants table of channel c
// starts at table + 12 (c - first). An MHS data set (".MHSX." in the data set name of the
// archive header or of the data-set header) keeps its table at 416.
TEST(AmsuLevel1bTest, HeadersReadOnlyTheirStart)
{
    const char* mhs = "NSS.MHSX.NN.D08015.S0847.E0902.B1234567.GC";
    struct TCase {
        void (*Read)(TDecodeContext&, TStream&);
        TRecordBuilder Header;
        int ReadSize, RecordSize;
        std::uint8_t Code;
        std::size_t Table;
        int First, Last;
        std::string HeaderName, ArchiveName;
    } cases[] = {
        {ReadAmsuAHeader, AmsuAHeader(1234), 960, 2560, SensorAmsuA, 688, 1, 15, "", ""},
        {ReadAmsuBHeader, AmsuBHeader(1234), 480, 3072, SensorAmsuB, 324, 16, 20, "", ""},
        {ReadAmsuBHeader, AmsuBHeader(1234), 480, 3072, SensorAmsuB, 324, 16, 20,
         "NSS.AMBX.NK.D08015.S0847.E0902.B1234567.GC", "NSS.AMBX.NK"},
        {ReadAmsuBHeader, AmsuBHeader(1234), 480, 3072, SensorAmsuB, 416, 16, 20, mhs, ""},
        {ReadAmsuBHeader, AmsuBHeader(1234), 480, 3072, SensorAmsuB, 416, 16, 20, "", mhs},
    };
    for (TCase& c : cases) {
        c.Header.BE32(c.Table, 793883).BE32(c.Table + 4, -3100).BE32(c.Table + 8, 1000270);
        c.Header.BE32(c.Table + 12 * Index(c.Last - c.First), 6348092);
        c.Header.Text(22, c.HeaderName);
        c.Header.Bytes.resize(Index(c.ReadSize));
        TDecoderRig rig;
        rig.Context.DataSetName = c.ArchiveName;
        TMemoryStream stream(c.Header.Bytes);
        c.Read(rig.Context, stream);
        EXPECT_EQ(stream.Position(), c.ReadSize);
        EXPECT_EQ(rig.Host.Code, c.Code);
        EXPECT_EQ(rig.Context.RecordSize, c.RecordSize);
        EXPECT_EQ(rig.Context.RecordCount, 1234);
        const auto first = Index(c.First - 1);
        EXPECT_DOUBLE_EQ(rig.Context.AmsuWavenumber[first], 0.793883);
        EXPECT_DOUBLE_EQ(rig.Context.BandCorrA[first], -0.0031);
        EXPECT_DOUBLE_EQ(rig.Context.BandCorrB[first], 1.00027);
        EXPECT_DOUBLE_EQ(rig.Context.AmsuWavenumber[Index(c.Last - 1)], 6.348092);
        EXPECT_EQ(rig.Context.AmsuWavenumber[Index(c.First == 1 ? 15 : 14)], 0);
        EXPECT_EQ(rig.Context.HirsWavenumber[first], 0);
        EXPECT_EQ(rig.Host.Lines, c.Table == 416 ? std::vector<std::string>{"MHS Level 1b"}
                                                 : std::vector<std::string>{});

        c.Header.Bytes.pop_back();
        TDecoderRig shortRig;
        TMemoryStream shortStream(c.Header.Bytes);
        EXPECT_THROW(c.Read(shortRig.Context, shortStream), EReadError);
        EXPECT_EQ(shortRig.Host.Code, 0);
    }
}

// The words of every footprint: w0 = 1001, w1 = 2001, w2 = 1002, w3 = 2004, w4-w16 = 3000 + n;
// channel c has a1 = c * 10^-6, so a wrong word or a wrong coefficient shows.
TEST(AmsuLevel1bTest, AmsuAChannelCounts)
{
    TRecordBuilder line = AmsuALine();
    for (int i = 0; i < AmsuAFootprints; ++i) {
        const std::size_t block = 904 + 34 * Index(i);
        line.BE16(block, 1001).BE16(block + 2, 2001).BE16(block + 4, 1002).BE16(block + 6, 2004);
        for (int w = 4; w <= 16; ++w)
            line.BE16(block + 2 * Index(w), static_cast<std::uint16_t>(3000 + w));
    }
    for (int c = 1; c <= 15; ++c)
        line.BE32(80 + 12 * Index(c - 1) + 4, 10000000 * c); // a1 in 10^-13

    for (int c = 1; c <= 15; ++c) {
        const int count = c == 1 ? 1001 : c == 2 ? 2002 : 3000 + c + 1;
        TDecoderRig rig;
        DecodeOneLine(rig, AmsuAHeader(1), line, c, false);
        ASSERT_EQ(rig.Host.Samples.SampleCount(), AmsuAFootprints) << c;
        EXPECT_FLOAT_EQ(rig.Host.Samples[29].Temperature,
                        static_cast<float>(InversePlanck(c * 1e-6 * count, Wavenumber89GHz)))
            << c;
    }
}

TEST(AmsuLevel1bTest, AmsuAQuadraticCalibration)
{
    TRecordBuilder line = AmsuALine();
    const std::size_t entry = 80 + 12 * 2; // channel 3: a2, a1, a0
    line.BE32(entry, 1000000000).BE32(entry + 4, 10000000).BE32(entry + 8, 1000000);
    line.BE16(904 + 8, 1000); // footprint 0, w4
    TDecoderRig rig;
    DecodeOneLine(rig, AmsuAHeader(1), line, 3, false);
    // 10^-10 * 1000^2 + 10^-6 * 1000 + 10^-3
    EXPECT_FLOAT_EQ(rig.Host.Samples[0].Temperature,
                    static_cast<float>(InversePlanck(2.1e-3, Wavenumber89GHz)));
}

// Channel c reads the word at 1480 + 2 (c - 15) + 12 i and its a2, a1, a0 at 60 + 12 (c - 16).
TEST(AmsuLevel1bTest, AmsuBChannelOffsets)
{
    struct TCase {
        int Channel;
        std::size_t Word, Coefficients;
    } cases[] = {{16, 1482, 60}, {17, 1484, 72}, {18, 1486, 84}, {19, 1488, 96}, {20, 1490, 108}};
    TRecordBuilder line = AmsuBLine();
    for (const TCase& c : cases) {
        line.BE32(c.Coefficients, c.Channel).BE32(c.Coefficients + 4, 100 * c.Channel);
        line.BE32(c.Coefficients + 8, 1000 * c.Channel);
        for (int i = 0; i < AmsuBFootprints; ++i)
            line.BE16(c.Word + 12 * Index(i), static_cast<std::uint16_t>(1000 * c.Channel + i));
    }
    for (int i = 0; i < AmsuBFootprints; ++i)
        line.BE16(1480 + 12 * Index(i), 65535); // w0 is no channel

    for (const TCase& c : cases) {
        TDecoderRig rig;
        DecodeOneLine(rig, AmsuBHeader(1), line, c.Channel, true);
        ASSERT_EQ(rig.Host.Samples.SampleCount(), AmsuBFootprints);
        for (int i : {0, 89}) {
            const double count = 1000 * c.Channel + i;
            const double radiance = c.Channel * 1e-16 * count * count +
                                    100 * c.Channel * 1e-10 * count + 1000 * c.Channel * 1e-6;
            EXPECT_FLOAT_EQ(rig.Host.Samples[i].Temperature,
                            static_cast<float>(InversePlanck(radiance, Wavenumber89GHz)))
                << c.Channel << " " << i;
        }
    }
}

TEST(AmsuLevel1bTest, NoRadianceGivesMinusAOverB)
{
    TRecordBuilder header = AmsuAHeader(1);
    header.BE32(688 + 12 * 4 + 4, 2000000).BE32(688 + 12 * 4 + 8, 500000); // channel 5
    TDecoderRig rig;
    DecodeOneLine(rig, header, AmsuALine(), 5, false);
    ASSERT_EQ(rig.Host.Samples.SampleCount(), AmsuAFootprints);
    EXPECT_EQ(rig.Host.Samples[0].Temperature, -4.0f);
    const auto& calls = rig.Host.Canvas.Calls;
    EXPECT_EQ(calls.front().What, TCanvasCall::Width);
    EXPECT_EQ(calls.front().A, 3);
    EXPECT_EQ(calls.back().A, 1);
}

// Footprints 0 and 1 are off the map, so the zero divisor is met at footprint 2.
TRecordBuilder WithTwoHiddenFootprints(TRecordBuilder line, std::size_t earthLocation)
{
    line.Place(earthLocation, 80, 0).Place(earthLocation + 8, 80, 0);
    return line;
}

TEST(AmsuLevel1bTest, AmsuAZeroBandCorrectionEndsThePass)
{
    TRecordBuilder header = AmsuAHeader(2);
    header.BE32(688 + 8, 0); // channel 1: b = 0
    const TRecordBuilder line = WithTwoHiddenFootprints(AmsuALine(), 652);
    TDecoderRig rig;
    EXPECT_THROW(DecodeOneLine(rig, header, line, 1, false), EArithmeticError);
    EXPECT_EQ(rig.Host.Samples.SampleCount(), 0);
    EXPECT_EQ(rig.Host.Canvas.Calls.size(), 1u); // the pen was widened, nothing drawn
}

TEST(AmsuLevel1bTest, AmsuBZeroBandCorrectionStopsEveryLineButNotThePass)
{
    TRecordBuilder header = AmsuBHeader(3);
    header.BE32(324 + 8, 0); // channel 16: b = 0
    const TRecordBuilder line = WithTwoHiddenFootprints(AmsuBLine(), 752);
    TMemoryStream stream(
        Join({TByteVector(512, 0), header.Bytes, line.Bytes, line.Bytes, line.Bytes}));
    TDecoderRig rig;
    rig.Context.Channel = 16;
    DecodeLevel1b(rig.Context, stream, ReadAmsuBHeader, DecodeAmsuBLine);
    EXPECT_EQ(stream.Position(), stream.Size());
    EXPECT_EQ(rig.Host.Samples.SampleCount(), 0);
    std::vector<int> widths;
    for (const TCanvasCall& call : rig.Host.Canvas.Calls)
        widths.push_back(call.What == TCanvasCall::Width ? call.A : -1);
    EXPECT_EQ(widths, (std::vector<int>{3, 1, 3, 1, 3, 1}));
}

// With a zero wavenumber a positive radiance is an arithmetic fault (0 / ln 1): an AMSU-B line
// keeps the footprints plotted before it and the next line is decoded; a missing record
// still ends the pass.
TEST(AmsuLevel1bTest, AmsuBLineFailureKeepsWhatWasDrawn)
{
    TRecordBuilder header = AmsuBHeader(3);
    header.BE32(324 + 12 * 4, 0); // channel 20: no wavenumber
    TRecordBuilder line = AmsuBLine();
    line.BE32(108 + 4, 10000000).BE32(108 + 8, -5000); // radiance 10^-3 C - 5 * 10^-3
    for (int i = 0; i < AmsuBFootprints; ++i)
        line.BE16(1490 + 12 * Index(i), i < 5 ? 1 : 100);
    TMemoryStream stream(Join({TByteVector(512, 0), header.Bytes, line.Bytes, line.Bytes}));
    TDecoderRig rig;
    rig.Context.Channel = 20;
    EXPECT_THROW(DecodeLevel1b(rig.Context, stream, ReadAmsuBHeader, DecodeAmsuBLine), EReadError);
    EXPECT_EQ(rig.Host.Samples.SampleCount(), 2 * 5);
    EXPECT_EQ(rig.Host.Canvas.PenWidth(), 1);
}

// A line whose box of earth locations lies beyond the projection's reach projects and draws
// nothing; a line with one footprint within it is decoded footprint by footprint. A line across
// the date line keeps a narrow box.
TEST(AmsuLevel1bTest, LinesBeyondTheReachAreNotProjected)
{
    TRecordBuilder south = AmsuALine(), straddling = AmsuALine();
    for (int i = 0; i < AmsuAFootprints; ++i) {
        const double longitude = 165 + i; // 165 to 194, stored as 165 to 180 and -179 to -166
        south.Place(652 + 8 * Index(i), -60 - 0.1 * i,
                    longitude > 180 ? longitude - 360 : longitude);
        straddling.Place(652 + 8 * Index(i), i == 7 ? 0 : -60, i - 15);
    }
    TMemoryStream stream(Join({TByteVector(512, 0), AmsuAHeader(3).Bytes, AmsuALine().Bytes,
                               south.Bytes, straddling.Bytes}));
    TDecoderRig rig;
    std::vector<std::array<float, 4>> boxes;
    rig.Host.Projector.BeyondReach = [&boxes](float s, float n, float w, float e) {
        boxes.push_back({s, n, w, e});
        return n < -45;
    };
    rig.Context.Channel = 1;
    DecodeLevel1b(rig.Context, stream, ReadAmsuAHeader, DecodeAmsuALine);
    EXPECT_EQ(rig.Host.Projector.Projections, 2 * AmsuAFootprints);
    EXPECT_EQ(rig.Host.Samples.SampleCount(), AmsuAFootprints + 1);
    EXPECT_EQ(rig.Host.Samples[AmsuAFootprints].Longitude, -8); // footprint 7 of the last line
    ASSERT_EQ(boxes.size(), 3u);
    const std::array<double, 4> expected[] = {{-62.9, -60, 165, 194}, {-60, 0, -15, 14}};
    for (std::size_t b = 0; b < 2; ++b)
        for (std::size_t i = 0; i < 4; ++i)
            EXPECT_NEAR(boxes[b + 1][i], expected[b][i], i < 2 ? 1e-5 : 0.011) << b << i;
}

TEST(AmsuLevel1bTest, TruncatedAmsuAFileKeepsTheCompleteLines)
{
    EXPECT_EQ(SamplesBeforeCutLine(AmsuAHeader(3).Bytes, AmsuALine().Bytes, AmsuARecordSize / 2, 15,
                                   ReadAmsuAHeader, DecodeAmsuALine),
              2 * AmsuAFootprints);
}

// Counts and coefficients giving plausible radiances, so damaged copies reach the arithmetic.
TByteVector PlausibleFile(bool amsuB)
{
    TRecordBuilder line = amsuB ? AmsuBLine() : AmsuALine();
    const int channels = amsuB ? 5 : 15;
    for (int c = 0; c < channels; ++c)
        line.BE32((amsuB ? 60 : 80) + 12 * Index(c) + 4, amsuB ? 1000 : 10000000);
    for (std::size_t w = amsuB ? 1480 : 904; w < (amsuB ? 2560u : 1924u); w += 2)
        line.BE16(w, static_cast<std::uint16_t>(12000 + 7 * w));
    const TRecordBuilder header = amsuB ? AmsuBHeader(3) : AmsuAHeader(3);
    return Join({TByteVector(512, 0), header.Bytes, line.Bytes, line.Bytes, line.Bytes});
}

TEST(AmsuLevel1bTest, DamagedInputOnlyRaisesOurErrors)
{
    FuzzDecoder(PlausibleFile(false), [](TDecoderRig& rig, TStream& stream, int round) {
        rig.Context.Channel = 1 + round % 15;
        DecodeLevel1b(rig.Context, stream, ReadAmsuAHeader, DecodeAmsuALine);
    });
    FuzzDecoder(PlausibleFile(true), [](TDecoderRig& rig, TStream& stream, int round) {
        rig.Context.Channel = 16 + round % 5;
        DecodeLevel1b(rig.Context, stream, ReadAmsuBHeader, DecodeAmsuBLine);
    });
}

} // namespace
} // namespace veltra::test
