// The file-manager verb: which files are written for which extensions, and what they hold.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QMimeDatabase>
#include <QProcess>
#include <QStandardPaths>

#include "shell/AddContextMenu.h"

namespace veltra {
namespace {

const char* const Id = "example.brenmoor.Veltra";

QString DataHome()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
}
QString ServiceMenu()
{
    return DataHome() + "/kio/servicemenus/" + Id + "-atovs-process.desktop";
}
QString Application()
{
    return DataHome() + "/applications/" + Id + "-atovs-process.desktop";
}

QString Read(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

// Installs the program's own MIME package into the test data folder before anything asks the
// MIME database, the way `cmake --install` puts it under share/mime/packages.
class TMimePackage : public testing::Environment {
public:
    void SetUp() override
    {
        const QString packages = DataHome() + "/mime/packages";
        QDir().mkpath(packages);
        QFile::copy(VELTRA_SOURCE_DIR "/data/linux/example.brenmoor.Veltra.xml",
                    packages + "/example.brenmoor.Veltra.xml");
        QProcess update;
        update.setStandardOutputFile(QProcess::nullDevice());
        update.setStandardErrorFile(QProcess::nullDevice());
        update.start("update-mime-database", {DataHome() + "/mime"});
        update.waitForFinished();
    }
};
const auto* const mimePackage = testing::AddGlobalTestEnvironment(new TMimePackage);

bool L1bRegistered()
{
    return QMimeDatabase().mimeTypeForFile("x.L1B", QMimeDatabase::MatchExtension).name() ==
           "application/x-atovs-l1b";
}

class AddContextMenuTest : public testing::Test {
protected:
    void SetUp() override
    {
        QDir(DataHome() + "/kio").removeRecursively();
        QDir(DataHome() + "/applications").removeRecursively();
    }
};

TEST_F(AddContextMenuTest, UnregisteredExtensionWritesNothing)
{
    RegisterShellVerb("ATOVS process", ".ZQ7", "/opt/veltra/veltra");
    RegisterShellVerb("ATOVS process", "", "/opt/veltra/veltra");
    EXPECT_FALSE(QFileInfo::exists(DataHome() + "/kio"));
    EXPECT_FALSE(QFileInfo::exists(DataHome() + "/applications"));
}

TEST_F(AddContextMenuTest, RegisteredTypeGetsTheVerbWithTheRunningExecutable)
{
    if (!L1bRegistered())
        GTEST_SKIP() << "the test MIME package could not be installed (update-mime-database?)";
    // A verb left by an older copy of the program elsewhere is rewritten.
    QDir().mkpath(QFileInfo(ServiceMenu()).path());
    QFile stale(ServiceMenu());
    ASSERT_TRUE(stale.open(QIODevice::WriteOnly));
    stale.write("[Desktop Entry]\nExec=\"/old/place/veltra\" %f\n");
    stale.close();

    RegisterShellVerb("ATOVS process", ".L1B");
    const QString exec = "Exec=\"" + QCoreApplication::applicationFilePath() + "\" %f\n";

    const QString menu = Read(ServiceMenu());
    EXPECT_FALSE(menu.contains("/old/place"));
    EXPECT_TRUE(menu.startsWith("[Desktop Entry]\nType=Service\n"));
    EXPECT_TRUE(menu.contains("MimeType=application/x-atovs-l1b;\n"));
    EXPECT_TRUE(menu.contains("Actions=atovs-process;\n"));
    EXPECT_TRUE(menu.contains("[Desktop Action atovs-process]\nName=ATOVS process\n"));
    EXPECT_TRUE(menu.contains(exec)) << menu.toStdString();
    EXPECT_TRUE(QFileInfo(ServiceMenu()).isExecutable());

    const QString app = Read(Application());
    EXPECT_TRUE(app.contains("Type=Application\nName=ATOVS process\n"));
    EXPECT_TRUE(app.contains("NoDisplay=true\n"));
    EXPECT_TRUE(app.contains("MimeType=application/x-atovs-l1b;\n"));
    EXPECT_TRUE(app.contains(exec));

    // No temporary files are left beside them.
    for (const QString& written : {ServiceMenu(), Application()})
        EXPECT_EQ(1, QFileInfo(written).dir().entryList(QDir::Files | QDir::Hidden).size());
}

TEST_F(AddContextMenuTest, SeveralExtensionsShareOneVerb)
{
    if (!L1bRegistered())
        GTEST_SKIP() << "the test MIME package could not be installed (update-mime-database?)";
    RegisterShellVerb("ATOVS process", ".L1B, .zq7,.l1c,.L1B", "/opt/veltra/veltra");
    EXPECT_TRUE(Read(ServiceMenu())
                    .contains("MimeType=application/x-atovs-l1b;application/x-atovs-l1c;\n"));
}

TEST(DesktopExecLineTest, QuotesAndEscapesThePath)
{
    const std::pair<const char*, const char*> cases[] = {
        {"/usr/lib/veltra/veltra", R"("/usr/lib/veltra/veltra" %f)"},
        {"/home/a b/veltra", R"("/home/a b/veltra" %f)"},
        {R"(/x/"q"$`/v)", R"("/x/\\"q\\"\\$\\`/v" %f)"},
        {R"(/x\y/100%/v)", R"("/x\\\\y/100%%/v" %f)"},
    };
    for (const auto& [path, line] : cases)
        EXPECT_EQ(line, DesktopExecLine(path)) << path;
}

} // namespace
} // namespace veltra
