// veltra-render: the viewer's render pass for batch work, without a display.
#include <QGuiApplication>
#include <cstdlib>
#include <iostream>
#include <unistd.h>

#include "app/render/RenderCommand.h"

namespace {

QtMessageHandler qtHandler = nullptr;

// Qt looks up its runtime folder while it starts, even on the off-screen platform that never
// uses one, and complains on standard error when the session has none (cron, containers) or
// one open to others. The renderer needs none, so those complaints are not passed on.
void WithoutRuntimeFolderWarnings(QtMsgType type, const QMessageLogContext& context,
                                  const QString& message)
{
    if (message.startsWith(QLatin1String("QStandardPaths: ")) &&
        message.contains(QLatin1String("runtime"), Qt::CaseInsensitive))
        return;
    qtHandler(type, context, message);
}

} // namespace

int main(int argc, char** argv)
{
    // Never a window: the off-screen platform works on servers without a display.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qtHandler = qInstallMessageHandler(WithoutRuntimeFolderWarnings);
    QGuiApplication application(argc, argv);
    std::vector<std::string> arguments(argv + 1, argv + argc);
    const int status =
        veltra::RunRender(arguments, QCoreApplication::applicationFilePath().toStdString(),
                          std::cout, std::cerr, isatty(STDERR_FILENO) == 1);
    // Every output is written and committed by now. Tearing the application down would load
    // the whole fontconfig configuration only to free it again (about a tenth of a render's
    // work when no text was drawn), so the process ends here.
    std::cout.flush();
    std::cerr.flush();
    std::_Exit(status);
}
