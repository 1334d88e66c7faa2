#include "formats/Samples.h"

namespace veltra {

void TSampleList::Reset()
{
    count_ = 0;
    // Room for a few full-orbit passes, reserved but not touched: the memory is taken as the
    // list grows into it, and the list is never copied on the way.
    constexpr std::size_t Room = std::size_t{1} << 20;
    if (samples_.capacity() < Room) {
        samples_.reserve(Room);
        origins_.reserve(Room);
    }
    samples_.assign(BlockLength, TSample{});
    origins_.assign(BlockLength, TSampleOrigin{});
    lines_.clear();
    passTimes_.clear();
}

void TSampleList::AddSample(float latitude, float longitude, float temperature,
                            TSampleOrigin origin)
{
    ++count_;
    if (Length() < count_) {
        samples_.resize(samples_.size() + BlockLength);
        origins_.resize(samples_.size());
    }
    const auto at = static_cast<std::size_t>(count_ - 1);
    samples_[at] = TSample{latitude, longitude, temperature};
    origins_[at] = origin;
}

std::int32_t TSampleList::AddScanLine(const TScanLineInfo& line)
{
    lines_.push_back(line);
    return static_cast<std::int32_t>(lines_.size() - 1);
}

void TSampleList::SetPassTimes(std::int32_t stream, const TPassTimes& times)
{
    if (stream < 0)
        return;
    if (passTimes_.size() <= static_cast<std::size_t>(stream))
        passTimes_.resize(static_cast<std::size_t>(stream) + 1);
    passTimes_[static_cast<std::size_t>(stream)] = times;
}

TPassTimes TSampleList::PassTimes(std::int32_t stream) const
{
    if (stream < 0 || static_cast<std::size_t>(stream) >= passTimes_.size())
        return {};
    return passTimes_[static_cast<std::size_t>(stream)];
}

const TScanLineInfo* TSampleList::ScanLineOf(std::int32_t i) const
{
    const std::int32_t line = Origin(i).Line;
    if (line < 0 || static_cast<std::size_t>(line) >= lines_.size())
        return nullptr;
    return &lines_[static_cast<std::size_t>(line)];
}

std::optional<TUtcMilliseconds> TSampleList::TimeOf(std::int32_t i) const
{
    const TScanLineInfo* line = ScanLineOf(i);
    return line != nullptr ? line->Time : std::nullopt;
}

TFootprintAngles TSampleList::AnglesOf(std::int32_t i) const
{
    const TSampleOrigin& origin = Origin(i);
    TFootprintAngles angles;
    angles.SatelliteZenith = origin.SatelliteZenith;
    angles.SolarZenith = origin.SolarZenith;
    angles.RelativeAzimuth = origin.RelativeAzimuth;
    if (const TScanLineInfo* line = ScanLineOf(i))
        angles.ScanAngle = ScanAngle(line->Instrument, origin.Footprint);
    return angles;
}

bool TSampleList::FlaggedAt(std::int32_t i) const
{
    const TScanLineInfo* line = ScanLineOf(i);
    return line != nullptr && LineFlagged(*line);
}

bool TSampleList::HiddenAt(std::int32_t i) const
{
    const TScanLineInfo* line = ScanLineOf(i);
    return line != nullptr && FootprintHidden(*line, line->Channel);
}

} // namespace veltra
