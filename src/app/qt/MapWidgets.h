#pragma once
// The small widgets the main window is built from: a widget that hands its events to the
// window, and the tab bars of the sensors and channels.
#include <QApplication>
#include <QMouseEvent>
#include <QTabBar>
#include <QWheelEvent>
#include <QWidget>

#include <functional>
#include <string>
#include <vector>

namespace veltra {

// A plain widget whose paint, mouse and size events go to the window: the map image and the
// scale bar.
class TEventWidget : public QWidget {
public:
    using QWidget::QWidget;
    std::function<void(QWidget&)> OnPaint;
    std::function<void(int, int)> OnMouseMove;
    std::function<void()> OnLeave;
    std::function<void()> OnResize;
    // The left button: pressed, moved while held, released.
    std::function<void(int, int)> OnPress;
    std::function<void(int, int)> OnDrag;
    std::function<void()> OnRelease;
    // The left button pressed and released without the mouse moving more than a drag's start
    // distance: a click, at the press.
    std::function<void(int, int)> OnClick;
    // Wheel notches (120ths of the angle, as Qt counts) at a position.
    std::function<void(int, int, double)> OnWheel;

protected:
    void paintEvent(QPaintEvent*) override
    {
        if (OnPaint)
            OnPaint(*this);
    }
    void mouseMoveEvent(QMouseEvent* event) override
    {
        const QPoint at = event->position().toPoint();
        if ((event->buttons() & Qt::LeftButton) && OnDrag)
            OnDrag(at.x(), at.y());
        if (OnMouseMove)
            OnMouseMove(at.x(), at.y());
    }
    void mousePressEvent(QMouseEvent* event) override
    {
        const QPoint at = event->position().toPoint();
        if (event->button() == Qt::LeftButton)
            pressedAt_ = at;
        if (event->button() == Qt::LeftButton && OnPress)
            OnPress(at.x(), at.y());
    }
    void mouseReleaseEvent(QMouseEvent* event) override
    {
        if (event->button() == Qt::LeftButton && OnRelease)
            OnRelease();
        const QPoint moved = event->position().toPoint() - pressedAt_;
        if (event->button() == Qt::LeftButton && OnClick &&
            moved.manhattanLength() <= QApplication::startDragDistance())
            OnClick(pressedAt_.x(), pressedAt_.y());
    }
    void wheelEvent(QWheelEvent* event) override
    {
        const QPoint at = event->position().toPoint();
        const int delta = event->angleDelta().y();
        if (delta != 0 && OnWheel)
            OnWheel(at.x(), at.y(), delta / 120.0);
        event->accept();
    }
    void leaveEvent(QEvent*) override
    {
        if (OnLeave)
            OnLeave();
    }
    void resizeEvent(QResizeEvent*) override
    {
        if (OnResize)
            OnResize();
    }

private:
    QPoint pressedAt_;
};

// The channel tab bar: narrow tabs, so all twenty HIRS channels fit across the window.
QTabBar* CreateChannelTabBar(QWidget* parent);

// Replaces the captions of a tab bar and selects its first tab, without signals.
void ReplaceTabs(QTabBar& bar, const std::vector<std::string>& captions);

} // namespace veltra
