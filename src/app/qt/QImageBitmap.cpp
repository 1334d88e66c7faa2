#include "app/qt/QImageBitmap.h"

#include <QFontMetrics>
#include <QPainter>

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace veltra {
namespace {

QColor ToQColor(TColour c) { return QColor(RedOf(c), GreenOf(c), BlueOf(c)); }

} // namespace

void TQImageBitmap::Plot(int x, int y, TColour colour)
{
    if (x < 0 || y < 0 || x >= image_.width() || y >= image_.height())
        return;
    uchar* p = image_.scanLine(y) + x * 3;
    p[0] = static_cast<uchar>(RedOf(colour));
    p[1] = static_cast<uchar>(GreenOf(colour));
    p[2] = static_cast<uchar>(BlueOf(colour));
}

// One segment from `from` towards `to`, the end point excluded: 1-pixel pens by Bresenham
// (a dotted pen paints every other pixel), wider pens by QPainter with round caps and joins.
void TQImageBitmap::Segment(TPoint from, TPoint to)
{
    if (penWidth_ > 1) {
        if (image_.isNull())
            return;
        QPainter painter(&image_);
        painter.setRenderHint(QPainter::Antialiasing, false);
        painter.setPen(QPen(ToQColor(pen_), penWidth_,
                            penStyle_ == TPenStyle::Dot ? Qt::DotLine : Qt::SolidLine,
                            Qt::RoundCap, Qt::RoundJoin));
        painter.drawLine(from.X, from.Y, to.X, to.Y);
        return;
    }
    long x = from.X, y = from.Y;
    const long dx = std::labs(static_cast<long>(to.X) - x), sx = x < to.X ? 1 : -1;
    const long dy = -std::labs(static_cast<long>(to.Y) - y), sy = y < to.Y ? 1 : -1;
    long error = dx + dy;
    for (long step = 0; x != to.X || y != to.Y; ++step) {
        if (penStyle_ == TPenStyle::Solid || step % 2 == 0)
            Plot(static_cast<int>(x), static_cast<int>(y), pen_);
        const long twice = 2 * error;
        if (twice >= dy) {
            error += dy;
            x += sx;
        }
        if (twice <= dx) {
            error += dx;
            y += sy;
        }
    }
}

void TQImageBitmap::LineTo(int x, int y)
{
    Segment(position_, {x, y});
    position_ = {x, y};
}

void TQImageBitmap::Polyline(const TPoint* points, int count)
{
    for (int i = 1; i < count; ++i)
        Segment(points[i - 1], points[i]);
}

void TQImageBitmap::FillRect(int left, int top, int right, int bottom, TColour colour)
{
    left = std::max(left, 0);
    top = std::max(top, 0);
    right = std::min(right, image_.width());
    bottom = std::min(bottom, image_.height());
    for (int y = top; y < bottom; ++y)
        for (int x = left; x < right; ++x)
            Plot(x, y, colour);
}

void TQImageBitmap::FrameRect(int left, int top, int right, int bottom)
{
    if (right <= left || bottom <= top)
        return;
    for (int x = left; x < right; ++x) {
        Plot(x, top, pen_);
        Plot(x, bottom - 1, pen_);
    }
    for (int y = top; y < bottom; ++y) {
        Plot(left, y, pen_);
        Plot(right - 1, y, pen_);
    }
}

QFont TQImageBitmap::QtFont() const
{
    QFont font(QString::fromStdString(font_.Name));
    font.setPointSize(std::max(font_.Size, 1));
    font.setStyleStrategy(QFont::NoAntialias);
    return font;
}

int TQImageBitmap::TextWidth(const std::string& text)
{
    return QFontMetrics(QtFont(), &image_).horizontalAdvance(QString::fromStdString(text));
}

int TQImageBitmap::TextHeight(const std::string&)
{
    return QFontMetrics(QtFont(), &image_).height();
}

void TQImageBitmap::TextOut(int x, int y, const std::string& text)
{
    if (image_.isNull())
        return;
    QPainter painter(&image_);
    painter.setRenderHint(QPainter::TextAntialiasing, false);
    painter.setFont(QtFont());
    painter.setPen(ToQColor(font_.Colour));
    painter.drawText(x, y + painter.fontMetrics().ascent(), QString::fromStdString(text));
}

TColour TQImageBitmap::Pixel(int x, int y) const
{
    if (x < 0 || y < 0 || x >= image_.width() || y >= image_.height())
        return 0;
    const uchar* p = image_.constScanLine(y) + x * 3;
    return PackColour(p[0], p[1], p[2]);
}

void TQImageBitmap::SetSize(int width, int height)
{
    if (width <= 0 || height <= 0) {
        image_ = QImage();
        return;
    }
    QImage resized(width, height, QImage::Format_RGB888);
    resized.fill(ToQColor(fill_));
    const int rows = std::min(height, image_.height());
    const int bytes = std::min(width, image_.width()) * 3;
    for (int y = 0; y < rows; ++y)
        std::memcpy(resized.scanLine(y), image_.constScanLine(y), static_cast<std::size_t>(bytes));
    image_ = resized;
}

} // namespace veltra
