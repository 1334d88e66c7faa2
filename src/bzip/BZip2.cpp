#include "bzip/BZip2.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <vector>

#include "base/Format.h"

namespace veltra {

namespace {

const char* const InvalidOperation = "Invalid stream operation";

// The library asks for items × size bytes; both are ints, so the product fits in size_t.
void* Allocate(void*, int items, int size)
{
    if (items <= 0 || size <= 0)
        return nullptr;
    return std::malloc(static_cast<std::size_t>(items) * static_cast<std::size_t>(size));
}

void Release(void*, void* block)
{
    std::free(block);
}

} // namespace

TCustomBZip2Stream::TCustomBZip2Stream(TStream& source)
    : source_(source), sourcePosition_(source.Position())
{
    library_.bzalloc = Allocate;
    library_.bzfree = Release;
    library_.opaque = nullptr;
}

void TCustomBZip2Stream::Progress()
{
    if (OnProgress)
        OnProgress(*this);
}

TBZDecompressionStream::TBZDecompressionStream(TStream& source)
    : TCustomBZip2Stream(source), input_(new std::uint8_t[InputBufferSize]),
      startPosition_(sourcePosition_)
{
    library_.next_in = reinterpret_cast<char*>(input_.get());
    library_.avail_in = 0;
    StartDecompressor();
}

TBZDecompressionStream::~TBZDecompressionStream()
{
    EndDecompressor();
}

// Initialising resets the library's state and totals but not its input window, which may
// already hold the first bytes of the next stream of the source; keep them explicitly.
void TBZDecompressionStream::StartDecompressor()
{
    char* const nextIn = library_.next_in;
    const unsigned availIn = library_.avail_in;
    const int result = BZ2_bzDecompressInit(&library_, 0, 0);
    if (result < 0)
        throw EBZDecompressionError(Format("error %d", result));
    decompressorActive_ = true;
    library_.next_in = nextIn;
    library_.avail_in = availIn;
    streamOutput_ = 0;
}

void TBZDecompressionStream::EndDecompressor()
{
    if (decompressorActive_)
        BZ2_bzDecompressEnd(&library_);
    decompressorActive_ = false;
}

bool TBZDecompressionStream::FillInput()
{
    const std::int64_t n = source_.Read(input_.get(), InputBufferSize);
    if (n <= 0)
        return false;
    library_.next_in = reinterpret_cast<char*>(input_.get());
    library_.avail_in = static_cast<unsigned>(n);
    sourcePosition_ = source_.Position();
    return true;
}

void TBZDecompressionStream::Fail(int result)
{
    failure_ = result;
    throw EBZCompressionError(Format("error %d", result));
}

std::int64_t TBZDecompressionStream::Read(void* buffer, std::int64_t count)
{
    if (failure_ != 0)
        Fail(failure_);
    if (count <= 0 || state_ == TState::Ended)
        return 0;
    if (source_.Position() != sourcePosition_)
        source_.Seek(sourcePosition_, TSeekOrigin::Beginning);

    char* const out = static_cast<char*>(buffer);
    std::int64_t delivered = 0;
    while (delivered < count) {
        if (state_ == TState::BetweenStreams) {
            // A stream ended; another follows only if the source holds more bytes.
            if (library_.avail_in == 0 && !FillInput()) {
                state_ = TState::Ended;
                break;
            }
            StartDecompressor();
            firstStream_ = false;
            state_ = TState::Decompressing;
        }
        // The source running out is either the clean end or a stream cut short. The library may
        // still hold output of the input it has taken (a block decoded but not yet delivered):
        // drain it first, so that what a cut stream yields never depends on the read sizes.
        const bool sourceEnded = library_.avail_in == 0 && !FillInput();
        const std::int64_t room = std::min<std::int64_t>(count - delivered, UINT_MAX);
        library_.next_out = out + delivered;
        library_.avail_out = static_cast<unsigned>(room);
        const int result = BZ2_bzDecompress(&library_);
        const std::int64_t produced = room - library_.avail_out;
        delivered += produced;
        streamOutput_ += produced;
        if (sourceEnded && result == BZ_OK && produced == 0) {
            state_ = TState::Ended;
            break;
        }
        if (result == BZ_DATA_ERROR_MAGIC && !firstStream_ && streamOutput_ == 0) {
            // Bytes after a complete stream that do not start another one: trailing garbage.
            EndDecompressor();
            state_ = TState::Ended;
            break;
        }
        if (result < 0)
            Fail(result);
        Progress();
        if (result == BZ_STREAM_END) {
            EndDecompressor();
            state_ = TState::BetweenStreams;
        }
    }
    position_ += delivered;
    return delivered;
}

std::int64_t TBZDecompressionStream::Write(const void*, std::int64_t)
{
    throw EBZDecompressionError(InvalidOperation);
}

std::int64_t TBZDecompressionStream::Seek(std::int64_t offset, TSeekOrigin origin)
{
    if (origin == TSeekOrigin::Beginning && offset == 0) {
        EndDecompressor();
        library_.next_in = reinterpret_cast<char*>(input_.get());
        library_.avail_in = 0;
        StartDecompressor();
        source_.Seek(startPosition_, TSeekOrigin::Beginning);
        sourcePosition_ = startPosition_;
        position_ = 0;
        firstStream_ = true;
        failure_ = 0;
        state_ = TState::Decompressing;
        return 0;
    }
    std::int64_t distance = 0;
    if (origin == TSeekOrigin::Current && offset >= 0)
        distance = offset;
    else if (origin == TSeekOrigin::Beginning && offset > position_)
        distance = offset - position_;
    else
        throw EBZDecompressionError(InvalidOperation);

    std::uint8_t discard[SkipBlockSize];
    for (std::int64_t block = distance / SkipBlockSize; block > 0; --block)
        ReadBuffer(discard, SkipBlockSize);
    ReadBuffer(discard, distance % SkipBlockSize);
    return position_;
}

void DecompressWhole(TStream& source, TMemoryStream& target, std::int64_t limit)
{
    constexpr std::int64_t ChunkSize = 32768;
    std::unique_ptr<std::uint8_t[]> chunk(new std::uint8_t[ChunkSize]);
    std::int64_t total = 0;
    std::vector<std::uint8_t>& bytes = target.Bytes();
    const std::int64_t ceiling = target.Position() + limit;
    for (;;) {
        const std::int64_t n = source.Read(chunk.get(), ChunkSize);
        if (n <= 0)
            return;
        const std::int64_t kept = std::min(n, limit - total);
        const std::int64_t needed = target.Position() + kept;
        const auto capacity = static_cast<std::int64_t>(bytes.capacity());
        if (needed > capacity)
            bytes.reserve(static_cast<std::size_t>(
                std::min(std::max(needed, 2 * capacity), std::max(ceiling, needed))));
        target.WriteBuffer(chunk.get(), kept);
        total += kept;
        if (kept < n)
            throw EBZDecompressionError(
                Format("Decompressed data exceed %lld bytes", static_cast<long long>(limit)),
                Format("decompressed data cut at the memory limit after %lld bytes",
                       static_cast<long long>(total)));
    }
}

} // namespace veltra
