#include "shell/AppIcon.h"

#include <QPainter>
#include <QPixmap>

#include "shell/VersionInfo.h"

namespace veltra {
namespace {

// A navy globe with a graticule and a warm swath across it, as in the installed SVG.
QPixmap DrawIcon(int size)
{
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size / 64.0, size / 64.0);
    painter.setPen(QPen(QColor(0x0b, 0x1f, 0x4d), 2));
    painter.setBrush(QColor(0x1d, 0x4e, 0x9e));
    painter.drawEllipse(QRectF(4, 4, 56, 56));
    painter.setPen(QPen(QColor(0x9f, 0xc3, 0xf0), 1.5));
    painter.setBrush(Qt::NoBrush);
    painter.drawEllipse(QRectF(18, 4, 28, 56));
    painter.drawLine(QPointF(4, 32), QPointF(60, 32));
    painter.drawLine(QPointF(9, 18), QPointF(55, 18));
    painter.drawLine(QPointF(9, 46), QPointF(55, 46));
    painter.setPen(QPen(QColor(0xff, 0x9d, 0x00, 220), 9, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(QPointF(16, 52), QPointF(46, 12));
    painter.setPen(QPen(QColor(0xff, 0x20, 0x00, 230), 4, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(QPointF(18, 49), QPointF(44, 15));
    return pixmap;
}

} // namespace

QIcon AppIcon()
{
    QIcon icon = QIcon::fromTheme(version::DesktopId);
    if (icon.isNull()) {
        for (int size : {16, 32, 48, 64})
            icon.addPixmap(DrawIcon(size));
    }
    return icon;
}

} // namespace veltra
