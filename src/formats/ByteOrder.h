#pragma once
// The multi-byte fields of the Level 1b, 1c and 1d formats are big-endian as the formats define
// them; AAPP, however, writes its Level 1c and 1d files in the byte order of the computer that
// ran it, so files made on today's x86 and ARM machines are little-endian throughout. These
// helpers read such fields out of a record held in memory and never read past its end: a field
// that does not lie wholly inside the bytes raises EReadError.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace veltra {

using TBytes = std::span<const std::uint8_t>;

// Raises EReadError for a field that runs past the end of its record.
[[noreturn]] void ThrowReadPastEnd();

// The field readers sit in every decoder's inner loop, hence inline here.
inline void RequireField(TBytes bytes, std::size_t offset, std::size_t width)
{
    if (offset > bytes.size() || width > bytes.size() - offset)
        ThrowReadPastEnd();
}

// Unsigned 16-bit big-endian value at offset.
inline std::uint16_t ReadBE16(TBytes bytes, std::size_t offset)
{
    RequireField(bytes, offset, 2);
    return static_cast<std::uint16_t>(bytes[offset] << 8 | bytes[offset + 1]);
}

// Signed 32-bit two's-complement big-endian value at offset.
inline std::int32_t ReadBE32(TBytes bytes, std::size_t offset)
{
    RequireField(bytes, offset, 4);
    const std::uint32_t word = static_cast<std::uint32_t>(bytes[offset]) << 24 |
                               static_cast<std::uint32_t>(bytes[offset + 1]) << 16 |
                               static_cast<std::uint32_t>(bytes[offset + 2]) << 8 |
                               static_cast<std::uint32_t>(bytes[offset + 3]);
    return static_cast<std::int32_t>(word);
}

// Signed 32-bit two's-complement little-endian value at offset.
inline std::int32_t ReadLE32(TBytes bytes, std::size_t offset)
{
    RequireField(bytes, offset, 4);
    const std::uint32_t word = static_cast<std::uint32_t>(bytes[offset]) |
                               static_cast<std::uint32_t>(bytes[offset + 1]) << 8 |
                               static_cast<std::uint32_t>(bytes[offset + 2]) << 16 |
                               static_cast<std::uint32_t>(bytes[offset + 3]) << 24;
    return static_cast<std::int32_t>(word);
}

// The byte order of a stream's binary fields, decided once when its header is read.
enum class TByteOrder { BigEndian, LittleEndian };

// Signed 32-bit value at offset in the given byte order.
inline std::int32_t ReadInt32(TBytes bytes, std::size_t offset, TByteOrder order)
{
    return order == TByteOrder::BigEndian ? ReadBE32(bytes, offset) : ReadLE32(bytes, offset);
}

// Reverses the four bytes of a word read in the host's order.
std::uint32_t SwapBytes32(std::uint32_t value);
// Single-byte text of the given width at offset, taken byte for byte.
std::string ReadText(TBytes bytes, std::size_t offset, std::size_t width);
// One byte at offset.
std::uint8_t ReadByte(TBytes bytes, std::size_t offset);

// A physical quantity stored as a signed 32-bit number in units of scale (10^-4 degree,
// 10^-6 cm-1, ...), converted in double precision.
inline double ReadScaled(TBytes bytes, std::size_t offset, double scale,
                         TByteOrder order = TByteOrder::BigEndian)
{
    return ReadInt32(bytes, offset, order) * scale;
}

} // namespace veltra
