#pragma once
// The small widgets the main window is built from: a widget that hands its events to the
// window, and the tab bars of the sensors and channels.
#include <QMouseEvent>
#include <QTabBar>
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

protected:
    void paintEvent(QPaintEvent*) override
    {
        if (OnPaint)
            OnPaint(*this);
    }
    void mouseMoveEvent(QMouseEvent* event) override
    {
        const QPoint at = event->position().toPoint();
        if (OnMouseMove)
            OnMouseMove(at.x(), at.y());
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
};

// The channel tab bar: narrow tabs, so all twenty HIRS channels fit across the window.
QTabBar* CreateChannelTabBar(QWidget* parent);

// Replaces the captions of a tab bar and selects its first tab, without signals.
void ReplaceTabs(QTabBar& bar, const std::vector<std::string>& captions);

} // namespace veltra
