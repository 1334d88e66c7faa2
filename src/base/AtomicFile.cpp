#include "base/AtomicFile.h"

#include <cerrno>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <ostream>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

#include "base/Errors.h"

namespace veltra {

namespace {

[[noreturn]] void Fail(const std::string& fileName, const std::string& reason)
{
    throw EWriteError("Cannot write \"" + fileName + "\": " + reason, reason);
}

// The folder part of a path, with its separator ("" for a bare name).
std::string FolderOf(const std::string& path)
{
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// The temporary name's own part: the target's name, a dot and six letters, the target's name
// shortened (byte-wise: the name is only ever seen by this program) where the whole would pass
// the longest name the folder takes.
std::string TemporaryPrefix(const std::string& fileName)
{
    const std::string folder = FolderOf(fileName);
    std::string name = fileName.substr(folder.size());
    long limit = ::pathconf(folder.empty() ? "." : folder.c_str(), _PC_NAME_MAX);
    if (limit <= 0)
        limit = NAME_MAX;
    constexpr std::size_t Suffix = 7; // ".abcdef"
    const std::size_t room =
        static_cast<std::size_t>(limit) > Suffix ? static_cast<std::size_t>(limit) - Suffix : 1;
    if (name.size() > room)
        name.resize(room);
    return folder + name + ".";
}

// A temporary file beside the target, created with the mode a new file of the user gets (0666
// less the umask, which the system applies to the mode asked for); mkstemp would give 0600.
int CreateTemporary(const std::string& fileName, std::string& temporary)
{
    static const char letters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    std::random_device random;
    const std::string prefix = TemporaryPrefix(fileName);
    for (int attempt = 0; attempt < 100; ++attempt) {
        temporary = prefix;
        for (int i = 0; i < 6; ++i)
            temporary += letters[random() % (sizeof letters - 1)];
        const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    return -1;
}

// Writes every byte to fd; false (errno set) when it cannot.
bool WriteAll(int fd, const std::uint8_t* bytes, std::size_t size)
{
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = ::write(fd, bytes + done, size - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            if (n == 0)
                errno = EIO;
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

// The file a name leads to through every symbolic link of its last part (the folders on the
// way are the system's to follow). A link to nothing gives the name it leads to, which is then
// created.
std::string FollowLinks(const std::string& fileName)
{
    std::string path = fileName;
    for (int hops = 0; hops < 40; ++hops) {
        struct stat status {};
        if (::lstat(path.c_str(), &status) != 0 || !S_ISLNK(status.st_mode))
            return path;
        std::string target(static_cast<std::size_t>(PATH_MAX), '\0');
        const ssize_t n = ::readlink(path.c_str(), target.data(), target.size());
        if (n < 0)
            Fail(fileName, std::strerror(errno));
        target.resize(static_cast<std::size_t>(n));
        path = !target.empty() && target.front() == '/' ? target : FolderOf(path) + target;
    }
    Fail(fileName, std::strerror(ELOOP));
}

void WriteDirectly(const std::string& fileName, const std::string& path,
                   std::span<const std::uint8_t> bytes)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        Fail(fileName, std::strerror(errno));
    bool ok = WriteAll(fd, bytes.data(), bytes.size());
    int error = ok ? 0 : errno;
    if (::close(fd) != 0 && ok) {
        ok = false;
        error = errno;
    }
    if (!ok)
        Fail(fileName, std::strerror(error));
}

void WriteStandardOutput(std::span<const std::uint8_t> bytes, std::ostream* standardOutput)
{
    const std::string name = "standard output";
    if (standardOutput != nullptr) {
        standardOutput->write(reinterpret_cast<const char*>(bytes.data()),
                              static_cast<std::streamsize>(bytes.size()));
        standardOutput->flush();
        if (!*standardOutput)
            Fail(name, "write error");
        return;
    }
    if (!WriteAll(STDOUT_FILENO, bytes.data(), bytes.size()))
        Fail(name, std::strerror(errno));
}

} // namespace

void WriteFileAtomically(const std::string& fileName, const void* data, std::size_t size)
{
    std::string temporary;
    const int fd = CreateTemporary(fileName, temporary);
    if (fd < 0)
        Fail(fileName, std::strerror(errno));
    bool ok = WriteAll(fd, static_cast<const std::uint8_t*>(data), size);
    int error = ok ? 0 : errno;
    // A file that is replaced keeps its mode.
    struct stat existing {};
    if (ok && ::stat(fileName.c_str(), &existing) == 0)
        ok = ::fchmod(fd, existing.st_mode & 07777) == 0;
    ok = ok && ::fsync(fd) == 0;
    ok = ::close(fd) == 0 && ok;
    if (ok && ::rename(temporary.c_str(), fileName.c_str()) != 0)
        ok = false;
    if (!ok) {
        if (error == 0)
            error = errno;
        ::unlink(temporary.c_str());
        Fail(fileName, std::strerror(error));
    }
}

void WriteOutput(const std::string& fileName, std::span<const std::uint8_t> bytes,
                 TOutputNeeds needs, std::ostream* standardOutput)
{
    const bool regularOnly = needs == TOutputNeeds::RegularFile;
    constexpr const char* NeedsRegular =
        "this format needs a regular file, not a device, a FIFO or standard output";
    if (fileName == "-") {
        if (regularOnly)
            Fail("standard output", NeedsRegular);
        WriteStandardOutput(bytes, standardOutput);
        return;
    }
    const std::string path = FollowLinks(fileName);
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0) {
        if (errno != ENOENT)
            Fail(fileName, std::strerror(errno));
        WriteFileAtomically(path, bytes.data(), bytes.size());
        return;
    }
    if (S_ISREG(status.st_mode))
        WriteFileAtomically(path, bytes.data(), bytes.size());
    else if (S_ISDIR(status.st_mode))
        Fail(fileName, std::strerror(EISDIR));
    else if (!S_ISCHR(status.st_mode) && !S_ISFIFO(status.st_mode))
        Fail(fileName, "not a regular file, a character device or a FIFO");
    else if (regularOnly)
        Fail(fileName, NeedsRegular);
    else
        WriteDirectly(fileName, path, bytes);
}

} // namespace veltra
