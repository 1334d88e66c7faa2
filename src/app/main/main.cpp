// The viewer's entry point: the application object, the main window, then the diagnostics
// and about windows, and the message loop. The program ends when the main window closes.
//
// A program that has a display shows its window. Without one (neither DISPLAY nor
// WAYLAND_DISPLAY) it can still render unattended: with two or more arguments it runs on Qt's
// offscreen platform, saves the picture of the first argument beside it and ends. --help and
// --version answer without a window.
#include <QApplication>
#include <QStringList>

#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/qt/CommandLine.h"
#include "app/qt/MainWindow.h"
#include "base/Executable.h"
#include "settings/SettingsStore.h"
#include "settings/qt/JsonSettingsStore.h"
#include "shell/ATOVSDiagnostics.h"
#include "shell/AboutBox.h"
#include "shell/AppIcon.h"
#include "shell/VersionInfo.h"

namespace {

bool HasDisplay()
{
    return !qEnvironmentVariableIsEmpty("DISPLAY") ||
           !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

} // namespace

int main(int argc, char** argv)
{
    using namespace veltra;
    int status = UnattendedOk;
    if (AnswerInformationRequest(std::vector<std::string>(argv + 1, argv + argc), std::cout,
                                 status))
        return status;
    // An explicit QT_QPA_PLATFORM is the user's choice and is kept.
    if (!HasDisplay() && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        if (argc < 3) {
            std::cerr << NoDisplayMessage();
            return UnattendedNoWindow;
        }
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    ProvideRuntimeFolder();

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
    const auto settings = std::make_shared<TJsonSettingsStore>();
    SetDefaultSettingsStore(settings);
    // A damaged settings file was set aside as it was read; the window's status line says so
    // too.
    for (const std::string& notice : settings->Notices())
        std::cerr << "veltra: " << notice << '\n';

    // The arguments as the system gave them, after Qt took its own options out: a file name
    // need not be UTF-8, which a QString would not carry.
    const std::vector<std::string> arguments(argv + 1, argv + argc);

    {
        // Declared before the window, so that it ends after it.
        std::optional<TSettingsBatch> closing;
        TMainWindow window(arguments, QCoreApplication::applicationFilePath().toStdString());
        auto* diagnostics = new TFormATOVSDiagnostics(&window);
        window.AttachDiagnostics(diagnostics);
        window.AttachAbout(new TFormAboutBox(&window));
        window.show();
        status = QApplication::exec();
        if (status == 0)
            status = window.ExitCode();
        // The window and its check boxes write their settings back as they are destroyed:
        // one write of the file for all of them makes quitting quick.
        closing.emplace();
    }
    SetDefaultSettingsStore(nullptr);
    return status;
}
