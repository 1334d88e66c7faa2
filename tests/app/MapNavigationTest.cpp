#include <gtest/gtest.h>

#include <cmath>

#include "app/FakeView.h"
#include "app/MapNavigation.h"
#include "app/VeltraForm.h"
#include "base/Format.h"
#include "formats/Samples.h"
#include "mapping/zorMapping.h"
#include "settings/RegistryVariables.h"

using namespace veltra;

namespace {

constexpr int W = 800, H = 600;

TMapping Europe(std::uint8_t kind)
{
    TMapping m;
    m.SetProjection(kind);
    m.SetWidth(W);
    m.SetHeight(H);
    ApplyRegionPreset(m, 0);
    return m;
}

// Degrees of arc between two points, small distances.
double Apart(float lat1, float lon1, float lat2, float lon2)
{
    double km = 0;
    GreatCircleDistance(lat1, lon1, lat2, lon2, km);
    return km / 111.32;
}

// What one pixel of the view spans near its middle, degrees of arc.
double PixelArc(const TMapping& m)
{
    float lat1 = 0, lon1 = 0, lat2 = 0, lon2 = 0;
    m.XYToLatLon(W / 2, H / 2, lat1, lon1);
    m.XYToLatLon(W / 2, H / 2 + 10, lat2, lon2);
    return Apart(lat1, lon1, lat2, lon2) / 10;
}

struct TKindCase {
    std::uint8_t Kind, ZoomedKind;
};

class NavigationPerKind : public ::testing::TestWithParam<TKindCase> {};

} // namespace

// The point under the cursor stays there through a zoom in and out, in every menu kind; the
// whole-world kinds turn into their zoomed kind without moving the picture first.
TEST_P(NavigationPerKind, ZoomKeepsThePointUnderTheCursor)
{
    TMapping m = Europe(GetParam().Kind);
    TMapNavigation navigation(m);
    const TMapping home = Europe(GetParam().Kind);
    // The zoomed kind takes over the same picture.
    EXPECT_FALSE(navigation.ZoomAt(1, 400, 300));
    EXPECT_EQ(m.Projection, GetParam().ZoomedKind);
    for (float lat = -60; lat <= 60; lat += 30)
        for (float lon = -170; lon <= 170; lon += 40) {
            std::int32_t x = 0, y = 0, hx = 0, hy = 0;
            m.LatLonToXY(lat, lon, x, y);
            home.LatLonToXY(lat, lon, hx, hy);
            EXPECT_LE(std::abs(x - hx) + std::abs(y - hy), 1) << lat << "," << lon;
        }
    for (auto [x, y] : {std::pair{400, 300}, {250, 180}, {620, 420}}) {
        SCOPED_TRACE(Format("kind %d at %d,%d", GetParam().Kind, x, y));
        float lat = 0, lon = 0;
        ASSERT_TRUE(m.XYToLatLon(x, y, lat, lon));
        for (double factor : {2.0, 1.25, 0.5, 3.0}) {
            const float span = m.LatitudeSpan;
            ASSERT_TRUE(navigation.ZoomAt(factor, x, y));
            EXPECT_EQ(m.Projection, GetParam().ZoomedKind);
            EXPECT_NEAR(m.LatitudeSpan, span / factor, span * 1e-5);
            float after = 0, afterLon = 0;
            ASSERT_TRUE(m.XYToLatLon(x, y, after, afterLon));
            EXPECT_LT(Apart(lat, lon, after, afterLon), PixelArc(m));
        }
        std::int32_t px = 0, py = 0;
        m.LatLonToXY(lat, lon, px, py);
        EXPECT_LE(std::abs(px - x) + std::abs(py - y), 1);
    }
    // Back to the preset, every field as the preset left it, at a new size.
    m.SetWidth(640);
    EXPECT_TRUE(navigation.Reset());
    EXPECT_FALSE(navigation.Changed());
    EXPECT_EQ(m.Projection, home.Projection);
    EXPECT_EQ(m.CentreLatitude, home.CentreLatitude);
    EXPECT_EQ(m.CentreLongitude, home.CentreLongitude);
    EXPECT_EQ(m.LatitudeSpan, home.LatitudeSpan);
    EXPECT_EQ(m.LongitudeSpan, home.LongitudeSpan);
    EXPECT_EQ(m.Width, 640);
    EXPECT_FALSE(navigation.Reset());
}

// A drag carries the point grabbed to wherever the cursor goes, measured from the start of
// the drag each time.
TEST_P(NavigationPerKind, DragCarriesTheGrabbedPoint)
{
    TMapping m = Europe(GetParam().Kind);
    TMapNavigation navigation(m);
    navigation.ZoomCentre(2);
    float lat = 0, lon = 0;
    ASSERT_TRUE(m.XYToLatLon(300, 250, lat, lon));
    navigation.BeginPan(300, 250);
    EXPECT_TRUE(navigation.PanTo(360, 200));
    EXPECT_TRUE(navigation.PanTo(420, 330));
    navigation.EndPan();
    float after = 0, afterLon = 0;
    ASSERT_TRUE(m.XYToLatLon(420, 330, after, afterLon));
    EXPECT_LT(Apart(lat, lon, after, afterLon), PixelArc(m));
    EXPECT_FALSE(navigation.PanTo(0, 0)) << "no drag after the button is up";
}

// A pass fitted: every footprint on the bitmap, filling a good part of it.
TEST_P(NavigationPerKind, FitHoldsEveryFootprint)
{
    TMapping m = Europe(GetParam().Kind);
    TMapNavigation navigation(m);
    TSampleList samples;
    samples.Reset();
    for (int line = 0; line < 60; ++line)
        for (int spot = 0; spot < 20; ++spot)
            samples.AddSample(30 + line * 0.2f + spot * 0.05f, -20 + spot * 0.4f - line * 0.05f,
                              250, {line, spot, 0});
    ASSERT_TRUE(navigation.Fit(samples));
    int minX = W, maxX = 0, minY = H, maxY = 0;
    for (std::int32_t i = 0; i < samples.SampleCount(); ++i) {
        std::int32_t x = 0, y = 0;
        ASSERT_TRUE(m.LatLonToXY(samples[i].Latitude, samples[i].Longitude, x, y));
        minX = std::min(minX, x), maxX = std::max(maxX, x);
        minY = std::min(minY, y), maxY = std::max(maxY, y);
    }
    EXPECT_GE(minX, 0);
    EXPECT_LT(maxX, W);
    EXPECT_GE(minY, 0);
    EXPECT_LT(maxY, H);
    EXPECT_GT(std::max((maxX - minX) / double(W), (maxY - minY) / double(H)), 0.6);
    TSampleList none;
    EXPECT_FALSE(navigation.Fit(none));
}

INSTANTIATE_TEST_SUITE_P(MenuKinds, NavigationPerKind,
                         ::testing::Values(TKindCase{pkMercator, pkMercatorZoomed},
                                           TKindCase{pkMercatorZoomed, pkMercatorZoomed},
                                           TKindCase{pkOrthographic, pkOrthographic},
                                           TKindCase{pkPolarStereographic, pkPolarStereographic},
                                           TKindCase{pkPlateCarree, pkPlateCarreeZoomed},
                                           TKindCase{pkPlateCarreeZoomed, pkPlateCarreeZoomed}));

// In the window: a burst of wheel notches and drags draws one pass; the stored projection and
// region stay as they were; choosing a region, even the one shown, brings the preset back.
TEST(NavigationInTheWindow, BurstsCoalesceAndTheSettingsStay)
{
    SetDefaultSettingsStore(std::make_shared<TNullSettingsStore>());
    test::TFakeView view;
    TFormVeltra form(view, {}, "/nonexistent/veltra");
    TRunRequest request;
    request.Projection = pkMercator;
    form.RunOnce(request);
    const std::uint64_t passes = form.RenderPasses;
    form.ImageDisplayMouseWheel(300, 200, 1);
    form.ImageDisplayMouseWheel(300, 200, 2);
    form.ImageDisplayMouseDown(300, 200);
    form.ImageDisplayMouseDrag(320, 210);
    form.ImageDisplayMouseUp();
    EXPECT_EQ(form.RenderPasses, passes) << "nothing drawn before the event loop is idle";
    EXPECT_TRUE(view.Running[TTimerId::Render]);
    form.TimerRenderTimer();
    EXPECT_EQ(form.RenderPasses, passes + 1);
    EXPECT_FALSE(view.Running[TTimerId::Render]);
    EXPECT_EQ(form.Mapping->Projection, pkMercatorZoomed);
    EXPECT_EQ(form.StoredChoices().Projection, pkMercator);
    EXPECT_EQ(form.StoredChoices().Region, 0);

    form.MenuOptionsRegionClick(TMenuItem::RegionEurope);
    EXPECT_EQ(form.RenderPasses, passes + 2);
    EXPECT_EQ(form.Mapping->Projection, pkMercator);
    EXPECT_FALSE(form.Navigation->Changed());
    form.MenuViewZoomInClick();
    form.MenuViewResetViewClick();
    form.TimerRenderTimer();
    EXPECT_EQ(form.Mapping->Projection, pkMercator);
    EXPECT_FALSE(form.Navigation->Changed());
    form.FormDestroy();
}
