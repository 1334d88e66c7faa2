#pragma once
// What the fuzz targets share: a check that stops the run with a message (libFuzzer then keeps
// the input as a reproducer), and a reader of the few leading bytes that choose a variant.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <span>

#include "base/Errors.h"

namespace veltra::fuzz {

// A fault of the program met by a guard stops the run like a crash.
inline const bool StrictInternalErrors = (InternalErrorsFatal() = true);

inline void Check(bool holds, const char* what)
{
    if (!holds) {
        std::fprintf(stderr, "fuzz check failed: %s\n", what);
        std::abort();
    }
}

// Takes the first byte of the input as a choice (0 when the input is empty).
inline std::uint8_t TakeByte(std::span<const std::uint8_t>& input)
{
    if (input.empty())
        return 0;
    const std::uint8_t b = input.front();
    input = input.subspan(1);
    return b;
}

} // namespace veltra::fuzz
