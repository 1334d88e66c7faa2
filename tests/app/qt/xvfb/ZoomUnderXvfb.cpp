// The real viewer in a virtual X display: the pointer is put over the map, the wheel turned
// by the X server's test extension (xdotool), and the screen photographed before and after.
// The zoom must change the view and keep, in the read-out, the latitude and longitude of the
// point under the cursor within one pixel's worth.
//   ZoomUnderXvfb SAMPLE-FILE SCREENSHOT-FOLDER
#include <QApplication>
#include <QCursor>
#include <QLabel>
#include <QPixmap>
#include <QProcess>
#include <QRegularExpression>
#include <QScreen>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>
#include <cstdio>

#include "app/MapNavigation.h"
#include "app/qt/MainWindow.h"
#include "mapping/zorMapping.h"

namespace {

int failures = 0;

void Check(bool condition, const QString& what)
{
    std::printf("%s: %s\n", condition ? "ok" : "FAILED", qPrintable(what));
    failures += condition ? 0 : 1;
}

// The whole degrees of "Lat: 55°  Lon: 10°  ...".
bool ReadOut(const QString& text, int& latitude, int& longitude)
{
    const auto match = QRegularExpression("Lat: (-?\\d+)\\S*\\s+Lon: (-?\\d+)").match(text);
    latitude = match.captured(1).toInt();
    longitude = match.captured(2).toInt();
    return match.hasMatch();
}

double ArcDegrees(float lat1, float lon1, float lat2, float lon2)
{
    double km = 0;
    veltra::GreatCircleDistance(lat1, lon1, lat2, lon2, km);
    return km / 111.32;
}

} // namespace

int main(int argc, char** argv)
{
    using namespace veltra;
    if (argc != 3) {
        std::fputs("usage: ZoomUnderXvfb SAMPLE-FILE SCREENSHOT-FOLDER\n", stderr);
        return 2;
    }
    QTemporaryDir home;
    qputenv("HOME", home.path().toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", (home.path() + "/config").toLocal8Bit());
    qputenv("XDG_DATA_HOME", (home.path() + "/share").toLocal8Bit());
    qputenv("QT_QPA_PLATFORM", "xcb");
    QStandardPaths::setTestModeEnabled(true);
    QApplication application(argc, argv);
    const QString shots = QString::fromLocal8Bit(argv[2]);

    TMainWindow window({argv[1]}, std::string(VELTRA_BINARY_DIR) + "/src/app/Veltra");
    window.show();
    TFormVeltra& form = window.Form();
    if (!QTest::qWaitForWindowExposed(&window) ||
        !QTest::qWaitFor([&] { return form.SaveAsEnabled; }, 10000)) {
        Check(false, "the window shows the pass");
        return 1;
    }
    QTest::qWait(800); // the resize pass
    auto* map = window.findChild<QWidget*>("ImageDisplay");
    auto* label = window.findChild<QLabel*>("LabelCursorLocation");
    const QPoint at(map->width() * 2 / 5, map->height() * 2 / 5);
    QCursor::setPos(map->mapToGlobal(at));
    Check(QTest::qWaitFor([&] { return !label->text().isEmpty(); }, 3000),
          "the pointer over the map shows a read-out");
    const QString before = label->text();
    float lat0 = 0, lon0 = 0;
    form.Mapping->XYToLatLon(at.x(), at.y(), lat0, lon0);
    const float span0 = form.Mapping->LatitudeSpan;
    const QImage mapBefore = map->grab().toImage();
    window.screen()->grabWindow(0).save(shots + "/before-zoom.png");

    const std::uint64_t passes = form.RenderPasses;
    const int clicked =
        QProcess::execute("xdotool", {"click", "--repeat", "2", "--delay", "50", "4"});
    Check(clicked == 0, "xdotool turns the wheel");
    Check(QTest::qWaitFor([&] { return form.Navigation->Changed() && form.RenderPasses > passes; },
                          5000),
          "the wheel draws a new view");
    QTest::qWait(500);
    const QString after = label->text();
    float lat1 = 0, lon1 = 0;
    form.Mapping->XYToLatLon(at.x(), at.y(), lat1, lon1);
    window.screen()->grabWindow(0).save(shots + "/after-zoom.png");

    std::printf("read-out before: %s\nread-out after:  %s\n", qPrintable(before),
                qPrintable(after));
    Check(form.Mapping->LatitudeSpan < span0 * 0.7f,
          QString("two notches zoom in (latitude span %1 -> %2)")
              .arg(span0)
              .arg(form.Mapping->LatitudeSpan));
    Check(map->grab().toImage() != mapBefore, "the map shows the new view");
    int latA = 0, lonA = 0, latB = 0, lonB = 0;
    Check(ReadOut(before, latA, lonA) && ReadOut(after, latB, lonB) && std::abs(latA - latB) <= 1 &&
              std::abs(lonA - lonB) <= 1,
          "the read-out keeps its latitude and longitude");
    // One pixel of the new view near the cursor, degrees of arc.
    float latN = 0, lonN = 0;
    form.Mapping->XYToLatLon(at.x(), at.y() + 1, latN, lonN);
    const double pixel = ArcDegrees(lat1, lon1, latN, lonN);
    const double moved = ArcDegrees(lat0, lon0, lat1, lon1);
    Check(moved <= pixel, QString("the point under the cursor moved %1 degrees, a pixel is %2")
                              .arg(moved)
                              .arg(pixel));
    return failures == 0 ? 0 : 1;
}
