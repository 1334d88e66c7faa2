#pragma once
// Many inputs in one run: each rendered on its own (its own controller and headless view) by
// a pool of threads, its text collected and written in input order, the exit status the
// highest of the inputs'. One input that fails never stops the others.
#include <cstddef>
#include <functional>
#include <iosfwd>
#include <string>

namespace veltra {

// Renders input `index`, writing its text to `out` and its messages to `err`; returns its
// exit status. Called from several threads at once for different inputs.
using TRenderOne = std::function<int(std::size_t index, std::ostream& out, std::ostream& err)>;

struct TBatchOptions {
    int Jobs = 1;          // threads; never more than the inputs
    bool Progress = false; // "37/240 files, 3 problems" on `err`, rewritten in place
};

int RunBatch(std::size_t inputs, const TBatchOptions& options, const TRenderOne& render,
             std::ostream& out, std::ostream& err);

// The progress line: files done of all, and the inputs that ended with a problem.
std::string ProgressText(std::size_t done, std::size_t all, std::size_t problems);

// An output name for one input: every "{name}" replaced by the input's file name without its
// folder.
std::string OutputNameFor(const std::string& pattern, const std::string& input);

} // namespace veltra
