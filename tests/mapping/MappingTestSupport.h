#pragma once
// Shared set-up for the projection tests: a mapping configured as the main window does it.
#include <cstdint>

#include "mapping/zorMapping.h"

namespace veltra::test {

// SetProjection, the region preset (spans 150 and 75 first), then the bitmap size, width
// before height, as the main window does on creation and resize.
inline TMapping MakeMapping(std::uint8_t kind, int region, std::int32_t width = 800,
                            std::int32_t height = 600)
{
    TMapping mapping;
    mapping.SetProjection(kind);
    ApplyRegionPreset(mapping, region);
    mapping.SetWidth(width);
    mapping.SetHeight(height);
    return mapping;
}

enum TRegion { Europe = 0, IndianOcean, NorthAmerica, Atlantic, SouthAmerica, NorthPole };

} // namespace veltra::test
