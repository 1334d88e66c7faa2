#include "app/qt/WindowState.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <climits>

#include "settings/RegistryVariables.h"

namespace veltra {

namespace {

constexpr std::int32_t NotStored = INT32_MIN;
// How much of the title bar must be on a screen: enough to grab it.
constexpr int GripWidth = 100, GripHeight = 20;

} // namespace

bool ReachableOnScreens(const QRect& frame, const QList<QRect>& screens)
{
    const QRect titleBar(frame.left(), frame.top(), frame.width(), GripHeight);
    for (const QRect& screen : screens) {
        const QRect seen = screen.intersected(titleBar);
        if (seen.width() >= std::min(titleBar.width(), GripWidth) && seen.height() >= GripHeight)
            return true;
    }
    return false;
}

TWindowState::TWindowState()
    : width_(std::make_unique<TRegistryInteger>("WindowWidth", NotStored)),
      height_(std::make_unique<TRegistryInteger>("WindowHeight", NotStored)),
      left_(std::make_unique<TRegistryInteger>("WindowLeft", NotStored)),
      top_(std::make_unique<TRegistryInteger>("WindowTop", NotStored))
{
}

TWindowState::~TWindowState() = default;

void TWindowState::Restore(QWidget& window) const
{
    if (width_->Value > 0 && height_->Value > 0)
        window.resize(QSize(width_->Value, height_->Value).expandedTo(window.minimumSize()));
    if (left_->Value == NotStored || top_->Value == NotStored)
        return;
    QList<QRect> screens;
    for (const QScreen* screen : QGuiApplication::screens())
        screens << screen->availableGeometry();
    const QRect frame(QPoint(left_->Value, top_->Value), window.size());
    if (ReachableOnScreens(frame, screens))
        window.move(frame.topLeft());
}

void TWindowState::Remember(const QWidget& window)
{
    width_->Value = window.width();
    height_->Value = window.height();
    left_->Value = window.x();
    top_->Value = window.y();
}

} // namespace veltra
