// The batch renderer and the viewer draw the same picture and collect the same samples: for
// every generated sample pass the window's own render pass is compared, pixel for pixel and
// byte for byte, with veltra-render at the window's bitmap size. And the two programs, started
// as a script would, end with the same statuses and say nothing of Qt's own.
#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <filesystem>

#include "app/qt/MainWindow.h"
#include "imaging/qt/MapCanvas.h"

namespace veltra {
namespace {

std::vector<std::string> SamplePasses()
{
    std::vector<std::string> files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(VELTRA_SAMPLES_DIR)) {
        const std::string name = entry.path().string();
        if (name.find("/day/") != std::string::npos) // the sample day: the composites' tests
            continue;
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
            return form.SaveAsEnabled && form.MapBitmap().Width() == width &&
                   form.MapBitmap().Height() == height &&
                   std::none_of(timers.begin(), timers.end(),
                                [](const QTimer* timer) { return timer->isActive(); });
        };
        ASSERT_TRUE(QTest::qWaitFor(settled, 10000));
        const int width = form.MapBitmap().Width(), height = form.MapBitmap().Height();
        ASSERT_GT(width, 0);

        QProcess process;
        const QString png = out.filePath("picture.png"), bt = out.filePath("samples.bt");
        process.start(render, {"--size", QString("%1x%2").arg(width).arg(height), "--png", png,
                               "--bt", bt, QString::fromStdString(file)});
        ASSERT_TRUE(process.waitForFinished(60000));
        ASSERT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();

        const QImage viewer = ImageOf(form.MapBitmap()).convertToFormat(QImage::Format_RGB888);
        const QImage batch = QImage(png).convertToFormat(QImage::Format_RGB888);
        EXPECT_TRUE(viewer == batch);

        QFile samples(bt);
        ASSERT_TRUE(samples.open(QIODevice::ReadOnly));
        const QByteArray bytes = samples.readAll();
        ASSERT_EQ(bytes.size(), 12 * form.SampleCount());
        EXPECT_EQ(std::memcmp(bytes.constData(), form.Samples.Data(), bytes.size()), 0);
    }
}

struct TRun {
    int Status;
    QString Out, Err;
};

// Runs a program as under cron: no display, no runtime folder, settings in a folder of its own.
TRun RunProgram(const QString& program, const QStringList& arguments, const QString& home)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "XDG_RUNTIME_DIR", "QT_QPA_PLATFORM"})
        environment.remove(name);
    environment.insert("XDG_CONFIG_HOME", home);
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(program, arguments);
    EXPECT_TRUE(process.waitForFinished(60000)) << arguments.join(' ').toStdString();
    return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
}

TEST(ViewerMatchesRender, ExitStatusesOfBothPrograms)
{
    const QString viewer = QString(VELTRA_BINARY_DIR) + "/src/app/Veltra";
    const QString render = QString(VELTRA_BINARY_DIR) + "/src/app/veltra-render";
    QTemporaryDir work;
    const QString pass = work.filePath("NSS.HIRX.NK.D08015.S0757.E0811.B5041010.GC.L1B");
    QFile::copy(QString(VELTRA_SAMPLES_DIR) + "/NSS.HIRX.NK.D08015.S0757.E0811.B5041010.GC.L1B",
                pass);
    const QString empty = work.filePath("NSS.HIRX.NK.D08015.S0900.E0911.B5041011.GC.L1B");
    QFile(empty).open(QIODevice::WriteOnly);
    const QString png = work.filePath("out.png");
    const struct {
        QString Program;
        QStringList Arguments;
        int Status;
        QString Says; // on standard output for 0, on standard error otherwise
    } runs[] = {
        {viewer, {"--help"}, 0, "Veltra FILE save"},
        {viewer, {"--version"}, 0, "Veltra "},
        {viewer, {}, 1, "no display found"},
        {viewer, {work.filePath("missing.L1B"), "save"}, 3, "File not found"},
        {viewer, {work.path(), "save"}, 3, "File not found"},
        {viewer, {pass, "save"}, 0, ""},
        {viewer, {empty, "save"}, 5, "header too short"},
        {render, {"--png", png, pass}, 0, ""},
        {render, {"--png", png, empty}, 5, empty + ": not a Level 1b HIRS file"},
        {render, {"--png", png, work.path()}, 3, "is a directory"},
        {render, {pass}, 2, "nothing to do"},
    };
    for (const auto& r : runs) {
        const TRun run = RunProgram(r.Program, r.Arguments, work.filePath("config"));
        SCOPED_TRACE((r.Program + " " + r.Arguments.join(' ')).toStdString());
        EXPECT_EQ(run.Status, r.Status) << run.Err.toStdString();
        EXPECT_TRUE((r.Status == 0 ? run.Out : run.Err).contains(r.Says));
        EXPECT_FALSE(run.Err.contains("QStandardPaths")) << run.Err.toStdString();
    }
    EXPECT_TRUE(QFile::exists(empty + ".jpg")); // nothing decoded, the picture still saved
}

} // namespace
} // namespace veltra
