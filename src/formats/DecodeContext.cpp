#include "formats/DecodeContext.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

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

namespace {

// Stored places, 10^-4 degree, that can be on the Earth: longitudes east of the date line may
// be written either way, -180 to 180 or 0 to 360 degrees.
constexpr std::int32_t MaxLatitude = 900000, MinLongitude = -1800000, MaxLongitude = 3600000;

bool PossiblePlace(std::int32_t latitude, std::int32_t longitude)
{
    return latitude >= -MaxLatitude && latitude <= MaxLatitude && longitude >= MinLongitude &&
           longitude <= MaxLongitude;
}

// The box round a line's stored places, in 10^-4 degree: latitudes, and longitudes both as
// stored and moved into [0, 360) degrees, which keeps a line across the date line narrow; and
// how many places are exactly 0 N 0 E and how many cannot be on the Earth.
struct TLineBox {
    std::int32_t South, North, West, East, WestRound, EastRound;
    std::size_t AtZero, Impossible;
};

template <bool BigEndian> TLineBox BoxOfLine(const std::uint8_t* block, std::size_t footprints)
{
    constexpr std::int32_t Turn = 3600000; // 360 degrees
    const auto word = [block](std::size_t offset) {
        std::uint32_t w = 0;
        std::memcpy(&w, block + offset, 4);
        return static_cast<std::int32_t>(BigEndian ? __builtin_bswap32(w) : w);
    };
    TLineBox box{INT32_MAX, INT32_MIN, INT32_MAX, INT32_MIN, INT32_MAX, INT32_MIN, 0, 0};
    for (std::size_t i = 0; i < footprints; ++i) {
        const std::int32_t latitude = word(8 * i), longitude = word(8 * i + 4);
        // A whole turn added leaves a place where it was (a stored longitude below -180
        // degrees stays negative, which only widens the box).
        const std::int32_t round = longitude < 0 ? longitude + Turn : longitude;
        box.South = std::min(box.South, latitude);
        box.North = std::max(box.North, latitude);
        box.West = std::min(box.West, longitude);
        box.East = std::max(box.East, longitude);
        box.WestRound = std::min(box.WestRound, round);
        box.EastRound = std::max(box.EastRound, round);
        box.AtZero += latitude == 0 && longitude == 0;
        box.Impossible += !PossiblePlace(latitude, longitude);
    }
    return box;
}

// Whether the line's places fit in its record.
bool LocationsInRecord(TBytes record, std::size_t locations, std::size_t footprints)
{
    return footprints > 0 && locations <= record.size() &&
           (record.size() - locations) / 8 >= footprints;
}

// Whether no footprint of a line can be visible, from the box round all of them. The azimuthal
// kinds show the part of the globe within a reach of their centre (the orthographic about a
// fifth of it), and many lines of a whole orbit lie beyond it: one test then stands for every
// footprint's projection.
bool LineBeyondReach(const TDecodeContext& context, const TLineBox& box)
{
    if (!context.LineProjection->LimitedReach())
        return false;
    const auto degrees = [](std::int32_t stored) { return static_cast<double>(stored) * 1e-4; };
    const bool round = static_cast<std::int64_t>(box.EastRound) - box.WestRound <
                       static_cast<std::int64_t>(box.East) - box.West;
    // The latitudes are converted as LocateFootprint converts them, which keeps their order;
    // the longitudes, which may have moved by a turn, get a margin far above single
    // precision's rounding.
    return context.LineProjection->OutOfReach(
        static_cast<float>(degrees(box.South)), static_cast<float>(degrees(box.North)),
        static_cast<float>(degrees(round ? box.WestRound : box.West) - 0.01),
        static_cast<float>(degrees(round ? box.EastRound : box.East) + 0.01));
}

} // namespace

void KeepScanLine(TDecodeContext& context, TScanLineInfo line, TBytes record,
                  TFootprintAnglesReader angles, std::size_t anglesAt)
{
    line.Record = context.ScanLine;
    line.Channel = context.Channel;
    if (line.Instrument == TLineInstrument::Unknown)
        line.Instrument = context.Instrument;
    // A difference is hidden where either of its channels is flagged bad.
    context.LineMasked = context.Host.MaskFlaggedLines() &&
                         (FootprintHidden(line, line.Channel) ||
                          (context.Difference != 0 && ChannelFlaggedBad(line, context.Difference)));
    context.LineLeftOut = !context.Host.KeepLine(line);
    context.LineIndex = context.LineLeftOut ? -1 : context.Host.AddScanLine(line);
    context.LineRecord = record;
    context.LineAngles = angles;
    context.LineAnglesAt = anglesAt;
}

TScanLinePen BeginScanLine(TDecodeContext& context, int penWidth, TBytes record,
                           std::size_t locations, std::size_t footprints)
{
    context.LineCanvas = &context.Host.MapCanvas();
    context.LineProjection = &context.Host.Projection();
    context.LineJumpLimit = (3 * static_cast<std::int64_t>(context.LineCanvas->Width())) / 4;
    context.LineCanvas->SetPenWidth(penWidth);
    context.LineBeyondReach = false;
    context.LineOffMap = false;
    if (!LocationsInRecord(record, locations, footprints))
        return TScanLinePen{};
    const std::uint8_t* block = record.data() + locations;
    const TLineBox box = context.Order == TByteOrder::BigEndian
                             ? BoxOfLine<true>(block, footprints)
                             : BoxOfLine<false>(block, footprints);
    if (box.AtZero == footprints) {
        ++context.LinesWithoutData;
        context.LineBeyondReach = true;
        return TScanLinePen{};
    }
    context.LastLineWithData = context.ScanLine;
    context.ImpossibleFootprints += static_cast<std::int64_t>(box.Impossible);
    context.LineOffMap = !context.LineLeftOut && LineBeyondReach(context, box);
    context.LineBeyondReach =
        context.LineLeftOut || (context.LineOffMap && !context.EveryFootprint);
    return TScanLinePen{};
}

void EndScanLine(TDecodeContext& context)
{
    context.LineCanvas->SetPenWidth(1);
    context.LineBeyondReach = false;
}

bool LocateFootprint(const TDecodeContext& context, TBytes record, std::size_t locations,
                     std::size_t footprint, TFootprintPlace& place)
{
    if (context.LineBeyondReach || context.LineMasked)
        return false;
    const std::size_t offset = locations + 8 * footprint;
    const std::int32_t latitude = ReadInt32(record, offset, context.Order);
    const std::int32_t longitude = ReadInt32(record, offset + 4, context.Order);
    if (!PossiblePlace(latitude, longitude))
        return false;
    place.Footprint = static_cast<std::int32_t>(footprint);
    place.Latitude = static_cast<float>(latitude * 1e-4);
    place.Longitude = static_cast<float>(longitude * 1e-4);
    place.OnMap = !context.LineOffMap && context.LineProjection->LatLonToXY(
                                             place.Latitude, place.Longitude, place.X, place.Y);
    return place.OnMap || context.EveryFootprint;
}

namespace {

// The sample and its origin (scan line, footprint, the line kept and the footprint's angles).
void RecordSample(TDecodeContext& context, const TFootprintPlace& place, float temperature,
                  TColour colour)
{
    TSampleOrigin origin{context.ScanLine, place.Footprint, 0, context.LineIndex};
    if (context.LineAngles != nullptr) {
        const TFootprintAngles angles =
            context.LineAngles(context.LineRecord, context.LineAnglesAt,
                               static_cast<std::size_t>(place.Footprint), context.Order);
        origin.SatelliteZenith = angles.SatelliteZenith;
        origin.SolarZenith = angles.SolarZenith;
        origin.RelativeAzimuth = angles.RelativeAzimuth;
    }
    context.Host.AddSample(place.Latitude, place.Longitude, temperature, origin);
    context.Host.FootprintDrawn(place.X, place.Y, colour,
                                std::isnan(place.Value) ? temperature : place.Value);
}

} // namespace

void PlotFootprint(TDecodeContext& context, TScanLinePen& pen, const TFootprintPlace& place,
                   float temperature, TColour colour)
{
    if (!context.KeepsSamples)
        context.Host.FootprintDecoded(place, std::isnan(place.Value) ? temperature : place.Value,
                                      colour);
    if (!place.OnMap)
        return;
    if (context.KeepsSamples)
        RecordSample(context, place, temperature, colour);
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
