#include "base/Stream.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "base/Errors.h"

namespace veltra {

void TStream::ReadBuffer(void* buffer, std::int64_t count)
{
    if (count > 0 && Read(buffer, count) != count)
        throw EReadError();
}

void TStream::WriteBuffer(const void* buffer, std::int64_t count)
{
    if (count > 0 && Write(buffer, count) != count)
        throw EWriteError();
}

TFileStream::TFileStream(const std::string& fileName) : fileName_(fileName)
{
    fd_ = ::open(fileName.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd_ < 0)
        throw EFOpenError("Cannot open file \"" + fileName + "\". " + std::strerror(errno));
    struct stat info {};
    if (::fstat(fd_, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd_);
        fd_ = -1;
        throw EFOpenError("Cannot open file \"" + fileName + "\". Not a regular file");
    }
    size_ = info.st_size;
}

TFileStream::~TFileStream()
{
    if (fd_ >= 0)
        ::close(fd_);
}

std::int64_t TFileStream::ReadAt(std::uint8_t* out, std::int64_t count, std::int64_t offset) const
{
    std::int64_t done = 0;
    while (done < count) {
        const ssize_t n =
            ::pread(fd_, out + done, static_cast<size_t>(count - done), offset + done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        done += n;
    }
    return done;
}

std::int64_t TFileStream::Read(void* buffer, std::int64_t count)
{
    if (count <= 0)
        return 0;
    auto* out = static_cast<std::uint8_t*>(buffer);
    std::int64_t done = 0;
    if (position_ >= blockStart_ && position_ < blockStart_ + blockLength_) {
        done = std::min(count, blockStart_ + blockLength_ - position_);
        std::memcpy(out, block_.data() + (position_ - blockStart_), static_cast<size_t>(done));
        position_ += done;
    }
    if (done == count)
        return done;
    std::int64_t more = 0;
    if (count - done >= BlockSize) {
        // A large read goes straight to the caller's buffer.
        more = ReadAt(out + done, count - done, position_);
    } else {
        block_.resize(static_cast<std::size_t>(BlockSize));
        blockStart_ = position_;
        blockLength_ = ReadAt(block_.data(), BlockSize, blockStart_);
        more = std::min(count - done, blockLength_);
        std::memcpy(out + done, block_.data(), static_cast<size_t>(more));
    }
    position_ += more;
    return done + more;
}

const std::uint8_t* TFileStream::ReadInPlace(std::int64_t count)
{
    if (count <= 0 || count > BlockSize || position_ < 0 || position_ > size_ - count)
        return nullptr;
    if (position_ < blockStart_ || position_ + count > blockStart_ + blockLength_) {
        block_.resize(static_cast<std::size_t>(BlockSize));
        blockStart_ = position_;
        blockLength_ = ReadAt(block_.data(), BlockSize, blockStart_);
        if (blockLength_ < count)
            return nullptr; // the file ended sooner than its size said: ReadBuffer tells
    }
    const std::uint8_t* bytes = block_.data() + (position_ - blockStart_);
    position_ += count;
    return bytes;
}

std::int64_t TFileStream::Write(const void*, std::int64_t)
{
    throw EWriteError("Stream write error: the file is open for reading only");
}

std::int64_t TFileStream::Seek(std::int64_t offset, TSeekOrigin origin)
{
    std::int64_t base = 0;
    if (origin == TSeekOrigin::Current)
        base = position_;
    else if (origin == TSeekOrigin::End)
        base = size_;
    const std::int64_t target = base + offset;
    if (target < 0)
        throw EReadError("Stream seek error");
    position_ = target;
    return position_;
}

std::int64_t TMemoryStream::Read(void* buffer, std::int64_t count)
{
    if (count <= 0 || position_ >= Size())
        return 0;
    const std::int64_t n = std::min(count, Size() - position_);
    std::memcpy(buffer, bytes_.data() + position_, static_cast<size_t>(n));
    position_ += n;
    return n;
}

const std::uint8_t* TMemoryStream::ReadInPlace(std::int64_t count)
{
    if (count <= 0 || position_ < 0 || position_ > Size() - count)
        return nullptr;
    const std::uint8_t* bytes = bytes_.data() + position_;
    position_ += count;
    return bytes;
}

std::int64_t TMemoryStream::Write(const void* buffer, std::int64_t count)
{
    if (count <= 0)
        return 0;
    const std::int64_t end = position_ + count;
    if (end > Size())
        bytes_.resize(static_cast<size_t>(end));
    std::memcpy(bytes_.data() + position_, buffer, static_cast<size_t>(count));
    position_ = end;
    return count;
}

std::int64_t TMemoryStream::Seek(std::int64_t offset, TSeekOrigin origin)
{
    std::int64_t base = 0;
    if (origin == TSeekOrigin::Current)
        base = position_;
    else if (origin == TSeekOrigin::End)
        base = Size();
    const std::int64_t target = base + offset;
    if (target < 0)
        throw EReadError("Stream seek error");
    position_ = target;
    return position_;
}

std::vector<std::uint8_t> ReadWholeFile(const std::string& fileName)
{
    TFileStream file(fileName);
    std::vector<std::uint8_t> bytes(static_cast<size_t>(file.Size()));
    const std::int64_t n = file.Read(bytes.data(), file.Size());
    bytes.resize(static_cast<size_t>(n));
    return bytes;
}

} // namespace veltra
