#include "formats/DecodeStream.h"

#include "base/Errors.h"
#include "base/Failure.h"
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
    else
        context.FamilyMismatch = "no HIRX, AMAX, AMBX or MHSX in its name or stored data set name";
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
    if (decodeLine == nullptr) {
        if (context.FamilyMismatch.empty())
            context.FamilyMismatch = "no scan-line layout for its sensor";
        return;
    }
    // The count is taken from the header as it stands: a count larger than the file ends with
    // a short read, which ends the pass.
    for (context.ScanLine = 0; context.ScanLine < context.RecordCount; ++context.ScanLine) {
        decodeLine(context, stream);
        context.LinesDecoded = context.ScanLine + 1;
    }
}

// The layout the file's name announces, with its article, as the reasons name it.
std::string AnnouncedFamily(const TDecodeContext& context)
{
    if (context.Family == TInputFamily::ifLevel1c)
        return "an AAPP Level 1c file";
    if (context.Family == TInputFamily::ifLevel1d)
        return "an AAPP Level 1d file";
    const std::string sensor = context.Host.SensorName();
    if (sensor == "HIRS" || sensor == "AMSU-A" || sensor == "AMSU-B")
        return "a Level 1b " + sensor + " file";
    return "a supported Level 1b file";
}

// A failure in the user's terms: the reason the error carries, else one for its kind;
// shortRead names a read that found the file ended ("" when the caller words it).
std::string FailureReason(const EVeltraError& failure, const std::string& shortRead)
{
    if (!failure.Reason().empty())
        return failure.Reason();
    if (dynamic_cast<const EReadError*>(&failure) != nullptr)
        return shortRead;
    if (dynamic_cast<const EArithmeticError*>(&failure) != nullptr)
        return "arithmetic fault";
    if (dynamic_cast<const EConvertError*>(&failure) != nullptr)
        return "a date or number that cannot be converted";
    return std::string("unexpected failure: ") + failure.what();
}

// How the pass ended, from how far it got. failure: the reason of the failure that ended it
// ("" for a short read in the scan lines); failed: whether one did.
TStreamOutcome DescribeEnd(const TDecodeContext& context, bool headersRead, bool failed,
                           const std::string& failure)
{
    TStreamOutcome outcome{TStreamEnd::NotDecoded, context.LinesDecoded,
                           headersRead ? context.RecordCount : 0, ""};
    const std::string notOfFamily = "not " + AnnouncedFamily(context) + ": ";
    if (!headersRead)
        outcome.Reason = notOfFamily + failure;
    else if (!context.FamilyMismatch.empty())
        outcome.Reason = notOfFamily + context.FamilyMismatch;
    else if (context.RecordCount <= 0)
        outcome.Reason =
            notOfFamily + Format("no scan lines (record count %d)", context.RecordCount);
    if (!outcome.Reason.empty())
        return outcome;
    outcome.LinesWithoutData = context.LinesWithoutData;
    outcome.End = TStreamEnd::StoppedEarly;
    // The lines after the last that held data hold none: the data stopped there, whether the
    // file goes on with zeros or ends.
    const std::int32_t withData = context.LinesDecoded - context.LinesWithoutData;
    const bool emptyTail = context.LinesWithoutData > 0 && withData == context.LastLineWithData + 1;
    if (emptyTail && (!failed || failure.empty()))
        outcome.Reason =
            Format("stopped early: %d of %d scan lines hold data", withData, context.RecordCount);
    else if (context.LinesDecoded >= context.RecordCount)
        outcome.End = TStreamEnd::Complete;
    else if (failed && failure.empty())
        outcome.Reason =
            Format("truncated: %d of %d scan lines", context.LinesDecoded, context.RecordCount);
    else
        outcome.Reason = Format("stopped at scan line %d of %d: ", context.LinesDecoded + 1,
                                context.RecordCount) +
                         failure;
    const auto also = [&outcome](const std::string& reason) {
        outcome.Reason += (outcome.Reason.empty() ? "" : "; ") + reason;
        outcome.End = TStreamEnd::StoppedEarly;
    };
    if (context.LinesWithoutData == 1 && !emptyTail)
        also("1 scan line holds no data");
    else if (context.LinesWithoutData > 1 && !emptyTail)
        also(Format("%d scan lines hold no data", context.LinesWithoutData));
    if (context.ImpossibleFootprints == 1)
        also("1 footprint with an impossible position skipped");
    else if (context.ImpossibleFootprints > 1)
        also(Format("%lld footprints with impossible positions skipped",
                    static_cast<long long>(context.ImpossibleFootprints)));
    return outcome;
}

// The pass times the headers gave; for Level 1b what the data-set header lacks from the
// archive header's data set name.
TPassTimes PassTimesOf(const TDecodeContext& context)
{
    TPassTimes times = context.Pass;
    if (context.Family == TInputFamily::ifLevel1b) {
        if (!times.Start)
            times.Start = UtcFromDateTime(context.ArchiveStart);
        if (!times.End)
            times.End = UtcFromDateTime(context.ArchiveEnd);
    }
    return times;
}

// The diagnostics line of the pass times, for every family.
std::string PassTimesLine(const TPassTimes& times)
{
    const auto text = [](const std::optional<TUtcMilliseconds>& time) {
        return time ? IsoUtcText(*time) : std::string("unknown");
    };
    return "Pass start: " + text(times.Start) + ", end: " + text(times.End);
}

} // namespace

void ReadStreamHeaders(TDecodeContext& context, TStream& stream)
{
    if (context.Family == TInputFamily::ifLevel1b)
        ReadLevel1bHeaders(context, stream);
    else
        ReadAappHeader(context, stream);
}

std::int64_t ScanLineOffset(const TDecodeContext& context, std::int32_t record)
{
    const std::int64_t header = context.Family == TInputFamily::ifLevel1b ? ArchiveHeaderSize : 0;
    return header + static_cast<std::int64_t>(context.RecordSize) * (1 + std::int64_t{record});
}

TInputFamily InputFamilyOf(const std::string& fileExt)
{
    if (fileExt == ".L1C")
        return TInputFamily::ifLevel1c;
    if (fileExt == ".L1D")
        return TInputFamily::ifLevel1d;
    return TInputFamily::ifLevel1b;
}

std::string DifferenceCaption(int channel, int subtracted)
{
    return Format("Channel %d \u2212 %d", channel, subtracted);
}

std::string FormChannelCaption(const TDecodeContext& context, const std::string& sensorName,
                               int channel)
{
    if (channel < 1 || channel > 20)
        throw EConvertError(Format("Channel %d has no central wavenumber", channel));
    if (context.Difference != 0)
        return DifferenceCaption(channel, context.Difference);
    const auto index = static_cast<std::size_t>(channel - 1);
    if (StartsWith(sensorName, "AMS"))
        return Format("Channel %d (%.2fGHz)", channel, 30.0 * context.AmsuWavenumber[index]);
    if (channel == 20)
        return "Channel " + std::to_string(channel) + " (visible)";
    return Format("Channel %d (%.2fum)", channel, Divide(10000.0, context.HirsWavenumber[index]));
}

namespace {

// The caption was formed from the same table, so the channel number is in range.
double ChannelWavenumber(const TDecodeContext& context, const std::string& sensorName)
{
    const auto index = static_cast<std::size_t>(context.Channel - 1);
    return StartsWith(sensorName, "AMS") ? context.AmsuWavenumber[index]
                                         : context.HirsWavenumber[index];
}

} // namespace

TPassHeaders ReadPassHeaders(TDecodeHost& host, TStream* stream)
{
    TPassHeaders headers;
    if (stream == nullptr)
        return headers;
    TDecodeContext context(host);
    context.Family = InputFamilyOf(host.FileExt());
    try {
        stream->Seek(0, TSeekOrigin::Beginning);
        ReadStreamHeaders(context, *stream);
    } catch (const EVeltraError&) {
        return headers;
    }
    headers.Read = context.FamilyMismatch.empty() && context.RecordSize != 0;
    headers.Satellite = host.SatelliteName();
    headers.Times = PassTimesOf(context);
    headers.SensorCode = host.SensorCode();
    headers.Instrument = context.Instrument;
    headers.RecordCount = context.RecordCount;
    return headers;
}

TStreamOutcome DecodeStream(TDecodeHost& host, TStream* stream)
{
    if (stream == nullptr)
        return {TStreamEnd::NotDecoded, 0, 0, "cannot be opened"};
    std::string channelCaption;
    if (!host.SelectedChannelCaption(channelCaption))
        throw EVeltraError("List index out of bounds (-1)");
    TDecodeContext context(host);
    context.Channel = StrToInt(channelCaption);
    context.Difference = host.DifferenceChannel();
    context.Family = InputFamilyOf(host.FileExt());
    stream->Seek(0, TSeekOrigin::Beginning);
    host.SetSaveRawEnabled(false);

    bool headersRead = false, failed = false;
    std::string failure, internalError;
    try {
        ReadStreamHeaders(context, *stream);
        headersRead = true;
        const TPassTimes times = PassTimesOf(context);
        host.SetPassTimes(times);
        host.DiagnosticLines().push_back(PassTimesLine(times));
        if (context.RecordSize != 0)
            context.RecordBuffer.resize(static_cast<std::size_t>(context.RecordSize));
        DecodeScanLines(context, *stream);
        context.RecordBuffer = {};
        host.SetChannelCaption(FormChannelCaption(context, host.SensorName(), context.Channel));
        host.SetChannelWavenumber(ChannelWavenumber(context, host.SensorName()));
    } catch (const EVeltraError& e) {
        // A short read, a date that cannot be encoded or an arithmetic fault ends the pass
        // for this stream; what was drawn stays, and the outcome says why it ended.
        failed = true;
        failure = FailureReason(e, headersRead ? "" : "header too short");
    } catch (...) {
        // Anything else is a fault of the program, not of the file, and is told as such.
        internalError = CaughtFailure().Message;
    }
    host.SetSatelliteLabel(host.SatelliteName() + " - " + host.ChannelCaption());
    if (host.SampleCount() > 0)
        host.SetSaveRawEnabled(true);
    if (!internalError.empty())
        return {TStreamEnd::StoppedEarly, context.LinesDecoded,
                headersRead ? context.RecordCount : 0, internalError};
    return DescribeEnd(context, headersRead, failed, failure);
}

} // namespace veltra
