#include "formats/DecodeContext.h"

#include <cmath>
#include <cstdlib>

#include "base/Errors.h"

namespace veltra {

TBytes TDecodeContext::ReadRecord(TStream& stream)
{
    if (RecordSize <= 0)
        throw EReadError("No record size known");
    if (const std::uint8_t* held = stream.ReadInPlace(RecordSize))
        return TBytes(held, static_cast<std::size_t>(RecordSize));
    RecordBuffer.resize(static_cast<size_t>(RecordSize));
    stream.ReadBuffer(RecordBuffer.data(), RecordSize);
    return TBytes(RecordBuffer.data(), RecordBuffer.size());
}

TBytes TDecodeContext::ReadHeader(TStream& stream, std::int32_t size)
{
    if (size <= 0)
        throw EReadError("No header size known");
    RecordBuffer.assign(static_cast<size_t>(size), 0);
    stream.ReadBuffer(RecordBuffer.data(), size);
    return TBytes(RecordBuffer.data(), RecordBuffer.size());
}

TScanLinePen BeginScanLine(TDecodeContext& context, int penWidth)
{
    context.LineCanvas = &context.Host.MapCanvas();
    context.LineProjection = &context.Host.Projection();
    context.LineJumpLimit = (3 * static_cast<std::int64_t>(context.LineCanvas->Width())) / 4;
    context.LineCanvas->SetPenWidth(penWidth);
    return TScanLinePen{};
}

void EndScanLine(TDecodeContext& context)
{
    context.LineCanvas->SetPenWidth(1);
}

bool LocateFootprint(const TDecodeContext& context, TBytes record, std::size_t locations,
                     std::size_t footprint, TFootprintPlace& place)
{
    const std::size_t offset = locations + 8 * footprint;
    place.Footprint = static_cast<std::int32_t>(footprint);
    place.Latitude = static_cast<float>(ReadScaled(record, offset, 1e-4, context.Order));
    place.Longitude = static_cast<float>(ReadScaled(record, offset + 4, 1e-4, context.Order));
    return context.LineProjection->LatLonToXY(place.Latitude, place.Longitude, place.X, place.Y);
}

void PlotFootprint(TDecodeContext& context, TScanLinePen& pen, const TFootprintPlace& place,
                   float temperature, TColour colour)
{
    context.Host.AddSample(place.Latitude, place.Longitude, temperature,
                           TSampleOrigin{context.ScanLine, place.Footprint, 0});
    context.Host.FootprintDrawn(place.X, place.Y, colour,
                                std::isnan(place.Value) ? temperature : place.Value);
    const std::int32_t x = place.X, y = place.Y;
    TCanvas& canvas = *context.LineCanvas;
    canvas.SetPenColour(colour);
    const std::int64_t jump = std::llabs(static_cast<std::int64_t>(x) - pen.PreviousX);
    if (jump > context.LineJumpLimit)
        pen.PenDown = false;
    if (pen.PenDown)
        canvas.LineTo(x, y);
    else
        canvas.MoveTo(x, y);
    pen.PenDown = true;
    pen.PreviousX = x;
}

} // namespace veltra
