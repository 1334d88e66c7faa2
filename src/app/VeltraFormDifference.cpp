// Channel differences: the map painted with the brightness temperature of the channel shown
// less that of another channel of the same sensor, both decoded from the same record of every
// footprint (HIRS 8 - 12 for water vapour against the window, MHS 18 - 20 for deep convection,
// AMSU-A 4 - 6 for the lapse rate).
#include <algorithm>

#include "app/VeltraForm.h"
#include "formats/RecordChannelsReader.h"

namespace veltra {

namespace {

constexpr int HirsVisibleChannel = 20;

} // namespace

int TFormVeltra::ShownChannel() const
{
    std::string caption;
    return SelectedChannelCaption(caption) ? std::atoi(caption.c_str()) : 0;
}

std::int32_t TFormVeltra::DifferenceChannel() const
{
    // A composite shows one channel: the choice waits for the next single file.
    if (CompositeOpen)
        return 0;
    const int subtracted = requestedDifference_               ? *requestedDifference_
                           : differenceSensor_ == SensorName_ ? differenceChannel_
                                                              : 0;
    const int shown = ShownChannel();
    const std::vector<int> channels = SensorChannels(SensorName_);
    const bool visible =
        SensorName_ == "HIRS" && (shown == HirsVisibleChannel || subtracted == HirsVisibleChannel);
    if (subtracted == 0 || subtracted == shown || visible ||
        std::find(channels.begin(), channels.end(), subtracted) == channels.end())
        return 0;
    return subtracted;
}

std::string TFormVeltra::DifferenceFilePart() const
{
    const std::int32_t subtracted = DifferenceChannel();
    if (subtracted == 0)
        return "";
    // As the channel's own part, by tab position: AMSU-B channel 18 is its third tab.
    return "-" + std::to_string(SensorName_ == "AMSU-B" ? subtracted - 15 : subtracted);
}

void TFormVeltra::ShowDifferenceChoice()
{
    view_.SetMenuChecked(TMenuItem::ViewDifference, DifferenceChannel() != 0);
}

void TFormVeltra::MenuViewDifferenceClick()
{
    const int shown = ShownChannel();
    TDifferenceRequest request;
    request.Sensor = SensorName_;
    request.Channel = shown;
    for (const int channel : SensorChannels(SensorName_))
        if (channel != shown && !(SensorName_ == "HIRS" && channel == HirsVisibleChannel))
            request.Channels.push_back(channel);
    request.Subtracted = DifferenceChannel();
    if (CompositeOpen) {
        view_.ShowError("A composite of several files shows one channel, not a difference");
        ShowDifferenceChoice();
        return;
    }
    if (request.Channels.empty() || (SensorName_ == "HIRS" && shown == HirsVisibleChannel)) {
        view_.ShowError("The visible channel has no brightness temperature to subtract from");
        ShowDifferenceChoice();
        return;
    }
    if (!view_.ExecuteDifferenceDialog(request)) {
        ShowDifferenceChoice();
        return;
    }
    requestedDifference_.reset();
    differenceSensor_ = SensorName_;
    differenceChannel_ = request.Subtracted;
    TabControlChannelChange();
}

} // namespace veltra
