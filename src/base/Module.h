#pragma once
// Parts of the program that bring many shared libraries with them (NetCDF and GDAL, Qt's
// graphics) live in modules beside the program, loaded the first time they are needed: a run
// that never needs them does not load and relocate those libraries at its start.
#include <string>

namespace veltra {

// The module's path: `folder` (with or without a trailing separator; empty for the current
// folder) and the file name.
std::string ModulePath(const std::string& folder, const char* fileName);

// The address of the function `entry` of the module `fileName` in `folder`. The module is
// loaded once per process and kept to the end. nullptr, with the reason in `error`, when it
// cannot be loaded or lacks the entry; a later call tries again.
void* ModuleEntryIn(const std::string& folder, const char* fileName, const char* entry,
                    std::string& error);

// The interface the module's entry returns, when its Version is `version`; nullptr, with the
// reason in `error`, when the module cannot be loaded or is of another version.
template <typename TModule>
const TModule* ModuleIn(const std::string& folder, const char* fileName, const char* entry,
                        int version, std::string& error)
{
    using TEntry = const TModule* (*)();
    const auto function = reinterpret_cast<TEntry>(ModuleEntryIn(folder, fileName, entry, error));
    if (function == nullptr)
        return nullptr;
    const TModule* module = function();
    if (module == nullptr || module->Version != version) {
        error = ModulePath(folder, fileName) + " is not the module of this version of the program";
        return nullptr;
    }
    return module;
}

} // namespace veltra
