#include "imaging/BrightnessTemperatures.h"

#include <cstdint>
#include <cstring>

#include "base/AtomicFile.h"
#include "base/Errors.h"

namespace veltra {

namespace {

void AppendLittleEndian(std::vector<std::uint8_t>& out, float value)
{
    std::uint32_t word;
    std::memcpy(&word, &value, 4);
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<std::uint8_t>(word >> (8 * i)));
}

} // namespace

std::vector<std::uint8_t> BrightnessTemperatureBytes(const TSampleList& samples)
{
    std::vector<std::uint8_t> bytes;
    bytes.reserve(static_cast<std::size_t>(samples.SampleCount()) * sizeof(TSample));
    for (std::int32_t i = 0; i < samples.SampleCount(); ++i) {
        AppendLittleEndian(bytes, samples[i].Latitude);
        AppendLittleEndian(bytes, samples[i].Longitude);
        AppendLittleEndian(bytes, samples[i].Temperature);
    }
    return bytes;
}

void SaveBrightnessTemperatures(const TSampleList& samples, const std::string& fileName)
{
    WriteOutput(fileName, BrightnessTemperatureBytes(samples));
}

} // namespace veltra
