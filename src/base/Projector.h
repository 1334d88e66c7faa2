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
};

} // namespace veltra
