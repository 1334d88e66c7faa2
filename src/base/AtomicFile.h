#pragma once
// Files the program writes (pictures' companions, exports, generated data) replace their
// target in one step: the bytes go to a temporary file in the same folder, which is flushed
// and renamed over the target, so a reader never sees half a file and a failed write leaves
// an existing file as it was.
//
// Outputs the user names go through WriteOutput, which first looks at what the name is: a
// symbolic link keeps leading where it led (the file it leads to is replaced), and what cannot
// be replaced without harm (a character device such as /dev/null, a FIFO someone reads, "-" for
// standard output) is written directly.
#include <cstddef>
#include <cstdint>
#include <iosfwd>
#include <span>
#include <string>

namespace veltra {

// Raises EWriteError on any failure and removes the temporary file. A new file gets the mode
// the user's umask gives (0644 under the usual 022); a replaced file keeps the mode it had. The
// temporary name is the target's with a dot and six letters, shortened where that would pass
// the file system's limit on a name.
void WriteFileAtomically(const std::string& fileName, const void* data, std::size_t size);

inline void WriteFileAtomically(const std::string& fileName, std::span<const std::uint8_t> bytes)
{
    WriteFileAtomically(fileName, bytes.data(), bytes.size());
}

// What an output needs of its target. NetCDF and GeoTIFF files are meant to be opened and
// sought in, so they go to regular files only.
enum class TOutputNeeds { Stream, RegularFile };

// Writes an output the user named:
//  - "-": standard output (standardOutput when given, else the process's), for Stream outputs;
//  - a symbolic link: the file it leads to, through every link, as a name below;
//  - a regular file, or a name not there yet: replaced atomically (WriteFileAtomically);
//  - a character device or a FIFO: opened and written directly, for Stream outputs.
// Anything else (a folder, a block device, a socket, a device or FIFO or "-" for a RegularFile
// output) is refused untouched. Raises EWriteError("Cannot write \"NAME\": REASON") with REASON,
// the system's message or the refusal, as its Reason().
void WriteOutput(const std::string& fileName, std::span<const std::uint8_t> bytes,
                 TOutputNeeds needs = TOutputNeeds::Stream, std::ostream* standardOutput = nullptr);

} // namespace veltra
