#include "app/FootprintReadout.h"

#include <cmath>

#include "base/Format.h"
#include "mapping/zorMapping.h"

namespace veltra {

std::string FootprintValueText(float value, const TValueStyle& style)
{
    if (style.Visible)
        return style.Level1b ? Format("albedo %.2f%%", value) : Format("visible %.0f", value);
    if (style.Difference)
        return Format("difference %.2fK", static_cast<double>(value));
    if (style.Celsius)
        return Format("%.2fC", value - 273.16);
    return Format("%.2fK", static_cast<double>(value));
}

float VisibleAlbedo(float drawnValue, bool level1b)
{
    return level1b ? drawnValue : drawnValue / 51.0f;
}

std::string TFootprintDetails::Text() const
{
    std::string text;
    for (const std::string* part :
         {&Value, &Place, &File, &Position, &Time, &SatelliteZenith, &Flags})
        if (!part->empty())
            text += (text.empty() ? "" : "  ") + *part;
    return text;
}

TFootprintDetails FootprintDetailsOf(const TSampleList& samples, std::int32_t i, float value,
                                     const TValueStyle& style, const std::string& file)
{
    const TSample& sample = samples[i];
    const TSampleOrigin& origin = samples.Origin(i);
    const char* degree = DegreeSign.c_str();
    TFootprintDetails d;
    d.Value = FootprintValueText(value, style);
    d.Place = Format("line %d  footprint %d", origin.ScanLine + 1, origin.Footprint + 1);
    d.File = file;
    d.Position = Format("lat %.2f%s  lon %.2f%s", static_cast<double>(sample.Latitude), degree,
                        static_cast<double>(sample.Longitude), degree);
    if (const std::optional<TUtcMilliseconds> time = samples.TimeOf(i))
        d.Time = TimeOfDayText(*time);
    if (const float zenith = samples.AnglesOf(i).SatelliteZenith; !std::isnan(zenith))
        d.SatelliteZenith = Format("satellite zenith %.2f%s", static_cast<double>(zenith), degree);
    if (const TScanLineInfo* line = samples.ScanLineOf(i)) {
        std::string words;
        for (const std::string& word : FlagWords(*line, line->Channel))
            words += (words.empty() ? "flags: " : ", ") + word;
        d.Flags = words;
    }
    return d;
}

std::int32_t FlaggedLineCount(const TSampleList& samples)
{
    std::int32_t count = 0;
    for (const TScanLineInfo& line : samples.ScanLines())
        count += LineFlagged(line) ? 1 : 0;
    return count;
}

std::int32_t MaskedLineCount(const TSampleList& samples)
{
    std::int32_t count = 0;
    for (const TScanLineInfo& line : samples.ScanLines())
        count += FootprintHidden(line, line.Channel) ? 1 : 0;
    return count;
}

std::string FlaggedLinesText(std::int32_t count)
{
    if (count <= 0)
        return "";
    return Format("%d scan line%s flagged", count, count == 1 ? "" : "s");
}

} // namespace veltra
