#include "formats/AappLevel1c.h"
#include "formats/AappLayout.h"

#include <array>
#include <vector>

#include <gtest/gtest.h>

#include "formats/RecordBuilder.h"

namespace veltra::test {
namespace {

constexpr std::int32_t Hirs = 5, AmsuA = 10, AmsuB = 11, Mhs = 12;

std::size_t Index(int i)
{
    return static_cast<std::size_t>(i);
}

// The header record, padded to the size of the scan-line records that follow it.
TRecordBuilder AappHeader(std::size_t recordSize, std::int32_t instrument, std::int32_t records,
                          std::int32_t satellite = 15, bool littleEndian = false)
{
    TRecordBuilder header(recordSize, littleEndian);
    header.Int32(24, satellite).Int32(28, instrument).Int32(72, records);
    return header;
}

// A scan line with footprint i on the equator at longitude i - 30 (all visible) and the value
// base + 100 n + i in value slot n (0-39) from valueStart, slots 4 bytes apart, footprints
// stride bytes apart.
TRecordBuilder AappLine(std::size_t recordSize, int footprints, std::size_t earthLocation,
                        std::size_t valueStart, std::size_t stride, int slots,
                        std::int32_t base = 20000, bool littleEndian = false)
{
    TRecordBuilder line(recordSize, littleEndian);
    for (int i = 0; i < footprints; ++i) {
        line.Place(earthLocation + 8 * Index(i), 0, i - 30);
        for (int n = 0; n < slots; ++n)
            line.Int32(valueStart + stride * Index(i) + 4 * Index(n), base + 100 * n + i);
    }
    return line;
}

TRecordBuilder Level1cHirsLine()
{
    return AappLine(6656, 56, 120, 1476, 80, 20);
}

TRecordBuilder Level1dLine()
{
    return AappLine(15872, 56, 48, 1852, 160, 40);
}

// As the pass runs an AAPP stream: the header, then RecordCount scan lines when the record
// size is known.
void DecodeAapp(TDecoderRig& rig, TStream& stream)
{
    ReadAappHeader(rig.Context, stream);
    for (std::int32_t i = 0; rig.Context.RecordSize != 0 && i < rig.Context.RecordCount; ++i)
        DecodeAappLine(rig.Context, stream);
}

void DecodeFile(TDecoderRig& rig, TInputFamily family, const TByteVector& bytes, int channel,
                const std::string& sensor = "HIRS")
{
    rig.Context.Family = family;
    rig.Context.Channel = channel;
    rig.Host.Sensor = sensor;
    TMemoryStream stream(bytes);
    DecodeAapp(rig, stream);
}

TEST(AappLevel1cTest, SatelliteNames)
{
    const std::pair<std::int32_t, const char*> cases[] = {
        {15, "NOAA-15"},         {3, "NOAA-3"},  {29, "NOAA-29"},
        {2, "Metop-A"},          {1, "Metop-1"}, {0, "Metop-0"},
        {0x0F000000, "NOAA-15"}, // 15 stored the other way round: bytes 0F 00 00 00
        {0x1D000000, "NOAA-29"}, {35, "NOAA"},   {30, "NOAA"},
        {0x1E000000, "NOAA"},
    };
    for (const auto& [identifier, name] : cases) {
        TDecoderRig rig; // an unknown instrument still names the satellite
        TMemoryStream stream(AappHeader(576, 99, 3, identifier).Bytes);
        ReadAappHeader(rig.Context, stream);
        EXPECT_EQ(rig.Host.Satellite, name) << identifier;
        EXPECT_EQ(rig.Host.Hint, "");
    }
}

TEST(AappLevel1cTest, LayoutByFamilyAndInstrument)
{
    struct TCase {
        TInputFamily Family;
        std::int32_t Instrument;
        std::uint8_t Code;
        std::int32_t RecordSize;
    } cases[] = {
        {TInputFamily::ifLevel1c, Hirs, 1, 6656},  {TInputFamily::ifLevel1c, AmsuA, 3, 3072},
        {TInputFamily::ifLevel1c, AmsuB, 4, 4608}, {TInputFamily::ifLevel1c, Mhs, 4, 4608},
        {TInputFamily::ifLevel1c, 7, 9, 0},        {TInputFamily::ifLevel1d, 7, 5, 15872},
    };
    for (const TCase& c : cases) {
        TDecoderRig rig;
        rig.Host.Code = 9; // left from an earlier pass
        rig.Context.Family = c.Family;
        TMemoryStream stream(AappHeader(20000, c.Instrument, -7).Bytes);
        stream.Seek(100, TSeekOrigin::Beginning); // the header is always read from byte 0
        ReadAappHeader(rig.Context, stream);
        EXPECT_EQ(rig.Host.Code, c.Code) << c.Instrument;
        EXPECT_EQ(rig.Context.RecordSize, c.RecordSize) << c.Instrument;
        EXPECT_EQ(rig.Context.RecordCount, -7);
        EXPECT_EQ(stream.Position(), c.RecordSize == 0 ? 576 : c.RecordSize) << c.Instrument;
    }
}

// Where each family and instrument keeps its channel constants: (wavenumber, a, b) per
// channel, HIRS wavenumbers of channels 13-19 in 10^-5. In Level 1d the HIRS band corrections
// are read last and hold the shared slots.
TEST(AappLevel1cTest, ConstantTables)
{
    using TTable = std::array<double, 20> TDecodeContext::*;
    constexpr TTable HirsNu = &TDecodeContext::HirsWavenumber;
    constexpr TTable AmsuNu = &TDecodeContext::AmsuWavenumber;
    constexpr TTable CorrA = &TDecodeContext::BandCorrA;
    constexpr TTable CorrB = &TDecodeContext::BandCorrB;
    struct TExpected {
        TTable Table;
        std::size_t Index;
        double Value;
    };
    struct TCase {
        TInputFamily Family;
        std::int32_t Instrument;
        std::size_t RecordSize;
        std::vector<std::pair<std::size_t, std::int32_t>> Fields;
        std::vector<TExpected> Expected;
    } cases[] = {
        {TInputFamily::ifLevel1c,
         Hirs,
         6656,
         {{84, 669330000}, {88, 2000}, {92, 999980}, {216, 1530000000}, {228, 219000000}},
         {{HirsNu, 0, 669.33},
          {CorrA, 0, 0.002},
          {CorrB, 0, 0.99998},
          {HirsNu, 11, 1530.0},
          {HirsNu, 12, 2190.0},
          {AmsuNu, 0, 0}}},
        {TInputFamily::ifLevel1c,
         AmsuA,
         3072,
         {{88, 793883}, {256, 2968720}, {264, 1000270}},
         {{AmsuNu, 0, 0.793883}, {AmsuNu, 14, 2.96872}, {CorrB, 14, 1.00027}, {HirsNu, 0, 0}}},
        {TInputFamily::ifLevel1c,
         Mhs,
         4608,
         {{88, 2968720}, {136, 6348092}},
         {{AmsuNu, 15, 2.96872}, {AmsuNu, 19, 6.348092}, {AmsuNu, 0, 0}}},
        {TInputFamily::ifLevel1d,
         0,
         15872,
         {{96, 669330000},
          {100, 2000},
          {104, 999980},
          {336, 793883},
          {340, -3100},
          {344, 1000270},
          {516, 2968720},
          {564, 6348092},
          {572, 1000500}},
         {{HirsNu, 0, 669.33},
          {AmsuNu, 0, 0.793883},
          {AmsuNu, 15, 2.96872},
          {AmsuNu, 19, 6.348092},
          {CorrA, 0, 0.002},
          {CorrB, 0, 0.99998},
          {CorrB, 19, 1.0005}}},
    };
    for (const TCase& c : cases) {
        TRecordBuilder header = AappHeader(c.RecordSize, c.Instrument, 0);
        for (const auto& [offset, value] : c.Fields)
            header.BE32(offset, value);
        TDecoderRig rig;
        DecodeFile(rig, c.Family, header.Bytes, 1);
        for (const TExpected& e : c.Expected)
            EXPECT_DOUBLE_EQ((rig.Context.*e.Table)[e.Index], e.Value)
                << c.Instrument << " slot " << e.Index;
    }
}

// Value slot n of footprint i holds 20000 + 100 n + i: 200 K + n + i / 100.
TEST(AappLevel1cTest, Level1dSensorChoosesTheValues)
{
    struct TCase {
        const char* Sensor;
        int Channel;
        int Slot; // (offset - 1852) / 4 in footprint 0
    } cases[] = {
        {"AMSU-A", 1, 20},  // 1932 + 160 i
        {"HIRS", 1, 0},     // 1852 + 160 i
        {"HIRS", 19, 18},   // 1924 + 160 i
        {"AMSU-B", 16, 35}, // 1992 + 160 i
        {"AMSU-B", 20, 39}, // 2008 + 160 i
        {"amsu-a", 1, 0},   // only the exact names choose the microwave values
    };
    const TByteVector file = Join({AappHeader(15872, 0, 1).Bytes, Level1dLine().Bytes});
    for (const TCase& c : cases) {
        TDecoderRig rig;
        DecodeFile(rig, TInputFamily::ifLevel1d, file, c.Channel, c.Sensor);
        ASSERT_EQ(rig.Host.Samples.SampleCount(), 56) << c.Sensor << c.Channel;
        EXPECT_FLOAT_EQ(rig.Host.Samples[0].Temperature, 200.0f + static_cast<float>(c.Slot));
        EXPECT_FLOAT_EQ(rig.Host.Samples[55].Temperature, 200.55f + static_cast<float>(c.Slot));
        EXPECT_EQ(rig.PenColours().at(0),
                  static_cast<TColour>(200 + c.Slot)); // fake colour: whole kelvin
    }
}

TEST(AappLevel1cTest, VisibleChannelIsAGreyLevel)
{
    // Level 1d HIRS channel 20: slot 19 at 1928 + 160 i, 21900 / 20 = 1095, low byte 71.
    TDecoderRig level1d;
    DecodeFile(level1d, TInputFamily::ifLevel1d,
               Join({AappHeader(15872, 0, 1).Bytes, Level1dLine().Bytes}), 20);
    EXPECT_EQ(level1d.Host.Samples[0].Temperature, 0.0f);
    EXPECT_EQ(level1d.PenColours().at(0), 71u * 65793);

    // Level 1c HIRS channel 20 at 1472 + 80 i + 80: 5000 gives 250, 5200 gives 260 wrapping
    // to 4; halves go to even (5010 gives 250, 5030 gives 252).
    TRecordBuilder line = Level1cHirsLine();
    const std::int32_t values[] = {5000, 5200, 5010, 5030};
    const TColour greys[] = {250, 4, 250, 252};
    for (int i = 0; i < 4; ++i)
        line.BE32(1552 + 80 * Index(i), values[i]);
    TDecoderRig level1c;
    DecodeFile(level1c, TInputFamily::ifLevel1c,
               Join({AappHeader(6656, Hirs, 1).Bytes, line.Bytes}), 20);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(level1c.PenColours().at(Index(i)), greys[i] * 65793u) << values[i];
}

TEST(AappLevel1cTest, Level1cAmsuLayouts)
{
    // AMSU-A: footprints at 100 + 8 i, channel c at 768 + 60 i + 4 c.
    TDecoderRig amsuA;
    DecodeFile(amsuA, TInputFamily::ifLevel1c,
               Join({AappHeader(3072, AmsuA, 1).Bytes, AappLine(3072, 30, 100, 772, 60, 15).Bytes}),
               15);
    ASSERT_EQ(amsuA.Host.Samples.SampleCount(), 30);
    EXPECT_FLOAT_EQ(amsuA.Host.Samples[29].Temperature, 214.29f);
    EXPECT_FLOAT_EQ(amsuA.Host.Samples[29].Longitude, -1.0f);

    // AMSU-B and MHS: footprints at 56 + 8 i, channel c at 2144 + 20 i + 4 c; both decode alike.
    const TByteVector line = AappLine(4608, 90, 56, 2208, 20, 5, 25000).Bytes;
    std::vector<std::vector<TCanvasCall>> drawings;
    for (std::int32_t instrument : {AmsuB, Mhs}) {
        TDecoderRig rig;
        rig.Host.Projector.Visible = [](float, float) { return true; };
        DecodeFile(rig, TInputFamily::ifLevel1c,
                   Join({AappHeader(4608, instrument, 1).Bytes, line}), 18, "AMSU-B");
        ASSERT_EQ(rig.Host.Samples.SampleCount(), 90);
        EXPECT_FLOAT_EQ(rig.Host.Samples[89].Temperature, 252.89f);
        drawings.push_back(rig.Host.Canvas.Calls);
    }
    ASSERT_EQ(drawings[0].size(), drawings[1].size());
    for (std::size_t k = 0; k < drawings[0].size(); ++k) {
        EXPECT_EQ(drawings[0][k].What, drawings[1][k].What);
        EXPECT_EQ(drawings[0][k].A, drawings[1][k].A);
        EXPECT_EQ(drawings[0][k].B, drawings[1][k].B);
    }
}

TEST(AappLevel1cTest, WideMapsGetAWiderPen)
{
    const std::pair<int, int> cases[] = {{951, 5}, {950, 3}};
    const TByteVector file = Join({AappHeader(6656, Hirs, 1).Bytes, Level1cHirsLine().Bytes});
    for (const auto& [width, pen] : cases) {
        TDecoderRig rig;
        rig.Host.Canvas = TRecordingCanvas(width, 800);
        DecodeFile(rig, TInputFamily::ifLevel1c, file, 8);
        const auto& calls = rig.Host.Canvas.Calls;
        ASSERT_FALSE(calls.empty());
        EXPECT_EQ(calls.front().What, TCanvasCall::Width);
        EXPECT_EQ(calls.front().A, pen) << width;
        EXPECT_EQ(calls.back().A, 1);
        EXPECT_EQ(rig.Host.Samples.SampleCount(), 56);
        EXPECT_FLOAT_EQ(rig.Host.Samples[0].Temperature, 207.0f); // channel 8: slot 7
    }
}

TEST(AappLevel1cTest, UnknownInstrumentDecodesNothing)
{
    TDecoderRig rig;
    rig.Context.Family = TInputFamily::ifLevel1c;
    rig.Context.Channel = 8;
    TMemoryStream stream(Join({AappHeader(6656, 7, 2).Bytes, Level1cHirsLine().Bytes}));
    ReadAappHeader(rig.Context, stream);
    const std::int64_t position = stream.Position();
    DecodeAappLine(rig.Context, stream);
    EXPECT_EQ(stream.Position(), position);
    EXPECT_TRUE(rig.Host.Canvas.Calls.empty());
    EXPECT_EQ(rig.Host.Satellite, "NOAA-15");
}

TEST(AappLevel1cTest, ShortOrLyingFilesStopAtTheirEnd)
{
    const TByteVector line = Level1cHirsLine().Bytes;
    const TByteVector half(line.begin(), line.begin() + 3000);
    for (std::int32_t count : {2, 0x7FFFFFFF}) {
        TDecoderRig rig;
        EXPECT_THROW(DecodeFile(rig, TInputFamily::ifLevel1c,
                                Join({AappHeader(6656, Hirs, count).Bytes, line, half}), 8),
                     EReadError);
        EXPECT_EQ(rig.Host.Samples.SampleCount(), 56);
        EXPECT_LE(rig.Context.RecordBuffer.capacity(), 2 * 6656u); // one record, never the count
    }
    TDecoderRig negative;
    DecodeFile(negative, TInputFamily::ifLevel1c, Join({AappHeader(6656, Hirs, -5).Bytes, line}),
               8);
    EXPECT_EQ(negative.Host.Samples.SampleCount(), 0);
}

// AAPP writes in the byte order of its computer: Level 1c is told by its instrument
// identifier, Level 1d by which reading of its scan-line count the file can hold (records that
// start in it, a last one cut short included; a negative count never fits).
TEST(AappLevel1cTest, ByteOrderFromTheHeader)
{
    constexpr auto c = TInputFamily::ifLevel1c;
    constexpr auto d = TInputFamily::ifLevel1d;
    struct TCase {
        TInputFamily Family;
        bool LittleEndian;
        std::int32_t Instrument, Count;
        std::int64_t Size; // bytes, in Level 1d records
        bool Native;
    } cases[] = {
        {c, false, Hirs, 1, 2, false},  {c, true, Hirs, 1, 2, true},
        {c, true, AmsuA, 1, 2, true},   {c, true, AmsuB, 1, 2, true},
        {c, true, Mhs, 1, 2, true},     {c, true, 99, 1, 2, false},
        {d, false, 0, 3, 4, false},     {d, true, 0, 3, 4, true},
        {d, true, 0, 3, 3, false},      {d, false, 0, 0, 1, false},
        {d, true, 200, 200, 201, true}, {d, false, 0, 300, 301, false},
    };
    for (const TCase& k : cases) {
        const TByteVector header = AappHeader(576, k.Instrument, k.Count, 15, k.LittleEndian).Bytes;
        EXPECT_EQ(AappByteOrder(k.Family, header, k.Size * 15872) == TByteOrder::LittleEndian,
                  k.Native)
            << k.Instrument << " " << k.Count << " in " << k.Size;
    }
    // A last record cut short still counts as one the file holds.
    const TByteVector header = AappHeader(576, 0, 3, 15, true).Bytes;
    EXPECT_EQ(AappByteOrder(d, header, 3 * 15872 + 1), TByteOrder::LittleEndian);
}

// Native files decode to their stored values at every footprint: HIRS as defined, AMSU-A from
// 832 + 60 i + 4 (c - 1), AMSU-B/MHS from 2228 + 20 i + 4 (c - 16), Level 1d as defined. Value
// slot n of footprint i holds 20000 + 100 n + i, so 200 K + n + i / 100.
TEST(AappLevel1cTest, NativeLayouts)
{
    constexpr auto c = TInputFamily::ifLevel1c;
    constexpr auto d = TInputFamily::ifLevel1d;
    struct TCase {
        TInputFamily Family;
        std::int32_t Instrument;
        std::size_t RecordSize;
        int Footprints;
        std::size_t Location, Values, Stride;
        int Slots;
        const char* Sensor;
        int Channel, Slot;
        std::uint8_t Code;
    } cases[] = {
        {c, Hirs, 6656, 56, 120, 1476, 80, 20, "HIRS", 8, 7, 1},
        {c, AmsuA, 3072, 30, 100, 832, 60, 15, "AMSU-A", 15, 14, 3},
        {c, Mhs, 4608, 90, 56, 2228, 20, 5, "AMSU-B", 18, 2, 4},
        {c, AmsuB, 4608, 90, 56, 2228, 20, 5, "AMSU-B", 16, 0, 4},
        {d, 0, 15872, 56, 48, 1852, 160, 40, "AMSU-A", 1, 20, 5},
        {d, 0, 15872, 56, 48, 1852, 160, 40, "AMSU-B", 20, 39, 5},
        {d, 0, 15872, 56, 48, 1852, 160, 40, "HIRS", 19, 18, 5},
    };
    for (const TCase& k : cases) {
        SCOPED_TRACE(std::string(k.Sensor) + " " + std::to_string(k.Channel));
        const TByteVector line = AappLine(k.RecordSize, k.Footprints, k.Location, k.Values,
                                          k.Stride, k.Slots, 20000, true)
                                     .Bytes;
        TDecoderRig rig;
        rig.Host.Projector.Visible = [](float, float) { return true; };
        DecodeFile(rig, k.Family,
                   Join({AappHeader(k.RecordSize, k.Instrument, 2, 15, true).Bytes, line, line}),
                   k.Channel, k.Sensor);
        ASSERT_EQ(rig.Host.Samples.SampleCount(), 2 * k.Footprints);
        const float first = 200.0f + static_cast<float>(k.Slot);
        EXPECT_FLOAT_EQ(rig.Host.Samples[0].Temperature, first);
        EXPECT_FLOAT_EQ(rig.Host.Samples[k.Footprints - 1].Temperature,
                        first + static_cast<float>(k.Footprints - 1) / 100);
        EXPECT_FLOAT_EQ(rig.Host.Samples[k.Footprints - 1].Longitude,
                        static_cast<float>(k.Footprints - 31));
        EXPECT_EQ(rig.Host.Code, k.Code);
        EXPECT_EQ(rig.Host.Satellite, "NOAA-15");
        EXPECT_EQ(rig.Host.Lines, std::vector<std::string>{"AAPP native layout, little-endian"});
    }
}

// A native header that claims more lines than there are draws what is there and reads one
// record at a time; one cut short before its end is refused like any other.
TEST(AappLevel1cTest, NativeFilesThatLieOrEndEarly)
{
    const TByteVector line = AappLine(4608, 90, 56, 2228, 20, 5, 20000, true).Bytes;
    const TByteVector half(line.begin(), line.begin() + 3000);
    TDecoderRig lying;
    lying.Host.Projector.Visible = [](float, float) { return true; };
    EXPECT_THROW(DecodeFile(lying, TInputFamily::ifLevel1c,
                            Join({AappHeader(4608, Mhs, 0x7FFFFFFF, 15, true).Bytes, line, half}),
                            16, "AMSU-B"),
                 EReadError);
    EXPECT_EQ(lying.Host.Samples.SampleCount(), 90);
    EXPECT_LE(lying.Context.RecordBuffer.capacity(), 2 * 4608u);

    // Level 1d whose count fits neither reading stays big-endian: a negative count, no lines.
    TDecoderRig level1d;
    DecodeFile(level1d, TInputFamily::ifLevel1d,
               Join({AappHeader(15872, 0, 0x7FFFFFFF, 15, true).Bytes, Level1dLine().Bytes}), 1);
    EXPECT_EQ(level1d.Host.Samples.SampleCount(), 0);
    EXPECT_TRUE(level1d.Host.Lines.empty());

    for (const TInputFamily family : {TInputFamily::ifLevel1c, TInputFamily::ifLevel1d}) {
        const TByteVector header = AappHeader(576, Mhs, 2, 15, true).Bytes;
        TDecoderRig cut;
        EXPECT_THROW(DecodeFile(cut, family, TByteVector(header.begin(), header.begin() + 100), 16,
                                "AMSU-B"),
                     EReadError);
        EXPECT_EQ(cut.Host.Samples.SampleCount(), 0);
        EXPECT_EQ(cut.Context.RecordSize, 0);
    }
}

TEST(AappLevel1cTest, DamagedInputOnlyRaisesOurErrors)
{
    const std::int32_t instruments[] = {Hirs, AmsuA, AmsuB, Mhs};
    const TByteVector level1c[] = {
        Join({AappHeader(6656, Hirs, 3).Bytes, Level1cHirsLine().Bytes, Level1cHirsLine().Bytes}),
        Join({AappHeader(3072, AmsuA, 3).Bytes, AappLine(3072, 30, 100, 772, 60, 15).Bytes}),
        Join({AappHeader(4608, AmsuB, 3).Bytes, AappLine(4608, 90, 56, 2208, 20, 5).Bytes}),
        Join({AappHeader(4608, Mhs, 3, 15, true).Bytes,
              AappLine(4608, 90, 56, 2228, 20, 5, 20000, true).Bytes}),
    };
    for (int k = 0; k < 4; ++k) {
        const int first = instruments[k] == AmsuB || instruments[k] == Mhs ? 16 : 1;
        FuzzDecoder(
            level1c[k],
            [first](TDecoderRig& rig, TStream& stream, int round) {
                rig.Context.Family = TInputFamily::ifLevel1c;
                rig.Context.Channel = first + round % 20;
                DecodeAapp(rig, stream);
            },
            80);
    }
    const char* sensors[] = {"HIRS", "AMSU-A", "AMSU-B"};
    const TByteVector nativeLine = AappLine(15872, 56, 48, 1852, 160, 40, 20000, true).Bytes;
    FuzzDecoder(Join({AappHeader(15872, 0, 2, 15, true).Bytes, nativeLine, nativeLine}),
                [&sensors](TDecoderRig& rig, TStream& stream, int round) {
                    rig.Context.Family = TInputFamily::ifLevel1d;
                    rig.Context.Channel = 1 + round % 20;
                    rig.Host.Sensor = sensors[round % 3];
                    DecodeAapp(rig, stream);
                });
}

} // namespace
} // namespace veltra::test
