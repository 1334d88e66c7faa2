#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "base/Errors.h"
#include "formats/DecodeStream.h"
#include "support/FakeHost.h"

using namespace veltra;
using test::TCanvasCall;

namespace {

void PutBE16(std::vector<std::uint8_t>& bytes, std::size_t offset, std::uint16_t v)
{
    bytes[offset] = static_cast<std::uint8_t>(v >> 8);
    bytes[offset + 1] = static_cast<std::uint8_t>(v);
}

// An archive header naming NOAA-15 followed by a HIRS data-set header with the given record
// count and a wavenumber for every channel (channel 8 at 898.67 cm-1).
std::vector<std::uint8_t> HirsFileHeader(std::uint16_t records)
{
    std::vector<std::uint8_t> bytes(512 + 4608, 0);
    std::memset(bytes.data(), ' ', 512);
    const char* name = "NSS.HIRX.NK.D05001.S2350.E0041.B1234567.GC";
    std::memcpy(bytes.data() + 30, name, std::strlen(name));
    std::uint8_t* h = bytes.data() + 512;
    PutBE16(bytes, 512 + 84, 2005);
    PutBE16(bytes, 512 + 86, 1);
    PutBE16(bytes, 512 + 96, 2005);
    PutBE16(bytes, 512 + 98, 2);
    PutBE16(bytes, 512 + 128, records);
    for (int channel = 1; channel <= 19; ++channel) {
        // 10^-6 cm-1 for channels 1-12, 10^-5 for 13-19; channel 8 at 898.67 cm-1.
        const std::int32_t wavenumber = channel <= 12 ? 898670000 : 219000000;
        const std::size_t at = 520 + 12 * static_cast<std::size_t>(channel - 1);
        for (int i = 0; i < 4; ++i)
            h[at + i] =
                static_cast<std::uint8_t>(static_cast<std::uint32_t>(wavenumber) >> (24 - 8 * i));
    }
    return bytes;
}

} // namespace

TEST(DecodeStream, FamilyComesFromTheExtension)
{
    EXPECT_EQ(InputFamilyOf(".L1C"), TInputFamily::ifLevel1c);
    EXPECT_EQ(InputFamilyOf(".L1D"), TInputFamily::ifLevel1d);
    EXPECT_EQ(InputFamilyOf(".L1B"), TInputFamily::ifLevel1b);
    EXPECT_EQ(InputFamilyOf(".l1c"), TInputFamily::ifLevel1b);
    EXPECT_EQ(InputFamilyOf(""), TInputFamily::ifLevel1b);
}

TEST(DecodeStream, HirsHeaderWithNoRecordsDrawsNothingButLabelsThePicture)
{
    test::TFakeHost host;
    host.SaveRaw = true;
    TMemoryStream stream(HirsFileHeader(0));
    DecodeStream(host, &stream);
    EXPECT_EQ(host.Code, SensorHirs);
    EXPECT_EQ(host.SampleCount(), 0);
    EXPECT_FALSE(host.SaveRaw);
    EXPECT_EQ(host.Canvas.Count(TCanvasCall::Line), 0);
    EXPECT_EQ(host.Canvas.Count(TCanvasCall::Move), 0);
    EXPECT_EQ(host.Caption, "Channel 8 (11.13um)");
    EXPECT_EQ(host.Label, "NOAA-15 - Channel 8 (11.13um)");
    EXPECT_EQ(host.Lines.front(), "Archive Retrieval System header decoded:");
}

TEST(DecodeStream, UnknownSensorReadsNoDataSetHeader)
{
    test::TFakeHost host;
    host.Sensor = "UNSUPPORTED L1B VARIANT";
    host.Code = 7;
    host.Caption = "previous";
    TMemoryStream stream(HirsFileHeader(5));
    DecodeStream(host, &stream);
    EXPECT_EQ(host.Code, 7);
    EXPECT_EQ(host.SampleCount(), 0);
    // Channel 8 of HIRS has no wavenumber without the header: the caption cannot be formed.
    EXPECT_EQ(host.Caption, "previous");
    EXPECT_EQ(host.Label, "NOAA-15 - previous");
}

TEST(DecodeStream, ShortStreamEndsBeforeAnyLine)
{
    test::TFakeHost host;
    host.Caption = "Channel 8 (11.11um)";
    TMemoryStream stream(std::vector<std::uint8_t>(100, ' '));
    DecodeStream(host, &stream);
    EXPECT_TRUE(host.Lines.empty());
    EXPECT_EQ(host.Label, " - Channel 8 (11.11um)");
    DecodeStream(host, nullptr); // nothing at all for an absent stream
    EXPECT_TRUE(host.Lines.empty());
}

TEST(DecodeStream, ChannelCaptionThatIsNoIntegerIsRaisedBeforeDecoding)
{
    test::TFakeHost host;
    TMemoryStream stream(HirsFileHeader(0));
    host.ChannelTab = "x";
    EXPECT_THROW(DecodeStream(host, &stream), EConvertError);
    host.HasChannel = false;
    EXPECT_THROW(DecodeStream(host, &stream), EVeltraError);
    EXPECT_TRUE(host.Lines.empty());
}

TEST(DecodeStream, ChannelCaptions)
{
    test::TFakeHost host;
    TDecodeContext context(host);
    context.AmsuWavenumber[15] = 2.968;
    context.AmsuWavenumber[0] = 3.0;
    context.HirsWavenumber[7] = 900.0;
    EXPECT_EQ(FormChannelCaption(context, "AMSU-B", 16), "Channel 16 (89.04GHz)");
    EXPECT_EQ(FormChannelCaption(context, "AMSU-A", 1), "Channel 1 (90.00GHz)");
    EXPECT_EQ(FormChannelCaption(context, "HIRS", 8), "Channel 8 (11.11um)");
    EXPECT_EQ(FormChannelCaption(context, "HIRS", 20), "Channel 20 (visible)");
    EXPECT_THROW(FormChannelCaption(context, "HIRS", 9), EArithmeticError);
    EXPECT_THROW(FormChannelCaption(context, "HIRS", 21), EConvertError);
}

TEST(PlotFootprint, JoinsFootprintsUnlessTheJumpExceedsThreeQuartersOfTheWidth)
{
    test::TFakeHost host; // 1000 pixels wide
    TDecodeContext context(host);
    TScanLinePen pen = BeginScanLine(context, 3, {}, 0, 0);
    context.ScanLine = 4;
    PlotFootprint(context, pen, {0, 1, 2, 100, 10}, 250, 7);
    PlotFootprint(context, pen, {1, 1, 2, 850, 10}, 250, 7); // jump 750: joined
    PlotFootprint(context, pen, {5, 1, 2, 99, 10}, 250, 7);  // jump 751: broken
    EndScanLine(context);
    std::vector<TCanvasCall::Kind> kinds;
    for (const auto& c : host.Canvas.Calls)
        if (c.What == TCanvasCall::Move || c.What == TCanvasCall::Line)
            kinds.push_back(c.What);
    EXPECT_EQ(kinds, (std::vector<TCanvasCall::Kind>{TCanvasCall::Move, TCanvasCall::Line,
                                                     TCanvasCall::Move}));
    EXPECT_EQ(host.SampleCount(), 3);
    EXPECT_EQ(host.Samples.Origin(2).ScanLine, 4);
    EXPECT_EQ(host.Samples.Origin(2).Footprint, 5);
    EXPECT_EQ(host.Canvas.PenWidth(), 1);
    EXPECT_EQ(host.Canvas.Calls.front().What, TCanvasCall::Width);
    EXPECT_EQ(host.Canvas.Calls.front().A, 3);
}

// Scan-line records of the HIRS layout, the first footprint at 0.0001 N (a line all at 0 N 0 E
// holds no data); a nonzero quality word (bytes 18-19) makes the decoder pass over a line
// without calibrating it.
std::vector<std::uint8_t> WithHirsLines(std::vector<std::uint8_t> bytes, int lines, bool rejected)
{
    for (int i = 0; i < lines; ++i) {
        std::vector<std::uint8_t> line(4608, 0);
        line[19] = rejected ? 1 : 0;
        line[1003] = 1; // the latitude at 1000, big-endian
        bytes.insert(bytes.end(), line.begin(), line.end());
    }
    return bytes;
}

std::vector<std::uint8_t> Cut(std::vector<std::uint8_t> bytes, std::size_t size)
{
    bytes.resize(size);
    return bytes;
}

// A Level 1c MHS file as AAPP writes it on little-endian computers: the header record and
// `lines` zeroed scan lines of 4608 bytes but for the first footprint's latitude (0.0001 N),
// the header claiming `records`.
std::vector<std::uint8_t> NativeMhsFile(std::int32_t records, int lines)
{
    std::vector<std::uint8_t> bytes(4608 * static_cast<std::size_t>(lines + 1), 0);
    const auto put = [&bytes](std::size_t offset, std::int32_t value) {
        for (std::size_t i = 0; i < 4; ++i)
            bytes[offset + i] =
                static_cast<std::uint8_t>(static_cast<std::uint32_t>(value) >> 8 * i);
    };
    put(28, 12); // the instrument, MHS
    put(72, records);
    for (int line = 1; line <= lines; ++line)
        put(4608 * static_cast<std::size_t>(line) + 56, 1);
    return bytes;
}

TEST(DecodeStream, OutcomeSaysHowEachBrokenInputEnded)
{
    std::mt19937 random(11);
    std::vector<std::uint8_t> noise(3000);
    for (auto& b : noise)
        b = static_cast<std::uint8_t>(random());
    const std::size_t headers = 512 + 4608;
    const struct {
        const char* Name;
        std::string Ext, Sensor;
        std::vector<std::uint8_t> Bytes;
        TStreamEnd End;
        int Decoded, Counted;
        std::string Reason;
    } cases[] = {
        {"random", ".L1B", "HIRS", noise, TStreamEnd::NotDecoded, 0, 0,
         "not a Level 1b HIRS file: header too short"},
        {"empty",
         ".L1B",
         "HIRS",
         {},
         TStreamEnd::NotDecoded,
         0,
         0,
         "not a Level 1b HIRS file: header too short"},
        {"cut in the header", ".L1B", "HIRS", Cut(HirsFileHeader(5), 2000), TStreamEnd::NotDecoded,
         0, 0, "not a Level 1b HIRS file: header too short"},
        {"cut mid-record", ".L1B", "HIRS",
         Cut(WithHirsLines(HirsFileHeader(141), 42, true), headers + 41 * 4608 + 100),
         TStreamEnd::StoppedEarly, 41, 141, "truncated: 41 of 141 scan lines"},
        {"zero record count", ".L1B", "HIRS", HirsFileHeader(0), TStreamEnd::NotDecoded, 0, 0,
         "not a Level 1b HIRS file: no scan lines (record count 0)"},
        {"Level 1b named Level 1c", ".L1C", "HIRS", HirsFileHeader(3), TStreamEnd::NotDecoded, 0, 0,
         "not an AAPP Level 1c file: unknown instrument 538988115"},
        {"no sensor in the name", ".L1B", "UNSUPPORTED L1B VARIANT", HirsFileHeader(3),
         TStreamEnd::NotDecoded, 0, 0,
         "not a supported Level 1b file: no HIRX, AMAX, AMBX or MHSX in its name or stored data "
         "set name"},
        {"native Level 1c cut mid-record", ".L1C", "AMSU-B", Cut(NativeMhsFile(3, 2), 4608 * 2 + 9),
         TStreamEnd::StoppedEarly, 1, 3, "truncated: 1 of 3 scan lines"},
        {"native Level 1c cut in the header", ".L1C", "AMSU-B", Cut(NativeMhsFile(3, 0), 300),
         TStreamEnd::NotDecoded, 0, 0, "not an AAPP Level 1c file: header too short"},
        {"zero band correction", ".L1B", "HIRS", WithHirsLines(HirsFileHeader(3), 3, false),
         TStreamEnd::StoppedEarly, 0, 3,
         "stopped at scan line 1 of 3: zero band-correction divisor for channel 8"},
        {"complete", ".L1B", "HIRS", WithHirsLines(HirsFileHeader(2), 2, true),
         TStreamEnd::Complete, 2, 2, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        test::TFakeHost host;
        host.Ext = c.Ext;
        host.Sensor = c.Sensor;
        TMemoryStream stream(c.Bytes);
        const TStreamOutcome outcome = DecodeStream(host, &stream);
        EXPECT_EQ(outcome.End, c.End);
        EXPECT_EQ(outcome.LinesDecoded, c.Decoded);
        if (c.End != TStreamEnd::NotDecoded) {
            EXPECT_EQ(outcome.LinesCounted, c.Counted);
        }
        EXPECT_EQ(outcome.Reason, c.Reason);
    }
    test::TFakeHost host;
    EXPECT_EQ(DecodeStream(host, nullptr).End, TStreamEnd::NotDecoded);
}

TEST(DecodeStream, RandomAndTruncatedInputNeverEscapesThePass)
{
    std::mt19937 random(2026);
    const char* sensors[] = {"HIRS", "AMSU-A", "AMSU-B", "OTHER"};
    const char* extensions[] = {".L1B", ".L1C", ".L1D"};
    for (int round = 0; round < 300; ++round) {
        test::TFakeHost host;
        host.Sensor = sensors[round % 4];
        host.Ext = extensions[(round / 4) % 3];
        host.ChannelTab = std::to_string(host.Sensor == "AMSU-B" ? 16 + round % 5 : 1 + round % 20);
        std::vector<std::uint8_t> bytes(static_cast<std::size_t>(random() % 40000));
        for (auto& b : bytes)
            b = static_cast<std::uint8_t>(random());
        if (round % 5 == 0 && bytes.size() > 600) {
            const auto header = HirsFileHeader(static_cast<std::uint16_t>(random()));
            std::memcpy(bytes.data(), header.data(), std::min(bytes.size(), header.size()));
        }
        TMemoryStream stream(bytes);
        EXPECT_NO_THROW(DecodeStream(host, &stream));
    }
}

// A fault of the program (here a host indexing out of range) is no bad file: test programs see
// it raised, elsewhere the stream ends with it told as an internal error.
TEST(DecodeStream, ProgramFaultsAreNotTakenForBadFiles)
{
    struct TFaultyHost : test::TFakeHost {
        void AddSample(float, float, float, TSampleOrigin) override
        {
            throw std::out_of_range("vector::_M_range_check");
        }
    } host;
    host.ChannelTab = "20";
    TMemoryStream stream(WithHirsLines(HirsFileHeader(2), 2, false));
    EXPECT_THROW(DecodeStream(host, &stream), std::out_of_range);
    InternalErrorsFatal() = false;
    const TStreamOutcome outcome = DecodeStream(host, &stream);
    InternalErrorsFatal() = true;
    EXPECT_EQ(outcome.End, TStreamEnd::StoppedEarly);
    EXPECT_EQ(outcome.LinesDecoded, 0);
    EXPECT_EQ(outcome.Reason, "internal error: vector::_M_range_check");
}
