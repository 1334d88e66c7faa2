#pragma once
// veltra-render: the viewer's render pass on the command line. It drives the viewer's own
// controller through a headless view, so the picture, the samples, the captions and the
// read-out are exactly the viewer's; the options only stand in for the settings and clicks.
#include <iosfwd>
#include <string>
#include <vector>

namespace veltra {

enum TRenderExit {
    RenderOk = 0,
    RenderUsageError = 2,
    RenderInputError = 3,
    RenderOutputError = 4,
    RenderNothingDecoded = 5, // no footprint decoded from any input; the outputs are written
};

// Runs the command with the arguments after the program name. Labels (--gridlines) need Qt's
// graphics started by the main thread first: a QGuiApplication, or the paint module's
// StartGraphics. Text, the widest pens and PNG files are drawn by the paint module beside
// `executable`.
// Settings are neither read nor written.
// With several inputs they are rendered by a pool of threads; `progress` shows a progress line
// on `err` (for a terminal).
int RunRender(const std::vector<std::string>& arguments, const std::string& executable,
              std::ostream& out, std::ostream& err, bool progress = false);

std::string RenderUsage();

} // namespace veltra
