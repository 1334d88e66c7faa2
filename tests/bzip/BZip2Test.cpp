#include <gtest/gtest.h>

#include <bzlib.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "base/Errors.h"
#include "base/Format.h"
#include "base/Stream.h"
#include "bzip/BZip2.h"

using namespace veltra;

namespace {

using TBytes = std::vector<std::uint8_t>;

// Bytes that compress poorly, so that a 100 kB bzip2 block holds about 100 kB of them.
TBytes RandomBytes(std::size_t size, unsigned seed)
{
    std::mt19937 random(seed);
    TBytes bytes(size);
    for (auto& b : bytes)
        b = static_cast<std::uint8_t>(random());
    return bytes;
}

TBytes Compress(const TBytes& plain, int blockSize100k = 9)
{
    unsigned size = static_cast<unsigned>(plain.size() + plain.size() / 100 + 600);
    TBytes packed(size);
    char none = 0; // the library refuses a null input pointer even for no input
    const int result = BZ2_bzBuffToBuffCompress(
        reinterpret_cast<char*>(packed.data()), &size,
        plain.empty() ? &none : const_cast<char*>(reinterpret_cast<const char*>(plain.data())),
        static_cast<unsigned>(plain.size()), blockSize100k, 0, 0);
    EXPECT_EQ(result, BZ_OK);
    packed.resize(size);
    return packed;
}

TBytes Join(TBytes a, const TBytes& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

std::vector<std::int64_t> ReadCounts(TStream& stream, std::int64_t chunk, TBytes* content = nullptr)
{
    std::vector<std::int64_t> counts;
    TBytes buffer(static_cast<std::size_t>(chunk));
    for (;;) {
        const std::int64_t n = stream.Read(buffer.data(), chunk);
        counts.push_back(n);
        if (content)
            content->insert(content->end(), buffer.begin(), buffer.begin() + n);
        if (n == 0 || counts.size() > 1000)
            return counts;
    }
}

TBytes DecompressAll(const TBytes& packed)
{
    TMemoryStream source(packed);
    TBZDecompressionStream stream(source);
    TMemoryStream target;
    DecompressWhole(stream, target);
    return target.Bytes();
}

// Records the size of every read, which shows how a forward seek is served.
class TRecordingStream : public TBZDecompressionStream {
public:
    using TBZDecompressionStream::TBZDecompressionStream;
    std::int64_t Read(void* buffer, std::int64_t count) override
    {
        reads.push_back(count);
        return TBZDecompressionStream::Read(buffer, count);
    }
    std::vector<std::int64_t> reads;
};

std::string ErrorText(TStream& stream, std::int64_t offset, TSeekOrigin origin)
{
    try {
        stream.Seek(offset, origin);
    } catch (const EBZDecompressionError& e) {
        return e.what();
    }
    return "no error";
}

} // namespace

TEST(BZip2, ReadsChunksUntilShortCountThenZero)
{
    const TBytes plain = RandomBytes(100000, 1);
    TMemoryStream source(Compress(plain));
    TBZDecompressionStream stream(source);
    TBytes content;
    EXPECT_EQ(ReadCounts(stream, 32768, &content),
              (std::vector<std::int64_t>{32768, 32768, 32768, 1696, 0}));
    EXPECT_EQ(content, plain);
    EXPECT_EQ(stream.Read(content.data(), 10), 0);
}

TEST(BZip2, ForwardSeekReadsAndDiscardsIn4096ByteBlocks)
{
    const TBytes plain = RandomBytes(100000, 2);
    TMemoryStream source(Compress(plain));
    TRecordingStream stream(source);

    EXPECT_EQ(stream.Seek(10000, TSeekOrigin::Current), 10000);
    EXPECT_EQ(stream.reads, (std::vector<std::int64_t>{4096, 4096, 1808}));
    EXPECT_EQ(stream.Position(), 10000);

    stream.reads.clear();
    EXPECT_EQ(stream.Seek(20000, TSeekOrigin::Beginning), 20000);
    EXPECT_EQ(stream.reads, (std::vector<std::int64_t>{4096, 4096, 1808}));
    std::uint8_t next = 0;
    EXPECT_EQ(stream.Read(&next, 1), 1);
    EXPECT_EQ(next, plain[20000]);

    // Past the end: the skip cannot be completed.
    EXPECT_THROW(stream.Seek(200000, TSeekOrigin::Beginning), EReadError);
}

TEST(BZip2, SeekToZeroRestartsAtTheSourcePositionOfCreation)
{
    const TBytes plain = RandomBytes(70000, 3);
    // The compressed data start after a 5-byte prefix the source was positioned past.
    TMemoryStream source(Join(TBytes{'h', 'e', 'a', 'd', ':'}, Compress(plain)));
    source.Seek(5, TSeekOrigin::Beginning);
    TBZDecompressionStream stream(source);
    TBytes first(50000);
    EXPECT_EQ(stream.Read(first.data(), 50000), 50000);

    EXPECT_EQ(stream.Seek(0, TSeekOrigin::Beginning), 0);
    TBytes content;
    ReadCounts(stream, 32768, &content);
    EXPECT_EQ(content, plain);
}

TEST(BZip2, SourceMovedByOthersIsRepositionedBeforeReading)
{
    const TBytes plain = RandomBytes(300000, 4);
    TMemoryStream source(Compress(plain));
    TBZDecompressionStream stream(source);
    TBytes content(1000);
    EXPECT_EQ(stream.Read(content.data(), 1000), 1000);
    source.Seek(0, TSeekOrigin::Beginning);
    ReadCounts(stream, 32768, &content);
    EXPECT_EQ(content, plain);
}

TEST(BZip2, RefusesWriteAndEveryBackwardOrFromEndSeek)
{
    TMemoryStream source(Compress(RandomBytes(20000, 5)));
    TBZDecompressionStream stream(source);
    std::uint8_t buffer[100] = {};
    ASSERT_EQ(stream.Read(buffer, 100), 100);

    const struct {
        std::int64_t offset;
        TSeekOrigin origin;
    } refused[] = {
        {-1, TSeekOrigin::Current},   {0, TSeekOrigin::End},        {-10, TSeekOrigin::End},
        {10, TSeekOrigin::End},       {50, TSeekOrigin::Beginning}, {100, TSeekOrigin::Beginning},
        {-5, TSeekOrigin::Beginning},
    };
    for (const auto& seek : refused)
        EXPECT_EQ(ErrorText(stream, seek.offset, seek.origin), "Invalid stream operation")
            << seek.offset << " from " << static_cast<int>(seek.origin);
    EXPECT_EQ(stream.Position(), 100);

    try {
        stream.Write(buffer, 1);
        ADD_FAILURE() << "Write accepted";
    } catch (const EBZDecompressionError& e) {
        EXPECT_STREQ(e.what(), "Invalid stream operation");
    }
}

TEST(BZip2, CorruptDataRaiseTheLibraryCode)
{
    const TBytes plain = RandomBytes(50000, 6);
    const TBytes packed = Compress(plain);

    TBytes badMagic = packed;
    badMagic[0] = 'X';
    TMemoryStream source1(badMagic);
    TBZDecompressionStream stream1(source1);
    std::uint8_t buffer[32768];
    try {
        stream1.Read(buffer, sizeof buffer);
        ADD_FAILURE() << "bad magic accepted";
    } catch (const EBZCompressionError& e) {
        EXPECT_EQ(std::string(e.what()), Format("error %d", BZ_DATA_ERROR_MAGIC));
    }

    TBytes badBlock = packed;
    badBlock[packed.size() / 2] ^= 0x55;
    TMemoryStream source2(badBlock);
    TBZDecompressionStream stream2(source2);
    try {
        ReadCounts(stream2, 32768);
        ADD_FAILURE() << "corrupt block accepted";
    } catch (const EBZCompressionError& e) {
        EXPECT_EQ(std::string(e.what()), Format("error %d", BZ_DATA_ERROR));
    }
    // The stream stays failed rather than decoding on from a broken state.
    EXPECT_THROW(stream2.Read(buffer, 1), EBZCompressionError);
}

TEST(BZip2, TruncatedFileEndsAfterWhatCouldBeDecompressed)
{
    // Three blocks of 100 kB; the cut falls inside the third.
    const TBytes plain = RandomBytes(280000, 7);
    const TBytes packed = Compress(plain, 1);
    const TBytes cut(packed.begin(), packed.begin() + packed.size() * 8 / 10);

    TBytes content;
    ASSERT_NO_THROW(content = DecompressAll(cut));
    EXPECT_GE(content.size(), 190000u);
    EXPECT_LT(content.size(), plain.size());
    EXPECT_TRUE(std::equal(content.begin(), content.end(), plain.begin()));
}

TEST(BZip2, StreamWithoutItsTrailerGivesEveryBlockWhateverTheReadSize)
{
    // The last 10 bytes hold the end-of-stream marker and the combined CRC: without them every
    // block is still whole, and the decompressor holds the last one when the source runs out.
    const TBytes plain = RandomBytes(280000, 17);
    TBytes packed = Compress(plain, 1);
    packed.resize(packed.size() - 10);
    for (const std::int64_t chunk : {1, 4095, 32768, 1 << 20}) {
        TMemoryStream source(packed);
        TBZDecompressionStream stream(source);
        TBytes content, buffer(static_cast<std::size_t>(chunk));
        for (std::int64_t n; (n = stream.Read(buffer.data(), chunk)) > 0;)
            content.insert(content.end(), buffer.begin(), buffer.begin() + n);
        EXPECT_TRUE(content == plain) << chunk << ": " << content.size() << " bytes";
    }
}

TEST(BZip2, ConcatenatedStreamsGiveOneByteSequence)
{
    // What pbzip2 and lbzip2 write: one complete stream per chunk of the input.
    const TBytes a = RandomBytes(100000, 8);
    const TBytes b = RandomBytes(50000, 9);
    const TBytes c = RandomBytes(1, 10);
    TMemoryStream source(Join(Join(Compress(a), Compress(b)), Compress(c)));
    TBZDecompressionStream stream(source);
    TBytes content;
    EXPECT_EQ(ReadCounts(stream, 32768, &content),
              (std::vector<std::int64_t>{32768, 32768, 32768, 32768, 18929, 0}));
    EXPECT_EQ(content, Join(Join(a, b), c));

    // Empty streams in the sequence contribute nothing and do not end the data.
    EXPECT_EQ(DecompressAll(Join(Join(Compress({}), Compress(a)), Compress({}))), a);
}

TEST(BZip2, TrailingGarbageEndsTheDataWithoutLosingAny)
{
    const TBytes plain = RandomBytes(100000, 11);
    const std::string text = "not a bzip2 stream";
    const TBytes garbage[] = {
        TBytes(text.begin(), text.end()),
        TBytes(4096, 0), // padding to a tape or disk block
        TBytes{'\n'},
        TBytes{'B', 'Z'},
    };
    for (const TBytes& tail : garbage) {
        TMemoryStream source(Join(Compress(plain), tail));
        TBZDecompressionStream stream(source);
        TBytes content;
        EXPECT_EQ(ReadCounts(stream, 32768, &content),
                  (std::vector<std::int64_t>{32768, 32768, 32768, 1696, 0}))
            << tail.size();
        EXPECT_EQ(content, plain);
    }
}

TEST(BZip2, DecompressWholeKeepsWhatArrivedBeforeAFailure)
{
    // A complete first stream filling two reads, then a second, small enough to be met whole by
    // the third read, whose data are corrupt.
    const TBytes a = RandomBytes(65536, 12);
    TBytes b = Compress(RandomBytes(1000, 13));
    b[b.size() / 2] ^= 0x55;
    TMemoryStream source(Join(Compress(a), b));
    TBZDecompressionStream stream(source);
    TMemoryStream target;
    EXPECT_THROW(DecompressWhole(stream, target), EBZCompressionError);
    EXPECT_EQ(target.Bytes(), a);

    // Content beyond the limit: the limit's worth is kept, then the copy stops.
    TMemoryStream source2(Compress(RandomBytes(100000, 14)));
    TBZDecompressionStream stream2(source2);
    TMemoryStream target2;
    EXPECT_THROW(DecompressWhole(stream2, target2, 50000), EBZDecompressionError);
    EXPECT_EQ(target2.Size(), 50000);
    // The buffer grew by doubling but not beyond the limit (32768 would have doubled to 65536).
    EXPECT_EQ(target2.Bytes().capacity(), 50000u);
}

TEST(BZip2, EmptyAndDamagedSourcesNeverCrash)
{
    EXPECT_TRUE(DecompressAll({}).empty());
    EXPECT_TRUE(DecompressAll(Compress({})).empty());

    const TBytes packed = Compress(RandomBytes(30000, 15), 1);
    std::mt19937 random(16);
    int failures = 0;
    for (int round = 0; round < 200; ++round) {
        TBytes damaged = round % 2 ? packed : RandomBytes(2000, round);
        if (round % 2)
            for (int k = 0; k < 3; ++k)
                damaged[random() % damaged.size()] = static_cast<std::uint8_t>(random());
        if (round % 4 == 1)
            damaged.resize(random() % damaged.size());
        try {
            DecompressAll(damaged);
        } catch (const EBZip2Error&) {
            ++failures;
        }
    }
    EXPECT_GT(failures, 100);
}
