#pragma once
// How the range of temperatures the palette spans is chosen for a channel: by the channel's
// default limits (the "Fixed" box included), as two given numbers, or stretched over the
// footprints a render pass decoded.
#include <string>
#include <vector>

namespace veltra {

struct TColourRange {
    enum class TChoice { Default, Given, Auto };
    TChoice Choice = TChoice::Default;
    double Min = 0, Max = 0; // kelvin, when given
};

// Whether two numbers make a range: both finite, of magnitude at most 10^6, Min below Max.
bool IsColourRange(double min, double max);

// "MIN,MAX" (kelvin, as IsColourRange), "auto" (any case) or "" (the default limits), with
// blanks allowed round each part; false, leaving range as it was, for anything else.
bool ParseColourRange(const std::string& text, TColourRange& range);
// The text ParseColourRange reads back: "", "auto" or the two numbers to 17 digits.
std::string ColourRangeText(const TColourRange& range);

// The 2nd and 98th percentiles of the finite values, each the value at its nearest
// rank (the ceil(p / 100 n)-th smallest of n); a range of one value is widened by half a
// kelvin either side. False when there is no value.
bool PercentileRange(std::vector<float> values, double& min, double& max);
// The range symmetric about 0 that a difference is shown in: from minus to plus the 98th
// percentile of the finite values' magnitudes (at its nearest rank); half a kelvin either side
// when that is 0. False when there is no value.
bool SymmetricRange(std::vector<float> values, double& min, double& max);

} // namespace veltra
