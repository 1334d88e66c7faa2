#include "formats/ByteOrder.h"

#include "base/Errors.h"

namespace veltra {

namespace {

void Require(TBytes bytes, std::size_t offset, std::size_t width)
{
    if (offset > bytes.size() || width > bytes.size() - offset)
        throw EReadError("Read past the end of a record");
}

} // namespace

std::uint16_t ReadBE16(TBytes bytes, std::size_t offset)
{
    Require(bytes, offset, 2);
    return static_cast<std::uint16_t>(bytes[offset] << 8 | bytes[offset + 1]);
}

std::int32_t ReadBE32(TBytes bytes, std::size_t offset)
{
    Require(bytes, offset, 4);
    const std::uint32_t word = static_cast<std::uint32_t>(bytes[offset]) << 24 |
                               static_cast<std::uint32_t>(bytes[offset + 1]) << 16 |
                               static_cast<std::uint32_t>(bytes[offset + 2]) << 8 |
                               static_cast<std::uint32_t>(bytes[offset + 3]);
    return static_cast<std::int32_t>(word);
}

std::int32_t ReadLE32(TBytes bytes, std::size_t offset)
{
    Require(bytes, offset, 4);
    const std::uint32_t word = static_cast<std::uint32_t>(bytes[offset]) |
                               static_cast<std::uint32_t>(bytes[offset + 1]) << 8 |
                               static_cast<std::uint32_t>(bytes[offset + 2]) << 16 |
                               static_cast<std::uint32_t>(bytes[offset + 3]) << 24;
    return static_cast<std::int32_t>(word);
}

std::uint32_t SwapBytes32(std::uint32_t value)
{
    return (value >> 24) | ((value >> 8) & 0xFF00u) | ((value << 8) & 0xFF0000u) | (value << 24);
}

std::string ReadText(TBytes bytes, std::size_t offset, std::size_t width)
{
    Require(bytes, offset, width);
    return std::string(reinterpret_cast<const char*>(bytes.data() + offset), width);
}

std::uint8_t ReadByte(TBytes bytes, std::size_t offset)
{
    Require(bytes, offset, 1);
    return bytes[offset];
}

} // namespace veltra
