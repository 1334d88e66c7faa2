#include "formats/Level1bLine.h"

namespace veltra {

namespace {

// The start of every KLM scan-line record.
constexpr std::size_t LineNumber = 0; // unsigned 16-bit, from 1
constexpr std::size_t LineYear = 2;   // unsigned 16-bit
constexpr std::size_t LineDay = 4;    // unsigned 16-bit, day of year
constexpr std::size_t LineTime = 8;   // unsigned 32-bit, millisecond of the day

// Every KLM data-set header: year, day of year (unsigned 16-bit), millisecond (32-bit) of the
// first and of the last scan line.
constexpr std::size_t DataSetStart = 84;
constexpr std::size_t DataSetEnd = 96;

constexpr std::size_t AngleBlock = 6; // bytes per footprint

bool Holds(TBytes bytes, std::size_t offset, std::size_t width)
{
    return offset <= bytes.size() && width <= bytes.size() - offset;
}

std::optional<TUtcMilliseconds> KlmTime(TBytes bytes, std::size_t at)
{
    if (!Holds(bytes, at, 8))
        return std::nullopt;
    return UtcFromYearDay(ReadBE16(bytes, at), ReadBE16(bytes, at + 2),
                          static_cast<std::uint32_t>(ReadBE32(bytes, at + 4)));
}

} // namespace

TScanLineInfo ReadKlmLine(TBytes record, const TKlmLineLayout& layout)
{
    TScanLineInfo line;
    if (Holds(record, 0, LineTime + 4)) {
        line.Number = ReadBE16(record, LineNumber);
        line.Time = UtcFromYearDay(ReadBE16(record, LineYear), ReadBE16(record, LineDay),
                                   static_cast<std::uint32_t>(ReadBE32(record, LineTime)));
    }
    if (Holds(record, layout.QualityIndicator, 4))
        line.QualityIndicator =
            static_cast<std::uint32_t>(ReadBE32(record, layout.QualityIndicator));
    if (Holds(record, layout.ScanLineQuality, 4))
        line.ScanLineQuality = static_cast<std::uint32_t>(ReadBE32(record, layout.ScanLineQuality));
    if (Holds(record, layout.CalibrationProblem, 1))
        line.CalibrationProblem = ReadByte(record, layout.CalibrationProblem);
    const auto words = static_cast<std::size_t>(layout.ChannelQualityCount);
    if (words <= line.ChannelQuality.size() && Holds(record, layout.ChannelQuality, 2 * words)) {
        line.HasChannelQuality = true;
        const std::size_t first =
            layout.FirstChannel > 0 ? static_cast<std::size_t>(layout.FirstChannel - 1) : 0;
        for (std::size_t i = 0; i < words && first + i < line.ChannelQuality.size(); ++i)
            line.ChannelQuality[first + i] = ReadBE16(record, layout.ChannelQuality + 2 * i);
    }
    return line;
}

TFootprintAngles KlmFootprintAngles(TBytes record, std::size_t offset, std::size_t footprint,
                                    TByteOrder /*order*/)
{
    TFootprintAngles angles;
    const std::size_t at = offset + AngleBlock * footprint;
    if (!Holds(record, at, AngleBlock))
        return angles;
    const auto signed16 = [&](std::size_t o) {
        return static_cast<std::int32_t>(static_cast<std::int16_t>(ReadBE16(record, at + o)));
    };
    angles.SolarZenith = ZenithAngle(signed16(0));
    angles.SatelliteZenith = ZenithAngle(signed16(2));
    angles.RelativeAzimuth = AzimuthAngle(signed16(4));
    return angles;
}

TPassTimes ReadKlmDataSetTimes(TBytes header)
{
    return {KlmTime(header, DataSetStart), KlmTime(header, DataSetEnd)};
}

} // namespace veltra
