// The orbit and scan geometry, and the scene model's ranges and patterns.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

#include "TestPasses.h"
#include "make-samples/Orbit.h"
#include "make-samples/Scene.h"

using namespace veltra::samples;

namespace {

constexpr double Degree = std::numbers::pi / 180.0;

// Great-circle distance in km.
double Distance(const TGroundPoint& a, const TGroundPoint& b)
{
    const double c = std::sin(a.Latitude * Degree) * std::sin(b.Latitude * Degree) +
                     std::cos(a.Latitude * Degree) * std::cos(b.Latitude * Degree) *
                         std::cos((a.Longitude - b.Longitude) * Degree);
    return EarthRadiusKm * std::acos(std::clamp(c, -1.0, 1.0));
}

// Ground distance from nadir of a ray at eta from nadir seen from altitude h (spherical earth).
double ExpectedOffNadir(double altitude, double etaDeg)
{
    const double ratio = (EarthRadiusKm + altitude) / EarthRadiusKm;
    const double eta = etaDeg * Degree;
    return EarthRadiusKm * (std::asin(ratio * std::sin(eta)) - eta);
}

} // namespace

TEST(Orbit, PeriodAndThePointItWasFittedThrough)
{
    const TOrbit noaa = TOrbit::Through(Noaa15(), 50.0, 10.0, true, 29100.0);
    EXPECT_NEAR(noaa.PeriodS() / 60.0, 101.8, 0.2);
    EXPECT_NEAR(TOrbit::Through(MetopA(), 0, 0, false, 0).PeriodS() / 60.0, 101.2, 0.2);
    const TGroundPoint p = noaa.SubSatellitePoint(29100.0);
    EXPECT_NEAR(p.Latitude, 50.0, 1e-6);
    EXPECT_NEAR(p.Longitude, 10.0, 1e-6);
    // Going south, and the equator crossing northwards lies before.
    EXPECT_LT(noaa.SubSatellitePoint(29160.0).Latitude, 50.0);
    EXPECT_NEAR(noaa.SubSatellitePoint(noaa.NodeTime()).Latitude, 0.0, 1e-6);
    EXPECT_LT(noaa.NodeTime(), 29100.0);
    // The highest latitude is 180 - inclination.
    const double apex = noaa.NodeTime() + noaa.PeriodS() / 4;
    EXPECT_NEAR(noaa.SubSatellitePoint(apex).Latitude, 180.0 - 98.7, 1e-6);
}

TEST(Orbit, EarthTurnsUnderTheOrbit)
{
    const TOrbit orbit = TOrbit::Through(Noaa15(), 0.0, 0.0, false, 1000.0);
    const TGroundPoint next = orbit.SubSatellitePoint(1000.0 + orbit.PeriodS());
    EXPECT_NEAR(next.Latitude, 0.0, 1e-6);
    // One revolution later the equator crossing lies about 25.5 degrees further west.
    EXPECT_NEAR(next.Longitude, -orbit.PeriodS() * EarthRotationRadS / Degree, 1e-6);
    EXPECT_NEAR(next.Longitude, -25.5, 0.2);
    EXPECT_EQ(orbit.RevolutionsSinceNode(1000.0 + orbit.PeriodS() + 1), 1);
    EXPECT_EQ(orbit.RevolutionsSinceNode(999.0), -1);
}

TEST(Orbit, ScanSwathsHaveTheirRealWidth)
{
    for (TInstrument instrument :
         {TInstrument::Hirs, TInstrument::AmsuA, TInstrument::AmsuB, TInstrument::Mhs}) {
        const TSatellite satellite = instrument == TInstrument::Mhs ? MetopA() : Noaa15();
        const TOrbit orbit = TOrbit::Through(satellite, 50.0, 10.0, true, 29100.0);
        const TScanGeometry g = ScanGeometry(instrument);
        const TGroundPoint nadir = orbit.SubSatellitePoint(29100.0);
        const TGroundPoint left = orbit.ScanPoint(29100.0, g.ScanAngleDeg(0));
        const TGroundPoint right = orbit.ScanPoint(29100.0, g.ScanAngleDeg(g.Footprints - 1));
        const double edge = ExpectedOffNadir(satellite.AltitudeKm, g.MaxAngleDeg);
        EXPECT_NEAR(Distance(nadir, left), edge, 0.5) << InstrumentName(instrument);
        EXPECT_NEAR(Distance(nadir, right), edge, 0.5) << InstrumentName(instrument);
        // HIRS, about 2250 km wide; the others close to it.
        EXPECT_GT(2 * edge, 2000.0);
        EXPECT_LT(2 * edge, 2400.0);
        // Footprints spread out toward the edges.
        const double centreStep =
            Distance(orbit.ScanPoint(29100.0, g.ScanAngleDeg(g.Footprints / 2)),
                     orbit.ScanPoint(29100.0, g.ScanAngleDeg(g.Footprints / 2 - 1)));
        const double edgeStep = Distance(left, orbit.ScanPoint(29100.0, g.ScanAngleDeg(1)));
        EXPECT_GT(edgeStep, 1.5 * centreStep);
        // Going south-west, the scan starts on the left: the east side.
        EXPECT_GT(left.Longitude, right.Longitude);
        EXPECT_NEAR(orbit.ScanPoint(29100.0, 0.0).Latitude, nadir.Latitude, 1e-9);
    }
}

TEST(Orbit, ScanGeometryOfEachInstrument)
{
    EXPECT_EQ(ScanGeometry(TInstrument::Hirs).Footprints, 56);
    EXPECT_NEAR(ScanGeometry(TInstrument::Hirs).ScanAngleDeg(1) -
                    ScanGeometry(TInstrument::Hirs).ScanAngleDeg(0),
                1.8, 1e-9);
    EXPECT_EQ(ScanGeometry(TInstrument::AmsuA).Footprints, 30);
    EXPECT_NEAR(ScanGeometry(TInstrument::AmsuA).ScanAngleDeg(29), 48.33, 0.01);
    EXPECT_NEAR(ScanGeometry(TInstrument::AmsuB).ScanAngleDeg(1) -
                    ScanGeometry(TInstrument::AmsuB).ScanAngleDeg(0),
                1.1, 1e-9);
    EXPECT_NEAR(ScanGeometry(TInstrument::Mhs).ScanAngleDeg(89), 49.44, 0.01);
    EXPECT_EQ(LinesFor(TInstrument::AmsuB, 8.0), 3);
    EXPECT_EQ(LinesFor(TInstrument::Hirs, 6.5), 2);
}

TEST(Scene, LandMaskKnowsEurope)
{
    struct TPlace {
        const char* Name;
        double Lat, Lon;
        bool Land;
    };
    const TPlace places[] = {
        {"Paris", 48.9, 2.3, true},
        {"Madrid", 40.4, -3.7, true},
        {"Berlin", 52.5, 13.4, true},
        {"Warsaw", 52.2, 21.0, true},
        {"Moscow", 55.8, 37.6, true},
        {"Sahara", 25.0, 10.0, true},
        {"Stockholm region", 61.0, 16.0, true},
        {"Bay of Biscay", 45.5, -5.5, false},
        {"North Sea", 56.5, 3.0, false},
        {"Western Mediterranean", 38.5, 5.0, false},
        {"Mid-Atlantic", 40.0, -35.0, false},
        {"Norwegian Sea", 68.0, 3.0, false},
        {"Central Pacific", 0.0, -150.0, false},
    };
    for (const TPlace& p : places)
        EXPECT_EQ(TSceneModel::LandFraction(p.Lat, p.Lon) > 0.5, p.Land) << p.Name;
}

// Every channel stays in its range and in the viewer's colour range (150-320 K, HIRS up to its
// per-channel maximum), the tropics are warmer than the poles in the window channels, land is
// warmer than sea in the microwave window, and the visible channel is dark at night.
TEST(Scene, ValuesArePlausibleEverywhere)
{
    const TSceneModel scene(15);
    const double hirsMax[20] = {280, 265, 240, 250, 265, 280, 290, 330, 270, 310,
                                275, 260, 300, 290, 280, 260, 350, 340, 340, 320};
    for (double lat = -89.0; lat <= 89.0; lat += 4.5)
        for (double lon = -180.0; lon < 180.0; lon += 7.3) {
            const TSceneState s = scene.At(lat, lon, 29100.0);
            for (TInstrument instrument :
                 {TInstrument::Hirs, TInstrument::AmsuA, TInstrument::AmsuB, TInstrument::Mhs}) {
                const int first = FirstChannel(instrument);
                for (int c = first; c < first + ChannelCount(instrument); ++c) {
                    const double v = scene.Value(instrument, c, s);
                    double low = 0, high = 0;
                    TSceneModel::Range(instrument, c, low, high);
                    ASSERT_GE(v, low);
                    ASSERT_LE(v, high);
                    if (instrument == TInstrument::Hirs && c == 20)
                        continue;
                    ASSERT_GE(v, 150.0);
                    ASSERT_LE(v, instrument == TInstrument::Hirs ? hirsMax[c - 1] : 320.0);
                }
            }
        }
    // Zonal means of the infrared window: tropics warm, poles cold.
    const auto zonal = [&](double lat) {
        double sum = 0;
        for (double lon = -180; lon < 180; lon += 5)
            sum += scene.Value(TInstrument::Hirs, 8, scene.At(lat, lon, 29100.0));
        return sum / 72;
    };
    EXPECT_GT(zonal(0.0), zonal(60.0) + 20);
    EXPECT_GT(zonal(-20.0), zonal(-75.0) + 20);
    // 23.8 GHz over Spain against the Bay of Biscay next to it.
    const double land = scene.Value(TInstrument::AmsuA, 1, scene.At(40.4, -3.7, 29100.0));
    const double sea = scene.Value(TInstrument::AmsuA, 1, scene.At(45.5, -5.5, 29100.0));
    EXPECT_GT(land, sea + 40);
    EXPECT_LT(sea, 210);
    // The visible channel: 0 in the middle of the night, something by day.
    EXPECT_EQ(scene.Value(TInstrument::Hirs, 20, scene.At(45.0, -170.0, 12 * 3600)), 0.0);
    EXPECT_GT(scene.Value(TInstrument::Hirs, 20, scene.At(20.0, 10.0, 12 * 3600)), 3.0);
}

// Neighbouring HIRS footprints differ little: typically a kelvin or so in the window channel
// over central Europe, where the polar front lies (random values would differ by tens), and
// never much in the smooth stratospheric channel.
TEST(Scene, SmoothFromFootprintToFootprint)
{
    const veltra::samples::TPassData pass = veltra::test::TestPass(TInstrument::Hirs, 20);
    const auto steps = [&](int channel) {
        std::vector<double> d;
        for (int l = 0; l < 20; ++l)
            for (int j = 1; j < 56; ++j)
                d.push_back(std::fabs(pass.Value(l, j, channel) - pass.Value(l, j - 1, channel)));
        std::sort(d.begin(), d.end());
        return d;
    };
    const std::vector<double> window = steps(8);
    EXPECT_LT(window[window.size() / 2], 2.0);
    EXPECT_GT(window.back(), 0.5); // not a flat field either
    EXPECT_LT(steps(1).back(), 1.0);
}
