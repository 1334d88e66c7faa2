#pragma once
// Read-only, forward-only decompression of bzip2 data through libbz2.
//
// The stream decompresses a compressed source stream on the fly. Compressed input is read from
// the source in blocks of 128 KiB into the stream's own buffer; the position is the number of
// decompressed bytes delivered so far. Reading is the only way forward: a forward seek reads and
// discards, a seek to 0 from the beginning restarts decompression, every other seek is refused.
//
// A .bz2 file may hold several bzip2 streams one after the other (parallel compressors such as
// pbzip2 and lbzip2 write one stream per chunk, and `cat a.bz2 b.bz2` gives the same): they are
// decompressed in order into one byte sequence, as the bzip2 tool does. Bytes after the last
// complete stream that do not begin another stream are trailing garbage: the data end there and
// nothing decompressed before them is lost.
#include <bzlib.h>

#include <cstdint>
#include <functional>
#include <memory>

#include "base/Errors.h"
#include "base/Stream.h"

namespace veltra {

class EBZip2Error : public EVeltraError {
public:
    using EVeltraError::EVeltraError;
};

// Corrupt compressed data met while decompressing ("error %d" with the library's result code).
class EBZCompressionError : public EBZip2Error {
public:
    using EBZip2Error::EBZip2Error;
};

// The decompressor could not be set up, or an operation the stream does not support
// ("Invalid stream operation").
class EBZDecompressionError : public EBZip2Error {
public:
    using EBZip2Error::EBZip2Error;
};

// What the compression and decompression streams share: the source, where its next compressed
// byte is read from, the progress callback and the library's stream record.
class TCustomBZip2Stream : public TStream {
public:
    // Called after each library call during a read. Nothing in the program sets it.
    std::function<void(TCustomBZip2Stream&)> OnProgress;

protected:
    explicit TCustomBZip2Stream(TStream& source);
    void Progress();

    TStream& source_;             // the compressed stream; not owned
    std::int64_t sourcePosition_; // where the next compressed byte is read from
    bz_stream library_{};         // input and output windows, totals, state, allocators
};

class TBZDecompressionStream : public TCustomBZip2Stream {
public:
    static constexpr std::int64_t InputBufferSize = 131072;
    static constexpr std::int64_t SkipBlockSize = 4096;

    // Remembers the source and its current position and sets up the decompressor (verbosity 0,
    // normal memory mode). Raises EBZDecompressionError("error %d") when the library refuses.
    explicit TBZDecompressionStream(TStream& source);
    ~TBZDecompressionStream() override;

    // Delivers up to count decompressed bytes. A count below the one asked for means the data
    // have ended (the next read returns 0); it is never an error report. The data end at the end
    // of the source, at trailing garbage after a complete stream, and at a truncated stream: a
    // source that runs out in the middle of a stream ends the data without raising, after
    // everything the library could decompress from the bytes that were there. Bytes after a
    // complete stream that lack the bzip2 signature are trailing garbage; a stream that has the
    // signature but corrupt data, first or not, raises EBZCompressionError("error %d") with the
    // library's result code, and the bytes of that read are not delivered.
    std::int64_t Read(void* buffer, std::int64_t count) override;
    // Always raises EBZDecompressionError("Invalid stream operation").
    std::int64_t Write(const void* buffer, std::int64_t count) override;
    // Offset 0 from the beginning restarts decompression at the source position remembered at
    // creation. A forward move (from the current position by offset >= 0, or from the beginning to
    // an offset beyond the current position) reads and discards in blocks of 4096 bytes and raises
    // EReadError if the data end first. Everything else raises EBZDecompressionError("Invalid
    // stream operation"). Returns the position after the seek.
    std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override;

private:
    enum class TState { Decompressing, BetweenStreams, Ended };

    void StartDecompressor();
    void EndDecompressor();
    bool FillInput();
    [[noreturn]] void Fail(int result);

    std::unique_ptr<std::uint8_t[]> input_;
    std::int64_t startPosition_;    // source position at creation, where a restart begins
    std::int64_t position_ = 0;     // decompressed bytes delivered, across all streams
    std::int64_t streamOutput_ = 0; // bytes the current bzip2 stream has produced
    bool firstStream_ = true;       // the current stream is the first of the source
    bool decompressorActive_ = false;
    // The library's result for corrupt data once met; every later read raises it again.
    int failure_ = 0;
    TState state_ = TState::Decompressing;
};

// Reads the whole decompressed content of source into target, 32768 bytes at a time, until a
// read returns 0. Whatever arrived before an exception stays in target. Content growing beyond
// limit bytes (a decompression bomb) raises EBZDecompressionError after limit bytes were kept;
// its reason tells the user the data were cut at the memory limit.
// The target's buffer grows by doubling but never beyond what the limit lets it hold. The
// default limit is far above any real pass (a whole orbit of Level 1d is about 15 MB).
inline constexpr std::int64_t DecompressWholeLimit = std::int64_t{256} << 20;
void DecompressWhole(TStream& source, TMemoryStream& target,
                     std::int64_t limit = DecompressWholeLimit);

} // namespace veltra
