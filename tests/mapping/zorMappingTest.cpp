// The projection object: defaults per kind, setters, derived constants, region presets and
// the unit-level helpers.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>
#include <set>
#include <string>

#include "mapping/MappingTestSupport.h"
#include "mapping/zorMapping.h"

namespace veltra {
namespace {

using test::MakeMapping;
using namespace test;

constexpr double Pi = std::numbers::pi;

TEST(Mapping, NewObjectProjectsNothing)
{
    TMapping mapping;
    EXPECT_EQ(mapping.Projection, pkNone);
    EXPECT_FALSE(mapping.CanLocate());
    for (float lat = -90; lat <= 90; lat += 30)
        for (float lon = -180; lon <= 180; lon += 45) {
            std::int32_t x = 7, y = 9;
            EXPECT_FALSE(mapping.LatLonToXY(lat, lon, x, y));
            EXPECT_EQ(x, 7);
            EXPECT_EQ(y, 9);
        }
    float lat = 0, lon = 0;
    EXPECT_FALSE(mapping.XYToLatLon(0, 0, lat, lon));
}

TEST(Mapping, SetProjectionBringsTheDefaultsOfTheKind)
{
    struct Case {
        std::uint8_t Kind;
        float Scale;
    };
    // On an object of zero size and span the fitted kinds keep (or fall back to) these.
    const Case cases[] = {{3, 0.75f}, {4, 0.4f},  {7, 0.8f},   {8, 0.8f},
                          {9, 1.7f},  {11, 0.4f}, {12, 0.155f}};
    for (const Case& c : cases) {
        TMapping mapping;
        mapping.SetProjection(c.Kind);
        EXPECT_FLOAT_EQ(mapping.Scale, c.Scale) << "kind " << int(c.Kind);
    }

    TMapping mercator;
    mercator.SetCentreLongitude(40);
    mercator.SetLongitudeSpan(100);
    mercator.SetProjection(pkMercator);
    EXPECT_EQ(mercator.CentreLongitude, 0);
    EXPECT_EQ(mercator.LongitudeSpan, 360);
    EXPECT_EQ(mercator.LongitudeMin, -180);

    TMapping zoomed;
    zoomed.SetCentreLongitude(40);
    zoomed.SetProjection(pkPlateCarreeZoomed);
    EXPECT_EQ(zoomed.CentreLongitude, 0);

    // Kind 12 derives its radius from the scale.
    TMapping vdg;
    vdg.SetProjection(pkVanDerGrinten);
    EXPECT_FLOAT_EQ(vdg.VdGRadius, static_cast<float>(0.155 * Pi));
    EXPECT_FLOAT_EQ(vdg.InvVdGRadius, 1.0f / vdg.VdGRadius);
}

TEST(Mapping, WorldMercatorTakesTheRegionCentreWhenAPresetIsApplied)
{
    TMapping mapping = MakeMapping(pkMercator, Europe);
    EXPECT_EQ(mapping.CentreLongitude, 10);
    EXPECT_EQ(mapping.LongitudeSpan, 150);
    // The transform still spans 360 degrees: the map centre is 10 degrees east.
    std::int32_t x = 0, y = 0;
    ASSERT_TRUE(mapping.LatLonToXY(0, 10, x, y));
    EXPECT_EQ(x, 400);
    EXPECT_EQ(y, 300);
}

TEST(Mapping, CentreLatitudeKeepsThePolarKindsOffTheEquator)
{
    for (std::uint8_t kind : {pkPolarStereographic, pkLambertConformal}) {
        TMapping mapping;
        mapping.SetProjection(kind);
        mapping.SetCentreLatitude(0);
        EXPECT_FLOAT_EQ(mapping.CentreLatitude, -0.001f);
        EXPECT_TRUE(mapping.SouthernHemisphere);
        mapping.SetCentreLatitude(0.0005f);
        EXPECT_FLOAT_EQ(mapping.CentreLatitude, 0.001f);
        EXPECT_FALSE(mapping.SouthernHemisphere);
        EXPECT_FLOAT_EQ(mapping.StandardParallel1, 0.001f);
        EXPECT_FLOAT_EQ(mapping.StandardParallel2, 0.001f);
    }
    TMapping ortho;
    ortho.SetProjection(pkOrthographic);
    ortho.SetCentreLatitude(0);
    EXPECT_EQ(ortho.CentreLatitude, 0);
    EXPECT_FALSE(ortho.SouthernHemisphere);

    ortho.SetCentreLatitude(-30);
    EXPECT_TRUE(ortho.SouthernHemisphere);
    EXPECT_FLOAT_EQ(ortho.StandardParallel1, 30);
    EXPECT_FLOAT_EQ(ortho.SinCentreLatitude, -0.5f);
    EXPECT_FLOAT_EQ(ortho.CosCentreLatitude, static_cast<float>(std::cos(Pi / 6)));
    ortho.SetStandardParallel2(-40);
    EXPECT_FLOAT_EQ(ortho.StandardParallel2, 40);
}

TEST(Mapping, LatitudeSpanIsLimitedToHalfACircleExceptForTheWholeGlobe)
{
    for (int kind = 0; kind <= 15; ++kind) {
        TMapping mapping;
        mapping.SetProjection(static_cast<std::uint8_t>(kind));
        mapping.SetLatitudeSpan(200);
        EXPECT_EQ(mapping.LatitudeSpan, kind == pkAzimuthalWorld ? 200 : 180) << kind;
    }
}

TEST(Mapping, FittedKindsFillTheBitmapHeightWithTheLatitudeSpan)
{
    // 0.75 / (2 sin 37.5 degrees)
    for (std::uint8_t kind : {pkAzimuthal, pkOrthographic, pkCassini, pkGnomonic}) {
        TMapping mapping = MakeMapping(kind, Europe);
        EXPECT_NEAR(mapping.Scale, 0.6160, 5e-5) << int(kind);
    }
    // No size yet: the default scales stay.
    TMapping unsized;
    unsized.SetProjection(pkGnomonic);
    ApplyRegionPreset(unsized, Europe);
    EXPECT_FLOAT_EQ(unsized.Scale, 0.4f);
    unsized.SetProjection(pkOrthographic);
    EXPECT_FLOAT_EQ(unsized.Scale, 0.8f);
}

TEST(Mapping, WholeGlobeAzimuthalScale)
{
    // Taller than wide with no latitude span: 1 / 2 pi whatever the size.
    for (auto [w, h] : {std::pair{100, 200}, std::pair{300, 301}, std::pair{1, 5000}}) {
        TMapping mapping;
        mapping.SetProjection(pkAzimuthalWorld);
        mapping.SetWidth(w);
        mapping.SetHeight(h);
        EXPECT_FLOAT_EQ(mapping.Scale, 0.15915494f) << w << "x" << h;
    }
    TMapping wide;
    wide.SetProjection(pkAzimuthalWorld);
    wide.SetWidth(800);
    wide.SetHeight(400);
    EXPECT_FLOAT_EQ(wide.Scale, static_cast<float>(0.5 / (2 * Pi)));

    TMapping fitted = MakeMapping(pkAzimuthalWorld, Europe);
    EXPECT_FLOAT_EQ(fitted.Scale, static_cast<float>(0.75 / (75 * Pi / 180)));
}

TEST(Mapping, PolarStereographicScaleAndPoleOffset)
{
    TMapping pole = MakeMapping(pkPolarStereographic, NorthPole);
    EXPECT_NEAR(pole.Scale, 1.4728, 5e-5);
    EXPECT_NEAR(pole.PolarOffset, 0.0143, 5e-5);
    EXPECT_FLOAT_EQ(pole.InvScale, 1.0f / pole.Scale);

    TMapping europe = MakeMapping(pkPolarStereographic, Europe);
    EXPECT_NEAR(europe.Scale, 1.3244, 5e-5);
    EXPECT_NEAR(europe.PolarOffset, 0.4711, 5e-5);

    TMapping noSpan;
    noSpan.SetProjection(pkPolarStereographic);
    noSpan.SetCentreLatitude(89);
    EXPECT_FLOAT_EQ(noSpan.Scale, 1.7f);
    const double c = std::cos(89 * Pi / 180);
    EXPECT_FLOAT_EQ(noSpan.PolarOffset, static_cast<float>(1.7 * c * c));
}

TEST(Mapping, ZoomedMercatorSlopeFallsBackOnAZeroSpan)
{
    TMapping mapping;
    mapping.SetProjection(pkMercatorZoomed);
    mapping.SetCentreLatitude(20);
    EXPECT_EQ(mapping.MercatorSlope, 1.0f);
    EXPECT_FLOAT_EQ(mapping.MercatorOffset, static_cast<float>(MercatorOrdinate(20)));

    TMapping europe = MakeMapping(pkMercatorZoomed, Europe);
    // From 17.5 to 92.5 degrees; past the pole the ordinate is the latitude itself.
    const double slope = (92.5 - MercatorOrdinate(17.5)) / 75;
    EXPECT_FLOAT_EQ(europe.MercatorSlope, static_cast<float>(slope));
}

TEST(Mapping, LambertConeTouchesAtTheComplementOfTheCentreLatitude)
{
    TMapping mapping = MakeMapping(pkLambertConformal, Europe);
    EXPECT_FLOAT_EQ(mapping.ConeConstant, static_cast<float>(std::sin(35 * Pi / 180)));
    EXPECT_FLOAT_EQ(mapping.InvConeConstant, 1.0f / mapping.ConeConstant);
    EXPECT_FLOAT_EQ(mapping.ConeFactor, static_cast<float>(mapping.ConeConstant * Pi / 180));
    EXPECT_NEAR(mapping.Eccentricity, 0.0818188, 1e-7);
    EXPECT_FLOAT_EQ(mapping.HalfEccentricity, mapping.Eccentricity / 2);

    // A centre on the pole puts both cone parallels on the equator: n = 0, and 1/n faults.
    // The fields after the fault keep what they had.
    const TMapping before = mapping;
    mapping.SetCentreLatitude(90);
    EXPECT_EQ(mapping.ConeConstant, 0);
    EXPECT_EQ(mapping.InvConeConstant, before.InvConeConstant);
    EXPECT_EQ(mapping.ConeScale, before.ConeScale);
    EXPECT_EQ(mapping.ConeRho0, before.ConeRho0);
    EXPECT_EQ(mapping.InvConeFactor, before.InvConeFactor);
}

TEST(Mapping, SizeSettersKeepTheInverseOfAZeroSize)
{
    TMapping mapping = MakeMapping(pkOrthographic, Europe);
    EXPECT_FLOAT_EQ(mapping.InvWidth, 1.0f / 800);
    EXPECT_FLOAT_EQ(mapping.InvHeight, 1.0f / 600);
    EXPECT_EQ(mapping.HalfHeight, 300);
    mapping.SetHeight(0);
    EXPECT_FLOAT_EQ(mapping.InvHeight, 1.0f / 600);
    EXPECT_EQ(mapping.HalfHeight, 0);
    float lat = 0, lon = 0;
    EXPECT_FALSE(mapping.XYToLatLon(400, 0, lat, lon));
    mapping.SetHeight(601);
    EXPECT_EQ(mapping.HalfHeight, 300);
    mapping.SetWidth(0);
    EXPECT_FLOAT_EQ(mapping.InvWidth, 1.0f / 800);
    EXPECT_FALSE(mapping.XYToLatLon(0, 0, lat, lon));

    EXPECT_EQ(MakeMapping(pkMercator, Europe, 800, 600).GetExtentY(), 800);
    EXPECT_EQ(MakeMapping(pkMercator, Europe, 300, 600).GetExtentY(), 600);
    EXPECT_EQ(MakeMapping(pkMercator, Europe, 300, 600).GetExtentX(), 300);
}

TEST(Mapping, RegionPresets)
{
    struct Case {
        int Region;
        float Lon, Lat, LatSpan;
    };
    const Case cases[] = {{0, 10, 55, 75},  {1, 70, 0, 75},    {2, -90, 55, 75},
                          {3, -10, 54, 45}, {4, -50, -25, 45}, {5, 0, 89, 75}};
    for (const Case& c : cases) {
        TMapping mapping;
        mapping.SetProjection(pkOrthographic);
        mapping.SetLatitudeSpan(10);
        EXPECT_TRUE(ApplyRegionPreset(mapping, c.Region));
        EXPECT_EQ(mapping.CentreLongitude, c.Lon) << c.Region;
        EXPECT_EQ(mapping.CentreLatitude, c.Lat) << c.Region;
        EXPECT_EQ(mapping.LatitudeSpan, c.LatSpan) << c.Region;
        EXPECT_EQ(mapping.LongitudeSpan, 150) << c.Region;
    }
    TMapping other;
    other.SetCentreLongitude(33);
    EXPECT_FALSE(ApplyRegionPreset(other, 6));
    EXPECT_FALSE(ApplyRegionPreset(other, -1));
    EXPECT_EQ(other.CentreLongitude, 33);
    EXPECT_EQ(other.LatitudeSpan, 75);
    EXPECT_EQ(other.LongitudeSpan, 150);
}

TEST(Mapping, CanLocateEveryKindWithAnInverseButThePlateCarreeNorth)
{
    for (int kind = 0; kind <= 20; ++kind) {
        TMapping mapping;
        mapping.SetProjection(static_cast<std::uint8_t>(kind));
        const bool expected = kind >= 1 && kind <= 13 && kind != 8;
        EXPECT_EQ(mapping.CanLocate(), expected) << kind;
    }
}

TEST(Mapping, AssignCopiesTheConfiguration)
{
    TMapping source = MakeMapping(pkLambertConformal, Atlantic, 640, 480);
    source.SetStandardParallel1(30);
    source.SetStandardParallel2(60);
    TMapping copy;
    copy.SetProjection(pkOrthographic);
    copy.AssignFrom(source);
    EXPECT_EQ(copy.Projection, pkLambertConformal);
    EXPECT_EQ(copy.Width, 640);
    EXPECT_EQ(copy.Height, 480);
    EXPECT_EQ(copy.CentreLongitude, -10);
    EXPECT_EQ(copy.CentreLatitude, 54);
    EXPECT_EQ(copy.LatitudeSpan, 45);
    EXPECT_EQ(copy.StandardParallel1, 30);
    EXPECT_EQ(copy.StandardParallel2, 60);
    EXPECT_EQ(copy.ConeConstant, source.ConeConstant);
    EXPECT_EQ(copy.ConeRho0, source.ConeRho0);

    // SetProjection(5) resets the centre longitude, the later setter restores it.
    TMapping mercator = MakeMapping(pkMercator, Europe);
    TMapping mercatorCopy;
    mercatorCopy.Assign(mercator);
    EXPECT_EQ(mercatorCopy.CentreLongitude, 10);
    EXPECT_EQ(mercatorCopy.LongitudeSpan, 150);
}

TEST(MappingUnit, GreatCircleDistance)
{
    const double quarter = 6378.135 * Pi / 2;
    double d = -1;
    ASSERT_TRUE(GreatCircleDistance(0, 0, 0, 90, d));
    EXPECT_NEAR(d, quarter, 1e-6);
    ASSERT_TRUE(GreatCircleDistance(90, 0, 0, 123, d));
    EXPECT_NEAR(d, quarter, 1e-6);
    // The centre itself and its antipode: the cosine is clamped, so both have a distance.
    for (double lat : {55.0, -25.0, 89.0, 0.3})
        for (double lon : {10.0, -90.0, 179.9}) {
            ASSERT_TRUE(GreatCircleDistance(lat, lon, lat, lon, d));
            EXPECT_NEAR(d, 0, 0.1);
            ASSERT_TRUE(GreatCircleDistance(lat, lon, -lat, lon + 180, d));
            EXPECT_NEAR(d, 2 * quarter, 0.1);
        }
    d = 42;
    EXPECT_FALSE(GreatCircleDistance(std::nan(""), 0, 0, 0, d));
    EXPECT_FALSE(GreatCircleDistance(0, std::numeric_limits<double>::infinity(), 0, 0, d));
    EXPECT_EQ(d, 42);
}

TEST(MappingUnit, MercatorOrdinateAndItsInverse)
{
    EXPECT_EQ(MercatorOrdinate(0), 0);
    const double m45 = 180 / Pi * std::log(std::tan(Pi / 4 + Pi / 8));
    EXPECT_NEAR(MercatorOrdinate(45), m45, 1e-12);
    EXPECT_NEAR(MercatorOrdinate(-45), -m45, 1e-12);
    // The poles and beyond have no ordinate: the latitude stands in.
    EXPECT_EQ(MercatorOrdinate(90), 90);
    EXPECT_EQ(MercatorOrdinate(-90), -90);
    EXPECT_EQ(MercatorOrdinate(123), 123);
    for (double lat = -89; lat <= 89; lat += 7.25)
        EXPECT_NEAR(MercatorLatitude(MercatorOrdinate(lat)), lat, 1e-9) << lat;
    EXPECT_EQ(MercatorLatitude(0), 0);
    // exp overflows: the ordinate itself comes back.
    EXPECT_EQ(MercatorLatitude(1e6), 1e6);
    EXPECT_EQ(MercatorLatitude(-1e6), -1e6);
    EXPECT_NEAR(MercatorLatitude(1000), 90, 1e-5);
}

TEST(MappingUnit, DegreeSignIsUtf8)
{
    EXPECT_EQ(DegreeSign, "\xC2\xB0");
}

TEST(MappingUnit, SpecialParallelSet)
{
    TSpecialParallels set{2, 4, 9, -1};
    EXPECT_TRUE(set.Contains(2));
    EXPECT_TRUE(set.Contains(4));
    EXPECT_FALSE(set.Contains(0));
    EXPECT_FALSE(set.Contains(9));
    EXPECT_EQ(set.Bits(), 0b10100);
    set.Exclude(2);
    set.Include(7);
    EXPECT_EQ(set.Bits(), 0b10010000);
    EXPECT_TRUE(TSpecialParallels{}.Empty());
}

// One row per code, none beyond 14; the kinds with a command-line name are those of the
// viewer's menu, each with its text, and those a GeoTIFF can reference name their CRS.
TEST(ProjectionKinds, OneRowPerCode)
{
    std::set<int> codes;
    std::set<std::string> names;
    for (const TProjectionKindInfo& kind : ProjectionKinds()) {
        EXPECT_TRUE(codes.insert(kind.Code).second) << int(kind.Code);
        EXPECT_EQ(&ProjectionKindOf(kind.Code), &kind);
        EXPECT_EQ(kind.Name == nullptr, kind.MenuText == nullptr) << int(kind.Code);
        if (kind.Name != nullptr) {
            EXPECT_TRUE(names.insert(kind.Name).second);
        }
    }
    EXPECT_EQ(codes.size(), 15u);
    EXPECT_EQ(names.size(), 6u);
    EXPECT_EQ(ProjectionKindOf(15).Code, pkNone);
    EXPECT_STREQ(ProjectionKindOf(pkPlateCarreeNorth).Crs, "eqc");
    EXPECT_EQ(ProjectionKindOf(pkLambertConformal).Crs, nullptr);
}

} // namespace
} // namespace veltra
