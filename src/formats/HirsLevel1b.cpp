#include "formats/HirsLevel1b.h"

#include <cmath>
#include <cstdint>
#include <limits>

#include "base/DateTime.h"
#include "base/Errors.h"
#include "base/Format.h"
#include "base/Numbers.h"
#include "formats/Level1bLine.h"

namespace veltra {

// The counts and per-line coefficients are stored in the order of the filter wheel, not in
// channel order: positions 1-20 hold channels 1, 17, 2, 3, 13, 4, 18, 11, 19, 7, 8, 20, 10,
// 14, 6, 5, 15, 12, 16, 9.
const std::array<int, 21> HirsPositionTable = {0, 1,  3, 4,  6,  16, 15, 10, 11, 20, 13,
                                               8, 18, 5, 14, 17, 19, 2,  7,  9,  12};

namespace {

constexpr int HirsVisibleChannel = 20;
constexpr int HirsInfraredChannels = 19;

// Data-set header. Each date is three fields: year and day of year (unsigned 16-bit), then
// the millisecond of the day (signed 32-bit).
constexpr std::size_t StartDate = 84;
constexpr std::size_t EndDate = 96;
constexpr std::size_t EarthLocatedCount = 130;
constexpr std::size_t PacsDataSource = 154; // 1 Gilmore, 2 Wallops, 3 SOCC
// Per filter position k, 16 bytes at 176 + 16 k: slope, its s.d., B1, its s.d., in 10^-6.
constexpr std::size_t HeaderCalibration = 176;
constexpr std::size_t ChannelConstants = 520;   // see ReadHirsChannelConstants
constexpr std::size_t ReferenceEllipsoid = 760; // 8 characters
constexpr std::size_t PositionVector = 812;     // X, Y, Z in 10^-5 km
constexpr std::size_t VelocityVector = 824;     // X, Y, Z in 10^-8 km/s

// Scan-line record.
// The scan type: 0 Earth view, 1 space, 2 cold target, 3 warm target. Only Earth views are
// drawn: any value other than 0 rejects the line.
constexpr std::size_t ScanType = 18;
// Quality words and angles (TKlmLineLayout): the quality indicator at 28, the scan-line
// quality flags at 32 with the calibration flags in their third byte, 20 channel quality words
// from 36, and from 664 the solar zenith, satellite zenith and relative azimuth of every
// footprint.
constexpr TKlmLineLayout HirsLine = {.QualityIndicator = 28,
                                     .ScanLineQuality = 32,
                                     .CalibrationProblem = 34,
                                     .ChannelQuality = 36,
                                     .ChannelQualityCount = 20,
                                     .FirstChannel = 0,
                                     .Angles = 664};
// Per filter position k, 12 bytes at 144 + 12 k: a first term (unused), the slope in 10^-9
// and the intercept in 10^-6 of radiance (infrared) or albedo percent (visible) per count.
constexpr std::size_t LineCoefficients = 144;
constexpr std::size_t EarthLocation = 1000; // 8 bytes per footprint
// Per footprint j and filter position k, a count word at 1458 + 48 j + 2 k.
constexpr std::size_t RawCounts = 1458;
constexpr std::size_t CountBlockSize = 48;

// Radiation constants: c1 = 2 h c^2 in mW/(m2 sr cm-4), c2 = h c / k in K cm.
constexpr double C1 = 1.1910427e-5;
constexpr double C2 = 1.4387752;

double HirsWavenumberAt(TBytes table, std::size_t offset, int channel,
                        TByteOrder order = TByteOrder::BigEndian)
{
    return ReadScaled(table, offset + 12 * static_cast<std::size_t>(channel - 1),
                      channel <= 12 ? 1e-6 : 1e-5, order);
}

std::string DateText(TBytes header, std::size_t offset)
{
    const TDateTime date = DateFromYearDay(ReadBE16(header, offset), ReadBE16(header, offset + 2),
                                           ReadBE32(header, offset + 4));
    return FormatDateTime("yyyy-mmm-dd hh:nn:ss", date);
}

std::string PacsSourceName(int source)
{
    switch (source) {
    case 1: return "Gilmore";
    case 2: return "Wallops";
    case 3: return "SOCC";
    default: return "unused";
    }
}

// A raw count: 12 bits of magnitude, bit 12 set for positive; bits 13-15 are not part of it.
// The NOAA archive's own HIRS/3 and HIRS/4 files store a negative count as count + 4096
// instead (its readers subtract 4096 from the 13-bit word): a positive count reads the same
// either way, but -5 is stored as 4091, which sign and magnitude would take for -4091. Which
// convention a file follows is not written in it, so the user chooses (HirsCountOffset).
int HirsCount(std::uint16_t word, bool offset)
{
    if (offset)
        return (word & 0x1FFF) - 4096;
    const int magnitude = word & 0x0FFF;
    return (word & 0x1000) != 0 ? magnitude : -magnitude;
}

} // namespace

double InversePlanck(double radiance, double wavenumber)
{
    if (!(radiance > 0))
        return 0;
    // A pass converts every footprint at its channel's one wavenumber: the power is kept, per
    // thread, for the wavenumber it was taken of.
    thread_local double poweredWavenumber = std::numeric_limits<double>::quiet_NaN();
    thread_local double powered = 0;
    if (!(wavenumber == poweredWavenumber)) {
        powered = C1 * std::pow(wavenumber, 3);
        poweredWavenumber = wavenumber;
    }
    const double ratio = CheckFinite(CheckFinite(powered) / radiance);
    const double argument = 1 + ratio;
    if (!(argument > 0))
        throw EArithmeticError("Invalid floating point operation");
    return Divide(C2 * wavenumber, std::log(argument));
}

double BandCorrectedTemperature(const TDecodeContext& context, int channel, double radiance,
                                double wavenumber)
{
    if (channel < 1 || channel > static_cast<int>(context.BandCorrB.size()))
        throw EConvertError("No band correction for channel " + std::to_string(channel));
    const auto index = static_cast<std::size_t>(channel - 1);
    if (context.BandCorrB[index] == 0)
        throw EArithmeticError("Floating point division by zero",
                               "zero band-correction divisor for channel " +
                                   std::to_string(channel));
    return Divide(InversePlanck(radiance, wavenumber) - context.BandCorrA[index],
                  context.BandCorrB[index]);
}

TColour VisibleGreyColour(double level)
{
    return static_cast<TColour>(RoundHalfEven(level) & 255) * 65793u;
}

void ReadHirsChannelConstants(TDecodeContext& context, TBytes table, std::size_t offset)
{
    for (int c = 1; c <= HirsInfraredChannels; ++c) {
        const std::size_t entry = offset + 12 * static_cast<std::size_t>(c - 1);
        const auto index = static_cast<std::size_t>(c - 1);
        context.HirsWavenumber[index] = HirsWavenumberAt(table, offset, c, context.Order);
        context.BandCorrA[index] = ReadScaled(table, entry + 4, 1e-6, context.Order);
        context.BandCorrB[index] = ReadScaled(table, entry + 8, 1e-6, context.Order);
    }
}

void DecodeHirsHeaderDiagnostics(TBytes header, std::vector<std::string>& lines)
{
    lines.push_back("HIRS/3 Data Set header decoded:");
    lines.push_back("  Start date: " + DateText(header, StartDate));
    lines.push_back("  End date: " + DateText(header, EndDate));
    lines.push_back("  Data records: " + std::to_string(ReadBE16(header, HirsRecordCountOffset)));
    lines.push_back("  Earth located: " + std::to_string(ReadBE16(header, EarthLocatedCount)));
    lines.push_back("  PACS data source: " + PacsSourceName(ReadBE16(header, PacsDataSource)));
    lines.push_back("  Channel calibration:");
    for (int c = 1; c <= HirsVisibleChannel; ++c) {
        const std::size_t entry =
            HeaderCalibration + 16 * static_cast<std::size_t>(HirsPositionTable[c]);
        lines.push_back(
            Format("      Channel: %.2d  slope= %.4g (s.d. %.4g)  B1= %.4g (s.d. %.4g)", c,
                   ReadScaled(header, entry, 1e-6), ReadScaled(header, entry + 4, 1e-6),
                   ReadScaled(header, entry + 8, 1e-6), ReadScaled(header, entry + 12, 1e-6)));
    }
    lines.push_back("  Channel temperature-radiance:");
    for (int c = 1; c <= HirsInfraredChannels; ++c) {
        const std::size_t entry = ChannelConstants + 12 * static_cast<std::size_t>(c - 1);
        const double wavenumber = HirsWavenumberAt(header, ChannelConstants, c);
        // A zero wavenumber has no wavelength; the line goes without it rather than costing the
        // header (and with it the whole pass).
        const std::string wavelength =
            wavenumber == 0 ? "" : Format(" (%.2fum)", Divide(10000, wavenumber));
        lines.push_back(Format("      Channel: %.2d%s wavenumber=%.0f  C1=%.4f  C2=%.4f", c,
                               wavelength.c_str(), wavenumber, ReadScaled(header, entry + 4, 1e-6),
                               ReadScaled(header, entry + 8, 1e-6)));
    }
    lines.push_back("  Navigation");
    lines.push_back("  Reference ellipsoid: " + ReadText(header, ReferenceEllipsoid, 8));
    lines.push_back(Format("      Position vector:  X: %fkm  Y: %fkm  Z: %fkm",
                           ReadScaled(header, PositionVector, 1e-5),
                           ReadScaled(header, PositionVector + 4, 1e-5),
                           ReadScaled(header, PositionVector + 8, 1e-5)));
    lines.push_back(Format("      Velocity vector:  X: %.3fkm/s  Y: %.3fkm/s  Z: %.3fkm/s",
                           ReadScaled(header, VelocityVector, 1e-8),
                           ReadScaled(header, VelocityVector + 4, 1e-8),
                           ReadScaled(header, VelocityVector + 8, 1e-8)));
    lines.push_back(" ");
}

void ReadHirsHeader(TDecodeContext& context, TStream& stream)
{
    const TBytes header = context.ReadHeader(stream, HirsRecordSize);
    DecodeHirsHeaderDiagnostics(header, context.Host.DiagnosticLines());
    context.Host.SetSensorCode(SensorHirs);
    context.RecordSize = HirsRecordSize;
    context.RecordCount = ReadBE16(header, HirsRecordCountOffset);
    context.Instrument = TLineInstrument::Hirs;
    context.Pass = ReadKlmDataSetTimes(header);
    ReadHirsChannelConstants(context, header, ChannelConstants);
}

THirsLineChannel HirsLineChannel(const TDecodeContext& context, TBytes record, int channel)
{
    if (channel < 1 || channel > HirsVisibleChannel)
        throw EConvertError("HIRS has no channel " + std::to_string(channel));
    THirsLineChannel line;
    line.Channel = channel;
    line.Position = static_cast<std::size_t>(HirsPositionTable[channel]);
    const std::size_t coefficients = LineCoefficients + 12 * line.Position;
    line.Slope = ReadScaled(record, coefficients + 4, 1e-9);
    line.Intercept = ReadScaled(record, coefficients + 8, 1e-6);
    line.Wavenumber = context.HirsWavenumber[static_cast<std::size_t>(channel - 1)];
    return line;
}

double HirsFootprintRadiance(const THirsLineChannel& channel, TBytes record, std::size_t footprint,
                             bool countOffset)
{
    const int count =
        HirsCount(ReadBE16(record, RawCounts + CountBlockSize * footprint + 2 * channel.Position),
                  countOffset);
    return count * channel.Slope + channel.Intercept;
}

float HirsFootprintValue(const TDecodeContext& context, const THirsLineChannel& channel,
                         TBytes record, std::size_t footprint, bool countOffset)
{
    const double value = HirsFootprintRadiance(channel, record, footprint, countOffset);
    if (channel.Channel == HirsVisibleChannel)
        return static_cast<float>(value);
    return ToSingle(BandCorrectedTemperature(context, channel.Channel, value, channel.Wavenumber));
}

void DecodeHirsLine(TDecodeContext& context, TStream& stream)
{
    const TBytes record = context.ReadRecord(stream);
    TScanLineInfo line = ReadKlmLine(record, HirsLine);
    const std::uint16_t scanType = ReadBE16(record, ScanType);
    line.ScanType = scanType;
    KeepScanLine(context, line, record, KlmFootprintAngles, HirsLine.Angles);
    if (scanType != 0)
        return;
    const THirsLineChannel shown = HirsLineChannel(context, record, context.Channel);
    // A difference is of two brightness temperatures: the visible channel has none.
    const bool difference = context.Difference != 0;
    const THirsLineChannel subtracted =
        difference ? HirsLineChannel(context, record, context.Difference) : THirsLineChannel{};
    if (difference &&
        (shown.Channel == HirsVisibleChannel || subtracted.Channel == HirsVisibleChannel))
        throw EConvertError("The visible channel has no brightness temperature");
    const bool countOffset = context.Host.UseHirsCountOffset();

    TScanLinePen pen = BeginScanLine(context, 3, record, EarthLocation, HirsFootprints);
    for (std::size_t j = 0; j < HirsFootprints; ++j) {
        TFootprintPlace place;
        if (!LocateFootprint(context, record, EarthLocation, j, place))
            continue;
        float temperature = 0;
        TColour colour = 0;
        if (shown.Channel == HirsVisibleChannel) {
            const double albedo = HirsFootprintRadiance(shown, record, j, countOffset); // percent
            colour = VisibleGreyColour(albedo * 255 / 100);
            place.Value = static_cast<float>(albedo);
        } else {
            temperature = HirsFootprintValue(context, shown, record, j, countOffset);
            if (difference)
                temperature -= HirsFootprintValue(context, subtracted, record, j, countOffset);
            colour = context.Host.ColourForTemperature(temperature);
        }
        PlotFootprint(context, pen, place, temperature, colour);
    }
    EndScanLine(context);
}

} // namespace veltra
