#include "formats/AappLevel1c.h"

#include <cstddef>
#include <cstdint>
#include <string>

#include "base/Numbers.h"
#include "formats/AmsuLevel1b.h"
#include "formats/HirsLevel1b.h"

namespace veltra {

namespace {

// Header fields, signed 32-bit.
constexpr std::size_t SatelliteIdentifier = 24;
constexpr std::size_t InstrumentIdentifier = 28; // Level 1c only
constexpr std::size_t ScanLineCount = 72;

enum : std::int32_t {
    InstrumentHirs = 5,
    InstrumentAmsuA = 10,
    InstrumentAmsuB = 11,
    InstrumentMhs = 12
};

constexpr int Level1cHirsRecordSize = 6656;
constexpr int Level1cAmsuARecordSize = 3072;
constexpr int Level1cAmsuBRecordSize = 4608; // AMSU-B and MHS
constexpr int Level1dRecordSize = 15872;

constexpr int HirsVisibleChannel = 20;

// Where each channel-constants table starts in the header (0: the file has none). Each holds
// three signed 32-bit numbers per channel: wavenumber, band-correction a and b.
struct TConstantTables {
    std::size_t Hirs = 0;
    std::size_t AmsuA = 0;
    std::size_t AmsuB = 0;
};

// Scan-line layout: footprint i has its latitude and longitude (10^-4 degree) at
// EarthLocation + 8 i and the value of channel c at Values + Stride i + 4 c.
struct TLineLayout {
    int Footprints;
    std::size_t EarthLocation;
    std::size_t Values;
    std::size_t Stride;
};

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

// Sets SensorCode and RecordSize and gives the constant tables of the file's layout.
TConstantTables ChooseLayout(TDecodeContext& context, TBytes header)
{
    if (context.Family == TInputFamily::ifLevel1d) {
        context.Host.SetSensorCode(SensorLevel1d);
        context.RecordSize = Level1dRecordSize;
        return {96, 336, 516};
    }
    const std::int32_t instrument = ReadBE32(header, InstrumentIdentifier);
    switch (instrument) {
    case InstrumentHirs:
        context.Host.SetSensorCode(SensorHirs);
        context.RecordSize = Level1cHirsRecordSize;
        return {84, 0, 0};
    case InstrumentAmsuA:
        context.Host.SetSensorCode(SensorAmsuA);
        context.RecordSize = Level1cAmsuARecordSize;
        return {0, 88, 0};
    case InstrumentAmsuB:
    case InstrumentMhs:
        context.Host.SetSensorCode(SensorAmsuB);
        context.RecordSize = Level1cAmsuBRecordSize;
        return {0, 0, 88};
    default:
        context.RecordSize = 0;
        context.FamilyMismatch = "unknown instrument " + std::to_string(instrument);
        return {};
    }
}

} // namespace

void ReadAappHeader(TDecodeContext& context, TStream& stream)
{
    stream.Seek(0, TSeekOrigin::Beginning);
    const TBytes header = context.ReadHeader(stream, AappHeaderReadSize);
    const TConstantTables tables = ChooseLayout(context, header);
    context.RecordCount = ReadBE32(header, ScanLineCount);
    context.Host.SetSatelliteLabelHint("");
    context.Host.SetSatelliteName(SatelliteNameOf(ReadBE32(header, SatelliteIdentifier)));
    if (context.RecordSize == 0)
        return;
    // In Level 1d the HIRS band corrections come last and replace the AMSU ones.
    if (tables.AmsuA != 0)
        ReadAmsuChannelConstants(context, header, tables.AmsuA, 1, 15);
    if (tables.AmsuB != 0)
        ReadAmsuChannelConstants(context, header, tables.AmsuB, 16, 20);
    if (tables.Hirs != 0)
        ReadHirsChannelConstants(context, header, tables.Hirs);
    stream.Seek(context.RecordSize, TSeekOrigin::Beginning);
}

void DecodeAappLine(TDecodeContext& context, TStream& stream)
{
    if (context.RecordSize <= 0)
        return;
    const TBytes record = context.ReadRecord(stream);
    // Level 1d footprints hold 40 values from 1852: HIRS 1-20, AMSU-A 1-15, AMSU-B 16-20.
    const std::string sensor = context.Host.SensorName();
    const bool microwave = sensor == "AMSU-A" || sensor == "AMSU-B";
    const std::uint8_t code = context.Host.SensorCode();
    TLineLayout layout{};
    switch (code) {
    case SensorHirs: layout = {56, 120, 1472, 80}; break;
    case SensorAmsuA: layout = {30, 100, 768, 60}; break;
    case SensorAmsuB: layout = {90, 56, 2144, 20}; break;
    case SensorLevel1d: layout = {56, 48, microwave ? 1928u : 1848u, 160}; break;
    default: return;
    }
    const int channel = context.Channel;
    const bool visible = channel == HirsVisibleChannel &&
                         (code == SensorHirs || (code == SensorLevel1d && !microwave));
    // Wide maps get a wider pen so the footprints still touch.
    TScanLinePen pen = BeginScanLine(context, context.Host.MapCanvas().Width() > 950 ? 5 : 3);
    for (std::size_t i = 0; i < static_cast<std::size_t>(layout.Footprints); ++i) {
        TFootprintPlace place;
        if (!LocateFootprint(context, record, layout.EarthLocation, i, place))
            continue;
        const std::int32_t value = ReadBE32(record, layout.Values + layout.Stride * i +
                                                        4 * static_cast<std::size_t>(channel));
        float temperature = 0;
        TColour colour = 0;
        if (visible) {
            colour = VisibleGreyColour(value / 20.0);
            place.Value = static_cast<float>(value);
        } else {
            temperature = ToSingle(value / 100.0); // hundredths of a kelvin
            colour = context.Host.ColourForTemperature(temperature);
        }
        PlotFootprint(context, pen, place, temperature, colour);
    }
    EndScanLine(context);
}

} // namespace veltra
