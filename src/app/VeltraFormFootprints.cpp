// The footprints themselves rather than the colours of the picture: the read-out's second row,
// which names the footprint drawn under the cursor with what its scan line's record tells, and
// the scan lines' quality flags, counted under the map and hidden on request.
#include "app/FootprintReadout.h"
#include "app/VeltraForm.h"
#include "base/Format.h"
#include "settings/RegistryVariables.h"

namespace veltra {

void TFormVeltra::ImageDisplayMouseLeave()
{
    CursorLocation.clear();
    view_.SetLabelCaption(TLabelId::CursorLocation, "");
    FootprintStatus.clear();
    view_.SetLabelCaption(TLabelId::FootprintValue, "");
    LastMouseX = 0;
    LastMouseY = 0;
}

TFootprintDetails TFormVeltra::FootprintDetails(const TSampleList& samples, std::int32_t i,
                                                float value) const
{
    const TSampleOrigin& origin = samples.Origin(i);
    TValueStyle style;
    style.Visible = SensorName_ == "HIRS" && HirsChannel == 20;
    style.Level1b = StartsWith(FileExt_, ".L1B");
    style.Celsius = Checked(TCheckBoxId::TempsInC);
    style.Difference = DifferenceChannel() != 0;
    std::string file;
    if (Streams.Count() > 1 && origin.Stream >= 0 && origin.Stream < Streams.Count()) {
        const std::string& name = Streams.FileName(origin.Stream);
        file = name.substr(name.find_last_of('/') + 1);
    }
    return FootprintDetailsOf(samples, i, value, style, file);
}

// The read-out derives a temperature from the colour of the pixel; this looks up the
// footprint itself, drawn within a few pixels of the cursor.
void TFormVeltra::ShowFootprintUnder(int x, int y)
{
    const std::int32_t i = FootprintNear(x, y);
    FootprintStatus = i >= 0 ? FootprintDetails(Samples, i, Drawn[i].Value).Text() : "";
    view_.SetLabelCaption(TLabelId::FootprintValue, FootprintStatus);
}

std::int32_t TFormVeltra::FootprintNear(int x, int y)
{
    const std::int32_t i =
        Drawn.Nearest(x, y, FootprintReach, mapBitmap_.Width(), mapBitmap_.Height());
    return i < Samples.SampleCount() ? i : -1;
}

void TFormVeltra::MenuViewHideFlaggedLinesClick()
{
    ToggleChoice(*HideFlaggedLines, TMenuItem::ViewHideFlaggedLines);
}

bool TFormVeltra::MaskFlaggedLines() const
{
    return HideFlaggedLines && HideFlaggedLines->Value;
}

// Told whether or not the lines are hidden: the flags have false positives, and a user who
// keeps them shown should know they are there.
void TFormVeltra::ShowFlaggedLines()
{
    FlaggedLinesStatus = FlaggedLinesText(FlaggedLineCount(Samples));
    view_.SetLabelCaption(TLabelId::FlaggedLines, FlaggedLinesStatus);
}

} // namespace veltra
