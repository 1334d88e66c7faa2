// bzip2 decompression of untrusted bytes. The content is read twice: whole, through
// DecompressWhole, and in reads of changing sizes chosen from the input. What arrives may never
// depend on the read sizes: both readings give the same bytes, or both fail.
#include <algorithm>
#include <cstdint>
#include <vector>

#include "bzip/BZip2.h"
#include "fuzz/FuzzSupport.h"

using namespace veltra;

namespace {

// Enough for every real pass the fuzzer could build in a few kilobytes, small enough for
// thousands of runs a second.
constexpr std::int64_t Limit = 1 << 20;

struct TReading {
    std::vector<std::uint8_t> Bytes;
    bool Failed = false;
};

TReading ReadWhole(const std::uint8_t* data, std::size_t size)
{
    TMemoryStream source(std::vector<std::uint8_t>(data, data + size));
    TMemoryStream target;
    TReading reading;
    try {
        TBZDecompressionStream stream(source);
        DecompressWhole(stream, target, Limit);
    } catch (const EBZip2Error&) {
        reading.Failed = true;
    }
    reading.Bytes = target.Bytes();
    return reading;
}

TReading ReadInPieces(const std::uint8_t* data, std::size_t size)
{
    static const std::int64_t sizes[] = {1, 3, 100, 4096, 32767, 1 << 20};
    TMemoryStream source(std::vector<std::uint8_t>(data, data + size));
    TReading reading;
    // One buffer for every run: a fresh megabyte each time would cost more than decompressing.
    static std::vector<std::uint8_t> buffer(1 << 20);
    try {
        TBZDecompressionStream stream(source);
        for (std::size_t k = 0;; ++k) {
            const std::int64_t want = sizes[(size == 0 ? 0 : data[k % size] + k) % 6];
            const std::int64_t n = stream.Read(buffer.data(), want);
            if (n == 0)
                break;
            reading.Bytes.insert(reading.Bytes.end(), buffer.begin(), buffer.begin() + n);
            if (static_cast<std::int64_t>(reading.Bytes.size()) > Limit) {
                reading.Bytes.resize(Limit);
                reading.Failed = true;
                break;
            }
        }
    } catch (const EBZip2Error&) {
        reading.Failed = true;
    }
    return reading;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const TReading whole = ReadWhole(data, size);
    const TReading pieces = ReadInPieces(data, size);
    fuzz::Check(whole.Failed == pieces.Failed, "a failure does not depend on the read sizes");
    // A failing read delivers none of its bytes, so after a failure only a common start holds.
    if (!whole.Failed)
        fuzz::Check(whole.Bytes == pieces.Bytes, "the content does not depend on the read sizes");
    else {
        const std::size_t common = std::min(whole.Bytes.size(), pieces.Bytes.size());
        fuzz::Check(
            std::equal(whole.Bytes.begin(), whole.Bytes.begin() + common, pieces.Bytes.begin()),
            "what arrives before a failure does not depend on the read sizes");
    }
    return 0;
}
