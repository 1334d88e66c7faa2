#pragma once
// The main window's size and position, kept between runs under WindowWidth, WindowHeight,
// WindowLeft and WindowTop. A position that would put the window off every screen (a screen
// since unplugged) is not used.
#include <QList>
#include <QRect>

#include <memory>

class QWidget;

namespace veltra {

class TRegistryInteger;

// Whether a window whose frame has this top-left corner and width shows enough of its title
// bar on one of the screens to be dragged.
bool ReachableOnScreens(const QRect& frame, const QList<QRect>& screens);

class TWindowState {
public:
    TWindowState();
    ~TWindowState();
    // Applies the stored size (not below the window's minimum) and position.
    void Restore(QWidget& window) const;
    // Takes the window's present size and position, stored when this object goes.
    void Remember(const QWidget& window);

private:
    std::unique_ptr<TRegistryInteger> width_, height_, left_, top_;
};

} // namespace veltra
