#pragma once
// The file-manager verb: an entry in the context menu of data files that opens them in this
// program. On a Linux desktop the file type registered for an extension is the MIME type the
// shared MIME database gives a file of that name; the verb is a KDE service menu for that type,
// and a hidden application entry named after the verb, for the same type, puts it under "Open
// With" on the other desktops. Both files are rewritten at every start, so they run the
// executable that ran last.
#include <string>

namespace veltra {

// For each extension of the comma-separated list (".L1B") that has a MIME type registered,
// writes the service menu with the action named verb and the application entry under
// $XDG_DATA_HOME, each command running executable (the running program when empty) with the
// file as its one argument. Nothing is written for a list without a registered type; every
// failure is silent.
void RegisterShellVerb(const std::string& verb, const std::string& extensions,
                       const std::string& executable = {});

// The command line of a desktop entry's Exec key for running executable on one file: the path
// quoted and escaped as desktop entries require, then the file placeholder.
std::string DesktopExecLine(const std::string& executable);

} // namespace veltra
