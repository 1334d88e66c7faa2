#pragma once
// What the viewer's command line asks for before any window exists: the help and version
// texts, which need neither a window nor a display, and the message for a window asked for
// where there is no display.
#include <iosfwd>
#include <string>
#include <vector>

namespace veltra {

// Prints the help or the version when the only argument asks for it and gives true; the
// program then ends with status (4 when standard output could not be written).
bool AnswerInformationRequest(const std::vector<std::string>& arguments, std::ostream& out,
                              int& status);

std::string ViewerUsage();

// Why the window cannot open without a display, and what works instead.
std::string NoDisplayMessage();

// Sets XDG_RUNTIME_DIR to a private folder (mode 0700) when the session gives none, as under
// cron or in a container: Qt would otherwise choose one itself and say so on standard error.
void ProvideRuntimeFolder();

} // namespace veltra
