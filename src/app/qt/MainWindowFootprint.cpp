// The "Footprint" panel of the main window: docked at the right when first shown, fed with the
// map's mouse, and told apart from the specified window, which it leaves as it is until opened.
#include <QShortcut>

#include "app/qt/FootprintPanel.h"
#include "app/qt/MainWindow.h"

namespace veltra {

void TMainWindow::ShowFootprintPanel(bool visible)
{
    if (!footprintPanel_) {
        if (!visible)
            return;
        footprintPanel_ = new TFootprintPanel(
            this, form_, [this](const std::function<void()>& work) { Guarded(work); },
            [this] { Guarded([&] { form_->FootprintPanelClosed(); }); });
        addDockWidget(Qt::RightDockWidgetArea, footprintPanel_);
        // Escape lets a pinned panel follow the cursor again.
        auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
        escape->setObjectName("KeyUnpinFootprint");
        connect(escape, &QShortcut::activated, footprintPanel_,
                [this] { footprintPanel_->Unpin(); });
    }
    footprintPanel_->setVisible(visible);
}

void TMainWindow::FootprintPanelFollow(int x, int y)
{
    if (footprintPanel_)
        footprintPanel_->Follow(x, y);
}

void TMainWindow::FootprintPanelPin(int x, int y)
{
    if (footprintPanel_)
        footprintPanel_->Pin(x, y);
}

} // namespace veltra
