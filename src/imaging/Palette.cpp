#include "imaging/Palette.h"

#include <vector>

#include "base/Format.h"
#include "base/Numbers.h"
#include "imaging/PaletteTables.h"

namespace veltra {

namespace {

constexpr std::array<TPaletteInfo, 5> Kinds = {{
    {TPaletteKind::Thermal, "thermal", "&Thermal"},
    {TPaletteKind::Viridis, "viridis", "&Viridis"},
    {TPaletteKind::Cividis, "cividis", "&Cividis"},
    {TPaletteKind::Grey, "grey", "&Greyscale"},
    {TPaletteKind::Difference, "difference", "&Difference"},
}};

int Component(double fraction)
{
    return RoundHalfEven(fraction * 255.0);
}

std::vector<TColour> FromFractions(const std::array<TPaletteFractions, 256>& table)
{
    std::vector<TColour> colours;
    for (const TPaletteFractions& f : table)
        colours.push_back(PackColour(Component(f.Red), Component(f.Green), Component(f.Blue)));
    return colours;
}

// Cold (the low end) white, warm black.
std::vector<TColour> GreyEntries()
{
    std::vector<TColour> colours;
    for (int i = 0; i < 256; ++i)
        colours.push_back(GreyColour(255 - i));
    return colours;
}

// Blue (0, 0, 255) to white at entry 127 to red (255, 0, 0), each half linear in RGB.
std::vector<TColour> DifferenceEntries()
{
    constexpr int Middle = 127;
    std::vector<TColour> colours;
    for (int i = 0; i < 2 * Middle + 1; ++i) {
        const int fade =
            Component(i <= Middle ? i / double(Middle) : (2 * Middle - i) / double(Middle));
        colours.push_back(i <= Middle ? PackColour(fade, fade, 255) : PackColour(255, fade, fade));
    }
    return colours;
}

} // namespace

const std::array<TPaletteInfo, 5>& PaletteKinds()
{
    return Kinds;
}

const TPaletteInfo* PaletteOfCode(std::int32_t code)
{
    for (const TPaletteInfo& info : Kinds)
        if (static_cast<std::int32_t>(info.Kind) == code)
            return &info;
    return nullptr;
}

const TPaletteInfo* PaletteNamed(const std::string& name)
{
    for (const TPaletteInfo& info : Kinds)
        if (UpperCase(name) == UpperCase(info.Name))
            return &info;
    return nullptr;
}

std::span<const TColour> PaletteEntries(TPaletteKind kind)
{
    static const std::vector<TColour> viridis = FromFractions(ViridisTable);
    static const std::vector<TColour> cividis = FromFractions(CividisTable);
    static const std::vector<TColour> grey = GreyEntries();
    static const std::vector<TColour> difference = DifferenceEntries();
    switch (kind) {
    case TPaletteKind::Viridis: return viridis;
    case TPaletteKind::Cividis: return cividis;
    case TPaletteKind::Grey: return grey;
    case TPaletteKind::Difference: return difference;
    case TPaletteKind::Thermal: break;
    }
    return {};
}

TColour TColourScale::Colour(float value)
{
    const std::span<const TColour> entries = PaletteEntries(palette_);
    if (entries.empty())
        return ramp_.Colour(value, min_, max_);
    if (!(value >= min_))
        return BelowRangeColour;
    if (value > max_)
        return AboveRangeColour;
    const double position = min_ == max_ ? 1.0 : (value - min_) / (max_ - min_);
    const auto last = static_cast<double>(entries.size() - 1);
    return entries[static_cast<std::size_t>(RoundHalfEven(position * last))];
}

} // namespace veltra
