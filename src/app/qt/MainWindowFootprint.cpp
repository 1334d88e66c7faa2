// The "Footprint" panel of the main window: docked at the right when first shown, fed with the
// map's mouse, and told apart from the specified window, which it leaves as it is until opened.
#include <QScreen>
#include <QShortcut>
#include <QStyle>
#include <algorithm>

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
    // Opened or closed from the menu while the window is on screen, a docked panel widens or
    // narrows the window by its own width, so the map and the line under it keep their size.
    const bool resizeWindow = isVisible() && !isMaximized() && !isFullScreen() &&
                              !footprintPanel_->isFloating() &&
                              footprintPanel_->isVisible() != visible;
    const int shownWidth = footprintPanel_->isVisible() ? footprintPanel_->width() : 0;
    footprintPanel_->setVisible(visible);
    if (!resizeWindow)
        return;
    const int separator = style()->pixelMetric(QStyle::PM_DockWidgetSeparatorExtent, nullptr, this);
    int newWidth = visible ? width() + footprintPanel_->sizeHint().width() + separator
                           : width() - shownWidth - separator;
    if (screen())
        newWidth = std::min(newWidth, screen()->availableGeometry().width());
    resize(std::max(newWidth, minimumWidth()), height());
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
