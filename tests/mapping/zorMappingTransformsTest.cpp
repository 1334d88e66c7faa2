// The forward and inverse transforms: reach tests, outputs on a false result, reductions,
// faults, round trips for every kind with an inverse, and reference values from an
// independent cartographic library.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "mapping/MappingMath.h"
#include "mapping/MappingTestSupport.h"
#include "mapping/zorMapping.h"

namespace veltra {
namespace {

using namespace test;

constexpr double Pi = 3.14159265358979323846;
constexpr double EarthRadiusKm = 6378.135;

// The latitude due south of (lat0, lon0) at a given great-circle distance.
float LatitudeAtDistanceSouth(float lat0, double km)
{
    return static_cast<float>(lat0 - km / EarthRadiusKm * 180 / Pi);
}

TEST(Transforms, PlateCarreePutsLongitude190WhereMinus170Goes)
{
    for (float centre : {0.0f, 10.0f, -90.0f, 170.0f}) {
        TMapping mapping = MakeMapping(pkPlateCarree, Europe);
        mapping.SetCentreLongitude(centre);
        std::int32_t x1 = 0, y1 = 0, x2 = 0, y2 = 0;
        ASSERT_TRUE(mapping.LatLonToXY(20, 190, x1, y1));
        ASSERT_TRUE(mapping.LatLonToXY(20, -170, x2, y2));
        EXPECT_EQ(x1, x2);
        EXPECT_EQ(y1, y2);
        EXPECT_EQ(x1, 22); // round(800 * 10 / 360) = round(22.2)
    }
}

TEST(Transforms, ZoomedPlateCarreeIsVisibleOutsideTheBitmapButZoomedMercatorIsNot)
{
    TMapping plate = MakeMapping(pkPlateCarreeZoomed, Europe);
    std::int32_t x = 0, y = 0;
    ASSERT_TRUE(plate.LatLonToXY(0, -100, x, y));
    // (-110 + 75) / 150 of the width, and 17.5 degrees below the bottom edge.
    EXPECT_EQ(x, -187);
    EXPECT_EQ(y, 740);

    TMapping mercator = MakeMapping(pkMercatorZoomed, Europe);
    x = y = 12345;
    EXPECT_FALSE(mercator.LatLonToXY(0, -100, x, y));
    // The zoomed Mercator stores the pixel before testing it against the bitmap.
    EXPECT_EQ(x, -187);
    EXPECT_NE(y, 12345);
    ASSERT_TRUE(mercator.LatLonToXY(55, 10, x, y));
}

TEST(Transforms, ZoomedMercatorTestsTheBitmapOnUnroundedValuesInTheSingleVersion)
{
    TMapping mapping = MakeMapping(pkMercatorZoomed, Europe);
    // X = 800 (lon - 10 + 75) / 150 = 799.7: inside unrounded, 800 after rounding.
    const float lon = 84.94375f;
    std::int32_t x = 0, y = 0;
    float fx = 0, fy = 0;
    EXPECT_FALSE(mapping.LatLonToXY(50, lon, x, y));
    EXPECT_EQ(x, 800);
    ASSERT_TRUE(mapping.LatLonToXYF(50, lon, fx, fy));
    EXPECT_NEAR(fx, 799.7, 1e-3);
    EXPECT_NEAR(fy, y, 0.5);
}

TEST(Transforms, OrthographicReachEndsAt6300Km)
{
    TMapping mapping = MakeMapping(pkOrthographic, Europe);
    const float inside = LatitudeAtDistanceSouth(55, 6299.99);
    const float outside = LatitudeAtDistanceSouth(55, 6300.01);
    double d = 0;
    ASSERT_TRUE(GreatCircleDistance(inside, 10, 55, 10, d));
    ASSERT_LT(d, 6300);
    ASSERT_TRUE(GreatCircleDistance(outside, 10, 55, 10, d));
    ASSERT_GE(d, 6300);

    std::int32_t x = -5, y = -6;
    EXPECT_TRUE(mapping.LatLonToXY(inside, 10, x, y));
    EXPECT_EQ(x, 400);
    x = -5;
    y = -6;
    EXPECT_FALSE(mapping.LatLonToXY(outside, 10, x, y));
    EXPECT_EQ(x, -5);
    EXPECT_EQ(y, -6);
    float fx = -5, fy = -6;
    EXPECT_FALSE(mapping.LatLonToXYF(outside, 10, fx, fy));
    EXPECT_EQ(fx, -5);
    EXPECT_EQ(fy, -6);
}

// A box said to be out of reach holds no visible point: random boxes, some across the date
// line, round several centres of every reach-limited kind, each checked on a grid of points.
TEST(Transforms, BoxesOutOfReachHoldNoVisiblePoint)
{
    std::mt19937 random(7);
    std::uniform_real_distribution<float> unit(0, 1);
    int culled = 0, boxes = 0;
    for (std::uint8_t kind : {3, 4, 7, 8, 10, 11})
        for (int region : {Europe, IndianOcean, SouthAmerica, NorthPole}) {
            TMapping mapping = MakeMapping(kind, region);
            for (int b = 0; b < 300; ++b, ++boxes) {
                const float south = -90 + 180 * unit(random);
                const float north = std::min(90.0f, south + 40 * unit(random));
                const float west = -200 + 400 * unit(random);
                const float east = west + (b % 10 == 0 ? 400 : 60) * unit(random);
                if (!mapping.OutOfReach(south, north, west, east))
                    continue;
                ++culled;
                for (int i = 0; i <= 6; ++i)
                    for (int j = 0; j <= 6; ++j) {
                        const float lat = south + (north - south) * i / 6;
                        const float lon = west + (east - west) * j / 6;
                        std::int32_t x = 0, y = 0;
                        ASSERT_FALSE(mapping.LatLonToXY(lat, lon, x, y))
                            << int(kind) << " " << region << " " << lat << " " << lon;
                    }
            }
        }
    EXPECT_GT(culled, boxes / 4);
    EXPECT_LT(culled, boxes * 3 / 4);
}

// Along a meridian the point nearest the centre may lie in reach while the ends of a box
// round it do not; the answer also tells 6299.99 km from 6300.01 km.
TEST(Transforms, BoxesOutOfReachAtTheEdge)
{
    for (const float lat0 : {0.0f, 20.0f}) {
        TMapping mapping = MakeMapping(pkOrthographic, Europe);
        mapping.SetCentreLatitude(lat0);
        mapping.SetCentreLongitude(0);
        const double phi0 = lat0 * Pi / 180;
        for (double dl = 0; dl < 90; dl += 0.25) {
            const auto nearest = static_cast<float>(
                std::atan2(std::sin(phi0), std::cos(phi0) * std::cos(dl * Pi / 180)) * 180 / Pi);
            const auto lon = static_cast<float>(dl);
            std::int32_t x = 0, y = 0;
            if (mapping.LatLonToXY(nearest, lon, x, y)) {
                EXPECT_FALSE(
                    mapping.OutOfReach(nearest - 30, std::min(nearest + 30, 90.0f), lon, lon))
                    << lat0 << " " << dl;
            }
        }
    }
    const TMapping europe = MakeMapping(pkOrthographic, Europe); // centre 55 N 10 E
    const float inside = LatitudeAtDistanceSouth(55, 6299.99);
    const float outside = LatitudeAtDistanceSouth(55, 6300.01);
    EXPECT_FALSE(europe.OutOfReach(inside, inside, 10, 10));
    EXPECT_TRUE(europe.OutOfReach(outside, outside, 10, 10));
    EXPECT_FALSE(europe.OutOfReach(outside - 1, inside, 10, 10));
    EXPECT_FALSE(europe.OutOfReach(std::nanf(""), outside, 10, 10));
    EXPECT_FALSE(MakeMapping(pkPlateCarree, Europe).OutOfReach(-90, -89, 10, 11));
}

// What the transforms set up per view follows every setter: a mapping moved to another
// region and size projects as one made there.
TEST(Transforms, AViewChangedThroughTheSettersProjectsAsANewOne)
{
    for (int kind = 1; kind <= 14; ++kind) {
        TMapping moved = MakeMapping(static_cast<std::uint8_t>(kind), Europe);
        ApplyRegionPreset(moved, SouthAmerica);
        moved.SetWidth(640);
        moved.SetHeight(480);
        const TMapping made = MakeMapping(static_cast<std::uint8_t>(kind), SouthAmerica, 640, 480);
        int visible = 0;
        for (float lat = -89.5f; lat < 90; lat += 4)
            for (float lon = -179.5f; lon < 540; lon += 4) {
                std::int32_t x1 = 0, y1 = 0, x2 = 0, y2 = 0;
                const bool shown = moved.LatLonToXY(lat, lon, x1, y1);
                ASSERT_EQ(shown, made.LatLonToXY(lat, lon, x2, y2))
                    << kind << " " << lat << "," << lon;
                ASSERT_EQ(x1, x2);
                ASSERT_EQ(y1, y2);
                visible += shown;
            }
        EXPECT_GT(visible, 100) << kind;
    }
}

// The orthographic kind decides with polynomial sines and cosines wherever a difference of
// 1e-15 cannot change the answer; the polynomials must stay that close to the library's over
// every angle the transform gives them (|x| <= 8), quadrant edges included.
TEST(Transforms, PolynomialSinesAndCosinesStayWithinTheMarginsBound)
{
    std::vector<double> angles;
    for (int i = -2000000; i <= 2000000; ++i)
        angles.push_back(i * (8.0 / 2000000));
    for (int q = -10; q <= 10; ++q)
        for (double d : {-1e-9, -1e-16, 0.0, 1e-16, 1e-9})
            angles.push_back(q * Pi / 4 + d);
    double worst = 0;
    for (std::size_t i = 0; i < angles.size(); ++i) {
        // Each angle in both places of the pair, beside another.
        const double a = angles[i], b = angles[angles.size() - 1 - i];
        const mapmath::TSinCosPair pair = mapmath::SinCosNear(a, b);
        for (int j = 0; j < 2; ++j) {
            const double angle = j == 0 ? a : b;
            worst = std::max({worst, std::fabs(pair.Sin[j] - std::sin(angle)),
                              std::fabs(pair.Cos[j] - std::cos(angle))});
        }
    }
    EXPECT_LE(worst, 1e-15);
}

// And its pixels and reach are those of the library path, which the single-precision version
// still takes, as are those of the plate carree kinds' unchecked path: random points round
// centres in both hemispheres, across the date line and at several scales, one in ten with a
// latitude off the globe (up to 1e30 degrees), wherever the single-precision pixel leaves the
// rounding unambiguous.
TEST(Transforms, FastPathPixelsAgreeWithTheLibraryPath)
{
    std::mt19937 random(7);
    std::uniform_real_distribution<float> lat(-90, 90), lon(-540, 540), decades(2, 30);
    const auto latitude = [&](int i) {
        if (i % 10 != 0)
            return lat(random);
        const float far = std::pow(10.0f, decades(random));
        return i % 20 == 0 ? far : -far;
    };
    // Span: the latitude span, 0 for the region's; the zoomed kinds take it for both spans.
    const struct {
        std::uint8_t Kind;
        float Lat, Lon, Span;
    } views[] = {{pkOrthographic, 55, 10, 0},       {pkOrthographic, -60, 170, 0},
                 {pkOrthographic, 89.9f, -170, 0},  {pkOrthographic, 10, 179.9f, 60},
                 {pkOrthographic, 0, 0, 1.5f},      {pkPlateCarree, 0, 0, 0},
                 {pkPlateCarreeZoomed, 55, 10, 0},  {pkPlateCarreeZoomed, 0, 179.9f, 7},
                 {pkPlateCarreeNorth, 45, -100, 0}, {pkPlateCarreeZoomed, -80, -175, 0.01f}};
    for (const auto& view : views) {
        TMapping mapping = MakeMapping(view.Kind, Europe);
        mapping.SetCentreLatitude(view.Lat);
        mapping.SetCentreLongitude(view.Lon);
        if (view.Span != 0) {
            mapping.SetLatitudeSpan(view.Span);
            if (view.Kind != pkOrthographic)
                mapping.SetLongitudeSpan(view.Span);
        }
        int compared = 0;
        for (int i = 0; i < 200000; ++i) {
            const float la = latitude(i), lo = lon(random);
            std::int32_t x = 0, y = 0;
            float fx = 0, fy = 0;
            const bool shown = mapping.LatLonToXY(la, lo, x, y);
            const bool library = mapping.LatLonToXYF(la, lo, fx, fy);
            // Beyond the 32-bit range only the single-precision pixel exists.
            if (library && !(std::fabs(fx) < 1e9f && std::fabs(fy) < 1e9f))
                continue;
            ASSERT_EQ(shown, library) << la << "," << lo;
            // Unambiguous: away from a half, and small enough for single precision's steps.
            const auto clear = [](float v) {
                return std::fabs(v) < 4e6f && std::fabs(v - std::floor(v) - 0.5f) > 0.01f;
            };
            if (!shown || !clear(fx) || !clear(fy))
                continue;
            ASSERT_EQ(x, std::lround(fx)) << la << "," << lo;
            ASSERT_EQ(y, std::lround(fy)) << la << "," << lo;
            ++compared;
        }
        EXPECT_GT(compared, 10000) << int{view.Kind} << ": " << view.Lat << "," << view.Lon;
    }
}

TEST(Transforms, GnomonicStoresTheCentrePixelForAPointOnTheHorizon)
{
    TMapping mapping = MakeMapping(pkGnomonic, IndianOcean); // centre (0, 70)
    std::int32_t x = -5, y = -6;
    // 90 degrees of arc along the equator: cos c is 0 (about 6e-17), below 1e-6.
    EXPECT_FALSE(mapping.LatLonToXY(0, 160, x, y));
    EXPECT_EQ(x, 400);
    EXPECT_EQ(y, 300);
    // Past the 12000 km reach the outputs stay as they were.
    x = -5;
    y = -6;
    EXPECT_FALSE(mapping.LatLonToXY(0, 180, x, y));
    EXPECT_EQ(x, -5);
    EXPECT_EQ(y, -6);
    // The centre itself has cos c = 1: also not visible, with the centre pixel stored.
    x = -5;
    EXPECT_FALSE(mapping.LatLonToXY(0, 70, x, y));
    EXPECT_EQ(x, 400);
    EXPECT_TRUE(mapping.LatLonToXY(10, 80, x, y));
}

TEST(Transforms, CassiniWindowIsOpenAtSixtyDegrees)
{
    TMapping mapping = MakeMapping(pkCassini, IndianOcean);
    mapping.SetCentreLongitude(0);
    std::int32_t x = -5, y = -6;
    EXPECT_FALSE(mapping.LatLonToXY(0, 60, x, y));
    EXPECT_FALSE(mapping.LatLonToXY(0, -60, x, y));
    EXPECT_FALSE(mapping.LatLonToXY(60, 0, x, y));
    EXPECT_EQ(x, -5);
    EXPECT_EQ(y, -6);
    EXPECT_TRUE(mapping.LatLonToXY(0, 50, x, y));
    EXPECT_GT(x, 400);
    EXPECT_EQ(y, 300);
    EXPECT_TRUE(mapping.LatLonToXY(-50, 0, x, y));
    EXPECT_EQ(x, 400);
    EXPECT_GT(y, 300);
    float lat = 0, lon = 0;
    EXPECT_FALSE(mapping.XYToLatLon(400, 300, lat, lon));
}

TEST(Transforms, MercatorCentrePixelInvertsToTheCentreLongitude)
{
    for (float centre : {0.0f, 10.0f, -90.0f, 170.0f, -179.5f}) {
        TMapping mapping = MakeMapping(pkMercator, Europe);
        mapping.SetCentreLongitude(centre);
        float lat = 99, lon = 99;
        ASSERT_TRUE(mapping.XYToLatLon(400, 300, lat, lon));
        EXPECT_EQ(lat, 0);
        EXPECT_FLOAT_EQ(lon, centre);
        std::int32_t x = 0, y = 0;
        ASSERT_TRUE(mapping.LatLonToXY(35.5f, centre + 91.25f, x, y));
        ASSERT_TRUE(mapping.XYToLatLon(x, y, lat, lon));
        EXPECT_NEAR(std::remainder(lon - (centre + 91.25f), 360.0f), 0, 360.0 / 800);
    }
}

TEST(Transforms, MercatorPolesAreDrawnAtOrdinate90)
{
    TMapping world = MakeMapping(pkMercator, Europe);
    std::int32_t x = 0, y = 0;
    ASSERT_TRUE(world.LatLonToXY(90, 10, x, y));
    EXPECT_EQ(y, 100); // 300 - 800 * 90 / 360
    ASSERT_TRUE(world.LatLonToXY(-90, 10, x, y));
    EXPECT_EQ(y, 500);

    TMapping zoomed = MakeMapping(pkMercatorZoomed, NorthPole);
    float fx = 0, fy = 0;
    // Visible or not, the zoomed Mercator stores its pixel.
    zoomed.LatLonToXYF(90, 0, fx, fy);
    const double a = (90 - zoomed.MercatorOffset) / zoomed.MercatorSlope;
    EXPECT_NEAR(fy, 600 * (1 - a / 75), 1e-3);
}

TEST(Transforms, VanDerGrintenPolesAndCentralMeridian)
{
    TMapping mapping = MakeMapping(pkVanDerGrinten, NorthAmerica);
    const double r = mapping.VdGRadius;
    for (float lon : {-90.0f, 0.0f, 135.0f}) {
        float fx = 0, fy = 0;
        ASSERT_TRUE(mapping.LatLonToXYF(90, lon, fx, fy));
        EXPECT_FLOAT_EQ(fx, 400);
        EXPECT_NEAR(fy, 300 - r * 800, 1e-3);
        ASSERT_TRUE(mapping.LatLonToXYF(-90, lon, fx, fy));
        EXPECT_FLOAT_EQ(fx, 400);
        EXPECT_NEAR(fy, 300 + r * 800, 1e-3);
    }
    // The central meridian is straight.
    for (float lat : {-60.0f, -10.0f, 20.0f, 80.0f}) {
        std::int32_t x = 0, y = 0;
        ASSERT_TRUE(mapping.LatLonToXY(lat, -90, x, y));
        EXPECT_EQ(x, 400);
    }
}

TEST(Transforms, InverseOffTheGlobeIsFalse)
{
    TMapping ortho = MakeMapping(pkOrthographic, Europe);
    float lat = 0, lon = 0;
    EXPECT_TRUE(ortho.XYToLatLon(400, 300, lat, lon));
    EXPECT_EQ(lat, 55);
    EXPECT_EQ(lon, 10);
    // The globe's radius is Scale = 0.616 widths, 493 pixels.
    EXPECT_TRUE(ortho.XYToLatLon(400 + 490, 300, lat, lon));
    EXPECT_FALSE(ortho.XYToLatLon(400 + 495, 300, lat, lon));
    EXPECT_FALSE(ortho.XYToLatLon(0, 0, lat, lon)); // 0.625 widths from the centre

    // The whole globe ends at 2 pi Scale from the centre.
    TMapping world = MakeMapping(pkAzimuthalWorld, Europe);
    const int edge = static_cast<int>(2 * Pi * world.Scale * 800);
    EXPECT_TRUE(world.XYToLatLon(400 + edge - 2, 300, lat, lon));
    EXPECT_FALSE(world.XYToLatLon(400 + edge + 2, 300, lat, lon));
}

TEST(Transforms, OrthographicInverseLongitudeIsNotReduced)
{
    TMapping mapping = MakeMapping(pkOrthographic, NorthAmerica);
    std::int32_t x = 0, y = 0;
    ASSERT_TRUE(mapping.LatLonToXY(60, 170, x, y));
    float lat = 0, lon = 0;
    ASSERT_TRUE(mapping.XYToLatLon(x, y, lat, lon));
    EXPECT_NEAR(lon, -190, 0.5);
    EXPECT_NEAR(lat, 60, 0.5);
}

TEST(Transforms, ReducedKindsReturnLongitudesInHalfOpenRange)
{
    const std::uint8_t kinds[] = {1, 2, 3, 4, 5, 6, 11, 13, 14};
    for (std::uint8_t kind : kinds)
        for (float centre : {-170.0f, 175.0f, 10.0f}) {
            TMapping mapping = MakeMapping(kind, Atlantic);
            mapping.SetCentreLongitude(centre);
            for (int y = 0; y < 600; y += 25)
                for (int x = 0; x <= 800; x += 5) {
                    float lat = 0, lon = 0;
                    if (mapping.XYToLatLon(x, y, lat, lon)) {
                        EXPECT_GE(lon, -180) << int(kind) << " " << x << "," << y;
                        EXPECT_LT(lon, 180) << int(kind) << " " << x << "," << y;
                    }
                }
        }
}

TEST(Transforms, FaultsAreNotVisibleAndLeaveTheOutputs)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    for (int kind = 0; kind <= 15; ++kind) {
        TMapping mapping = MakeMapping(static_cast<std::uint8_t>(kind), Europe);
        for (auto [lat, lon] : {std::pair{nan, 10.0f}, std::pair{50.0f, nan}, std::pair{inf, 0.0f},
                                std::pair{0.0f, -inf}}) {
            std::int32_t x = 3, y = 4;
            float fx = 3, fy = 4;
            EXPECT_FALSE(mapping.LatLonToXY(lat, lon, x, y)) << kind;
            EXPECT_FALSE(mapping.LatLonToXYF(lat, lon, fx, fy)) << kind;
            EXPECT_EQ(x, 3);
            EXPECT_EQ(y, 4);
            EXPECT_EQ(fx, 3);
            EXPECT_EQ(fy, 4);
        }
        // Far-out longitudes are reduced without looping for ever.
        std::int32_t x = 0, y = 0;
        mapping.LatLonToXY(10, 1e30f, x, y);
        mapping.LatLonToXY(10, -3.0e38f, x, y);
    }
    // A zero longitude span divides by zero.
    TMapping plate = MakeMapping(pkPlateCarreeZoomed, Europe);
    plate.SetLongitudeSpan(0);
    std::int32_t x = 0, y = 0;
    EXPECT_FALSE(plate.LatLonToXY(50, 10, x, y));
    // A pixel far beyond the 32-bit range is no pixel.
    TMapping polar = MakeMapping(pkPolarStereographic, NorthPole);
    EXPECT_FALSE(polar.LatLonToXY(-90, 0, x, y));
    // Latitudes past the pole have no Lambert ordinate.
    TMapping lambert = MakeMapping(pkLambertConformal, Europe);
    EXPECT_FALSE(lambert.LatLonToXY(100, 10, x, y));
}

// Forward then inverse gives back the point within one pixel, for every kind with an
// inverse, over the visible part of the bitmap, for every region preset.
TEST(Transforms, ForwardThenInverseReturnsWithinOnePixel)
{
    struct Reach {
        std::uint8_t Kind;
        double Km;
    };
    const Reach reaches[] = {{3, 12000}, {4, 12000}, {7, 6300}, {10, 10000}, {11, 12000}};
    const std::uint8_t kinds[] = {1, 2, 3, 4, 5, 6, 7, 9, 10, 11, 12, 13, 14};
    for (std::uint8_t kind : kinds)
        for (int region = 0; region <= 5; ++region) {
            const TMapping mapping = MakeMapping(kind, region);
            double reach = 0;
            for (const Reach& r : reaches)
                if (r.Kind == kind)
                    reach = r.Km;
            int checked = 0;
            for (float lat = -88.5f; lat <= 89; lat += 3)
                for (float lon = -179.5f; lon < 180; lon += 3) {
                    std::int32_t x = 0, y = 0;
                    if (!mapping.LatLonToXY(lat, lon, x, y) || x < 0 || x >= 800 || y < 0 ||
                        y >= 600)
                        continue;
                    double d = 0;
                    GreatCircleDistance(lat, lon, mapping.CentreLatitude, mapping.CentreLongitude,
                                        d);
                    if (reach != 0 && d > reach - 200)
                        continue; // the inverse point may fall just past the reach
                    float lat2 = 0, lon2 = 0;
                    ASSERT_TRUE(mapping.XYToLatLon(x, y, lat2, lon2))
                        << "kind " << int(kind) << " region " << region << " at " << lat << ","
                        << lon;
                    std::int32_t x2 = 0, y2 = 0;
                    ASSERT_TRUE(mapping.LatLonToXY(lat2, lon2, x2, y2) || kind == pkMercatorZoomed);
                    EXPECT_LE(std::abs(x2 - x), 1) << "kind " << int(kind) << " region " << region
                                                   << " at " << lat << "," << lon;
                    EXPECT_LE(std::abs(y2 - y), 1) << "kind " << int(kind) << " region " << region
                                                   << " at " << lat << "," << lon;
                    ++checked;
                }
            // The Lambert cone of a centre at 89 degrees touches at 1 degree north: the
            // bitmap only shows the last degree round the pole, which this grid misses.
            if (kind != pkLambertConformal || region != NorthPole) {
                EXPECT_GT(checked, 40) << "kind " << int(kind) << " region " << region;
            }
        }
}

// Reference map coordinates computed once with PROJ 9.1 (`proj -f %.12f` with the
// parameters given per set), in the units of the projection's generating globe. Each set
// repeats one of our configurations; its radius is our single-precision Scale written out, so
// the comparison only sees the rounding of our single-precision fields.
struct TReferencePoint {
    float Lat, Lon;
    double X, Y;
    double TolerancePx = 0.01;
};

enum class TFrame {
    Width,      // X = (x + 0.5) W, Y = halfH - y W
    PolarNorth, // X = H x + W / 2, Y = halfH - H (PolarOffset + y)
    PolarSouth, // X = H x + W / 2, Y = halfH - H (y - PolarOffset)
};

struct TReferenceSet {
    std::string Name; // the PROJ parameters used
    std::uint8_t Kind;
    int Region;
    float Parallel1, Parallel2; // standard parallels set after the preset, 0 for none
    TFrame Frame;
    std::vector<TReferencePoint> Points;
};

const std::vector<TReferenceSet>& ReferenceSets()
{
    // clang-format off
    static const std::vector<TReferenceSet> sets = {
        {"+proj=ortho +lat_0=55 +lon_0=10 +R=0.616004884",
         pkOrthographic, Europe, 0, 0, TFrame::Width,
         {{55, 10, 0, 0},
          {40, -5, -0.122133373360, -0.146262516088},
          {70, 40, 0.105343039357, 0.182555658469},
          {30, 30, 0.182459496391, -0.233980717860},
          {60, -20, -0.154001221000, 0.087490265027},
          {50, 60, 0.303323192828, 0.062174081032}}},
        {"+proj=merc +lon_0=10 +R=0.15915494309189535 (1 / 2 pi)",
         pkMercator, Europe, 0, 0, TFrame::Width,
         {{0, 10, 0, 0},
          {45, -30, -0.111111111111, 0.140274963085},
          {-60, 100, 0.25, -0.209600359139},
          {80, -170, -0.5, 0.387740602037},
          {-33.5f, 151.2f, 0.392222222222, -0.098861099635},
          {64, -22, -0.088888888889, 0.233306557237}}},
        // Our Scale is the diameter of the generating globe: R = Scale / 2.
        {"+proj=stere +lat_0=90 +lon_0=0 +R=0.736413715 +k_0=1",
         pkPolarStereographic, NorthPole, 0, 0, TFrame::PolarNorth,
         {{89, 0, 0, -0.012853170260},
          {60, 30, 0.197321460229, -0.341770794541},
          {45, -100, -0.600796836916, 0.105936692273},
          {75, 170, 0.033670626437, 0.190955611568},
          {30, 90, 0.850337313180, 0}}},
        {"+proj=stere +lat_0=-90 +lon_0=-50 +R=0.87964207 +k_0=1",
         pkPolarStereographic, SouthAmerica, 0, 0, TFrame::PolarSouth,
         {{-25, -50, 0, 1.120787605904},
          {-60, -70, -0.161227873022, 0.442969940514},
          {-10, -30, 0.504895154042, 1.387188034923},
          {-80, 100, 0.076958709085, -0.133296394221},
          {0, -90, -1.130846047110, 1.347689839314}}},
        {"+proj=gnom +lat_0=55 +lon_0=10 +R=0.616004884",
         pkGnomonic, Europe, 0, 0, TFrame::Width,
         {{40, -5, -0.128432452947, -0.153806066258},
          {70, 40, 0.112109593144, 0.194281850248},
          {30, 30, 0.208203625667, -0.266994235753},
          {60, -20, -0.160791047071, 0.091347660952},
          {50, 60, 0.350867558008, 0.071919551485}}},
        {"+proj=aeqd +lat_0=55 +lon_0=10 +R=0.616004884",
         pkAzimuthal, Europe, 0, 0, TFrame::Width,
         {{40, -5, -0.124170099228, -0.148701625414},
          {70, 40, 0.107514949445, 0.186319499713},
          {0, 0, -0.125809046048, -0.584463800412},
          {-20, 60, 0.668591871636, -0.641763422348},
          {80, -150, -0.040541943809, 0.476833459420}}},
        {"+proj=aeqd +lat_0=55 +lon_0=10 +R=0.572957814",
         pkAzimuthalWorld, Europe, 0, 0, TFrame::Width,
         {{-50, -170, 0, 1.750000057633},
          {0, 0, -0.117017377422, -0.543620854548},
          {70, 40, 0.100001691556, 0.173299296862},
          {-80, 100, 0.422477290857, -1.374282131727},
          {20, -120, -0.676709508682, 0.649555324632}}},
        // Our radius 0.155 pi is PROJ's pi R.
        {"+proj=vandg +lon_0=-90 +R=0.1549999967193653",
         pkVanDerGrinten, NorthAmerica, 0, 0, TFrame::Width,
         {{0, -90, 0, 0},
          {45, -60, 0.075402861456, 0.131331867878},
          {-30, 30, 0.316957125284, -0.089653154146},
          {70, 170, -0.210182316268, 0.256075586881},
          {-60, -150, -0.139238146542, -0.192160789236},
          {40, -90, 0, 0.114157659129},
          {0, 0, 0.243473425500, 0},
          // Within 0.001 degree of the pole we draw the pole itself (0, 0.155 pi), 0.6 px
          // from the true position of 89.9999 degrees.
          {89.9999f, -80, 0.000080452810, 0.486224468035, 0.7}}},
        // The cone is set on the complement of the centre latitude (35 for 55), the
        // ellipsoid has the WGS 72 eccentricity and an equatorial radius of 1.095 widths.
        {"+proj=lcc +lat_1=35 +lat_0=55 +lon_0=10 +a=1.095 +es=0.0066943178",
         pkLambertConformal, Europe, 0, 0, TFrame::Width,
         {{55, 10, 0, 0},
          {40, -5, -0.219932321008, -0.278229289962},
          {70, 40, 0.249258061570, 0.370519690534},
          {30, 30, 0.330313207931, -0.452301220742},
          {60, -20, -0.316784447344, 0.152475439798}}},
        // South of the equator the cone is the mirror image of the northern one.
        {"+proj=lcc +lat_1=-65 +lat_0=-25 +lon_0=-50 +a=1.095 +es=0.0066943178",
         pkLambertConformal, SouthAmerica, 0, 0, TFrame::Width,
         {{-25, -50, 0, 0},
          {-40, -70, -0.312006528488, -0.375769570754},
          {-5, -30, 0.573575483273, 0.423266251911},
          {-60, -60, -0.095742412804, -0.728664779590},
          {10, -50, 0, 1.006885690612}}},
        // Two standard parallels 30 and 60 put the cone on 60 and 30.
        {"+proj=lcc +lat_1=60 +lat_2=30 +lat_0=55 +lon_0=10 +a=1.095 +es=0.0066943178",
         pkLambertConformal, Europe, 30, 60, TFrame::Width,
         {{55, 10, 0, 0},
          {40, -5, -0.212148698568, -0.257537221636},
          {70, 40, 0.208140444970, 0.332269544421},
          {30, 30, 0.327860533147, -0.423516704270},
          {60, -20, -0.280713890229, 0.147749105268}}},
    };
    // clang-format on
    return sets;
}

TEST(Transforms, AgreeWithIndependentReferenceValues)
{
    for (const TReferenceSet& set : ReferenceSets()) {
        TMapping mapping = MakeMapping(set.Kind, set.Region);
        if (set.Parallel1 != 0) {
            mapping.SetStandardParallel1(set.Parallel1);
            mapping.SetStandardParallel2(set.Parallel2);
        }
        const double w = mapping.Width, h = mapping.Height, halfH = mapping.HalfHeight;
        for (const TReferencePoint& p : set.Points) {
            double ex = 0, ey = 0;
            switch (set.Frame) {
            case TFrame::Width:
                ex = (p.X + 0.5) * w;
                ey = halfH - p.Y * w;
                break;
            case TFrame::PolarNorth:
                ex = h * p.X + w / 2;
                ey = halfH - h * (mapping.PolarOffset + p.Y);
                break;
            case TFrame::PolarSouth:
                ex = h * p.X + w / 2;
                ey = halfH - h * (p.Y - mapping.PolarOffset);
                break;
            }
            float fx = 0, fy = 0;
            ASSERT_TRUE(mapping.LatLonToXYF(p.Lat, p.Lon, fx, fy))
                << set.Name << " at " << p.Lat << "," << p.Lon;
            EXPECT_NEAR(fx, ex, p.TolerancePx) << set.Name << " at " << p.Lat << "," << p.Lon;
            EXPECT_NEAR(fy, ey, p.TolerancePx) << set.Name << " at " << p.Lat << "," << p.Lon;
            std::int32_t x = 0, y = 0;
            ASSERT_TRUE(mapping.LatLonToXY(p.Lat, p.Lon, x, y));
            EXPECT_EQ(x, static_cast<std::int32_t>(std::nearbyint(fx)));
            EXPECT_EQ(y, static_cast<std::int32_t>(std::nearbyint(fy)));
        }
    }
}

} // namespace
} // namespace veltra
