// The settings tests run with a QApplication on the offscreen platform, and with the per-user
// configuration folder moved into a temporary folder, so no test can reach the user's own
// settings. The same program serves as the "other process" of the tests on concurrent writers:
// started with --child-write or --child-many it writes to a settings file and ends.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTemporaryDir>

#include <cstdlib>
#include <string>

#include "SettingsFixture.h"
#include "settings/qt/JsonSettingsStore.h"

namespace {

// --child-write FILE NAME VALUE: one integer value under the viewer's key.
// --child-many FILE PREFIX COUNT: COUNT integer values PREFIX0.., each written on its own, and
// between them a string whose length changes, so the file keeps changing size.
int RunChild(int argc, char** argv)
{
    const std::string mode = argv[1];
    veltra::TJsonSettingsStore store(QString::fromLocal8Bit(argv[2]));
    if (mode == "--child-write" && argc == 5)
        return store.WriteInteger(SettingsTest::ViewerKey, argv[3], std::atoi(argv[4])) ? 0 : 1;
    if (mode == "--child-many" && argc == 5) {
        const std::string prefix = argv[3];
        const int count = std::atoi(argv[4]);
        bool written = true;
        for (int i = 0; i < count; ++i) {
            written &= store.WriteInteger(SettingsTest::ViewerKey, prefix + std::to_string(i), i);
            written &= store.WriteString(SettingsTest::ViewerKey, prefix + "Text",
                                         std::string(static_cast<std::size_t>(i * 37 % 2000), 'x'));
        }
        return written ? 0 : 1;
    }
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc > 1 && std::string(argv[1]).rfind("--child-", 0) == 0)
        return RunChild(argc, argv);

    QTemporaryDir configHome;
    if (!configHome.isValid())
        return 3;
    qputenv("XDG_CONFIG_HOME", configHome.path().toLocal8Bit());
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
