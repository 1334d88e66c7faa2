#include "base/Executable.h"

#include <filesystem>
#include <mutex>
#include <system_error>

namespace veltra {

namespace {

struct TExecutable {
    std::mutex lock;
    std::string path;
};

TExecutable& Executable()
{
    static TExecutable executable;
    return executable;
}

} // namespace

void SetExecutablePath(const std::string& path)
{
    std::error_code error;
    std::filesystem::path absolute = std::filesystem::absolute(path, error);
    TExecutable& executable = Executable();
    const std::lock_guard<std::mutex> guard(executable.lock);
    executable.path = error ? path : absolute.string();
}

std::string ExecutablePath()
{
    TExecutable& executable = Executable();
    const std::lock_guard<std::mutex> guard(executable.lock);
    if (executable.path.empty()) {
        std::error_code error;
        const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
        if (!error)
            executable.path = self.string();
    }
    return executable.path;
}

std::string ExecutableName()
{
    return std::filesystem::path(ExecutablePath()).stem().string();
}

std::string ProgramFolder(const std::string& executable)
{
    return executable.substr(0, executable.rfind('/') + 1);
}

} // namespace veltra
