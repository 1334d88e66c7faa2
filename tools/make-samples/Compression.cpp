#include "make-samples/Compression.h"

#include <bzlib.h>
#include <limits>
#include <string>

#include "base/Errors.h"

namespace veltra::samples {

std::vector<std::uint8_t> Bzip2Compress(std::span<const std::uint8_t> bytes)
{
    // bzip2 never grows data by more than 1 % plus 600 bytes.
    const std::size_t bound = bytes.size() + bytes.size() / 100 + 601;
    if (bound > std::numeric_limits<unsigned int>::max())
        throw EVeltraError("Too large to compress in one piece");
    std::vector<std::uint8_t> out(bound);
    auto outLength = static_cast<unsigned int>(bound);
    // The library takes non-const pointers but does not write through the source.
    const int result =
        BZ2_bzBuffToBuffCompress(reinterpret_cast<char*>(out.data()), &outLength,
                                 const_cast<char*>(reinterpret_cast<const char*>(bytes.data())),
                                 static_cast<unsigned int>(bytes.size()), 9, 0, 30);
    if (result != BZ_OK)
        throw EVeltraError("bzip2 compression failed (" + std::to_string(result) + ")");
    out.resize(outLength);
    return out;
}

} // namespace veltra::samples
