// The decoding pass over one stream of the family VELTRA_FUZZ_EXT names. The first input bytes
// choose the sensor tab, the channel tab and the projection; the rest is the file. The pass is
// run twice on the same bytes from a fresh window state: both runs must give the same samples,
// captions and diagnostics lines; and the spectrum of a footprint, read again from its one
// record, must hold the very value the pass decoded for it.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <span>
#include <string>
#include <vector>

#include "formats/DecodeStream.h"
#include "formats/RecordChannelsReader.h"
#include "fuzz/FuzzSupport.h"
#include "imaging/qt/MapCanvas.h"
#include "mapping/zorMapping.h"
#include "support/FakeHost.h"

namespace {

using namespace veltra;

// The fake window state of the tests, drawing on a small map bitmap through a real projection
// so that each run stays cheap.
class TFuzzHost : public test::TFakeHost {
public:
    TFuzzHost(const std::string& sensor, int channel, std::uint8_t projection)
    {
        Ext = VELTRA_FUZZ_EXT;
        Sensor = sensor;
        ChannelTab = std::to_string(channel);
        Mapping.SetWidth(64);
        Mapping.SetHeight(48);
        Mapping.SetProjection(projection);
        Mapping.SetLongitudeSpan(150.0f);
        Mapping.SetLatitudeSpan(75.0f);
    }
    TCanvas& MapCanvas() override { return Bitmap; }
    const TProjector& Projection() const override { return Mapping; }

    TRasterCanvas Bitmap{&QtCanvasPainter(), 64, 48};
    TMapping Mapping;
};

struct TPassResult {
    std::vector<TSample> Samples;
    std::vector<std::string> Lines;
    std::string Label, Hint, Satellite;
    std::uint8_t Code = 0;

    bool operator==(const TPassResult& other) const
    {
        if (Samples.size() != other.Samples.size())
            return false;
        for (std::size_t i = 0; i < Samples.size(); ++i) {
            const TSample &a = Samples[i], &b = other.Samples[i];
            // Compared bit for bit through their bytes: NaN must equal NaN here.
            if (std::memcmp(&a, &b, sizeof a) != 0)
                return false;
        }
        return Lines == other.Lines && Label == other.Label && Hint == other.Hint &&
               Satellite == other.Satellite && Code == other.Code;
    }
};

void CheckSpectra(const TFuzzHost& host, const std::vector<std::uint8_t>& file,
                  const std::string& sensor, int channel)
{
    const std::vector<int> channels = SensorChannels(sensor);
    const auto at = std::find(channels.begin(), channels.end(), channel);
    if (at == channels.end())
        return;
    TMemoryStream stream(file);
    TRecordChannelsReader reader(stream, VELTRA_FUZZ_EXT, sensor, false);
    for (std::int32_t i = 0; i < std::min(host.Samples.SampleCount(), 64); ++i) {
        const TSampleOrigin& origin = host.Samples.Origin(i);
        std::vector<TChannelValue> values;
        try {
            values = reader.Spectrum(origin.ScanLine, origin.Footprint);
        } catch (...) {
            fuzz::Check(false, "the spectrum of a decoded footprint can be read");
        }
        fuzz::Check(values.size() == channels.size(), "a spectrum holds every channel");
        const TChannelValue& value = values[static_cast<std::size_t>(at - channels.begin())];
        const float decoded = host.Samples[i].Temperature;
        fuzz::Check(value.Visible || std::memcmp(&value.Value, &decoded, 4) == 0,
                    "a footprint's spectrum holds the value its pass decoded");
    }
}

TPassResult RunPass(const std::vector<std::uint8_t>& file, const std::string& sensor, int channel,
                    std::uint8_t projection)
{
    TFuzzHost host(sensor, channel, projection);
    TMemoryStream stream(file);
    DecodeStream(host, &stream);
    CheckSpectra(host, file, sensor, channel);
    TPassResult result;
    for (std::int32_t i = 0; i < host.Samples.SampleCount(); ++i)
        result.Samples.push_back(host.Samples[i]);
    result.Lines = host.Lines;
    result.Label = host.Label;
    result.Hint = host.Hint;
    result.Satellite = host.Satellite;
    result.Code = host.Code;
    return result;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::span<const std::uint8_t> input(data, size);
    static const char* const sensors[] = {"HIRS", "AMSU-A", "AMSU-B"};
    const std::string sensor = sensors[fuzz::TakeByte(input) % 3];
    // Channels beyond a sensor's range are part of what the pass must survive.
    const int channel = 1 + fuzz::TakeByte(input) % 21;
    const auto projection = static_cast<std::uint8_t>(fuzz::TakeByte(input) % 15);
    const std::vector<std::uint8_t> file(input.begin(), input.end());

    const TPassResult first = RunPass(file, sensor, channel, projection);
    const TPassResult second = RunPass(file, sensor, channel, projection);
    fuzz::Check(first == second, "a second pass over the same bytes gives the same result");
    return 0;
}
