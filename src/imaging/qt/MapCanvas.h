#pragma once
// What a Qt program adds to the map bitmap: QPainter for text and the widest pens, and the
// pixels as a QImage (QImage::Format_RGB888) for the window and the image writers.
// Every font request is served by the small sans face bundled with the program, so labels look
// the same everywhere. Text needs a QGuiApplication.
#include <QByteArray>
#include <QImage>
#include <QString>

#include "imaging/RasterCanvas.h"

namespace veltra {

// Text and wide pens drawn with QPainter, antialiasing off. One for the whole process.
TCanvasPainter& QtCanvasPainter();

// The canvas's pixels as a read-only image that shares them, a null image when empty. While
// the image or a copy of it lives, the next drawing verb first gives the canvas pixels of its
// own, so the image keeps showing what it showed.
QImage ImageOf(const TRasterCanvas& canvas);

// The family name of the bundled face, registered with the font database the first time it
// is asked for. Raises EVeltraError without a QGuiApplication or when the face is missing.
QString BundledFontFamily();

// The image as a PNG file's bytes; empty when it cannot be encoded (a null image).
QByteArray PngBytes(const QImage& image);

} // namespace veltra
