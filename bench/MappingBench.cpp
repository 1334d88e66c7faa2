// Forward transforms per second for the projections of the main window's menu: plate carree,
// Mercator, orthographic and polar stereographic, on the Europe region at 800 x 600.
// Two spreads of points: footprints over the region shown (most of them visible), and
// footprints of a whole orbit file spread evenly over the globe (for the orthographic most
// fail the reach test after one great-circle distance).
#include <benchmark/benchmark.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <random>
#include <vector>

#include "mapping/zorMapping.h"

namespace {

using veltra::TMapping;

struct TPointSet {
    std::vector<float> Lat, Lon;
};

const TPointSet& Points(bool wholeGlobe)
{
    static const std::array<TPointSet, 2> sets = [] {
        std::array<TPointSet, 2> out;
        std::mt19937 random(20240607);
        std::uniform_real_distribution<double> unit(0.0, 1.0);
        for (int i = 0; i < 8192; ++i) {
            // Over the region: 10E +- 75, 55N +- 37.5.
            out[0].Lat.push_back(static_cast<float>(17.5 + 75 * unit(random)));
            out[0].Lon.push_back(static_cast<float>(-65 + 150 * unit(random)));
            // Evenly over the sphere.
            out[1].Lat.push_back(
                static_cast<float>(std::asin(2 * unit(random) - 1) * 180 / std::numbers::pi));
            out[1].Lon.push_back(static_cast<float>(-180 + 360 * unit(random)));
        }
        return out;
    }();
    return sets[wholeGlobe ? 1 : 0];
}

void Forward(benchmark::State& state)
{
    TMapping mapping;
    mapping.SetProjection(static_cast<std::uint8_t>(state.range(0)));
    veltra::ApplyRegionPreset(mapping, 0);
    mapping.SetWidth(800);
    mapping.SetHeight(600);
    const TPointSet& points = Points(state.range(1) != 0);
    const std::size_t n = points.Lat.size();
    std::int64_t visible = 0;
    for (auto _ : state) {
        for (std::size_t i = 0; i < n; ++i) {
            std::int32_t x = 0, y = 0;
            visible += mapping.LatLonToXY(points.Lat[i], points.Lon[i], x, y);
            benchmark::DoNotOptimize(x);
            benchmark::DoNotOptimize(y);
        }
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(n));
    state.counters["visible"] =
        static_cast<double>(visible) / static_cast<double>(state.iterations() * n);
}

// Arguments: projection kind, spread (0 over the region, 1 over the globe).
BENCHMARK(Forward)->ArgNames({"kind", "globe"})->ArgsProduct({{1, 5, 7, 9}, {0, 1}});

} // namespace
