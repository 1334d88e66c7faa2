// The outline loaders: the minute format, GSHHS, GPX and the text format. The first byte
// chooses the loader and the projection the outlines are then drawn through on a small bitmap;
// the rest is the file. A loader may refuse the file only with the program's own errors, and
// what it loaded must be consistent: each polyline's count and latitude range fit its points.
#include <cstdint>
#include <span>

#include "base/Errors.h"
#include "fuzz/FuzzSupport.h"
#include "imaging/qt/MapCanvas.h"
#include "mapping/zorCartography.h"
#include "mapping/zorMapping.h"

using namespace veltra;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::span<const std::uint8_t> input(data, size);
    const std::uint8_t choice = fuzz::TakeByte(input);
    TCartogList list({}, "");
    try {
        switch (choice % 4) {
        case 0: list.LoadMinuteSegments(input); break;
        case 1: list.LoadGSHHS(input); break;
        case 2: list.LoadGPX(input); break;
        default: list.LoadTextSegments(input); break;
        }
    } catch (const EVeltraError&) {
        // A malformed file ends the load; what was completed stays.
    }
    for (int i = 0; i < list.Count(); ++i) {
        const TLineSegment& segment = list.Items(i);
        fuzz::Check(segment.Count == static_cast<std::int32_t>(segment.Points.size()),
                    "a polyline's count is its number of points");
        // Longitudes of 0-360 keep their points but have their box reduced towards -180-180.
        for (const TLonLat& p : segment.Points)
            fuzz::Check(p.Lat >= segment.MinLat && p.Lat <= segment.MaxLat,
                        "a polyline's bounding box holds its points' latitudes");
    }

    TMapping mapping;
    mapping.SetWidth(64);
    mapping.SetHeight(48);
    mapping.SetProjection(static_cast<std::uint8_t>(choice / 4 % 15));
    mapping.SetLongitudeSpan(150.0f);
    mapping.SetLatitudeSpan(75.0f);
    TRasterCanvas bitmap(&QtCanvasPainter(), 64, 48);
    list.Mapping = &mapping;
    list.Draw(&bitmap, 0, 0);
    return 0;
}
