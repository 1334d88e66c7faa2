// veltra-paint.so: the Qt canvas painter and PNG writer behind the plain C++ interface of
// imaging/PaintModule.h, for programs that do not link Qt's graphics themselves.
#include <QGuiApplication>
#include <exception>
#include <stdexcept>

#include "imaging/PaintModule.h"
#include "imaging/qt/MapCanvas.h"

namespace veltra {

namespace {

// Runs a drawing call, turning any exception into the false-and-reason of the interface.
template <typename TCall> bool Guarded(std::string& error, TCall call)
{
    try {
        call();
        return true;
    } catch (const std::exception& e) {
        error = e.what();
    } catch (...) {
        error = "unknown failure";
    }
    return false;
}

QtMessageHandler qtHandler = nullptr;

// Qt looks up its runtime folder while its graphics start, even on the off-screen platform
// that never uses one, and complains on standard error when the session has none (cron,
// containers) or one open to others. Drawing needs none, so those complaints are not passed on.
void WithoutRuntimeFolderWarnings(QtMsgType type, const QMessageLogContext& context,
                                  const QString& message)
{
    if (message.startsWith(QLatin1String("QStandardPaths: ")) &&
        message.contains(QLatin1String("runtime"), Qt::CaseInsensitive))
        return;
    qtHandler(type, context, message);
}

bool StartGraphics(std::string& error)
{
    return Guarded(error, [] {
        if (QCoreApplication::instance() != nullptr)
            return;
        // Never a window: the off-screen platform works on servers without a display.
        qputenv("QT_QPA_PLATFORM", "offscreen");
        qtHandler = qInstallMessageHandler(WithoutRuntimeFolderWarnings);
        // Qt keeps a reference to the argument count for the application's life.
        static int argc = 1;
        static char name[] = "veltra-render";
        static char* argv[] = {name, nullptr};
        // Never torn down: the process ends without it (see the renderer's main).
        new QGuiApplication(argc, argv);
    });
}

bool WideSegment(const TRgbPixels& pixels, double ax, double ay, double bx, double by,
                 TColour colour, int width, std::string& error)
{
    return Guarded(error,
                   [&] { QtCanvasPainter().WideSegment(pixels, ax, ay, bx, by, colour, width); });
}

bool TextWidth(const TFont& font, const std::string& text, int& width, std::string& error)
{
    return Guarded(error, [&] { width = QtCanvasPainter().TextWidth(font, text); });
}

bool TextHeight(const TFont& font, int& height, std::string& error)
{
    return Guarded(error, [&] { height = QtCanvasPainter().TextHeight(font); });
}

bool TextOut(const TRgbPixels& pixels, int x, int y, const TFont& font, const std::string& text,
             std::string& error)
{
    return Guarded(error, [&] { QtCanvasPainter().TextOut(pixels, x, y, font, text); });
}

bool PngFileBytes(const TRgbImage& pixels, std::vector<std::uint8_t>& bytes, std::string& error)
{
    return Guarded(error, [&] {
        QImage image;
        if (pixels.Bits != nullptr) {
            image = QImage(pixels.Bits, pixels.Width, pixels.Height, pixels.BytesPerLine,
                           QImage::Format_RGB888);
            // The resolution the file states: 96 dots per inch, the off-screen platform's, also
            // when Qt's graphics were not started (an image's default is then 100).
            image.setDotsPerMeterX(3780);
            image.setDotsPerMeterY(3780);
        }
        const QByteArray png = PngBytes(image);
        if (png.isEmpty())
            throw std::runtime_error("the picture cannot be encoded as PNG");
        bytes.assign(png.begin(), png.end());
    });
}

} // namespace

} // namespace veltra

extern "C" __attribute__((visibility("default"))) const veltra::TPaintModule* VeltraPaintModule()
{
    static const veltra::TPaintModule module{veltra::PaintModuleVersion, &veltra::StartGraphics,
                                             &veltra::WideSegment,       &veltra::TextWidth,
                                             &veltra::TextHeight,        &veltra::TextOut,
                                             &veltra::PngFileBytes};
    return &module;
}
