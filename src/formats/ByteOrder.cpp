#include "formats/ByteOrder.h"

#include "base/Errors.h"

namespace veltra {

void ThrowReadPastEnd()
{
    throw EReadError("Read past the end of a record");
}

std::uint32_t SwapBytes32(std::uint32_t value)
{
    return (value >> 24) | ((value >> 8) & 0xFF00u) | ((value << 8) & 0xFF0000u) | (value << 24);
}

std::string ReadText(TBytes bytes, std::size_t offset, std::size_t width)
{
    RequireField(bytes, offset, width);
    return std::string(reinterpret_cast<const char*>(bytes.data() + offset), width);
}

std::uint8_t ReadByte(TBytes bytes, std::size_t offset)
{
    RequireField(bytes, offset, 1);
    return bytes[offset];
}

} // namespace veltra
