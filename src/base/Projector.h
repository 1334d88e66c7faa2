#pragma once
// The forward map transform as the decoders and overlays see it: latitude and longitude in
// degrees to a pixel of the map bitmap, with a flag telling whether the point is visible.
// TMapping (mapping/zorMapping.h) is the real one.
#include <cstdint>

namespace veltra {

class TProjector {
public:
    virtual ~TProjector() = default;
    virtual bool LatLonToXY(float latitude, float longitude, std::int32_t& x,
                            std::int32_t& y) const = 0;
};

} // namespace veltra
