// The count a writer stores for a temperature must calibrate back to that temperature with the
// forward formulas of the decoders, using the constants exactly as stored.
#include <gtest/gtest.h>

#include <cmath>

#include "ReferenceReader.h"
#include "make-samples/Calibration.h"
#include "make-samples/Scene.h"

using namespace veltra::samples;
namespace ref = veltra::test;

namespace {

TStoredConstants Stored(TInstrument instrument, int channel)
{
    return StoredConstants(
        instrument)[static_cast<std::size_t>(channel - FirstChannel(instrument))];
}

// Forward HIRS calibration, as a decoder does it: count -> radiance -> T* -> T.
double HirsForward(int channel, const THirsCalibration& c, int count)
{
    const TStoredConstants s = Stored(TInstrument::Hirs, channel);
    const double radiance = count * (c.Slope * 1e-9) + c.Intercept * 1e-6;
    return ref::Temperature(s.Wavenumber, channel <= 12 ? 1e-6 : 1e-5, s.A, s.B, radiance);
}

double AmsuForward(TInstrument instrument, int channel, const TAmsuCalibration& c, int count)
{
    const TStoredConstants s = Stored(instrument, channel);
    const bool a = instrument == TInstrument::AmsuA;
    const double radiance = c.A2 * (a ? 1e-19 : 1e-16) * count * count +
                            c.A1 * (a ? 1e-13 : 1e-10) * count + c.A0 * (a ? 1e-9 : 1e-6);
    return ref::Temperature(s.Wavenumber, 1e-6, s.A, s.B, radiance);
}

} // namespace

TEST(Calibration, SignAndMagnitudeWords)
{
    struct TCase {
        int Count;
        std::uint16_t Word;
    };
    for (const TCase& c : {TCase{5, 0x1005}, TCase{-5, 0x0005}, TCase{0, 0x1000},
                           TCase{4095, 0x1FFF}, TCase{-4095, 0x0FFF}, TCase{-1, 0x0001}}) {
        EXPECT_EQ(EncodeSignMagnitude(c.Count), c.Word) << c.Count;
        EXPECT_EQ(DecodeSignMagnitude(c.Word), c.Count) << c.Count;
        EXPECT_EQ(ref::SignMagnitude(c.Word), c.Count) << c.Count;
    }
    // Out of range magnitudes saturate instead of spilling into the sign bit.
    EXPECT_EQ(EncodeSignMagnitude(5000), 0x1FFF);
    EXPECT_EQ(EncodeSignMagnitude(-5000), 0x0FFF);
    // Bits 13-15 carry nothing.
    EXPECT_EQ(DecodeSignMagnitude(0xF005), 5);
    EXPECT_EQ(DecodeSignMagnitude(0xE005), -5);
}

TEST(Calibration, PlanckFunctionAndItsInverse)
{
    EXPECT_NEAR(PlanckTemperature(100.0, 900.0), 289.34, 0.005);
    EXPECT_NEAR(ref::InversePlanck(100.0, 900.0), 289.34, 0.005);
    for (double nu : {0.79, 6.11, 669.0, 1530.0, 2648.0})
        for (double t : {150.0, 230.0, 310.0})
            EXPECT_NEAR(PlanckTemperature(PlanckRadiance(nu, t), nu), t, 1e-9);
    EXPECT_EQ(PlanckTemperature(0.0, 900.0), 0.0);
    // Published radiances of channel 8 (899.46 cm^-1) at 200 and 300 K.
    EXPECT_NEAR(PlanckRadiance(899.46, 200.0), 13.4, 0.1);
    EXPECT_NEAR(PlanckRadiance(899.46, 300.0), 118.0, 1.0);
}

// Over each channel's whole scene range the stored count is the best one: its temperature is
// nearer the target than either neighbour's. Where one count is finer than 0.1 K (every
// long-wave channel, and the short-wave ones in warm scenes) that means within 0.05 K.
TEST(Calibration, HirsCountsInvertTheLinearCalibration)
{
    for (int channel = 1; channel <= 19; ++channel) {
        const TChannelConstants k =
            Decode(TInstrument::Hirs, channel, Stored(TInstrument::Hirs, channel));
        double low = 0, high = 0;
        TSceneModel::Range(TInstrument::Hirs, channel, low, high);
        for (int line : {0, 57}) {
            const THirsCalibration c = HirsLineCalibration(channel, line);
            for (double t = low; t <= high; t += 0.37) {
                const int count = HirsCount(k, c, t);
                ASSERT_LT(std::abs(count), HirsCountLimit) << "channel " << channel << " " << t;
                const double back = HirsForward(channel, c, count);
                const double error = std::fabs(back - t);
                EXPECT_LE(error, std::fabs(HirsForward(channel, c, count - 1) - t)) << channel;
                EXPECT_LE(error, std::fabs(HirsForward(channel, c, count + 1) - t)) << channel;
                const double step = HirsForward(channel, c, count + 1) - back;
                if (step < 0.1 || channel <= 12 || t >= 250) {
                    EXPECT_LE(error, 0.05) << "channel " << channel << " at " << t << " K";
                }
            }
        }
    }
}

TEST(Calibration, HirsVisibleCountsGiveTheAlbedo)
{
    const THirsCalibration c = HirsLineCalibration(20, 3);
    for (double albedo = 0.0; albedo <= 95.0; albedo += 0.7) {
        const int count = HirsVisibleCount(c, albedo);
        EXPECT_NEAR(count * (c.Slope * 1e-9) + c.Intercept * 1e-6, albedo, 0.0126);
    }
    // 0-100 % stays inside the 12-bit magnitude.
    EXPECT_LT(HirsVisibleCount(c, 100.0), HirsCountLimit);
    EXPECT_GT(HirsVisibleCount(c, 0.0), 0);
}

TEST(Calibration, AmsuCountsInvertTheQuadraticCalibration)
{
    for (TInstrument instrument : {TInstrument::AmsuA, TInstrument::AmsuB, TInstrument::Mhs}) {
        const int first = FirstChannel(instrument);
        for (int channel = first; channel < first + ChannelCount(instrument); ++channel) {
            const TChannelConstants k = Decode(instrument, channel, Stored(instrument, channel));
            for (int line : {0, 100}) {
                const TAmsuCalibration c = AmsuLineCalibration(instrument, k, line);
                // A slight curvature is really there.
                EXPECT_LT(c.A2, 0) << channel;
                for (double t = 150.0; t <= 320.0; t += 0.53) {
                    const int count = AmsuCount(k, c, t);
                    EXPECT_NEAR(AmsuForward(instrument, channel, c, count), t, 0.05)
                        << InstrumentName(instrument) << " channel " << channel;
                }
                // Counts of realistic size: cold space near 12000, 300 K near 18000.
                EXPECT_NEAR(AmsuCount(k, c, 2.7), 12000, 150) << channel;
                EXPECT_NEAR(AmsuCount(k, c, 300.0), 18000, 100) << channel;
            }
        }
    }
}

TEST(Calibration, StoredConstantsUseTheChannelScales)
{
    // HIRS channel 12 near 1530 cm^-1 in 10^-6, channel 13 near 2190 cm^-1 in 10^-5.
    EXPECT_EQ(Stored(TInstrument::Hirs, 12).Wavenumber, 1530130000);
    EXPECT_EQ(Stored(TInstrument::Hirs, 13).Wavenumber, 219132000);
    EXPECT_EQ(Stored(TInstrument::Hirs, 19).A, 313000);
    EXPECT_EQ(Stored(TInstrument::Hirs, 19).B, 999460);
    EXPECT_EQ(StoredConstants(TInstrument::Hirs).size(), 19u);
    EXPECT_EQ(Stored(TInstrument::AmsuA, 1).Wavenumber, 793883);
    EXPECT_EQ(Stored(TInstrument::AmsuB, 16).Wavenumber, 2968720);
    EXPECT_EQ(Stored(TInstrument::Mhs, 17).Wavenumber, 5236956);
    for (TInstrument instrument : {TInstrument::AmsuA, TInstrument::AmsuB, TInstrument::Mhs})
        for (const TStoredConstants& s : StoredConstants(instrument)) {
            EXPECT_NEAR(s.A * 1e-6, 0.0, 0.01);
            EXPECT_NEAR(s.B * 1e-6, 1.0, 0.001);
        }
}

TEST(Calibration, FilterPositionsFollowTheFilterWheel)
{
    // Positions 1 to 20 hold channels 1, 17, 2, 3, 13, 4, 18, 11, 19, 7, 8, 20, 10, 14, 6, 5,
    // 15, 12, 16, 9.
    const int channelAt[21] = {0, 1,  17, 2,  3, 13, 4,  18, 11, 19, 7,
                               8, 20, 10, 14, 6, 5,  15, 12, 16, 9};
    for (int k = 1; k <= 20; ++k)
        EXPECT_EQ(HirsFilterPosition[static_cast<std::size_t>(channelAt[k])], k);
}
