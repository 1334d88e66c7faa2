#pragma once
// Byte streams the decoders read: a read-only file and an in-memory buffer. Both can be read
// and repositioned from the start, which the decoding pass needs (it rewinds and seeks).
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace veltra {

enum class TSeekOrigin { Beginning = 0, Current = 1, End = 2 };

class TStream {
public:
    virtual ~TStream() = default;
    TStream() = default;
    TStream(const TStream&) = delete;
    TStream& operator=(const TStream&) = delete;

    // Reads up to count bytes; returns how many were delivered (0 at the end).
    virtual std::int64_t Read(void* buffer, std::int64_t count) = 0;
    // Writes count bytes; returns how many were written.
    virtual std::int64_t Write(const void* buffer, std::int64_t count) = 0;
    // Moves the position and returns the new one.
    virtual std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) = 0;

    std::int64_t Position() { return Seek(0, TSeekOrigin::Current); }
    // Reads exactly count bytes or raises EReadError.
    void ReadBuffer(void* buffer, std::int64_t count);
    // Writes exactly count bytes or raises EWriteError.
    void WriteBuffer(const void* buffer, std::int64_t count);
    // The next count bytes where the stream already holds them, without a copy, and the
    // position moved past them; valid until the stream is next read, repositioned, written or
    // destroyed. Null, with the position unmoved, when the stream does not hold them (fewer
    // than count bytes left, or more than a file stream reads at once): read them with
    // ReadBuffer then.
    virtual const std::uint8_t* ReadInPlace(std::int64_t) { return nullptr; }
};

// A read-only stream on a file. Folders are refused. Raises EFOpenError when the file cannot
// be opened.
class TFileStream : public TStream {
public:
    explicit TFileStream(const std::string& fileName);
    ~TFileStream() override;

    std::int64_t Read(void* buffer, std::int64_t count) override;
    std::int64_t Write(const void* buffer, std::int64_t count) override;
    std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override;
    // From the block read ahead (see BlockSize), which is read first when it does not hold
    // them all.
    const std::uint8_t* ReadInPlace(std::int64_t count) override;
    std::int64_t Size() const { return size_; }
    const std::string& FileName() const { return fileName_; }

private:
    // The decoders read a record (a few kilobytes) at a time: the stream reads ahead in blocks
    // of this size, one system call instead of twenty.
    static constexpr std::int64_t BlockSize = 64 * 1024;

    // Reads from the file at `offset` until count bytes or the end; returns how many.
    std::int64_t ReadAt(std::uint8_t* out, std::int64_t count, std::int64_t offset) const;

    std::string fileName_;
    int fd_ = -1;
    std::int64_t size_ = 0;
    std::int64_t position_ = 0;
    std::vector<std::uint8_t> block_; // blockLength_ bytes of the file from blockStart_ on
    std::int64_t blockStart_ = 0;
    std::int64_t blockLength_ = 0;
};

// A stream over bytes held in memory; writing past the end extends it.
class TMemoryStream : public TStream {
public:
    TMemoryStream() = default;
    explicit TMemoryStream(std::vector<std::uint8_t> bytes) : bytes_(std::move(bytes)) {}

    std::int64_t Read(void* buffer, std::int64_t count) override;
    std::int64_t Write(const void* buffer, std::int64_t count) override;
    std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override;
    const std::uint8_t* ReadInPlace(std::int64_t count) override;

    std::int64_t Size() const { return static_cast<std::int64_t>(bytes_.size()); }
    const std::vector<std::uint8_t>& Bytes() const { return bytes_; }
    std::vector<std::uint8_t>& Bytes() { return bytes_; }

private:
    std::vector<std::uint8_t> bytes_;
    std::int64_t position_ = 0;
};

// The whole content of a file, for readers that take bytes rather than a stream.
// Raises EFOpenError or EReadError.
std::vector<std::uint8_t> ReadWholeFile(const std::string& fileName);

} // namespace veltra
