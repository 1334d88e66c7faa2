#include "imaging/qt/MapCanvas.h"

#include <QBuffer>
#include <QFont>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QPainter>
#include <QPen>
#include <cstdint>
#include <memory>

#include "base/Errors.h"

// The resource's registration function lives in the global namespace.
static void RegisterFontResource()
{
    Q_INIT_RESOURCE(fonts);
}

namespace veltra {

namespace {

QColor ToQColor(TColour colour)
{
    return QColor(RedOf(colour), GreenOf(colour), BlueOf(colour));
}

// A QFont for a font request: the bundled face at the requested size, never antialiased.
QFont ToQFont(const TFont& font)
{
    QFont qfont(BundledFontFamily());
    qfont.setPointSize(font.Size > 0 ? font.Size : 8);
    qfont.setStyleStrategy(QFont::NoAntialias);
    return qfont;
}

// Text is measured at the resolution of a bitmap (96 dots per inch), also before the map
// bitmap has a size.
const QPaintDevice* MetricsDevice()
{
    static const QImage reference(1, 1, QImage::Format_RGB888);
    return &reference;
}

// The lent pixels as an image QPainter draws into directly.
QImage ImageOver(const TRgbPixels& pixels)
{
    return QImage(pixels.Bits, pixels.Width, pixels.Height, pixels.BytesPerLine,
                  QImage::Format_RGB888);
}

QString ToQString(const std::string& text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

class TQtCanvasPainter : public TCanvasPainter {
public:
    void WideSegment(const TRgbPixels& pixels, double ax, double ay, double bx, double by,
                     TColour colour, int width) override
    {
        QImage image = ImageOver(pixels);
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing, false);
        painter.setPen(QPen(ToQColor(colour), width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        // QPainter's integer coordinates are pixel corners; half a pixel on puts the stroke's
        // axis through the pixel centres, so the pen lies symmetrically round the line.
        const QPointF a(ax + 0.5, ay + 0.5), b(bx + 0.5, by + 0.5);
        if (a == b)
            painter.drawPoint(a);
        else
            painter.drawLine(a, b);
    }

    int TextWidth(const TFont& font, const std::string& text) override
    {
        return QFontMetrics(ToQFont(font), MetricsDevice()).horizontalAdvance(ToQString(text));
    }

    int TextHeight(const TFont& font) override
    {
        return QFontMetrics(ToQFont(font), MetricsDevice()).height();
    }

    void TextOut(const TRgbPixels& pixels, int x, int y, const TFont& font,
                 const std::string& text) override
    {
        QImage image = ImageOver(pixels);
        const QFont qfont = ToQFont(font);
        const QFontMetrics metrics(qfont, &image);
        const QString qtext = ToQString(text);
        // Text wholly off the bitmap is not drawn, which also keeps far-out coordinates away
        // from QPainter.
        const std::int64_t width = metrics.horizontalAdvance(qtext), height = metrics.height();
        if (x >= image.width() || y >= image.height() || std::int64_t{x} + width < 0 ||
            std::int64_t{y} + height < 0)
            return;
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing, false);
        painter.setRenderHint(QPainter::TextAntialiasing, false);
        painter.setFont(qfont);
        painter.setPen(ToQColor(font.Colour));
        painter.drawText(QPoint(x, y + metrics.ascent()), qtext);
    }
};

} // namespace

TCanvasPainter& QtCanvasPainter()
{
    static TQtCanvasPainter painter;
    return painter;
}

QString BundledFontFamily()
{
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) == nullptr)
        throw EVeltraError("Drawing text needs a running QGuiApplication");
    static const QString family = [] {
        RegisterFontResource();
        const int id = QFontDatabase::addApplicationFont(":/fonts/DejaVuSans.ttf");
        const QStringList families = QFontDatabase::applicationFontFamilies(id);
        return families.isEmpty() ? QString() : families.first();
    }();
    if (family.isEmpty())
        throw EVeltraError("The bundled font could not be loaded");
    return family;
}

QByteArray PngBytes(const QImage& image)
{
    QByteArray bytes;
    if (image.isNull())
        return bytes;
    QBuffer buffer(&bytes);
    if (!buffer.open(QIODevice::WriteOnly) || !image.save(&buffer, "PNG"))
        bytes.clear();
    return bytes;
}

} // namespace veltra
