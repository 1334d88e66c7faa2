#include "base/AtomicFile.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "base/Errors.h"

namespace veltra {

void WriteFileAtomically(const std::string& fileName, const void* data, std::size_t size)
{
    std::string temporary = fileName + ".XXXXXX";
    const int fd = ::mkstemp(temporary.data());
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
    ok = ok && ::fchmod(fd, 0644) == 0 && ::fsync(fd) == 0;
    ok = ::close(fd) == 0 && ok;
    if (!ok || ::rename(temporary.c_str(), fileName.c_str()) != 0) {
        const int error = errno;
        ::unlink(temporary.c_str());
        throw EWriteError("Cannot write \"" + fileName + "\": " + std::strerror(error));
    }
}

} // namespace veltra
