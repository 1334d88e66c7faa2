// AAPP Level 1c and Level 1d files at the byte level.
#include <gtest/gtest.h>

#include <cmath>

#include "ReferenceReader.h"
#include "TestPasses.h"
#include "base/Errors.h"
#include "make-samples/Writers.h"

using namespace veltra;
using namespace veltra::samples;

namespace {

// Where a Level 1c record keeps an instrument's footprints, in the defined layout and in
// AAPP's own little-endian one (channel c at Values + Stride i + 4 c).
struct TLayout {
    TInstrument Instrument;
    bool Native;
    int RecordSize, InstrumentId;
    std::size_t Constants, Location, Values, Stride;
};

constexpr TLayout Layouts[] = {
    {TInstrument::Hirs, false, 6656, 5, 84, 120, 1472, 80},
    {TInstrument::AmsuA, false, 3072, 10, 88, 100, 768, 60},
    {TInstrument::AmsuB, false, 4608, 11, 88, 56, 2144, 20},
    {TInstrument::Mhs, false, 4608, 12, 88, 56, 2144, 20},
    {TInstrument::Hirs, true, 6656, 5, 84, 120, 1472, 80},
    {TInstrument::AmsuA, true, 3072, 10, 88, 100, 828, 60},
    {TInstrument::Mhs, true, 4608, 12, 88, 56, 2164, 20},
};

// A field of the header (line -1) or of a scan line, in the layout's byte order.
std::int32_t Word(const TLayout& layout, const TFileBytes& file, int line, std::size_t offset)
{
    const auto start =
        static_cast<std::size_t>(layout.RecordSize) * static_cast<std::size_t>(line + 1);
    const test::TFile record =
        test::TFile(file).subspan(start, static_cast<std::size_t>(layout.RecordSize));
    return layout.Native ? ReadLE32(record, offset) : ReadBE32(record, offset);
}

void ExpectStoredValue(std::int32_t stored, TInstrument instrument, int channel, double value)
{
    if (instrument == TInstrument::Hirs && channel == 20) {
        // value / 20 is the grey level (0-255) of the albedo.
        EXPECT_NEAR(stored / 20.0, value * 2.55, 0.026) << value;
    } else {
        EXPECT_NEAR(stored / 100.0, value, 0.005) << "channel " << channel;
    }
}

} // namespace

TEST(AappWriters, Level1cHeadersAndRecords)
{
    for (const TLayout& layout : Layouts) {
        SCOPED_TRACE(InstrumentName(layout.Instrument) + (layout.Native ? " native" : ""));
        const TSatellite satellite = layout.Instrument == TInstrument::Mhs ? MetopA() : Noaa15();
        const TPassData pass = test::TestPass(layout.Instrument, 3, satellite);
        const TFileBytes file = Level1c(pass, layout.Native);
        ASSERT_EQ(file.size(), 4u * static_cast<std::size_t>(layout.RecordSize));
        EXPECT_EQ(Word(layout, file, -1, 24), layout.Instrument == TInstrument::Mhs ? 2 : 15);
        EXPECT_EQ(Word(layout, file, -1, 28), layout.InstrumentId);
        EXPECT_EQ(Word(layout, file, -1, 72), 3);
        const std::vector<TStoredConstants> stored = StoredConstants(layout.Instrument);
        for (std::size_t i = 0; i < stored.size(); ++i) {
            EXPECT_EQ(Word(layout, file, -1, layout.Constants + 12 * i), stored[i].Wavenumber);
            EXPECT_EQ(Word(layout, file, -1, layout.Constants + 12 * i + 4), stored[i].A);
            EXPECT_EQ(Word(layout, file, -1, layout.Constants + 12 * i + 8), stored[i].B);
        }
        const int first = FirstChannel(layout.Instrument);
        for (int l = 0; l < 3; ++l)
            for (int i = 0; i < pass.Footprints(); ++i) {
                const auto fp = static_cast<std::size_t>(i);
                EXPECT_EQ(Word(layout, file, l, layout.Location + 8 * fp),
                          pass.Lines[l].Latitude[fp]);
                EXPECT_EQ(Word(layout, file, l, layout.Location + 8 * fp + 4),
                          pass.Lines[l].Longitude[fp]);
                for (int c = first; c < first + ChannelCount(layout.Instrument); ++c)
                    ExpectStoredValue(
                        Word(layout, file, l,
                             layout.Values + layout.Stride * fp + 4 * static_cast<std::size_t>(c)),
                        layout.Instrument, c, pass.Value(l, i, c));
            }
    }
}

TEST(AappWriters, Level1dPutsThreeSensorsOnTheHirsGrid)
{
    const TSceneModel scene(15);
    const TPassData hirs = test::TestPass(TInstrument::Hirs, 3);
    const TPassData amsuA = ResamplePass(scene, hirs, TInstrument::AmsuA);
    const TPassData amsuB = ResamplePass(scene, hirs, TInstrument::AmsuB);
    const TFileBytes file = Level1d(hirs, amsuA, amsuB);
    ASSERT_EQ(file.size(), 4u * 15872u);
    EXPECT_EQ(ReadBE32(file, 24), 15);
    EXPECT_EQ(ReadBE32(file, 72), 3);
    EXPECT_EQ(ReadBE32(file, 96 + 12 * 11), 1530130000); // HIRS channel 12
    EXPECT_EQ(ReadBE32(file, 96 + 12 * 12), 219132000);  // HIRS channel 13, 10^-5
    EXPECT_EQ(ReadBE32(file, 336), 793883);              // AMSU-A channel 1
    EXPECT_EQ(ReadBE32(file, 516), 2968720);             // AMSU-B channel 16
    EXPECT_EQ(ReadBE32(file, 516 + 12 * 4 + 8), StoredConstants(TInstrument::AmsuB)[4].B);
    for (int l = 0; l < 3; ++l)
        for (int i = 0; i < 56; ++i) {
            const auto fp = static_cast<std::size_t>(i);
            EXPECT_EQ(test::AappWord(file, 15872, l, 48 + 8 * fp), hirs.Lines[l].Latitude[fp]);
            EXPECT_EQ(test::AappWord(file, 15872, l, 52 + 8 * fp), hirs.Lines[l].Longitude[fp]);
            for (int c = 1; c <= 20; ++c)
                ExpectStoredValue(test::AappWord(file, 15872, l,
                                                 1848 + 160 * fp + 4 * static_cast<std::size_t>(c)),
                                  TInstrument::Hirs, c, hirs.Value(l, i, c));
            for (int c = 1; c <= 15; ++c)
                ExpectStoredValue(test::AappWord(file, 15872, l,
                                                 1928 + 160 * fp + 4 * static_cast<std::size_t>(c)),
                                  TInstrument::AmsuA, c, amsuA.Value(l, i, c));
            for (int c = 16; c <= 20; ++c)
                ExpectStoredValue(test::AappWord(file, 15872, l,
                                                 1928 + 160 * fp + 4 * static_cast<std::size_t>(c)),
                                  TInstrument::AmsuB, c, amsuB.Value(l, i, c));
        }
}

TEST(AappWriters, StoredForms)
{
    EXPECT_EQ(AappTemperature(254.316), 25432);
    EXPECT_EQ(AappTemperature(150.0), 15000);
    // 40 % albedo is grey 102, stored as 102 x 20.
    EXPECT_EQ(AappVisible(40.0), 2040);
    EXPECT_EQ(AappVisible(100.0), 5100);
    EXPECT_EQ(AappVisible(0.0), 0);
}

TEST(AappWriters, RefuseMismatchedGrids)
{
    const TPassData hirs = test::TestPass(TInstrument::Hirs, 2);
    const TPassData amsuA = test::TestPass(TInstrument::AmsuA, 2); // its own 30-footprint grid
    const TSceneModel scene(15);
    EXPECT_THROW(Level1d(hirs, amsuA, ResamplePass(scene, hirs, TInstrument::AmsuB)), EVeltraError);
    EXPECT_THROW(Level1c(ResamplePass(scene, hirs, TInstrument::AmsuA)), EVeltraError);
}
