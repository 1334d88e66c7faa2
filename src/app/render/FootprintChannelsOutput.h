#pragma once
// veltra-render --spectrum LAT,LON: the spectrum of the footprint nearest a point of the Earth,
// over the whole pass whatever the map shows.
#include <iosfwd>
#include <vector>

namespace veltra {

class TFormVeltra;

struct TSpectrumPoint {
    float Latitude = 0, Longitude = 0; // degrees
};

// For each point in turn, the footprint of the displayed channel's pass nearest to it by
// great-circle distance: a header line (SpectrumHeader) and its spectrum's CSV (SpectrumCsv)
// on out. A point further from the nearest footprint than that footprint's size
// (FootprintSizeKm) has none: err tells so. False when any point had none.
bool PrintSpectra(TFormVeltra& form, const std::vector<TSpectrumPoint>& points, std::ostream& out,
                  std::ostream& err);

} // namespace veltra
