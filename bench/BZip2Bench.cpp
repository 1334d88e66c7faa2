// Decompression throughput of the bzip2 stream, in bytes of decompressed output per second, the
// way a .bz2 pass is opened: read 32768 bytes at a time into an in-memory stream.
//
// The input imitates a Level 1b pass: 4608-byte big-endian records whose fields change slowly
// from scan line to scan line (counts, positions, times) with a little instrument noise, which
// compresses about as well as real passes do. To compare with the bzip2 tool on the same bytes,
// set VELTRA_BZIP2_BENCH_SAMPLE to a file name: the compressed input is written there, and
// `time bzip2 -dc FILE > /dev/null` gives the reference figure.
#include <benchmark/benchmark.h>

#include <bzlib.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <random>
#include <vector>

#include "base/Stream.h"
#include "bzip/BZip2.h"

using namespace veltra;

namespace {

constexpr std::size_t RecordSize = 4608;
constexpr std::size_t RecordCount = 1300; // about 6 MB, one pass of a few thousand scan lines

void PutBE32(std::vector<std::uint8_t>& bytes, std::size_t at, std::int32_t value)
{
    const auto v = static_cast<std::uint32_t>(value);
    bytes[at] = static_cast<std::uint8_t>(v >> 24);
    bytes[at + 1] = static_cast<std::uint8_t>(v >> 16);
    bytes[at + 2] = static_cast<std::uint8_t>(v >> 8);
    bytes[at + 3] = static_cast<std::uint8_t>(v);
}

std::vector<std::uint8_t> PassLikeBytes()
{
    std::mt19937 random(2010);
    std::normal_distribution<double> noise(0.0, 3.0);
    std::vector<std::uint8_t> bytes(RecordSize * RecordCount, 0);
    for (std::size_t line = 0; line < RecordCount; ++line) {
        const std::size_t base = line * RecordSize;
        PutBE32(bytes, base, static_cast<std::int32_t>(line + 1));                   // scan line
        PutBE32(bytes, base + 4, static_cast<std::int32_t>(43200000 + line * 6400)); // ms of day
        // 56 footprints: latitude and longitude in 1e-4 degree, drifting along the orbit.
        for (std::size_t fov = 0; fov < 56; ++fov) {
            const auto lat = static_cast<std::int32_t>(400000 + line * 540 + fov * 37);
            const auto lon = static_cast<std::int32_t>(-100000 + fov * 2200 - line * 90);
            PutBE32(bytes, base + 16 + fov * 8, lat);
            PutBE32(bytes, base + 20 + fov * 8, lon);
        }
        // 56 footprints × 20 channels of 16-bit counts: each channel's level, the scene seen
        // through it, and instrument noise.
        for (std::size_t fov = 0; fov < 56; ++fov)
            for (std::size_t channel = 0; channel < 20; ++channel) {
                const double scene =
                    250.0 * std::sin(0.05 * static_cast<double>(line) +
                                     0.2 * static_cast<double>(fov) + static_cast<double>(channel));
                const double level = 2000.0 + 90.0 * static_cast<double>(channel);
                const auto count = static_cast<std::uint16_t>(level + scene + noise(random));
                const std::size_t at = base + 480 + (fov * 20 + channel) * 2;
                bytes[at] = static_cast<std::uint8_t>(count >> 8);
                bytes[at + 1] = static_cast<std::uint8_t>(count);
            }
        // Calibration coefficients and housekeeping words, nearly constant over a pass.
        for (std::size_t at = base + 2720; at + 4 <= base + RecordSize; at += 4)
            PutBE32(bytes, at, static_cast<std::int32_t>((at - base) * 1013 + line / 40));
    }
    return bytes;
}

std::vector<std::uint8_t> Compress(std::vector<std::uint8_t>& plain)
{
    unsigned size = static_cast<unsigned>(plain.size() + plain.size() / 100 + 600);
    std::vector<std::uint8_t> packed(size);
    if (BZ2_bzBuffToBuffCompress(reinterpret_cast<char*>(packed.data()), &size,
                                 reinterpret_cast<char*>(plain.data()),
                                 static_cast<unsigned>(plain.size()), 9, 0, 0) != BZ_OK)
        std::abort();
    packed.resize(size);
    return packed;
}

void BM_DecompressPass(benchmark::State& state)
{
    std::vector<std::uint8_t> plain = PassLikeBytes();
    const std::vector<std::uint8_t> packed = Compress(plain);
    if (const char* sample = std::getenv("VELTRA_BZIP2_BENCH_SAMPLE"))
        std::ofstream(sample, std::ios::binary)
            .write(reinterpret_cast<const char*>(packed.data()),
                   static_cast<std::streamsize>(packed.size()));

    for (auto _ : state) {
        TMemoryStream source(packed);
        TBZDecompressionStream stream(source);
        TMemoryStream target;
        DecompressWhole(stream, target);
        if (target.Size() != static_cast<std::int64_t>(plain.size()))
            state.SkipWithError("decompressed size differs");
        benchmark::DoNotOptimize(target.Bytes().data());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(plain.size()));
    state.counters["ratio"] =
        static_cast<double>(plain.size()) / static_cast<double>(packed.size());
}
BENCHMARK(BM_DecompressPass)->Unit(benchmark::kMillisecond);

} // namespace
