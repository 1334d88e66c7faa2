#include "formats/RecordChannelsReader.h"

#include "base/Errors.h"
#include "base/Format.h"
#include "formats/AappLayout.h"
#include "formats/AappLevel1c.h"
#include "formats/AmsuLevel1b.h"
#include "formats/DecodeContext.h"
#include "formats/DecodeStream.h"
#include "formats/HirsLevel1b.h"

namespace veltra {

namespace {

constexpr int HirsVisibleChannel = 20;

// Nothing is projected or drawn: the headers are read and records calibrated, no more.
class TNoProjection : public TProjector {
public:
    bool LatLonToXY(float, float, std::int32_t&, std::int32_t&) const override { return false; }
    std::int32_t GetWidth() const override { return 0; }
    std::int32_t GetHeight() const override { return 0; }
    std::uint8_t ProjectionKind() const override { return 0; }
};

} // namespace

std::vector<int> SensorChannels(const std::string& sensorName)
{
    int first = 1, last = 0;
    if (sensorName == "HIRS")
        last = 20;
    else if (sensorName == "AMSU-A")
        last = 15;
    else if (sensorName == "AMSU-B")
        first = 16, last = 20;
    std::vector<int> channels;
    for (int c = first; c <= last; ++c)
        channels.push_back(c);
    return channels;
}

// The decoding pass's host as far as the header readers need one, keeping the context they
// fill; it tells nobody anything.
class TRecordChannelsReader::THost : public TDecodeHost {
public:
    THost(TStream& stream, const std::string& fileExt, const std::string& sensorName,
          bool hirsCountOffset)
        : Stream(stream), Context(*this), fileExt_(fileExt), sensorName_(sensorName),
          hirsCountOffset_(hirsCountOffset)
    {
        Context.Family = InputFamilyOf(fileExt);
    }

    TStream& Stream;
    TDecodeContext Context;
    bool HeadersRead = false;

    std::string FileExt() const override { return fileExt_; }
    std::string SensorName() const override { return sensorName_; }
    bool SelectedChannelCaption(std::string&) const override { return false; }
    std::string BaseCaption() const override { return ""; }
    bool UseHirsCountOffset() const override { return hirsCountOffset_; }
    TCanvas& MapCanvas() override { return canvas_; }
    const TProjector& Projection() const override { return projection_; }
    TColour ColourForTemperature(float) override { return 0; }
    void AddSample(float, float, float, TSampleOrigin) override {}
    std::int32_t SampleCount() const override { return 0; }
    std::uint8_t SensorCode() const override { return sensorCode_; }
    void SetSensorCode(std::uint8_t code) override { sensorCode_ = code; }
    std::string SatelliteName() const override { return satellite_; }
    void SetSatelliteName(const std::string& name) override { satellite_ = name; }
    std::string ChannelCaption() const override { return ""; }
    void SetChannelCaption(const std::string&) override {}
    void SetSatelliteLabel(const std::string&) override {}
    void SetSatelliteLabelHint(const std::string&) override {}
    void SetHintHidePause(int) override {}
    void SetWindowCaption(const std::string&) override {}
    void SetSaveRawEnabled(bool) override {}
    std::vector<std::string>& DiagnosticLines() override
    {
        lines_.clear();
        return lines_;
    }

private:
    std::string fileExt_, sensorName_;
    bool hirsCountOffset_;
    std::uint8_t sensorCode_ = 0;
    std::string satellite_;
    std::vector<std::string> lines_;
    TNullCanvas canvas_;
    TNoProjection projection_;
};

TRecordChannelsReader::TRecordChannelsReader(TStream& stream, const std::string& fileExt,
                                             const std::string& sensorName, bool hirsCountOffset)
    : host_(std::make_unique<THost>(stream, fileExt, sensorName, hirsCountOffset))
{
}

TRecordChannelsReader::~TRecordChannelsReader() = default;

TLineInstrument TRecordChannelsReader::Instrument() const
{
    return host_->Context.Instrument;
}

std::string TRecordChannelsReader::SatelliteName() const
{
    return host_->SatelliteName();
}

namespace {

// Footprints per scan line of the records the headers announced.
std::int32_t FootprintsOf(const TDecodeContext& context, std::uint8_t sensorCode)
{
    if (context.Family != TInputFamily::ifLevel1b)
        return context.Aapp != nullptr ? context.Aapp->Line.Footprints : 0;
    switch (sensorCode) {
    case SensorHirs: return HirsFootprints;
    case SensorAmsuA: return AmsuAFootprints;
    case SensorAmsuB: return AmsuBFootprints;
    default: return 0;
    }
}

// One channel at one footprint, as the decoding pass of that channel takes it.
TChannelValue ValueAt(const TDecodeContext& context, std::uint8_t sensorCode, TBytes record,
                      int channel, std::size_t footprint, bool microwave)
{
    TChannelValue value;
    value.Channel = channel;
    const auto index = static_cast<std::size_t>(channel - 1);
    value.Wavenumber = microwave ? context.AmsuWavenumber[index] : context.HirsWavenumber[index];
    const bool countOffset = context.Host.UseHirsCountOffset();
    try {
        if (context.Family != TInputFamily::ifLevel1b) {
            // Level 1d: the selected sensor chooses the HIRS or the microwave values.
            const bool block = AappMicrowave(context);
            value.Visible = AappVisible(context, block, channel);
            const std::int32_t stored = AappStoredValue(context, record, block, channel, footprint);
            value.Value = value.Visible ? static_cast<float>(stored) : AappTemperature(stored);
        } else if (sensorCode == SensorHirs) {
            value.Visible = channel == HirsVisibleChannel;
            value.Value = HirsFootprintValue(context, HirsLineChannel(context, record, channel),
                                             record, footprint, countOffset);
        } else {
            value.Value = AmsuFootprintValue(context, AmsuLineChannel(context, record, channel),
                                             record, footprint);
        }
    } catch (const EVeltraError&) {
        // The pass of this channel alone would have stopped here too: no value.
    }
    return value;
}

} // namespace

std::vector<TChannelValue> TRecordChannelsReader::Spectrum(std::int32_t record,
                                                           std::int32_t footprint)
{
    TDecodeContext& context = host_->Context;
    TStream& stream = host_->Stream;
    if (!host_->HeadersRead) {
        stream.Seek(0, TSeekOrigin::Beginning);
        ReadStreamHeaders(context, stream);
        host_->HeadersRead = true;
    }
    const std::uint8_t code = host_->SensorCode();
    const std::int32_t footprints = FootprintsOf(context, code);
    if (context.RecordSize <= 0 || footprints == 0 || !context.FamilyMismatch.empty())
        throw EReadError("No scan-line layout for the stream's sensor");
    if (record < 0 || record >= context.RecordCount || footprint < 0 || footprint >= footprints)
        throw EReadError(
            Format("No footprint %d of scan line %d in the stream", footprint + 1, record + 1));
    stream.Seek(ScanLineOffset(context, record), TSeekOrigin::Beginning);
    const TBytes bytes = context.ReadRecord(stream);
    const bool microwave = StartsWith(host_->SensorName(), "AMS");
    std::vector<TChannelValue> values;
    for (const int channel : SensorChannels(host_->SensorName()))
        values.push_back(
            ValueAt(context, code, bytes, channel, static_cast<std::size_t>(footprint), microwave));
    return values;
}

} // namespace veltra
