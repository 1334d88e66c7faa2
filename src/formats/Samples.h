#pragma once
// The sample list: one entry per footprint drawn, in drawing order. The record is also the
// layout of the brightness-temperature export file, so its order and widths are a format.
// Beside the records the list keeps where each sample came from: its scan line's record
// (time, quality flags, instrument state, ScanLine.h), its footprint's angles, and the pass
// times of every stream.
#include <cstddef>
#include <cstdint>
#include <limits>
#include <optional>
#include <vector>

#include "formats/ScanLine.h"

namespace veltra {

struct TSample {
    float Latitude = 0;    // degrees, north positive
    float Longitude = 0;   // degrees, east positive
    float Temperature = 0; // kelvin; 0 for the visible HIRS channel
};
static_assert(sizeof(TSample) == 12, "TSample is a 12-byte file record");

// Where a sample came from, kept beside the file record so the record keeps its layout.
struct TSampleOrigin {
    std::int32_t ScanLine = 0;  // 0-based index of the scan-line record in its stream
    std::int32_t Footprint = 0; // 0-based index of the footprint in its scan line
    std::int32_t Stream = 0;    // 0-based index of the stream in the render pass (input list)
    // Index of the scan line's record in the list's ScanLines(); -1 when none was kept.
    std::int32_t Line = -1;
    // The footprint's angles as its record holds them (degrees); not a number where it holds
    // none. The scan angle is not stored: it follows from the line's instrument and Footprint.
    float SatelliteZenith = std::numeric_limits<float>::quiet_NaN();
    float SolarZenith = std::numeric_limits<float>::quiet_NaN();
    float RelativeAzimuth = std::numeric_limits<float>::quiet_NaN();
};

// Grows in blocks of 4096 entries to keep reallocation rare.
class TSampleList {
public:
    static constexpr std::int32_t BlockLength = 4096;

    // Empties the list (samples, scan lines and pass times) and sets its allocated length to
    // one block.
    void Reset();
    void AddSample(float latitude, float longitude, float temperature, TSampleOrigin origin);

    std::int32_t SampleCount() const { return count_; }
    // Allocated length: entries from SampleCount() on are not meaningful.
    std::int32_t Length() const { return static_cast<std::int32_t>(samples_.size()); }
    const TSample* Data() const { return samples_.data(); }
    const TSample& operator[](std::int32_t i) const
    {
        return samples_[static_cast<std::size_t>(i)];
    }
    const TSampleOrigin& Origin(std::int32_t i) const
    {
        return origins_[static_cast<std::size_t>(i)];
    }

    // Scan lines. The decoding pass keeps one record per scan-line record it read, drawn or
    // not (a HIRS space view, a line off the map, a line of which no footprint is visible),
    // in reading order over all streams of the render pass; AddScanLine gives the index that
    // the origins of its samples carry (TSampleOrigin::Line).
    std::int32_t AddScanLine(const TScanLineInfo& line);
    const std::vector<TScanLineInfo>& ScanLines() const { return lines_; }
    // The pass times of a stream (0-based, as TSampleOrigin::Stream); empty when its headers
    // gave none or it was not decoded.
    void SetPassTimes(std::int32_t stream, const TPassTimes& times);
    TPassTimes PassTimes(std::int32_t stream) const;

    // For sample i (0 <= i < SampleCount()):
    // the record of its scan line, or nullptr when none was kept;
    const TScanLineInfo* ScanLineOf(std::int32_t i) const;
    // the UTC time of its scan line, which is the footprint's time;
    std::optional<TUtcMilliseconds> TimeOf(std::int32_t i) const;
    // its footprint's angles, the scan angle included;
    TFootprintAngles AnglesOf(std::int32_t i) const;
    // whether its scan line is flagged (LineFlagged), and whether masking hides it in the
    // channel its line was decoded for (FootprintHidden).
    bool FlaggedAt(std::int32_t i) const;
    bool HiddenAt(std::int32_t i) const;

private:
    std::vector<TSample> samples_;
    std::vector<TSampleOrigin> origins_; // same length as samples_
    std::int32_t count_ = 0;
    std::vector<TScanLineInfo> lines_;
    std::vector<TPassTimes> passTimes_; // by stream
};

} // namespace veltra
