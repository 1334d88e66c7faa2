#include "app/ChannelPass.h"

#include "app/VeltraForm.h"
#include "formats/DecodeStream.h"

namespace veltra {

TChannelPass::TChannelPass(const TFormVeltra& form, int channel)
    : form_(form), channel_(std::to_string(channel)), sensorCode_(form.SensorCode()),
      satellite_(form.SatelliteName())
{
    Samples.Reset();
}

void TChannelPass::Run()
{
    for (stream_ = 0; stream_ < form_.Streams.Count(); ++stream_)
        if (TStream* stream = form_.Streams.Items(stream_))
            DecodeStream(*this, stream);
}

std::string TChannelPass::FileExt() const
{
    return form_.FileExt();
}

std::string TChannelPass::SensorName() const
{
    return form_.SensorName();
}

bool TChannelPass::SelectedChannelCaption(std::string& caption) const
{
    caption = channel_;
    return true;
}

std::string TChannelPass::BaseCaption() const
{
    return form_.BaseCaption();
}

bool TChannelPass::UseHirsCountOffset() const
{
    return form_.UseHirsCountOffset();
}

bool TChannelPass::MaskFlaggedLines() const
{
    return form_.MaskFlaggedLines();
}

void TChannelPass::AddSample(float latitude, float longitude, float temperature,
                             TSampleOrigin origin)
{
    origin.Stream = stream_;
    Samples.AddSample(latitude, longitude, temperature, origin);
    Values.push_back(temperature);
}

void TChannelPass::FootprintDrawn(std::int32_t, std::int32_t, TColour, float value)
{
    Values.back() = value;
}

std::int32_t TChannelPass::AddScanLine(const TScanLineInfo& line)
{
    TScanLineInfo kept = line;
    kept.Stream = stream_;
    return Samples.AddScanLine(kept);
}

} // namespace veltra
