#pragma once
// Gap-free footprints: each footprint of the sample list painted as the quadrilateral that
// reaches halfway to its neighbours along the scan line and on the adjacent scan lines, so
// neighbouring footprints meet edge to edge at any size or zoom. A neighbour that is missing
// (not visible, not decoded) or lies across the map edge (the pen's jump rule: more than three
// quarters of the width away) is not reached across: the footprint's reach on that side is
// mirrored from the other side, as at the edges of the swath and the first and last line.
#include <vector>

#include "base/Canvas.h"

namespace veltra {

class TMapping;
class TSampleList;

// colours: the colour each sample was drawn in, by sample index.
void PaintFilledFootprints(TCanvas& canvas, const TMapping& mapping, const TSampleList& samples,
                           const std::vector<TColour>& colours);

// Fills the pixels whose centres lie inside the polygon (pixel X covers X - 0.5 <= x < X + 0.5,
// as the transforms round); polygons that share an edge share no pixel and leave none out.
void FillPolygon(TCanvas& canvas, const double* xs, const double* ys, int count, TColour colour);

} // namespace veltra
