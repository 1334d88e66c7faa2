// The viewer's entry point: the application object, the main window, then the diagnostics
// and about windows, and the message loop. The program ends when the main window closes.
//
// A program that has a display shows its window. Without one (neither DISPLAY nor
// WAYLAND_DISPLAY) it can still render unattended: with two or more arguments it runs on Qt's
// offscreen platform, saves the picture of the first argument beside it and ends.
#include <QApplication>
#include <QStringList>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "app/qt/MainWindow.h"
#include "base/Executable.h"
#include "settings/SettingsStore.h"
#include "settings/qt/JsonSettingsStore.h"
#include "shell/AboutBox.h"
#include "shell/AppIcon.h"
#include "shell/ATOVSDiagnostics.h"
#include "shell/VersionInfo.h"

namespace {

bool HasDisplay()
{
    return !qEnvironmentVariableIsEmpty("DISPLAY") ||
           !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

const char* const NoDisplay =
    "veltra: no display found (neither DISPLAY nor WAYLAND_DISPLAY is set).\n"
    "Veltra shows its map in a window and needs a display for that.\n"
    "Without a display it can render a file unattended when given two arguments:\n"
    "    veltra FILE save\n"
    "draws FILE with the stored settings, saves the picture as FILE.jpg beside it\n"
    "(FILE.l1b.bz2 gives FILE.l1b.jpg) and ends.\n";

const char* const Usage =
    "Usage: veltra [FILE [save]]\n"
    "Shows an ATOVS sounder file (HIRS, AMSU-A, AMSU-B/MHS; Level 1b, 1c or 1d, plain or\n"
    "bzip2) on a map. With a second argument the file is drawn unattended, its picture saved\n"
    "as FILE.jpg beside it, and the program ends. See veltra(1).\n"
    "  --help, --version\n";

// --help and --version answer without a display or a window.
bool AnsweredAlone(int argc, char** argv, int& status)
{
    if (argc != 2)
        return false;
    const std::string option = argv[1];
    if (option == "--version")
        std::printf("Veltra %s\n", veltra::version::FileVersion);
    else if (option == "--help")
        std::fputs(Usage, stdout);
    else
        return false;
    // Like veltra-render: text that could not be written is a failed output.
    status = std::fflush(stdout) == 0 && !std::ferror(stdout) ? 0 : 4;
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    using namespace veltra;
    if (int status = 0; AnsweredAlone(argc, argv, status))
        return status;
    // An explicit QT_QPA_PLATFORM is the user's choice and is kept.
    if (!HasDisplay() && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        if (argc < 3) {
            std::fputs(NoDisplay, stderr);
            return 1;
        }
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }

    QApplication application(argc, argv);
    QCoreApplication::setOrganizationName(version::Maker);
    QCoreApplication::setApplicationName(version::ProductName);
    QCoreApplication::setApplicationVersion(version::FileVersion);
    QGuiApplication::setDesktopFileName(version::DesktopId);
    QApplication::setWindowIcon(AppIcon());

    // The per-user settings, under the key named after this executable; installed before the
    // main window reads them and kept until it has been destroyed (the window and its check
    // boxes write their settings back as they are destroyed).
    SetExecutablePath(QCoreApplication::applicationFilePath().toStdString());
    SetDefaultSettingsStore(std::make_shared<TJsonSettingsStore>());

    std::vector<std::string> arguments;
    for (const QString& argument : QCoreApplication::arguments().mid(1))
        arguments.push_back(argument.toStdString());

    int status = 0;
    {
        TMainWindow window(std::move(arguments),
                           QCoreApplication::applicationFilePath().toStdString());
        auto* diagnostics = new TFormATOVSDiagnostics(&window);
        window.AttachDiagnostics(diagnostics);
        window.AttachAbout(new TFormAboutBox(&window));
        window.show();
        status = QApplication::exec();
        if (status == 0)
            status = window.ExitCode();
    }
    SetDefaultSettingsStore(nullptr);
    return status;
}
