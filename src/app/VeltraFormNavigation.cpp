// The map under the mouse: wheel zoom about the cursor and dragging, with the redraws they
// ask for coalesced into one pass at a time.
#include <cmath>

#include "app/MapNavigation.h"
#include "app/VeltraForm.h"

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

} // namespace veltra
