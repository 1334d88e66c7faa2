// The map under the mouse: wheel zoom about the cursor and dragging, with the redraws they
// ask for coalesced into one pass at a time, and the exact value of the footprint under the
// cursor.
#include <cmath>

#include "app/MapNavigation.h"
#include "app/VeltraForm.h"
#include "base/Format.h"

namespace veltra {

void TFormVeltra::ImageDisplayMouseWheel(int x, int y, double notches)
{
    if (Navigation->ZoomAt(std::pow(ZoomStep, notches), x, y))
        RequestRender();
}

void TFormVeltra::ImageDisplayMouseDown(int x, int y)
{
    Navigation->BeginPan(x, y);
}

void TFormVeltra::ImageDisplayMouseDrag(int x, int y)
{
    if (Navigation->PanTo(x, y))
        RequestRender();
}

void TFormVeltra::ImageDisplayMouseUp()
{
    Navigation->EndPan();
}

// A render asked for while one is pending joins it: the timer runs once however often it
// is started, and the window's events between two passes only move the view.
void TFormVeltra::RequestRender()
{
    view_.StartTimer(TTimerId::Render, 0);
}

void TFormVeltra::TimerRenderTimer()
{
    view_.StopTimer(TTimerId::Render);
    DrawChannel();
}

// The read-out derives a temperature from the colour of the pixel; this looks up the
// footprint itself, drawn within a few pixels of the cursor.
void TFormVeltra::ShowFootprintUnder(int x, int y)
{
    constexpr int Reach = 4;
    const std::int32_t i = Drawn.Nearest(x, y, Reach, mapBitmap_.Width(), mapBitmap_.Height());
    std::string text;
    if (i >= 0 && i < Samples.SampleCount()) {
        const TSampleOrigin& origin = Samples.Origin(i);
        const float value = Drawn[i].Value;
        if (SensorName_ == "HIRS" && HirsChannel == 20)
            text = StartsWith(FileExt_, ".L1B") ? Format("albedo %.2f%%", value)
                                                : Format("visible %.0f", value);
        else if (Checked(TCheckBoxId::TempsInC))
            text = Format("%.2fC", value - 273.16);
        else
            text = Format("%.2fK", static_cast<double>(value));
        text += Format("  line %d  footprint %d", origin.ScanLine + 1, origin.Footprint + 1);
        if (Streams.Count() > 1 && origin.Stream >= 0 && origin.Stream < Streams.Count()) {
            const std::string& name = Streams.FileName(origin.Stream);
            text += "  " + name.substr(name.find_last_of('/') + 1);
        }
    }
    FootprintStatus = text;
    view_.SetLabelCaption(TLabelId::FootprintValue, text);
}

} // namespace veltra
