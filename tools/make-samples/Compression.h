#pragma once
// bzip2 compression of a whole file held in memory, for the compressed sample copies.
#include <cstdint>
#include <span>
#include <vector>

namespace veltra::samples {

// A complete bzip2 stream (900 k blocks) of the bytes; the same input always gives the same
// output. Raises EVeltraError when the library fails.
std::vector<std::uint8_t> Bzip2Compress(std::span<const std::uint8_t> bytes);

} // namespace veltra::samples
