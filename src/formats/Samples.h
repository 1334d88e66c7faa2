#pragma once
// The sample list: one entry per footprint drawn, in drawing order. The record is also the
// layout of the brightness-temperature export file, so its order and widths are a format.
#include <cstddef>
#include <cstdint>
#include <vector>

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
};

// Grows in blocks of 4096 entries to keep reallocation rare.
class TSampleList {
public:
    static constexpr std::int32_t BlockLength = 4096;

    // Empties the list and sets its allocated length to one block.
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

private:
    std::vector<TSample> samples_;
    std::vector<TSampleOrigin> origins_; // same length as samples_
    std::int32_t count_ = 0;
};

} // namespace veltra
