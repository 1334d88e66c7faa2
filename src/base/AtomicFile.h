#pragma once
// Files the program writes (pictures' companions, exports, generated data) replace their
// target in one step: the bytes go to a temporary file in the same folder, which is flushed
// and renamed over the target, so a reader never sees half a file and a failed write leaves
// an existing file as it was.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace veltra {

// Raises EWriteError on any failure and removes the temporary file. A new file gets the mode
// the user's umask gives (0644 under the usual 022); a replaced file keeps the mode it had.
void WriteFileAtomically(const std::string& fileName, const void* data, std::size_t size);

inline void WriteFileAtomically(const std::string& fileName, std::span<const std::uint8_t> bytes)
{
    WriteFileAtomically(fileName, bytes.data(), bytes.size());
}

} // namespace veltra
