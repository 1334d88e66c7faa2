#pragma once
// Where the running program lives: its settings key is named after it, and its data files
// (Countries.dat) and default data folder are beside it.
#include <string>

namespace veltra {

// The full path of the running executable. Until it is set, the path the system reports for
// this process (/proc/self/exe) is used. A relative path is made absolute against the current
// folder.
void SetExecutablePath(const std::string& path);
std::string ExecutablePath();
// The executable's file name without its extension ("Veltra").
std::string ExecutableName();
// The folder of the program at `executable` with its trailing separator ("/opt/veltra/bin/"),
// where its data files (Countries.dat) and its modules are; "" for a bare name. By default the
// running executable's.
std::string ProgramFolder(const std::string& executable = ExecutablePath());

} // namespace veltra
