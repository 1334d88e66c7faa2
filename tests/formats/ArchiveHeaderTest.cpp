#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "base/Errors.h"
#include "formats/ArchiveHeader.h"
#include "support/FakeHost.h"

using namespace veltra;

namespace {

// A 512-byte archive header of blanks with fields written at their offsets.
struct THeaderBuilder {
    std::vector<std::uint8_t> Bytes = std::vector<std::uint8_t>(512, ' ');
    THeaderBuilder& Text(std::size_t offset, const std::string& text)
    {
        std::memcpy(Bytes.data() + offset, text.data(), text.size());
        return *this;
    }
    THeaderBuilder& Byte(std::size_t offset, std::uint8_t value)
    {
        Bytes[offset] = value;
        return *this;
    }
    THeaderBuilder& BE16(std::size_t offset, std::uint16_t v)
    {
        Bytes[offset] = static_cast<std::uint8_t>(v >> 8);
        Bytes[offset + 1] = static_cast<std::uint8_t>(v);
        return *this;
    }
    THeaderBuilder& BE32(std::size_t offset, std::int32_t value)
    {
        const auto v = static_cast<std::uint32_t>(value);
        for (int i = 0; i < 4; ++i)
            Bytes[offset + i] = static_cast<std::uint8_t>(v >> (24 - 8 * i));
        return *this;
    }
    THeaderBuilder& Name(const std::string& name) { return Text(30, name); }
};

const char* FairbanksName = "NSS.HIRX.NK.D05001.S2350.E0041.B1234567.GC";

} // namespace

TEST(ArchiveHeader, KlmNameGivesSatelliteStationTimesAndSummary)
{
    THeaderBuilder b;
    b.Name(FairbanksName);
    std::vector<std::string> lines;
    const TArchiveSummary s = DecodeArchiveHeader(b.Bytes, lines);
    EXPECT_TRUE(s.HasSatellite);
    EXPECT_EQ(s.Satellite, "NOAA-15");
    EXPECT_EQ(FormatDateTime("yyyy-mm-dd hh:nn", s.Start), "2005-01-01 23:50");
    EXPECT_EQ(FormatDateTime("yyyy-mm-dd hh:nn", s.End), "2005-01-02 00:41");
    EXPECT_EQ(s.Summary, "NOAA-15, , 2005 Jan 01, 23:50-00:41 UTC");
    EXPECT_EQ(s.Hint, "NOAA-15, 2005 Jan 01 23:50-00:41 UTC\nAcquired: Fairbanks, Alaska, USA\n"
                      "Processed: NOAA/NESDIS - Suitland, Maryland, USA");
    ASSERT_GE(lines.size(), 10u);
    EXPECT_EQ(lines[8], std::string("  Data Set Name: ") + FairbanksName);
    EXPECT_EQ(lines[9], "  Satellite: NOAA-15");
}

TEST(ArchiveHeader, MinutesAboveFiftyNineAndTwoDigitYears)
{
    THeaderBuilder b;
    b.Name("NSS.HIRX.NK.D05001.S0199.E0241.B1234567.GC");
    std::vector<std::string> lines;
    EXPECT_EQ(FormatDateTime("hh:nn", DecodeArchiveHeader(b.Bytes, lines).Start), "01:59");
    b.Text(43, "56");
    EXPECT_EQ(FormatDateTime("yyyy", DecodeArchiveHeader(b.Bytes, lines).Start), "2056");
    b.Text(43, "57");
    EXPECT_EQ(FormatDateTime("yyyy", DecodeArchiveHeader(b.Bytes, lines).Start), "1957");
}

TEST(ArchiveHeader, BlankHeaderGivesTheListedLinesAndNoTimes)
{
    THeaderBuilder b;
    std::vector<std::string> lines;
    const TArchiveSummary s = DecodeArchiveHeader(b.Bytes, lines);
    EXPECT_EQ(s.Start, 0);
    EXPECT_FALSE(s.HasSatellite);
    auto field = [](const std::string& label, std::size_t width) {
        return label + std::string(width, ' ');
    };
    const std::vector<std::string> expected = {
        "Archive Retrieval System header decoded:",
        "ORDER ID",
        field("  Cost number: ", 6),
        field("  SAA number: ", 8),
        field("  Order created: ", 7) + " (year/day)",
        "  Processing site: unknown",
        field("  Processing software: ", 8),
        "DATA SELECTION CRITERIA",
        field("  Data Set Name: ", 42),
        "  Select flag \" \" unrecognised",
        field("  Beginning latitude: ", 3),
        field("  Ending latitude: ", 3),
        field("  Beginning longitude: ", 4),
        field("  Ending longitude: ", 4),
        field("  Start hour (UTC): ", 2),
        field("  Start minute: ", 2),
        field("  Number of minutes: ", 3),
        "  Channels selected: 20 20 20 20 20 20 20 20 20 20 20 20 20 20 20 20 20 20 20 20 ",
        field("  Channels selected: ", 61),
        field("  Appended data flag: ", 1),
        "  Data Set Header details... (KLM)",
        field("    Ascend/Descend flag: ", 1),
        field("    First latitude: ", 3),
        field("    Last latitude: ", 3),
        field("    First longitude: ", 4),
        field("    Last longitude: ", 4),
        field("    Data format: ", 20),
        field("    Record size: ", 6),
        field("    Number of records: ", 6) + " (includes 2 header records)",
        " ",
    };
    EXPECT_EQ(lines, expected);
}

TEST(ArchiveHeader, CodeTablesSelectFlagAndChannelBytes)
{
    THeaderBuilder b;
    b.Name("DSS.GHRR.NP.D10196.S1234.E1345.B1234567.WE").Byte(21, 'D').Byte(74, 'X');
    b.Byte(97, 1).Byte(98, 0).Byte(99, 32).Byte(100, 'A');
    std::vector<std::string> lines;
    const TArchiveSummary s = DecodeArchiveHeader(b.Bytes, lines);
    EXPECT_EQ(s.Satellite, "NOAA-19");
    EXPECT_EQ(s.Summary, "NOAA-19, GAC, 2010 Jul 15, 12:34-13:45 UTC");
    EXPECT_NE(s.Hint.find("Acquired: Western Europe, Lannion, France"), std::string::npos);
    EXPECT_NE(s.Hint.find("Processed: Dundee Satellite Receiving Station"), std::string::npos);
    EXPECT_EQ(lines[5], "  Processing site: DSRS/Dundee");
    EXPECT_EQ(lines[10], "  Select flag \"X\" unrecognised");
    EXPECT_EQ(lines[18].substr(0, 33), "  Channels selected: 01 00 20 41 ");
    EXPECT_EQ(lines[19].substr(0, 34), "  Channels selected: " + std::string(10, ' ') + "A  ");

    // Unknown letters give empty names, kept between the separators.
    b.Name("XYZ.ABCD.NB.D10196.S1234.E1345.B1234567.MX");
    lines.clear();
    const TArchiveSummary unknown = DecodeArchiveHeader(b.Bytes, lines);
    EXPECT_TRUE(unknown.HasSatellite);
    EXPECT_EQ(unknown.Satellite, "");
    EXPECT_EQ(unknown.Summary, ", , 2010 Jul 15, 12:34-13:45 UTC");
    EXPECT_EQ(unknown.Hint.substr(unknown.Hint.find('\n')), "\nAcquired: \nProcessed: ");
}

TEST(ArchiveHeader, PreKlmBlock)
{
    THeaderBuilder b;
    b.Byte(193, 'X').Byte(122, 3).Byte(123, 0x2F);
    b.BE16(124, (5 << 9) | 32).BE32(126, 3723004); // 2005, day 32, 01:02:03.004
    b.BE16(130, 0x012C).BE16(132, (99 << 9) | 0).BE32(134, 0);
    b.Byte(158, 15).BE16(160, 2005).BE16(206, 2005).BE16(208, 2).BE32(210, 43200000);
    b.BE32(214, 7229000).BE32(218, 123456).BE32(222, 9870000).BE32(238, -12345678);
    b.BE32(250, 7500123);
    b.Byte(181, 0x12).Byte(187, 0xAB);
    std::vector<std::string> lines;
    const TArchiveSummary s = DecodeArchiveHeader(b.Bytes, lines);
    auto find = [&](const std::string& prefix) {
        for (const auto& l : lines)
            if (l.rfind(prefix, 0) == 0)
                return l;
        return std::string("<missing " + prefix + ">");
    };
    EXPECT_EQ(find("  Data Set Header"), "  Data Set Header details... (pre-KLM)");
    EXPECT_EQ(find("    Spacecraft ID"), "    Spacecraft ID: 3 => NOAA-14");
    EXPECT_EQ(find("    Data type"), "    Data type: 47 => GAC");
    EXPECT_EQ(find("    Start time"), "    Start time: 2005-02-01 01:02:03");
    EXPECT_EQ(find("    End time"), "    End time:   1998-12-31 00:00:00"); // day 0
    EXPECT_EQ(find("    Number of scans"), "    Number of scans: 300");
    EXPECT_EQ(find("    Nadir tolerance"), "    Nadir tolerance: 1.5 km");
    EXPECT_EQ(find("    Epoch time"), "    Epoch time: 2005-Jan-02 12:00:00.000");
    EXPECT_EQ(find("          Semi-major axis"), "          Semi-major axis: 7229.000 km");
    EXPECT_EQ(find("             Eccentricity"), "             Eccentricity: 0.00123456");
    EXPECT_EQ(find("              Inclination"), "              Inclination: 98.70000 degrees");
    EXPECT_EQ(find("          X : "), "          X : -1234.57 km");
    EXPECT_EQ(find("       X dot"), "       X dot: 7500.12 m/s");
    EXPECT_EQ(find("    Record size"), "    Record size: 12 20 20 20 20 20 ");
    EXPECT_EQ(find("    Number of records"), "    Number of records: AB 20 20 20 20 20 ");
    // No start from the (blank) name: the pre-KLM start takes its place, with no summary.
    EXPECT_EQ(FormatDateTime("yyyy-mm-dd hh:nn:ss", s.Start), "2005-02-01 01:02:03");
    EXPECT_FALSE(s.HasSatellite);
    EXPECT_EQ(s.Summary, "");

    // An epoch year that is no date skips the epoch group only.
    b.BE16(206, 0);
    lines.clear();
    DecodeArchiveHeader(b.Bytes, lines);
    EXPECT_EQ(find("    Epoch time").substr(0, 9), "<missing ");
    EXPECT_EQ(find("    Record size"), "    Record size: 12 20 20 20 20 20 ");
}

TEST(ArchiveHeader, ReadingAppliesCaptionHintAndSatellite)
{
    test::TFakeHost host;
    THeaderBuilder b;
    b.Name(FairbanksName);
    TMemoryStream stream(b.Bytes);
    TDecodeContext context(host);
    ReadArchiveHeader(context, stream);
    EXPECT_EQ(host.Satellite, "NOAA-15");
    EXPECT_EQ(host.WindowCaption, "Veltra - Brenmoor - NOAA-15, , 2005 Jan 01, 23:50-00:41 UTC");
    EXPECT_EQ(host.HintPause, 7000);
    EXPECT_NE(context.ArchiveStart, 0);

    test::TFakeHost blank;
    TMemoryStream blankStream(THeaderBuilder().Bytes);
    TDecodeContext blankContext(blank);
    ReadArchiveHeader(blankContext, blankStream);
    EXPECT_EQ(blank.WindowCaption, "unset");
    EXPECT_EQ(blank.Hint, "unset");

    test::TFakeHost shortHost;
    TMemoryStream shortStream(std::vector<std::uint8_t>(511, ' '));
    TDecodeContext shortContext(shortHost);
    EXPECT_THROW(ReadArchiveHeader(shortContext, shortStream), EReadError);
    EXPECT_TRUE(shortHost.Lines.empty());
}

TEST(ArchiveHeader, RandomBytesNeverFailOutsideTheGuards)
{
    std::mt19937 random(12345);
    for (int round = 0; round < 2000; ++round) {
        std::vector<std::uint8_t> bytes(512);
        for (auto& byte : bytes)
            byte = static_cast<std::uint8_t>(random());
        if (round % 2)
            bytes[193] = ' ';
        if (round % 3 == 0)
            std::memcpy(bytes.data() + 30, FairbanksName, 42);
        std::vector<std::string> lines;
        EXPECT_NO_THROW(DecodeArchiveHeader(bytes, lines));
        EXPECT_EQ(lines.back(), " ");
    }
}
