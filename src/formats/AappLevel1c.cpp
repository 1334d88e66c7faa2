#include "formats/AappLevel1c.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "base/Errors.h"
#include "base/Numbers.h"
#include "formats/AappLayout.h"
#include "formats/AmsuLevel1b.h"
#include "formats/HirsLevel1b.h"

namespace veltra {

namespace {

constexpr int HirsVisibleChannel = 20;

// The satellite identifier: 2 is Metop-A (1 and below other Metops), 3-29 a NOAA satellite.
// Some files store it in the opposite byte order, which reads as 30 or more.
std::string SatelliteNameOf(std::int32_t identifier)
{
    if (identifier == 2)
        return "Metop-A";
    if (identifier < 2)
        return "Metop-" + std::to_string(identifier);
    if (identifier < 30)
        return "NOAA-" + std::to_string(identifier);
    const auto swapped =
        static_cast<std::int32_t>(SwapBytes32(static_cast<std::uint32_t>(identifier)));
    return swapped < 30 ? "NOAA-" + std::to_string(swapped) : "NOAA";
}

std::optional<TUtcMilliseconds> AappDate(TBytes header, std::size_t at, TByteOrder order)
{
    return UtcFromYearDay(ReadInt32(header, at, order), ReadInt32(header, at + 4, order),
                          ReadInt32(header, at + 8, order));
}

// Level 1c: the line's own number, time and quality words. Level 1d: the time only, placed
// between the header's start and end by the record's place among the records.
TScanLineInfo ReadAappLine(const TDecodeContext& context, TBytes record)
{
    TScanLineInfo line;
    if (context.Family == TInputFamily::ifLevel1d) {
        const std::optional<TUtcMilliseconds> start = context.Pass.Start, end = context.Pass.End;
        if (start && end && context.RecordCount > 0) {
            const double share = context.RecordCount > 1
                                     ? static_cast<double>(context.ScanLine) /
                                           static_cast<double>(context.RecordCount - 1)
                                     : 0.0;
            line.Time = *start + std::llround(static_cast<double>(*end - *start) * share);
            line.TimeInterpolated = true;
        }
        return line;
    }
    const TByteOrder order = context.Order;
    line.Number = ReadInt32(record, AappLineNumber, order);
    line.Time = UtcFromYearDay(ReadInt32(record, AappLineYear, order),
                               ReadInt32(record, AappLineDay, order),
                               ReadInt32(record, AappLineTime, order));
    line.QualityIndicator = static_cast<std::uint32_t>(ReadInt32(record, AappLineQuality, order));
    line.ScanLineQuality =
        static_cast<std::uint32_t>(ReadInt32(record, AappLineScanQuality, order));
    return line;
}

std::int64_t StreamSize(TStream& stream)
{
    const std::int64_t position = stream.Position();
    const std::int64_t size = stream.Seek(0, TSeekOrigin::End);
    stream.Seek(position, TSeekOrigin::Beginning);
    return size;
}

} // namespace

void ReadAappHeader(TDecodeContext& context, TStream& stream)
{
    stream.Seek(0, TSeekOrigin::Beginning);
    const TBytes header = context.ReadHeader(stream, AappHeaderReadSize);
    const TByteOrder order = AappByteOrder(context.Family, header, StreamSize(stream));
    context.Order = order;
    if (order == TByteOrder::LittleEndian)
        context.Host.DiagnosticLines().push_back("AAPP native layout, little-endian");
    const std::int32_t instrument = ReadInt32(header, AappInstrumentIdentifier, order);
    context.Aapp = AappLayoutOf(context.Family, instrument, order);
    context.RecordSize = context.Aapp != nullptr ? context.Aapp->RecordSize : 0;
    if (context.Aapp != nullptr)
        context.Host.SetSensorCode(context.Aapp->SensorCode);
    else
        context.FamilyMismatch = "unknown instrument " + std::to_string(instrument);
    context.RecordCount = ReadInt32(header, AappScanLineCount, order);
    context.Instrument = context.Family == TInputFamily::ifLevel1d
                             ? TLineInstrument::Hirs // the grid of all three sounders
                             : AappLineInstrument(instrument);
    context.Pass = {AappDate(header, AappStartDate, order), AappDate(header, AappEndDate, order)};
    context.Host.SetSatelliteLabelHint("");
    context.Host.SetSatelliteName(
        SatelliteNameOf(ReadInt32(header, AappSatelliteIdentifier, order)));
    if (context.Aapp == nullptr)
        return;
    // In Level 1d the HIRS band corrections come last and replace the AMSU ones.
    const TAappConstantTables& tables = context.Aapp->Constants;
    if (tables.AmsuA != 0)
        ReadAmsuChannelConstants(context, header, tables.AmsuA, 1, 15);
    if (tables.AmsuB != 0)
        ReadAmsuChannelConstants(context, header, tables.AmsuB, 16, 20);
    if (tables.Hirs != 0)
        ReadHirsChannelConstants(context, header, tables.Hirs);
    stream.Seek(context.RecordSize, TSeekOrigin::Beginning);
}

bool AappMicrowave(const TDecodeContext& context)
{
    const std::string sensor = context.Host.SensorName();
    return context.Aapp != nullptr && context.Aapp->Line.MicrowaveValues != 0 &&
           (sensor == "AMSU-A" || sensor == "AMSU-B");
}

bool AappVisible(const TDecodeContext& context, bool microwave, int channel)
{
    const std::uint8_t code = context.Aapp != nullptr ? context.Aapp->SensorCode : 0;
    return channel == HirsVisibleChannel &&
           (code == SensorHirs || (code == SensorLevel1d && !microwave));
}

std::int32_t AappStoredValue(const TDecodeContext& context, TBytes record, bool microwave,
                             int channel, std::size_t footprint)
{
    const TAappLineLayout& layout = context.Aapp->Line;
    const std::size_t values = microwave ? layout.MicrowaveValues : layout.Values;
    return ReadInt32(record,
                     values + layout.Stride * footprint + 4 * static_cast<std::size_t>(channel),
                     context.Order);
}

float AappTemperature(std::int32_t stored)
{
    return ToSingle(stored / 100.0); // hundredths of a kelvin
}

void DecodeAappLine(TDecodeContext& context, TStream& stream)
{
    if (context.RecordSize <= 0 || context.Aapp == nullptr)
        return;
    const TBytes record = context.ReadRecord(stream);
    const TAappLineLayout& layout = context.Aapp->Line;
    KeepScanLine(context, ReadAappLine(context, record), record,
                 layout.Angles != 0 ? AappFootprintAngles : nullptr, layout.Angles);
    // Level 1d: the selected sensor tab chooses between the HIRS and the microwave values.
    const bool microwave = AappMicrowave(context);
    const int channel = context.Channel, subtracted = context.Difference;
    const bool visible = AappVisible(context, microwave, channel);
    if (subtracted != 0 && (visible || AappVisible(context, microwave, subtracted)))
        throw EConvertError("The visible channel has no brightness temperature");
    // Wide maps get a wider pen so the footprints still touch.
    const auto footprints = static_cast<std::size_t>(layout.Footprints);
    TScanLinePen pen = BeginScanLine(context, context.Host.MapCanvas().Width() > 950 ? 5 : 3,
                                     record, layout.EarthLocation, footprints);
    for (std::size_t i = 0; i < footprints; ++i) {
        TFootprintPlace place;
        if (!LocateFootprint(context, record, layout.EarthLocation, i, place))
            continue;
        const std::int32_t value = AappStoredValue(context, record, microwave, channel, i);
        float temperature = 0;
        TColour colour = 0;
        if (visible) {
            colour = VisibleGreyColour(value / 20.0);
            place.Value = static_cast<float>(value);
        } else {
            temperature = AappTemperature(value);
            if (subtracted != 0)
                temperature -=
                    AappTemperature(AappStoredValue(context, record, microwave, subtracted, i));
            colour = context.Host.ColourForTemperature(temperature);
        }
        PlotFootprint(context, pen, place, temperature, colour);
    }
    EndScanLine(context);
}

} // namespace veltra
