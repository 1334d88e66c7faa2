#include "imaging/PngWriter.h"

#include <cstring>
#include <string>
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

} // namespace

std::vector<std::uint8_t> FastPngBytes(const TRgbImage& image)
{
    const auto width = static_cast<std::size_t>(image.Width > 0 ? image.Width : 0);
    const auto height = static_cast<std::size_t>(image.Height > 0 ? image.Height : 0);
    if (width == 0 || height == 0 || image.Bits == nullptr)
        throw EWriteError("An empty picture has no PNG file");
    const std::size_t rowBytes = 3 * width;

    z_stream z{};
    // Level 1 with Z_RLE: matches of the byte just before only, which after the Sub filter are
    // the long runs of zeros a plain area leaves.
    if (deflateInit2(&z, Z_BEST_SPEED, Z_DEFLATED, 15, 8, Z_RLE) != Z_OK)
        throw EWriteError("Cannot make the PNG file: zlib could not start");
    std::vector<std::uint8_t> compressed(deflateBound(&z, (rowBytes + 1) * height));
    z.next_out = compressed.data();
    z.avail_out = static_cast<uInt>(compressed.size());
    std::vector<std::uint8_t> row(rowBytes + 1);
    int status = Z_OK;
    for (std::size_t y = 0; y < height && status == Z_OK; ++y) {
        const std::uint8_t* in = image.Bits + static_cast<std::ptrdiff_t>(y) * image.BytesPerLine;
        row[0] = 1; // Sub: each byte less the same colour's byte of the pixel to its left
        std::memcpy(&row[1], in, 3);
        for (std::size_t i = 3; i < rowBytes; ++i)
            row[1 + i] = static_cast<std::uint8_t>(in[i] - in[i - 3]);
        z.next_in = row.data();
        z.avail_in = static_cast<uInt>(row.size());
        status = deflate(&z, y + 1 == height ? Z_FINISH : Z_NO_FLUSH);
    }
    const std::size_t size = compressed.size() - z.avail_out;
    deflateEnd(&z);
    if (status != Z_STREAM_END)
        throw EWriteError("Cannot make the PNG file: zlib failed");

    std::vector<std::uint8_t> out = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
    out.reserve(size + 64);
    std::vector<std::uint8_t> header;
    PutBE32(header, static_cast<std::uint32_t>(width));
    PutBE32(header, static_cast<std::uint32_t>(height));
    // Bit depth 8, colour type 2 (RGB), deflate, adaptive filtering, no interlace.
    header.insert(header.end(), {8, 2, 0, 0, 0});
    PutChunk(out, "IHDR", header.data(), header.size());
    PutChunk(out, "IDAT", compressed.data(), size);
    PutChunk(out, "IEND", nullptr, 0);
    return out;
}

} // namespace veltra
