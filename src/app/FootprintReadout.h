#pragma once
// What the read-out tells of one footprint beyond the colour under the cursor: its exact value,
// where it lies in its file, and what its scan line's record says (time, viewing angle, quality
// flags); and how many scan lines of a pass carry the flags masking hides. The window's second
// status row, veltra-render's --readout and any caption that names a footprint are made of the
// same parts.
#include <cstdint>
#include <string>

#include "formats/Samples.h"

namespace veltra {

// How a footprint's value reads: a temperature in kelvin or Celsius, or for the visible HIRS
// channel the albedo in percent (Level 1b) or the AAPP file's own value.
struct TValueStyle {
    bool Visible = false;
    bool Level1b = false;
    bool Celsius = false;
    bool Difference = false; // the difference of two channels' temperatures, in kelvin
};
// "271.23K", "-1.93C", "albedo 12.34%", "visible 180" or "difference -3.21K".
std::string FootprintValueText(float value, const TValueStyle& style);
// The albedo in percent of a value the visible HIRS channel draws: Level 1b files give the
// albedo itself, AAPP files 20 times the grey level, that is 51 times the albedo in percent
// (grey = albedo x 2.55 in both families).
float VisibleAlbedo(float drawnValue, bool level1b);

struct TFootprintDetails {
    std::string Value;           // as FootprintValueText
    std::string Place;           // "line 71  footprint 29", both counted from 1
    std::string File;            // the file's name without its folder; empty but for a group
    std::string Position;        // "lat 56.21°  lon -4.30°"
    std::string Time;            // "07:58:12.3 UTC"; empty when the line holds none
    std::string SatelliteZenith; // "satellite zenith 23.45°"; empty where the record holds none
    std::string Flags;           // "flags: do not use, calibration"; empty when none is set

    // The parts there are, in the order above, two blanks between them.
    std::string Text() const;
};

// The details of sample i of the list (0 <= i < SampleCount()): value is the value drawn for it
// (TDrawnFootprints), file the name to show for it.
TFootprintDetails FootprintDetailsOf(const TSampleList& samples, std::int32_t i, float value,
                                     const TValueStyle& style, const std::string& file);

// The scan lines of the pass flagged do not use, calibration or no Earth location (LineFlagged),
// and those whose footprints masking hides in the channel they were decoded for
// (FootprintHidden), whether or not it did.
std::int32_t FlaggedLineCount(const TSampleList& samples);
std::int32_t MaskedLineCount(const TSampleList& samples);
// "37 scan lines flagged", "1 scan line flagged"; empty for none.
std::string FlaggedLinesText(std::int32_t count);

} // namespace veltra
