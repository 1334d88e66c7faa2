#pragma once
// The map transform as the decoders and overlays see it: latitude and longitude in degrees to
// a pixel of the map bitmap, with a flag telling whether the point is visible, plus the map
// size and projection kind. TMapping (mapping/zorMapping.h) is the real one.
#include <cstdint>

namespace veltra {

class TProjector {
public:
    virtual ~TProjector() = default;
    // False when the point is not on the visible part of the projection; x and y are then
    // unspecified for the caller.
    virtual bool LatLonToXY(float latitude, float longitude, std::int32_t& x,
                            std::int32_t& y) const = 0;
    virtual std::int32_t GetWidth() const = 0;
    virtual std::int32_t GetHeight() const = 0;
    // The projection kind code (0 = nothing is projected).
    virtual std::uint8_t ProjectionKind() const = 0;
    // A number that changes whenever the view changes (kind, region, size or any constant the
    // transform depends on), so that pixels projected earlier may be kept while it stays the
    // same. 0 means the view is not tracked: nothing projected may be kept.
    virtual std::uint64_t ViewStamp() const { return 0; }
    // True when the projection shows only the points within a reach of its centre, so that
    // OutOfReach may pass over a box of them.
    virtual bool LimitedReach() const { return false; }
    // True when no point of the box (degrees, south <= north, west <= east) can be visible
    // because the whole box lies beyond the reach: a whole polyline can then be passed over
    // without projecting its points. False whenever that is not certain.
    virtual bool OutOfReach(float south, float north, float west, float east) const
    {
        (void)south, (void)north, (void)west, (void)east;
        return false;
    }
};

// Places every point at pixel (0, 0) of a one-pixel map: for a decoding pass that wants every
// footprint, wherever it lies, and draws none of them.
class TPlaceEverywhere : public TProjector {
public:
    bool LatLonToXY(float, float, std::int32_t& x, std::int32_t& y) const override
    {
        x = y = 0;
        return true;
    }
    std::int32_t GetWidth() const override { return 1; }
    std::int32_t GetHeight() const override { return 1; }
    std::uint8_t ProjectionKind() const override { return 0; }
};

} // namespace veltra
