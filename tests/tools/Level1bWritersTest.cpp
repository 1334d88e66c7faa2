// Level 1b files at the byte level: the archive header, the data-set headers and the scan
// lines of HIRS, AMSU-A and AMSU-B, read back with the decoders' forward calibration.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "ReferenceReader.h"
#include "TestPasses.h"
#include "base/Errors.h"
#include "make-samples/Calibration.h"
#include "make-samples/Names.h"
#include "make-samples/Writers.h"

using namespace veltra;
using namespace veltra::samples;
using test::TFile;

namespace {

std::string Text(TFile file, std::size_t offset, std::size_t width)
{
    return ReadText(file, offset, width);
}

double Norm(TFile header, std::size_t offset, double scale)
{
    double sum = 0;
    for (std::size_t i = 0; i < 3; ++i) {
        const double v = ReadBE32(header, offset + 4 * i) * scale;
        sum += v * v;
    }
    return std::sqrt(sum);
}

} // namespace

TEST(Level1bWriters, ArchiveHeaderUsesTheKlmLayout)
{
    const TPassData pass = test::TestPass(TInstrument::AmsuA, 20);
    const TFileBytes file = AmsuALevel1b(pass, "GC");
    const std::string name = Level1bDataSetName(pass, "GC");
    ASSERT_EQ(name.size(), 42u);
    EXPECT_EQ(Text(file, 30, 42), name);
    // The parts of the data set name a reader decodes.
    EXPECT_EQ(Text(file, 30, 3), "NSS");
    EXPECT_EQ(Text(file, 34, 4), "AMAX");
    EXPECT_EQ(Text(file, 39, 2), "NK");
    EXPECT_EQ(Text(file, 43, 5), "08015");
    EXPECT_EQ(Text(file, 50, 4), "0804"); // first line one minute before 08:05
    EXPECT_EQ(Text(file, 56, 4), "0806"); // 20 lines of 8 s later
    EXPECT_EQ(Text(file, 70, 2), "GC");
    EXPECT_EQ(file[193], ' ');
    EXPECT_EQ(file[21], 'A');
    EXPECT_EQ(file[74], 'T');
    EXPECT_EQ(file[146], 'D'); // going south
    EXPECT_EQ(Text(file, 89, 4), "0804");
    EXPECT_EQ(Text(file, 181, 6), "002560");
    EXPECT_EQ(Text(file, 187, 6), "000022"); // scan lines plus two header records
    EXPECT_EQ(Text(file, 97, 20), std::string(15, 'Y') + std::string(5, 'N'));
    EXPECT_EQ(Text(file, 161, 20), "NOAA Level 1b       ");
}

TEST(Level1bWriters, HirsHeaderFields)
{
    const TPassData pass = test::TestPass(TInstrument::Hirs, 5);
    const TFileBytes file = HirsLevel1b(pass, "GC");
    ASSERT_EQ(file.size(), 512u + 6u * 4608u);
    const TFile h = test::Level1bRecord(file, 4608, 0);
    EXPECT_EQ(ReadBE16(h, 128), 5);
    EXPECT_EQ(ReadBE16(h, 130), 5);
    EXPECT_EQ(ReadBE16(h, 84), 2008);
    EXPECT_EQ(ReadBE16(h, 86), 15);
    EXPECT_EQ(ReadBE32(h, 88), (8 * 3600 + 4 * 60) * 1000);
    EXPECT_EQ(ReadBE16(h, 96), 2008);
    EXPECT_EQ(ReadBE16(h, 98), 15);
    EXPECT_EQ(ReadBE32(h, 100), (8 * 3600 + 4 * 60) * 1000 + 4 * 6400);
    EXPECT_EQ(ReadBE16(h, 154), 1); // Gilmore
    EXPECT_EQ(Text(h, 760, 8), "WGS-84  ");
    EXPECT_NEAR(Norm(h, 812, 1e-5), 6371.0 + 850.0, 0.01);
    EXPECT_NEAR(Norm(h, 824, 1e-8), 7.43, 0.01);
    // Wavenumbers: 10^-6 up to channel 12, 10^-5 from channel 13.
    EXPECT_EQ(ReadBE32(h, 520 + 12 * 11), 1530130000);
    EXPECT_EQ(ReadBE32(h, 520 + 12 * 12), 219132000);
    EXPECT_EQ(ReadBE32(h, 520 + 12 * 18 + 8), 999460);
    // Per-filter slope (10^-6) agrees with the scan lines' (10^-9): channel 8 at position 11.
    const TFile line = test::Level1bRecord(file, 4608, 1);
    EXPECT_NEAR(ReadBE32(h, 176 + 16 * 11) * 1e-6, ReadBE32(line, 144 + 12 * 11 + 4) * 1e-9, 1e-4);
    EXPECT_NEAR(ReadBE32(h, 176 + 16 * 11 + 8) * 1e-6, ReadBE32(line, 144 + 12 * 11 + 8) * 1e-6,
                1e-3);
}

TEST(Level1bWriters, HirsScanLinesCalibrateBackToThePass)
{
    TPassData pass = test::TestPass(TInstrument::Hirs, 6);
    pass.Lines[2].Quality = 1;
    const TFileBytes file = HirsLevel1b(pass, "GC");
    for (int l = 0; l < 6; ++l) {
        const TFile r = test::Level1bRecord(file, 4608, l + 1);
        EXPECT_EQ(ReadBE16(r, 18), l == 2 ? 1 : 0);
        EXPECT_EQ(ReadBE16(r, 0), l + 1);
        for (int j = 0; j < 56; ++j) {
            EXPECT_EQ(ReadBE32(r, 1000 + 8 * j), pass.Lines[l].Latitude[j]);
            EXPECT_EQ(ReadBE32(r, 1004 + 8 * j), pass.Lines[l].Longitude[j]);
            for (int c = 1; c <= 20; ++c) {
                const double expected = pass.Value(l, j, c);
                // Short-wave channels in cold scenes are as fine as one count allows; the
                // calibration tests check that the count there is still the nearest.
                const bool coarse = c >= 13 && c <= 19 && expected < 250;
                const double tolerance = c == 20 ? 0.0126 : coarse ? 1.5 : 0.05;
                EXPECT_NEAR(test::HirsValue(file, l, j, c), expected, tolerance)
                    << "line " << l << " footprint " << j << " channel " << c;
            }
        }
    }
}

TEST(Level1bWriters, HirsCountsAreInFilterPositionOrder)
{
    const TPassData pass = test::TestPass(TInstrument::Hirs, 2);
    const TFileBytes file = HirsLevel1b(pass, "GC");
    const TFile r = test::Level1bRecord(file, 4608, 1);
    const std::vector<TStoredConstants> stored = StoredConstants(TInstrument::Hirs);
    // Channel 17 at filter position 2, channel 9 at position 20.
    for (const auto& [channel, countOffset, slopeOffset] :
         {std::tuple{17, 1462, 172}, std::tuple{9, 1498, 388}}) {
        const THirsCalibration c = HirsLineCalibration(channel, 0);
        EXPECT_EQ(ReadBE32(r, static_cast<std::size_t>(slopeOffset)), c.Slope);
        EXPECT_EQ(ReadBE32(r, static_cast<std::size_t>(slopeOffset + 4)), c.Intercept);
        const TChannelConstants k =
            Decode(TInstrument::Hirs, channel, stored[static_cast<std::size_t>(channel - 1)]);
        for (int j = 0; j < 56; ++j)
            EXPECT_EQ(ReadBE16(r, static_cast<std::size_t>(countOffset + 48 * j)),
                      EncodeSignMagnitude(HirsCount(k, c, pass.Value(0, j, channel))));
    }
    // Every count word carries the sign bit or a magnitude below 4096, nothing above bit 12.
    for (int j = 0; j < 56; ++j)
        for (int k = 1; k <= 20; ++k)
            EXPECT_EQ(ReadBE16(r, static_cast<std::size_t>(1458 + 48 * j + 2 * k)) & 0xE000, 0);
}

TEST(Level1bWriters, AmsuAScanLines)
{
    const TPassData pass = test::TestPass(TInstrument::AmsuA, 4);
    const TFileBytes file = AmsuALevel1b(pass, "GC");
    ASSERT_EQ(file.size(), 512u + 5u * 2560u);
    const TFile h = test::Level1bRecord(file, 2560, 0);
    EXPECT_EQ(ReadBE16(h, 144), 4);
    EXPECT_EQ(ReadBE32(h, 688), 793883);
    EXPECT_EQ(ReadBE32(h, 688 + 12 * 14), 2968720);
    int split = 0;
    for (int l = 0; l < 4; ++l) {
        const TFile r = test::Level1bRecord(file, 2560, l + 1);
        for (int i = 0; i < 30; ++i) {
            EXPECT_EQ(ReadBE32(r, 652 + 8 * i), pass.Lines[l].Latitude[i]);
            for (int first : {0, 1}) {
                // Channels 1 and 2: words w and w + 2 hold C and C or C + 1.
                const int a = ReadBE16(r, 904 + 34 * i + 2 * first);
                const int b = ReadBE16(r, 904 + 34 * i + 2 * first + 4);
                EXPECT_TRUE(b == a || b == a + 1);
                EXPECT_EQ((a + b) / 2, a);
                split += b != a;
            }
            for (int c = 1; c <= 15; ++c) {
                const int count = test::AmsuACount(file, l, i, c);
                EXPECT_TRUE(count > 10000 && count < 20000) << count;
                EXPECT_NEAR(test::AmsuAValue(file, l, i, c), pass.Value(l, i, c), 0.05)
                    << "line " << l << " footprint " << i << " channel " << c;
            }
            // Channel 15 is the last word of the 34-byte block.
            EXPECT_EQ(ReadBE16(r, 904 + 34 * i + 32), test::AmsuACount(file, l, i, 15));
        }
    }
    EXPECT_GT(split, 0);
}

TEST(Level1bWriters, AmsuBScanLines)
{
    const TPassData pass = test::TestPass(TInstrument::AmsuB, 5);
    const TFileBytes file = AmsuBLevel1b(pass, "WI");
    ASSERT_EQ(file.size(), 512u + 6u * 3072u);
    EXPECT_EQ(Text(file, 70, 2), "WI");
    const TFile h = test::Level1bRecord(file, 3072, 0);
    EXPECT_EQ(ReadBE16(h, 132), 5);
    EXPECT_EQ(ReadBE32(h, 324), 2968720);
    const std::vector<TStoredConstants> stored = StoredConstants(TInstrument::AmsuB);
    for (int l = 0; l < 5; ++l) {
        const TFile r = test::Level1bRecord(file, 3072, l + 1);
        for (int c : {16, 20}) {
            const TChannelConstants k =
                Decode(TInstrument::AmsuB, c, stored[static_cast<std::size_t>(c - 16)]);
            const TAmsuCalibration cal = AmsuLineCalibration(TInstrument::AmsuB, k, l);
            const std::size_t at = c == 16 ? 60 : 108;
            EXPECT_EQ(ReadBE32(r, at), cal.A2);
            EXPECT_EQ(ReadBE32(r, at + 4), cal.A1);
            EXPECT_EQ(ReadBE32(r, at + 8), cal.A0);
        }
        for (int i = 0; i < 90; ++i) {
            EXPECT_EQ(ReadBE32(r, 756 + 8 * i), pass.Lines[l].Longitude[i]);
            EXPECT_EQ(ReadBE16(r, 1482 + 12 * i), test::AmsuBCount(file, l, i, 16));
            EXPECT_EQ(ReadBE16(r, 1490 + 12 * i), test::AmsuBCount(file, l, i, 20));
            for (int c = 16; c <= 20; ++c)
                EXPECT_NEAR(test::AmsuBValue(file, l, i, c), pass.Value(l, i, c), 0.05)
                    << "line " << l << " footprint " << i << " channel " << c;
        }
    }
}

// MHS: the AMSU-B records behind a header whose conversion constants start at 416.
TEST(Level1bWriters, MhsHeaderKeepsItsConstantsAt416)
{
    const TFileBytes file = Level1b(test::TestPass(TInstrument::Mhs, 2, MetopA()), "GC");
    ASSERT_EQ(file.size(), 512u + 3u * 3072u);
    EXPECT_EQ(Text(file, 34, 4), "MHSX");
    const TFile h = test::Level1bRecord(file, 3072, 0);
    EXPECT_EQ(ReadBE32(h, 416 + 12 * 4), 6348092); // channel 20's wavenumber, 10^-6 cm-1
    EXPECT_EQ(ReadBE32(h, 324), 0);
}

TEST(Level1bWriters, RefuseWhatTheLayoutCannotHold)
{
    EXPECT_THROW(HirsLevel1b(test::TestPass(TInstrument::AmsuA, 2), "GC"), EVeltraError);
    EXPECT_THROW(AmsuALevel1b(test::TestPass(TInstrument::AmsuA, 0), "GC"), EVeltraError);
}

TEST(Level1bWriters, SameInputSameBytes)
{
    const TFileBytes first = Level1b(test::TestPass(TInstrument::Hirs, 3), "GC");
    const TFileBytes second = Level1b(test::TestPass(TInstrument::Hirs, 3), "GC");
    EXPECT_EQ(first, second);
}
