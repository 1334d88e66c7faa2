#include "app/StreamList.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "base/Errors.h"
#include "base/Failure.h"
#include "base/Format.h"
#include "bzip/BZip2.h"

namespace veltra {

namespace {

constexpr const char* CannotOpen = "cannot be opened";

// Only regular files are opened: opening a named pipe for reading would wait for a writer
// and freeze the window, and folders and devices hold no data set. Null, with the note that
// says why, when the file cannot be opened.
std::unique_ptr<TFileStream> OpenRegularFile(const std::string& name, std::string& note)
{
    struct stat status {};
    if (::stat(name.c_str(), &status) != 0) {
        note = std::string(CannotOpen) + ": " + std::strerror(errno);
        return nullptr;
    }
    if (!S_ISREG(status.st_mode)) {
        note = std::string(CannotOpen) + ": not a regular file";
        return nullptr;
    }
    const int fd = ::open(name.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        note = std::string(CannotOpen) + ": " + std::strerror(errno);
        return nullptr;
    }
    ::close(fd);
    try {
        return std::make_unique<TFileStream>(name);
    } catch (...) {
        const TCaughtFailure failure = CaughtFailure();
        note = failure.Internal ? failure.Message : CannotOpen;
    }
    return nullptr;
}

} // namespace

std::int64_t TStreamList::AddPlainFile(const std::string& name, std::int64_t memoryLimit)
{
    std::string note;
    auto file = OpenRegularFile(name, note);
    if (!file) {
        Add(name, nullptr, note);
        return -1;
    }
    if (file->Size() > 0 && file->Size() <= memoryLimit) {
        std::vector<std::uint8_t> bytes(static_cast<std::size_t>(file->Size()));
        // A file that shrank meanwhile keeps what was there; one that cannot be read stays
        // on the file, whose reads then report the fault.
        const std::int64_t n = file->Read(bytes.data(), file->Size());
        if (n > 0) {
            bytes.resize(static_cast<std::size_t>(n));
            Add(name, std::make_unique<TMemoryStream>(std::move(bytes)));
            return n;
        }
    }
    Add(name, std::move(file));
    return 0;
}

std::int64_t TStreamList::AddCompressedFile(const std::string& name, std::int64_t limit)
{
    std::string note;
    auto file = OpenRegularFile(name, note);
    if (!file) {
        Add(name, nullptr, note);
        return -1;
    }
    auto target = std::make_unique<TMemoryStream>();
    try {
        TBZDecompressionStream decompressor(*file);
        DecompressWhole(decompressor, *target, limit);
    } catch (...) {
        // Corrupt data: keep what was decompressed before the failure.
        const TCaughtFailure failure = CaughtFailure();
        if (failure.Internal)
            note = failure.Message;
        else if (!failure.Reason.empty())
            note = failure.Reason;
        else
            note = Format("compressed data damaged after %lld bytes",
                          static_cast<long long>(target->Size()));
    }
    const std::int64_t kept = target->Size();
    Add(name, std::move(target), note);
    return kept;
}

void TStreamList::Add(std::string fileName, std::unique_ptr<TStream> stream, std::string note)
{
    entries_.push_back(TEntry{std::move(fileName), std::move(stream), std::move(note), {}});
    ++generation_;
}

void TStreamList::SetNote(int index, std::string note)
{
    At(index).Note = std::move(note);
}

void TStreamList::SetOutcome(int index, TStreamOutcome outcome)
{
    At(index).Outcome = std::move(outcome);
}

std::vector<TStreamProblem> TStreamList::Problems() const
{
    std::vector<TStreamProblem> problems;
    for (const TEntry& entry : entries_) {
        std::string reason = entry.Note;
        // An absent stream has only its note to tell; its outcome would repeat it.
        if (entry.Stream && !entry.Outcome.IsComplete())
            reason += (reason.empty() ? "" : "; ") + entry.Outcome.Reason;
        else if (!entry.Stream && reason.empty())
            reason = entry.Outcome.Reason.empty() ? CannotOpen : entry.Outcome.Reason;
        if (!reason.empty())
            problems.push_back({entry.FileName, reason});
    }
    return problems;
}

bool TStreamList::NothingDecoded() const
{
    for (const TEntry& entry : entries_)
        if (entry.Outcome.LinesDecoded - entry.Outcome.LinesWithoutData > 0)
            return false;
    return true;
}

} // namespace veltra
