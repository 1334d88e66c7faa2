// The batch renderer and the viewer draw the same picture and collect the same samples: for
// every generated sample pass the window's own render pass is compared, pixel for pixel and
// byte for byte, with veltra-render at the window's bitmap size.
#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <filesystem>

#include "app/qt/Adapters.h"
#include "app/qt/MainWindow.h"

namespace veltra {
namespace {

std::vector<std::string> SamplePasses()
{
    std::vector<std::string> files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(VELTRA_SAMPLES_DIR)) {
        const std::string name = entry.path().string();
        for (const char* ending : {".L1B", ".l1c", ".l1d", ".bz2"})
            if (name.size() > 4 && name.compare(name.size() - 4, 4, ending) == 0)
                files.push_back(name);
    }
    std::sort(files.begin(), files.end());
    return files;
}

TEST(ViewerMatchesRender, EverySamplePass)
{
    const std::vector<std::string> files = SamplePasses();
    ASSERT_GE(files.size(), 15u) << "build the samples target first";
    const QString render = QString(VELTRA_BINARY_DIR) + "/src/app/veltra-render";
    QTemporaryDir out;
    for (const std::string& file : files) {
        SCOPED_TRACE(file);
        // The program beside Countries.dat, so the window draws the same outlines.
        TMainWindow window({file}, std::string(VELTRA_BINARY_DIR) + "/src/app/Veltra");
        window.show();
        TFormVeltra& form = window.Form();
        // Rendered, at the size the window shows, with no load or resize still to come.
        const auto settled = [&] {
            int width = 0, height = 0;
            window.ImageDisplaySize(width, height);
            const QList<QTimer*> timers = window.findChildren<QTimer*>();
            return form.SaveAsEnabled && form.MapBitmap->Width() == width &&
                   form.MapBitmap->Height() == height &&
                   std::none_of(timers.begin(), timers.end(),
                                [](const QTimer* timer) { return timer->isActive(); });
        };
        ASSERT_TRUE(QTest::qWaitFor(settled, 10000));
        const int width = form.MapBitmap->Width(), height = form.MapBitmap->Height();
        ASSERT_GT(width, 0);

        QProcess process;
        const QString png = out.filePath("picture.png"), bt = out.filePath("samples.bt");
        process.start(render, {"--size", QString("%1x%2").arg(width).arg(height), "--png", png,
                               "--bt", bt, QString::fromStdString(file)});
        ASSERT_TRUE(process.waitForFinished(60000));
        ASSERT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();

        const QImage viewer = MapBitmapImage(*form.MapBitmap).convertToFormat(QImage::Format_RGB888);
        const QImage batch = QImage(png).convertToFormat(QImage::Format_RGB888);
        EXPECT_TRUE(viewer == batch);

        QFile samples(bt);
        ASSERT_TRUE(samples.open(QIODevice::ReadOnly));
        const QByteArray bytes = samples.readAll();
        ASSERT_EQ(bytes.size(), 12 * form.SampleCount());
        EXPECT_EQ(std::memcmp(bytes.constData(), form.Samples.Data(), bytes.size()), 0);
    }
}

} // namespace
} // namespace veltra
