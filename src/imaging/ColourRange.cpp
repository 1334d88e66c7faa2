#include "imaging/ColourRange.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "base/Format.h"

namespace veltra {

namespace {

constexpr double Largest = 1e6;

std::string Trimmed(const std::string& text)
{
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string::npos)
        return "";
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

bool Number(const std::string& text, double& value)
{
    const std::string part = Trimmed(text);
    const char* end = part.data() + part.size();
    const auto result = std::from_chars(part.data(), end, value);
    return !part.empty() && result.ec == std::errc() && result.ptr == end;
}

} // namespace

bool IsColourRange(double min, double max)
{
    return std::isfinite(min) && std::isfinite(max) && std::fabs(min) <= Largest &&
           std::fabs(max) <= Largest && min < max;
}

bool ParseColourRange(const std::string& text, TColourRange& range)
{
    const std::string trimmed = Trimmed(text);
    if (trimmed.empty()) {
        range = {};
        return true;
    }
    if (UpperCase(trimmed) == "AUTO") {
        range = {TColourRange::TChoice::Auto, 0, 0};
        return true;
    }
    const auto comma = trimmed.find(',');
    double min = 0, max = 0;
    if (comma == std::string::npos || !Number(trimmed.substr(0, comma), min) ||
        !Number(trimmed.substr(comma + 1), max) || !IsColourRange(min, max))
        return false;
    range = {TColourRange::TChoice::Given, min, max};
    return true;
}

std::string ColourRangeText(const TColourRange& range)
{
    switch (range.Choice) {
    case TColourRange::TChoice::Default: return "";
    case TColourRange::TChoice::Auto: return "auto";
    case TColourRange::TChoice::Given: break;
    }
    return Format("%.17g,%.17g", range.Min, range.Max);
}

namespace {

// The value at the nearest rank of a percentile of sorted values: the ceil(percent n / 100)-th
// smallest, at least the first.
float NearestRank(const std::vector<float>& sorted, std::size_t percent)
{
    const std::size_t r = (percent * sorted.size() + 99) / 100;
    return sorted[std::max<std::size_t>(r, 1) - 1];
}

} // namespace

bool PercentileRange(std::vector<float> values, double& min, double& max)
{
    std::erase_if(values, [](float v) { return !std::isfinite(v); });
    if (values.empty())
        return false;
    std::sort(values.begin(), values.end());
    min = NearestRank(values, 2);
    max = NearestRank(values, 98);
    if (!(min < max)) {
        min -= 0.5;
        max += 0.5;
    }
    return true;
}

bool SymmetricRange(std::vector<float> values, double& min, double& max)
{
    std::erase_if(values, [](float v) { return !std::isfinite(v); });
    if (values.empty())
        return false;
    for (float& v : values)
        v = std::abs(v);
    std::sort(values.begin(), values.end());
    max = NearestRank(values, 98);
    if (!(max > 0))
        max = 0.5;
    min = -max;
    return true;
}

} // namespace veltra
