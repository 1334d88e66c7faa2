#pragma once
// Every multi-byte field of the Level 1b, 1c and 1d formats is big-endian. These helpers read
// such fields out of a record held in memory and never read past its end: a field that does
// not lie wholly inside the bytes raises EReadError.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace veltra {

using TBytes = std::span<const std::uint8_t>;

// Unsigned 16-bit big-endian value at offset.
std::uint16_t ReadBE16(TBytes bytes, std::size_t offset);
// Signed 32-bit two's-complement big-endian value at offset.
std::int32_t ReadBE32(TBytes bytes, std::size_t offset);
// Reverses the four bytes of a word read in the host's order.
std::uint32_t SwapBytes32(std::uint32_t value);
// Single-byte text of the given width at offset, taken byte for byte.
std::string ReadText(TBytes bytes, std::size_t offset, std::size_t width);
// One byte at offset.
std::uint8_t ReadByte(TBytes bytes, std::size_t offset);

// A physical quantity stored as a signed 32-bit number in units of scale (10^-4 degree,
// 10^-6 cm-1, ...), converted in double precision.
inline double ReadScaled(TBytes bytes, std::size_t offset, double scale)
{
    return ReadBE32(bytes, offset) * scale;
}

} // namespace veltra
