#include "formats/AmsuLevel1b.h"

#include <cstdint>
#include <string>

#include "base/Errors.h"
#include "base/Numbers.h"
#include "formats/ArchiveHeader.h"
#include "formats/HirsLevel1b.h"
#include "formats/Level1bLine.h"

namespace veltra {

namespace {

// AMSU-A counts: 17 unsigned 16-bit words w0-w16 per footprint at 904 + 34 i. Channels 1 and
// 2 are sampled twice (w0 and w2, w1 and w3); channel c from 3 to 15 is w(c + 1).
int AmsuACount(TBytes record, std::size_t footprint, int channel)
{
    const std::size_t block = 904 + 34 * footprint;
    auto word = [&](int w) {
        return static_cast<int>(ReadBE16(record, block + 2 * static_cast<std::size_t>(w)));
    };
    if (channel <= 2)
        return (word(channel - 1) + word(channel + 1)) / 2;
    return word(channel + 1);
}

// AMSU-B counts: 6 unsigned 16-bit words w0-w5 per footprint at 1480 + 12 i; channel c is
// w(c - 15), w0 is not a channel.
int AmsuBCount(TBytes record, std::size_t footprint, int channel)
{
    return ReadBE16(record, 1480 + 12 * footprint + 2 * static_cast<std::size_t>(channel - 15));
}

struct TAmsuLayout {
    std::uint8_t SensorCode;
    int RecordSize;
    int HeaderReadSize;
    std::size_t RecordCountOffset;
    std::size_t HeaderConstants; // see ReadAmsuChannelConstants
    int FirstChannel;
    int LastChannel;
    // Per channel, three signed 32-bit calibration coefficients a2, a1, a0 (radiance =
    // a2 C^2 + a1 C + a0 in mW/(m2 sr cm-1) for a count C), each in its own unit.
    std::size_t Coefficients;
    double A2Unit;
    double A1Unit;
    double A0Unit;
    std::size_t EarthLocation; // 8 bytes per footprint
    int Footprints;
    int (*Count)(TBytes record, std::size_t footprint, int channel);
    TLineInstrument Instrument;
    // Quality words and angles: the quality indicator at 24, the scan-line quality flags at 28
    // with the calibration problem byte at 30, one channel quality word per channel from 32,
    // and three angles per footprint (solar zenith, satellite zenith, relative azimuth) just
    // before the earth locations.
    TKlmLineLayout Line;
};

// MHS records keep the instrument mode in byte 22 (MhsScanMode when it scans the Earth).
constexpr std::size_t MhsInstrumentMode = 22;

const TAmsuLayout AmsuA = {.SensorCode = SensorAmsuA,
                           .RecordSize = AmsuARecordSize,
                           .HeaderReadSize = AmsuAHeaderReadSize,
                           .RecordCountOffset = AmsuARecordCountOffset,
                           .HeaderConstants = 688,
                           .FirstChannel = 1,
                           .LastChannel = 15,
                           .Coefficients = 80,
                           .A2Unit = 1e-19,
                           .A1Unit = 1e-13,
                           .A0Unit = 1e-9,
                           .EarthLocation = 652,
                           .Footprints = AmsuAFootprints,
                           .Count = AmsuACount,
                           .Instrument = TLineInstrument::AmsuA,
                           .Line = {.QualityIndicator = 24,
                                    .ScanLineQuality = 28,
                                    .CalibrationProblem = 30,
                                    .ChannelQuality = 32,
                                    .ChannelQualityCount = 15,
                                    .FirstChannel = 1,
                                    .Angles = 472}};
const TAmsuLayout AmsuB = {.SensorCode = SensorAmsuB,
                           .RecordSize = AmsuBRecordSize,
                           .HeaderReadSize = AmsuBHeaderReadSize,
                           .RecordCountOffset = AmsuBRecordCountOffset,
                           .HeaderConstants = 324,
                           .FirstChannel = 16,
                           .LastChannel = 20,
                           .Coefficients = 60,
                           .A2Unit = 1e-16,
                           .A1Unit = 1e-10,
                           .A0Unit = 1e-6,
                           .EarthLocation = 752,
                           .Footprints = AmsuBFootprints,
                           .Count = AmsuBCount,
                           .Instrument = TLineInstrument::AmsuB,
                           .Line = {.QualityIndicator = 24,
                                    .ScanLineQuality = 28,
                                    .CalibrationProblem = 30,
                                    .ChannelQuality = 32,
                                    .ChannelQualityCount = 5,
                                    .FirstChannel = 16,
                                    .Angles = 212}};

// MHS Level 1b data sets (NOAA-18, NOAA-19, Metop-A; ".MHSX." in the data set name) keep
// the AMSU-B record layout, scan lines included, but their header has more fields before the
// temperature-to-radiance block, which starts at 416. Read at 324, its band-correction
// divisors would be whatever lies there, and the pass would stop at its first footprint.
TAmsuLayout MhsLayout()
{
    TAmsuLayout layout = AmsuB;
    layout.HeaderConstants = 416;
    layout.Instrument = TLineInstrument::Mhs;
    return layout;
}
const TAmsuLayout Mhs = MhsLayout();

bool NamesMhs(const std::string& dataSetName)
{
    return dataSetName.find(".MHSX.") != std::string::npos;
}

// AMSU-B, or MHS when the data set name says so, in the archive header or in the data-set
// header itself.
const TAmsuLayout& MicrowaveLayout(TDecodeContext& context, TBytes header)
{
    if (NamesMhs(context.DataSetName) ||
        NamesMhs(ReadText(header, DataSetHeaderName, DataSetNameWidth))) {
        context.Host.DiagnosticLines().push_back("MHS Level 1b");
        return Mhs;
    }
    return AmsuB;
}

void ApplyAmsuHeader(TDecodeContext& context, TBytes header, const TAmsuLayout& layout)
{
    context.Host.SetSensorCode(layout.SensorCode);
    context.RecordSize = layout.RecordSize;
    context.RecordCount = ReadBE16(header, layout.RecordCountOffset);
    context.Instrument = layout.Instrument;
    context.Pass = ReadKlmDataSetTimes(header);
    ReadAmsuChannelConstants(context, header, layout.HeaderConstants, layout.FirstChannel,
                             layout.LastChannel);
}

// The layout of the records the header announced: AMSU-A, AMSU-B or MHS.
const TAmsuLayout& LayoutOf(const TDecodeContext& context)
{
    switch (context.Instrument) {
    case TLineInstrument::AmsuA: return AmsuA;
    case TLineInstrument::Mhs: return Mhs;
    default: return AmsuB;
    }
}

TAmsuLineChannel LineChannel(const TDecodeContext& context, const TAmsuLayout& layout,
                             TBytes record, int channel)
{
    if (channel < layout.FirstChannel || channel > layout.LastChannel)
        throw EConvertError("The sensor has no channel " + std::to_string(channel));
    const std::size_t entry =
        layout.Coefficients + 12 * static_cast<std::size_t>(channel - layout.FirstChannel);
    TAmsuLineChannel line;
    line.Channel = channel;
    line.A2 = ReadScaled(record, entry, layout.A2Unit);
    line.A1 = ReadScaled(record, entry + 4, layout.A1Unit);
    line.A0 = ReadScaled(record, entry + 8, layout.A0Unit);
    line.Wavenumber = context.AmsuWavenumber[static_cast<std::size_t>(channel - 1)];
    return line;
}

float FootprintValue(const TDecodeContext& context, const TAmsuLayout& layout,
                     const TAmsuLineChannel& channel, TBytes record, std::size_t footprint)
{
    const int count = layout.Count(record, footprint, channel.Channel);
    const double radiance = channel.A2 * count * count + channel.A1 * count + channel.A0;
    return ToSingle(
        BandCorrectedTemperature(context, channel.Channel, radiance, channel.Wavenumber));
}

void PlotAmsuLine(TDecodeContext& context, TBytes record, const TAmsuLayout& layout,
                  const TAmsuLineChannel& shown, const TAmsuLineChannel* subtracted)
{
    const auto footprints = static_cast<std::size_t>(layout.Footprints);
    TScanLinePen pen = BeginScanLine(context, 3, record, layout.EarthLocation, footprints);
    for (std::size_t i = 0; i < footprints; ++i) {
        TFootprintPlace place;
        if (!LocateFootprint(context, record, layout.EarthLocation, i, place))
            continue;
        float temperature = FootprintValue(context, layout, shown, record, i);
        if (subtracted != nullptr)
            temperature -= FootprintValue(context, layout, *subtracted, record, i);
        PlotFootprint(context, pen, place, temperature,
                      context.Host.ColourForTemperature(temperature));
    }
    EndScanLine(context);
}

void DecodeAmsuLine(TDecodeContext& context, TStream& stream, const TAmsuLayout& layout,
                    bool lineGuarded)
{
    const TBytes record = context.ReadRecord(stream);
    TScanLineInfo line = ReadKlmLine(record, layout.Line);
    // AMSU-B and MHS share one record layout; the header said which this is.
    if (context.Instrument == TLineInstrument::Mhs)
        line.InstrumentMode = ReadByte(record, MhsInstrumentMode);
    KeepScanLine(context, line, record, KlmFootprintAngles, layout.Line.Angles);
    const TAmsuLineChannel shown = LineChannel(context, layout, record, context.Channel);
    const TAmsuLineChannel subtracted =
        context.Difference != 0 ? LineChannel(context, layout, record, context.Difference)
                                : TAmsuLineChannel{};
    const TAmsuLineChannel* difference = context.Difference != 0 ? &subtracted : nullptr;
    if (!lineGuarded) {
        PlotAmsuLine(context, record, layout, shown, difference);
        return;
    }
    try {
        PlotAmsuLine(context, record, layout, shown, difference);
    } catch (const EVeltraError&) {
        // The rest of this line is lost; the pass goes on with the next one.
        context.Host.MapCanvas().SetPenWidth(1);
    }
}

} // namespace

void ReadAmsuChannelConstants(TDecodeContext& context, TBytes table, std::size_t offset,
                              int firstChannel, int lastChannel)
{
    for (int c = firstChannel; c <= lastChannel; ++c) {
        const std::size_t entry = offset + 12 * static_cast<std::size_t>(c - firstChannel);
        const auto index = static_cast<std::size_t>(c - 1);
        context.AmsuWavenumber.at(index) = ReadScaled(table, entry, 1e-6, context.Order);
        context.BandCorrA.at(index) = ReadScaled(table, entry + 4, 1e-6, context.Order);
        context.BandCorrB.at(index) = ReadScaled(table, entry + 8, 1e-6, context.Order);
    }
}

void ReadAmsuAHeader(TDecodeContext& context, TStream& stream)
{
    ApplyAmsuHeader(context, context.ReadHeader(stream, AmsuA.HeaderReadSize), AmsuA);
}

void ReadAmsuBHeader(TDecodeContext& context, TStream& stream)
{
    const TBytes header = context.ReadHeader(stream, AmsuB.HeaderReadSize);
    ApplyAmsuHeader(context, header, MicrowaveLayout(context, header));
}

void DecodeAmsuALine(TDecodeContext& context, TStream& stream)
{
    DecodeAmsuLine(context, stream, AmsuA, false);
}

void DecodeAmsuBLine(TDecodeContext& context, TStream& stream)
{
    DecodeAmsuLine(context, stream, AmsuB, true);
}

TAmsuLineChannel AmsuLineChannel(const TDecodeContext& context, TBytes record, int channel)
{
    return LineChannel(context, LayoutOf(context), record, channel);
}

float AmsuFootprintValue(const TDecodeContext& context, const TAmsuLineChannel& channel,
                         TBytes record, std::size_t footprint)
{
    return FootprintValue(context, LayoutOf(context), channel, record, footprint);
}

} // namespace veltra
