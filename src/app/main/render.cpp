// veltra-render: the viewer's render pass for batch work, without a display.
#include <QString>
#include <algorithm>
#include <cstdlib>
#include <iostream>
#include <unistd.h>

#include "app/render/RenderCommand.h"
#include "base/Errors.h"
#include "base/Executable.h"
#include "imaging/PaintModule.h"

namespace {

QtMessageHandler qtHandler = nullptr;

// Qt looks up its runtime folder while its graphics start, even on the off-screen platform
// that never uses one, and complains on standard error when the session has none (cron,
// containers) or one open to others. The renderer needs none, so those complaints are not
// passed on.
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
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    const std::string executable = veltra::ExecutablePath();
    // Qt's graphics are loaded only when something is drawn with them. Labels need fonts, which
    // need Qt's graphics started by this thread before the renders begin.
    if (std::find(arguments.begin(), arguments.end(), "--gridlines") != arguments.end()) {
        std::string error;
        try {
            if (!veltra::PaintModuleIn(veltra::ExecutableFolder()).StartGraphics(error))
                throw veltra::EVeltraError(error);
        } catch (const veltra::EVeltraError& e) {
            std::cerr << "veltra-render: " << e.what() << '\n';
            return veltra::RenderOutputError;
        }
    }
    const int status =
        veltra::RunRender(arguments, executable, std::cout, std::cerr, isatty(STDERR_FILENO) == 1);
    // Every output is written and committed by now. Tearing Qt's graphics down, when they were
    // started, would load the whole fontconfig configuration only to free it again, so the
    // process ends here.
    std::cout.flush();
    std::cerr.flush();
    std::_Exit(status);
}
