#include "base/AtomicFile.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

#include "base/Errors.h"

namespace veltra {

namespace {

// A temporary file beside the target, created with the mode a new file of the user gets (0666
// less the umask, which the system applies to the mode asked for); mkstemp would give 0600.
int CreateTemporary(const std::string& fileName, std::string& temporary)
{
    static const char letters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    std::random_device random;
    for (int attempt = 0; attempt < 100; ++attempt) {
        temporary = fileName + ".";
        for (int i = 0; i < 6; ++i)
            temporary += letters[random() % (sizeof letters - 1)];
        const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    return -1;
}

} // namespace

void WriteFileAtomically(const std::string& fileName, const void* data, std::size_t size)
{
    std::string temporary;
    const int fd = CreateTemporary(fileName, temporary);
    if (fd < 0)
        throw EWriteError("Cannot create \"" + fileName + "\": " + std::strerror(errno));
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    std::size_t done = 0;
    bool ok = true;
    while (ok && done < size) {
        const ssize_t n = ::write(fd, bytes + done, size - done);
        if (n < 0 && errno == EINTR)
            continue;
        ok = n > 0;
        if (ok)
            done += static_cast<std::size_t>(n);
    }
    // A file that is replaced keeps its mode.
    struct stat existing {};
    if (ok && ::stat(fileName.c_str(), &existing) == 0)
        ok = ::fchmod(fd, existing.st_mode & 07777) == 0;
    ok = ok && ::fsync(fd) == 0;
    ok = ::close(fd) == 0 && ok;
    if (!ok || ::rename(temporary.c_str(), fileName.c_str()) != 0) {
        const int error = errno;
        ::unlink(temporary.c_str());
        throw EWriteError("Cannot write \"" + fileName + "\": " + std::strerror(error));
    }
}

} // namespace veltra
