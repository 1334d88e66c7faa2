#include "app/FootprintFill.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <unordered_map>

#include "formats/Samples.h"
#include "mapping/zorMapping.h"

namespace veltra {

namespace {

// Footprint numbers and scan lines beyond these are not from a real instrument: such samples
// are left as the pen drew them.
constexpr std::int32_t MaxFootprints = 4096;
constexpr std::int64_t MaxScanLines = std::int64_t{1} << 31;

std::uint64_t GridKey(std::int64_t stream, std::int64_t line, std::int64_t footprint)
{
    return static_cast<std::uint64_t>((stream * MaxScanLines + line) * MaxFootprints + footprint);
}

struct TPlace {
    double X = 0, Y = 0;
    bool Valid = false;
};

class TFootprintGrid {
public:
    TFootprintGrid(const TMapping& mapping, const TSampleList& samples)
        : samples_(samples), places_(static_cast<std::size_t>(samples.SampleCount())),
          jump_(0.75 * mapping.GetWidth())
    {
        for (std::int32_t i = 0; i < samples.SampleCount(); ++i) {
            const TSampleOrigin& o = samples.Origin(i);
            float x = 0, y = 0;
            TPlace& place = places_[static_cast<std::size_t>(i)];
            if (o.Footprint < 0 || o.Footprint >= MaxFootprints || o.ScanLine < 0 || o.Stream < 0 ||
                !mapping.LatLonToXYF(samples[i].Latitude, samples[i].Longitude, x, y))
                continue;
            place = {x, y, std::isfinite(x) && std::isfinite(y)};
            if (place.Valid)
                index_[GridKey(o.Stream, o.ScanLine, o.Footprint)] = i;
        }
    }

    const TPlace& Place(std::int32_t i) const { return places_[static_cast<std::size_t>(i)]; }

    // The neighbour of sample i at the given scan-line and footprint steps, if it is there
    // and on this side of the map edge.
    const TPlace* Neighbour(std::int32_t i, int lineStep, int footprintStep) const
    {
        const TSampleOrigin& o = samples_.Origin(i);
        const std::int64_t line = std::int64_t{o.ScanLine} + lineStep;
        const std::int64_t footprint = std::int64_t{o.Footprint} + footprintStep;
        if (line < 0 || footprint < 0 || footprint >= MaxFootprints)
            return nullptr;
        const auto it = index_.find(GridKey(o.Stream, line, footprint));
        if (it == index_.end())
            return nullptr;
        const TPlace& place = Place(it->second);
        return std::fabs(place.X - Place(i).X) > jump_ ? nullptr : &place;
    }

    // The corner of footprint i towards the given steps: the mean of the four footprints
    // round it, with missing ones mirrored through footprint i. The four are summed in grid
    // order, so the footprints sharing a corner compute the very same point.
    void Corner(std::int32_t i, int lineStep, int footprintStep, double& x, double& y) const
    {
        const TPlace& p = Place(i);
        auto along = [&](int l, int f, double& ax, double& ay) {
            if (const TPlace* n = Neighbour(i, l, f)) {
                ax = n->X, ay = n->Y;
                return true;
            }
            if (const TPlace* m = Neighbour(i, -l, -f)) {
                ax = 2 * p.X - m->X, ay = 2 * p.Y - m->Y;
                return true;
            }
            ax = p.X, ay = p.Y;
            return false;
        };
        double ax, ay, bx, by, dx, dy;
        const bool hasA = along(0, footprintStep, ax, ay);
        const bool hasB = along(lineStep, 0, bx, by);
        // A lone scan line (or a lone footprint column) is as deep as its footprints are
        // apart: the missing direction is the other one turned a right angle.
        const double sign = lineStep * footprintStep;
        if (hasA && !hasB)
            bx = p.X - sign * (ay - p.Y), by = p.Y + sign * (ax - p.X);
        else if (hasB && !hasA)
            ax = p.X + sign * (by - p.Y), ay = p.Y - sign * (bx - p.X);
        const TPlace* d = Neighbour(i, lineStep, footprintStep);
        const bool sides = Neighbour(i, 0, footprintStep) && Neighbour(i, lineStep, 0);
        if (d && sides) {
            dx = d->X, dy = d->Y;
        } else {
            dx = ax + bx - p.X, dy = ay + by - p.Y;
        }
        // Grid order: (line, footprint) ascending.
        double gx[2][2], gy[2][2];
        const int l0 = lineStep < 0 ? 1 : 0, f0 = footprintStep < 0 ? 1 : 0;
        gx[l0][f0] = p.X, gy[l0][f0] = p.Y;
        gx[l0][1 - f0] = ax, gy[l0][1 - f0] = ay;
        gx[1 - l0][f0] = bx, gy[1 - l0][f0] = by;
        gx[1 - l0][1 - f0] = dx, gy[1 - l0][1 - f0] = dy;
        x = (((gx[0][0] + gx[0][1]) + gx[1][0]) + gx[1][1]) / 4;
        y = (((gy[0][0] + gy[0][1]) + gy[1][0]) + gy[1][1]) / 4;
    }

private:
    const TSampleList& samples_;
    std::vector<TPlace> places_;
    std::unordered_map<std::uint64_t, std::int32_t> index_;
    double jump_;
};

} // namespace

void FillPolygon(TCanvas& canvas, const double* xs, const double* ys, int count, TColour colour)
{
    if (count < 3)
        return;
    const double top = *std::min_element(ys, ys + count);
    const double bottom = *std::max_element(ys, ys + count);
    if (!std::isfinite(top) || !std::isfinite(bottom))
        return;
    const int first = std::max(0, static_cast<int>(std::ceil(std::max(top, -1.0))));
    const int last =
        std::min(canvas.Height() - 1, static_cast<int>(std::ceil(std::min(bottom, 1e9))) - 1);
    std::vector<double> crossings;
    for (int row = first; row <= last; ++row) {
        crossings.clear();
        for (int k = 0; k < count; ++k) {
            const int next = (k + 1) % count;
            const double y0 = ys[k], y1 = ys[next];
            // Half-open in y: a vertex row is counted once, edges along a row not at all.
            if ((y0 <= row && row < y1) || (y1 <= row && row < y0))
                crossings.push_back(xs[k] + (row - y0) * (xs[next] - xs[k]) / (y1 - y0));
        }
        std::sort(crossings.begin(), crossings.end());
        for (std::size_t k = 0; k + 1 < crossings.size(); k += 2) {
            const double from = std::max(crossings[k], -1.0);
            const double to = std::min(crossings[k + 1], canvas.Width() + 1.0);
            const int left = std::max(0, static_cast<int>(std::ceil(from)));
            const int right = std::min(canvas.Width(), static_cast<int>(std::ceil(to)));
            if (left < right)
                canvas.FillRect(left, row, right, row + 1, colour);
        }
    }
}

void PaintFilledFootprints(TCanvas& canvas, const TMapping& mapping, const TSampleList& samples,
                           const std::vector<TColour>& colours)
{
    const TFootprintGrid grid(mapping, samples);
    const std::int32_t count =
        std::min(samples.SampleCount(), static_cast<std::int32_t>(colours.size()));
    constexpr int steps[4][2] = {{-1, -1}, {-1, 1}, {1, 1}, {1, -1}};
    for (std::int32_t i = 0; i < count; ++i) {
        if (!grid.Place(i).Valid)
            continue;
        double xs[4], ys[4];
        for (int c = 0; c < 4; ++c)
            grid.Corner(i, steps[c][0], steps[c][1], xs[c], ys[c]);
        FillPolygon(canvas, xs, ys, 4, colours[static_cast<std::size_t>(i)]);
    }
}

} // namespace veltra
