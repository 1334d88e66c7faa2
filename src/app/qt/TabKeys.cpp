#include "app/qt/TabKeys.h"

#include <QShortcut>
#include <QTabBar>

namespace veltra {

namespace {

void Step(QWidget* window, QTabBar* bar, const QKeySequence& key, int step, const char* name)
{
    auto* shortcut = new QShortcut(key, window);
    shortcut->setObjectName(name);
    QObject::connect(shortcut, &QShortcut::activated, bar, [bar, step] {
        const int count = bar->count();
        if (count > 1)
            bar->setCurrentIndex((bar->currentIndex() + step + count) % count);
    });
}

} // namespace

void AddTabKeys(QWidget* window, QTabBar* sensors, QTabBar* channels)
{
    Step(window, channels, QKeySequence(Qt::CTRL | Qt::Key_PageDown), 1, "KeyNextChannel");
    Step(window, channels, QKeySequence(Qt::CTRL | Qt::Key_PageUp), -1, "KeyPreviousChannel");
    Step(window, sensors, QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_PageDown), 1,
         "KeyNextSensor");
    Step(window, sensors, QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_PageUp), -1,
         "KeyPreviousSensor");
}

} // namespace veltra
