#include "export/ExportModule.h"

#include <dlfcn.h>

#include <map>
#include <mutex>

namespace veltra {

const TExportModule& ExportModuleIn(const std::string& folder)
{
    std::string path = folder.empty() ? "./" : folder;
    if (path.back() != '/')
        path += '/';
    path += ExportModuleFileName;

    static std::mutex lock;
    static std::map<std::string, const TExportModule*> loaded;
    const std::lock_guard<std::mutex> guard(lock);
    if (const auto found = loaded.find(path); found != loaded.end())
        return *found->second;
    const std::string failure = "Cannot load the NetCDF and GeoTIFF exports: ";
    // Kept loaded to the end: NetCDF and GDAL leave handlers that run when the process exits.
    void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) {
        const char* reason = dlerror();
        throw ENoExportModule(failure + (reason != nullptr ? reason : path));
    }
    using TEntry = const TExportModule* (*)();
    const auto entry = reinterpret_cast<TEntry>(dlsym(handle, ExportModuleEntry));
    const TExportModule* module = entry != nullptr ? entry() : nullptr;
    if (module == nullptr || module->Version != ExportModuleVersion) {
        dlclose(handle);
        throw ENoExportModule(failure + path + " is not the module of this version of the program");
    }
    loaded.emplace(path, module);
    return *module;
}

} // namespace veltra
