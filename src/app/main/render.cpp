// veltra-render: the viewer's render pass for batch work, without a display.
#include <algorithm>
#include <clocale>
#include <cstdlib>
#include <iostream>
#include <set>
#include <unistd.h>

#include "app/render/RenderCommand.h"
#include "base/Errors.h"
#include "base/Executable.h"
#include "imaging/PaintModule.h"

namespace {

// The standard options of a Qt application, which it takes out of the arguments for itself (as
// the renderer did while it started one at every run): scripts written for Qt programs pass
// "-platform offscreen". They are taken out again, with their values; the renderer always draws
// off-screen.
std::vector<std::string> WithoutQtOptions(const std::vector<std::string>& arguments)
{
    static const std::set<std::string> withValue = {
        "platform",    "platformpluginpath", "platformtheme", "plugin", "qwindowgeometry",
        "qwindowicon", "qwindowtitle",       "session",       "style"};
    static const std::set<std::string> alone = {"reverse", "testability"};
    std::vector<std::string> kept;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        // Qt takes both -name and --name, and -style=name.
        const std::size_t dashes = argument.rfind("--", 0) == 0 ? 2 : argument.rfind('-', 0) == 0;
        const std::string name = argument.substr(dashes);
        if (dashes > 0 && withValue.count(name) > 0)
            ++i;
        else if (dashes == 0 || (alone.count(name) == 0 && name.rfind("style=", 0) != 0 &&
                                 name.rfind("qmljsdebugger=", 0) != 0))
            kept.push_back(argument);
    }
    return kept;
}

} // namespace

int main(int argc, char** argv)
{
    // The C library's locale from the environment, as Qt sets it when an application starts:
    // numbers in captions and read-outs are written as the viewer writes them.
    std::setlocale(LC_ALL, "");
    const std::vector<std::string> arguments =
        WithoutQtOptions(std::vector<std::string>(argv + 1, argv + argc));
    const std::string executable = veltra::ExecutablePath();
    // Qt's graphics are loaded only when something is drawn with them, never with a window.
    // Labels and legends need fonts, which need Qt's graphics started by this thread before
    // the renders begin.
    const auto asks = [&](const char* option) {
        return std::find(arguments.begin(), arguments.end(), option) != arguments.end();
    };
    if (asks("--gridlines") || asks("--legend")) {
        std::string error;
        try {
            if (!veltra::PaintModuleIn(veltra::ProgramFolder(executable)).StartGraphics(error))
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
