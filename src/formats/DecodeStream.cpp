#include "formats/DecodeStream.h"

#include <exception>

#include "base/Errors.h"
#include "base/Format.h"
#include "base/Numbers.h"
#include "formats/AappLevel1c.h"
#include "formats/AmsuLevel1b.h"
#include "formats/ArchiveHeader.h"
#include "formats/HirsLevel1b.h"

namespace veltra {

namespace {

// The data-set header of the selected sensor (its reader also takes the count of data
// records from it), then the position of the first scan line.
void ReadLevel1bHeaders(TDecodeContext& context, TStream& stream)
{
    ReadArchiveHeader(context, stream);
    const std::string sensor = context.Host.SensorName();
    if (sensor == "HIRS")
        ReadHirsHeader(context, stream);
    else if (sensor == "AMSU-A")
        ReadAmsuAHeader(context, stream);
    else if (sensor == "AMSU-B")
        ReadAmsuBHeader(context, stream);
    stream.Seek(ArchiveHeaderSize + static_cast<std::int64_t>(context.RecordSize),
                TSeekOrigin::Beginning);
}

void DecodeScanLines(TDecodeContext& context, TStream& stream)
{
    void (*decodeLine)(TDecodeContext&, TStream&) = nullptr;
    if (context.Family == TInputFamily::ifLevel1b) {
        switch (context.Host.SensorCode()) {
        case SensorHirs: decodeLine = DecodeHirsLine; break;
        case SensorAmsuA: decodeLine = DecodeAmsuALine; break;
        case SensorAmsuB: decodeLine = DecodeAmsuBLine; break;
        default: break;
        }
    } else if (context.RecordSize != 0) {
        decodeLine = DecodeAappLine;
    }
    if (decodeLine == nullptr)
        return;
    // The count is taken from the header as it stands: a count larger than the file ends with
    // a short read, which ends the pass.
    for (std::int32_t line = 0; line < context.RecordCount; ++line)
        decodeLine(context, stream);
}

} // namespace

TInputFamily InputFamilyOf(const std::string& fileExt)
{
    if (fileExt == ".L1C")
        return TInputFamily::ifLevel1c;
    if (fileExt == ".L1D")
        return TInputFamily::ifLevel1d;
    return TInputFamily::ifLevel1b;
}

std::string FormChannelCaption(const TDecodeContext& context, const std::string& sensorName,
                               int channel)
{
    if (channel < 1 || channel > 20)
        throw EConvertError(Format("Channel %d has no central wavenumber", channel));
    const auto index = static_cast<std::size_t>(channel - 1);
    if (StartsWith(sensorName, "AMS"))
        return Format("Channel %d (%.2fGHz)", channel, 30.0 * context.AmsuWavenumber[index]);
    if (channel == 20)
        return "Channel " + std::to_string(channel) + " (visible)";
    return Format("Channel %d (%.2fum)", channel,
                  Divide(10000.0, context.HirsWavenumber[index]));
}

void DecodeStream(TDecodeHost& host, TStream* stream)
{
    if (stream == nullptr)
        return;
    std::string channelCaption;
    if (!host.SelectedChannelCaption(channelCaption))
        throw EVeltraError("List index out of bounds (-1)");
    TDecodeContext context(host);
    context.Channel = StrToInt(channelCaption);
    context.Family = InputFamilyOf(host.FileExt());
    stream->Seek(0, TSeekOrigin::Beginning);
    host.ResetSamples();
    host.SetSaveRawEnabled(false);

    try {
        if (context.Family == TInputFamily::ifLevel1b)
            ReadLevel1bHeaders(context, *stream);
        else
            ReadAappHeader(context, *stream);
        if (context.RecordSize != 0)
            context.RecordBuffer.resize(static_cast<std::size_t>(context.RecordSize));
        DecodeScanLines(context, *stream);
        context.RecordBuffer = {};
        host.SetChannelCaption(FormChannelCaption(context, host.SensorName(), context.Channel));
    } catch (const std::exception&) {
        // A short read, a date that cannot be encoded or an arithmetic fault ends the pass
        // for this stream; what was drawn stays.
    }
    host.SetSatelliteLabel(host.SatelliteName() + " - " + host.ChannelCaption());
    if (host.SampleCount() > 0)
        host.SetSaveRawEnabled(true);
}

} // namespace veltra
