#include "base/Module.h"

#include <dlfcn.h>

#include <map>
#include <mutex>

namespace veltra {

std::string ModulePath(const std::string& folder, const char* fileName)
{
    std::string path = folder.empty() ? "./" : folder;
    if (path.back() != '/')
        path += '/';
    return path + fileName;
}

void* ModuleEntryIn(const std::string& folder, const char* fileName, const char* entry,
                    std::string& error)
{
    const std::string path = ModulePath(folder, fileName);

    static std::mutex lock;
    static std::map<std::string, void*> loaded;
    const std::lock_guard<std::mutex> guard(lock);
    if (const auto found = loaded.find(path); found != loaded.end())
        return found->second;
    // Never unloaded: libraries such as NetCDF and GDAL leave handlers that run when the
    // process exits.
    void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) {
        const char* reason = dlerror();
        error = reason != nullptr ? reason : path;
        return nullptr;
    }
    void* address = dlsym(handle, entry);
    if (address == nullptr) {
        error = path + " is not the module of this version of the program";
        return nullptr;
    }
    loaded.emplace(path, address);
    return address;
}

} // namespace veltra
