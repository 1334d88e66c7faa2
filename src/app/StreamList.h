#pragma once
// The inputs of the render pass: one entry per file of the open (the file, or every file of a
// station group), in the order the pass decodes them, with what opening and decoding each one
// found out.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "base/Stream.h"
#include "formats/DecodeStream.h"

namespace veltra {

// A stream the user should hear about, with the reason in their terms.
struct TStreamProblem {
    std::string FileName;
    std::string Reason;
};

class TStreamList {
public:
    // stream: null when the file could not be opened; note: what opening found wrong
    // ("cannot be opened", a compressed file cut short), empty when nothing.
    void Add(std::string fileName, std::unique_ptr<TStream> stream, std::string note = {});
    // Opens a plain file, or lists it with a null stream and a note when it cannot be opened.
    // A file of at most memoryLimit bytes is read into memory once, so that render passes read
    // its records in place; a larger one is read from the file on every pass. Returns the
    // bytes held in memory (0 for a file read in place), or -1 when it cannot be opened.
    std::int64_t AddPlainFile(const std::string& name, std::int64_t memoryLimit);
    // Decompresses a bzip2 file whole into memory, keeping at most limit bytes; damaged data
    // keep what came before the damage, with a note. Returns the bytes kept, or -1 (and lists
    // the file with a null stream) when it cannot be opened.
    std::int64_t AddCompressedFile(const std::string& name, std::int64_t limit);
    void Clear()
    {
        entries_.clear();
        ++generation_;
    }
    int Count() const { return static_cast<int>(entries_.size()); }
    // The open stream, null when the file could not be opened. Owned by the list.
    TStream* Items(int index) const { return At(index).Stream.get(); }
    const std::string& FileName(int index) const { return At(index).FileName; }
    const std::string& Note(int index) const { return At(index).Note; }
    void SetNote(int index, std::string note);
    // How the last render pass ended for the stream (complete before the first pass).
    const TStreamOutcome& Outcome(int index) const { return At(index).Outcome; }
    void SetOutcome(int index, TStreamOutcome outcome);

    // Changes whenever a stream is added or the list emptied: what was read of the streams
    // under an earlier value may not be of these.
    std::uint64_t Generation() const { return generation_; }

    // Every stream with a note or not decoded completely, in order. A note and the outcome's
    // reason are joined with "; ".
    std::vector<TStreamProblem> Problems() const;
    // True when no stream gave a single scan line (also for an empty list).
    bool NothingDecoded() const;

private:
    struct TEntry {
        std::string FileName;
        std::unique_ptr<TStream> Stream;
        std::string Note;
        TStreamOutcome Outcome;
    };
    const TEntry& At(int index) const { return entries_[static_cast<std::size_t>(index)]; }
    TEntry& At(int index) { return entries_[static_cast<std::size_t>(index)]; }

    std::vector<TEntry> entries_;
    std::uint64_t generation_ = 0;
};

} // namespace veltra
