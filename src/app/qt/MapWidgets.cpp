#include "app/qt/MapWidgets.h"

#include <QProxyStyle>

namespace veltra {
namespace {

// Channel tabs are 29 x 22 pixels, so all twenty HIRS channels fit across the window. The
// styles keep 12 pixels either side of a tab's text, which would leave no room for two digits
// in 29 pixels; these tabs keep 4. A font too wide for that widens them.
constexpr int ChannelTabPadding = 8;

class TChannelTabStyle : public QProxyStyle {
public:
    int pixelMetric(PixelMetric metric, const QStyleOption* option,
                    const QWidget* widget) const override
    {
        return metric == PM_TabBarTabHSpace ? ChannelTabPadding
                                            : QProxyStyle::pixelMetric(metric, option, widget);
    }
};

class TChannelTabBar : public QTabBar {
public:
    explicit TChannelTabBar(QWidget* parent) : QTabBar(parent)
    {
        auto* style = new TChannelTabStyle;
        style->setParent(this);
        setStyle(style);
    }

protected:
    QSize tabSizeHint(int index) const override
    {
        const int text = fontMetrics().horizontalAdvance(tabText(index));
        return {std::max(29, text + ChannelTabPadding + 2), 22};
    }
};

} // namespace

QTabBar* CreateChannelTabBar(QWidget* parent)
{
    return new TChannelTabBar(parent);
}

void ReplaceTabs(QTabBar& bar, const std::vector<std::string>& captions)
{
    const QSignalBlocker quiet(&bar);
    while (bar.count() > 0)
        bar.removeTab(bar.count() - 1);
    for (const std::string& caption : captions)
        bar.addTab(QString::fromStdString(caption));
    bar.setCurrentIndex(0);
}

} // namespace veltra
