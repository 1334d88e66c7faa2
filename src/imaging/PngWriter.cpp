#include "imaging/PngWriter.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <new>
#include <string>
#include <thread>
#include <zlib.h>

#include "base/Errors.h"

namespace veltra {

namespace {

void PutBE32(std::vector<std::uint8_t>& out, std::uint32_t value)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<std::uint8_t>(value >> shift));
}

// A chunk: its length, type and data, and the CRC-32 of type and data.
void PutChunk(std::vector<std::uint8_t>& out, const char (&type)[5], const std::uint8_t* data,
              std::size_t size)
{
    PutBE32(out, static_cast<std::uint32_t>(size));
    const std::size_t typeAt = out.size();
    out.insert(out.end(), type, type + 4);
    if (size > 0)
        out.insert(out.end(), data, data + size);
    const uLong crc = crc32_z(0, out.data() + typeAt, 4 + size);
    PutBE32(out, static_cast<std::uint32_t>(crc));
}

// One stretch of rows, filtered and deflated as raw deflate data that ends on a byte
// boundary (a sync flush), or with the stream's last block when it is the last stretch.
// The stretches know nothing of each other, so any thread may make any of them, and their
// bytes joined are one deflate stream whatever the number of threads.
struct TDeflatedRows {
    std::vector<std::uint8_t> Bytes;
    uLong Adler = 1;
    bool Failed = true;
};

void DeflateRows(const TRgbImage& image, std::size_t first, std::size_t end, bool last,
                 TDeflatedRows& result)
{
    const std::size_t rowBytes = 3 * static_cast<std::size_t>(image.Width);
    z_stream z{};
    // Level 1 with Z_RLE: matches of the byte just before only, which after the Sub filter are
    // the long runs of zeros a plain area leaves; nor do they reach into the stretch before.
    if (deflateInit2(&z, Z_BEST_SPEED, Z_DEFLATED, -15, 8, Z_RLE) != Z_OK)
        return;
    result.Bytes.resize(deflateBound(&z, (rowBytes + 1) * (end - first)) + 16);
    z.next_out = result.Bytes.data();
    z.avail_out = static_cast<uInt>(result.Bytes.size());
    std::vector<std::uint8_t> row(rowBytes + 1);
    int status = Z_OK;
    for (std::size_t y = first; y < end && status == Z_OK; ++y) {
        const std::uint8_t* in = image.Bits + static_cast<std::ptrdiff_t>(y) * image.BytesPerLine;
        row[0] = 1; // Sub: each byte less the same colour's byte of the pixel to its left
        std::memcpy(&row[1], in, 3);
        for (std::size_t i = 3; i < rowBytes; ++i)
            row[1 + i] = static_cast<std::uint8_t>(in[i] - in[i - 3]);
        result.Adler = adler32_z(result.Adler, row.data(), row.size());
        z.next_in = row.data();
        z.avail_in = static_cast<uInt>(row.size());
        status = deflate(&z, y + 1 < end ? Z_NO_FLUSH : last ? Z_FINISH : Z_SYNC_FLUSH);
    }
    result.Bytes.resize(result.Bytes.size() - z.avail_out);
    deflateEnd(&z);
    result.Failed = last ? status != Z_STREAM_END : status != Z_OK || z.avail_in != 0;
}

} // namespace

std::vector<std::uint8_t> FastPngBytes(const TRgbImage& image, int threads)
{
    const auto width = static_cast<std::size_t>(image.Width > 0 ? image.Width : 0);
    const auto height = static_cast<std::size_t>(image.Height > 0 ? image.Height : 0);
    if (width == 0 || height == 0 || image.Bits == nullptr)
        throw EWriteError("An empty picture has no PNG file");

    // The rows are cut into a fixed number of stretches, never one per thread, so the file is
    // the same byte for byte however many threads make it.
    const std::size_t stretches = std::min<std::size_t>(PngStretches, height);
    std::vector<TDeflatedRows> deflated(stretches);
    const auto make = [&](std::size_t s) {
        try {
            DeflateRows(image, height * s / stretches, height * (s + 1) / stretches,
                        s + 1 == stretches, deflated[s]);
        } catch (const std::bad_alloc&) {
            deflated[s].Failed = true; // reported below, on the calling thread
        }
    };
    const std::size_t workers =
        std::min<std::size_t>(stretches, static_cast<std::size_t>(std::max(threads, 1)));
    std::atomic<std::size_t> next{0};
    const auto work = [&] {
        for (std::size_t s = next++; s < stretches; s = next++)
            make(s);
    };
    std::vector<std::thread> helpers;
    for (std::size_t t = 1; t < workers; ++t)
        helpers.emplace_back(work);
    work();
    for (std::thread& helper : helpers)
        helper.join();

    // The zlib stream: its header (deflate, 32 KiB window, fastest level), the stretches, and
    // the Adler-32 of all the filtered rows, put together from each stretch's own.
    std::vector<std::uint8_t> compressed = {0x78, 0x01};
    uLong adler = 1;
    for (std::size_t s = 0; s < stretches; ++s) {
        if (deflated[s].Failed)
            throw EWriteError("Cannot make the PNG file: zlib failed");
        compressed.insert(compressed.end(), deflated[s].Bytes.begin(), deflated[s].Bytes.end());
        const auto rows =
            static_cast<z_off_t>(height * (s + 1) / stretches - height * s / stretches);
        adler =
            adler32_combine(adler, deflated[s].Adler, rows * static_cast<z_off_t>(3 * width + 1));
        std::vector<std::uint8_t>().swap(deflated[s].Bytes);
    }
    PutBE32(compressed, static_cast<std::uint32_t>(adler));

    std::vector<std::uint8_t> out = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
    out.reserve(compressed.size() + 64);
    std::vector<std::uint8_t> header;
    PutBE32(header, static_cast<std::uint32_t>(width));
    PutBE32(header, static_cast<std::uint32_t>(height));
    // Bit depth 8, colour type 2 (RGB), deflate, adaptive filtering, no interlace.
    header.insert(header.end(), {8, 2, 0, 0, 0});
    PutChunk(out, "IHDR", header.data(), header.size());
    PutChunk(out, "IDAT", compressed.data(), compressed.size());
    PutChunk(out, "IEND", nullptr, 0);
    return out;
}

} // namespace veltra
