#include "app/render/BatchRun.h"

#include <algorithm>
#include <filesystem>
#include <mutex>
#include <ostream>
#include <sstream>
#include <thread>
#include <vector>

namespace veltra {

namespace {

struct TResult {
    bool Done = false;
    int Status = 0;
    std::string Out, Err;
};

// The shared state of one run: which input comes next, the results not yet written, and the
// first input whose text has not been written yet.
class TBatch {
public:
    TBatch(std::size_t inputs, const TBatchOptions& options, std::ostream& out, std::ostream& err)
        : results_(inputs), options_(options), out_(out), err_(err)
    {
    }

    bool Next(std::size_t& index)
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        if (next_ >= results_.size())
            return false;
        index = next_++;
        return true;
    }

    void Finish(std::size_t index, TResult result)
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        result.Done = true;
        if (result.Status != 0)
            ++problems_;
        status_ = std::max(status_, result.Status);
        results_[index] = std::move(result);
        ++done_;
        while (written_ < results_.size() && results_[written_].Done) {
            Write(results_[written_]);
            results_[written_] = TResult{true, 0, {}, {}}; // its text is written: let it go
            ++written_;
        }
        ShowProgress();
    }

    int Status() const { return status_; }

    void EndProgress()
    {
        if (options_.Progress && !results_.empty())
            err_ << '\n' << std::flush;
    }

private:
    void Write(const TResult& result)
    {
        out_ << result.Out << std::flush;
        if (result.Err.empty())
            return;
        if (options_.Progress)
            err_ << "\r\033[K"; // the messages take the progress line's place
        err_ << result.Err << std::flush;
    }

    void ShowProgress()
    {
        if (options_.Progress)
            err_ << '\r' << ProgressText(done_, results_.size(), problems_) << "\033[K"
                 << std::flush;
    }

    std::mutex mutex_;
    std::vector<TResult> results_;
    const TBatchOptions& options_;
    std::ostream& out_;
    std::ostream& err_;
    std::size_t next_ = 0, done_ = 0, written_ = 0, problems_ = 0;
    int status_ = 0;
};

} // namespace

int RunBatch(std::size_t inputs, const TBatchOptions& options, const TRenderOne& render,
             std::ostream& out, std::ostream& err)
{
    TBatch batch(inputs, options, out, err);
    auto work = [&] {
        std::size_t index = 0;
        while (batch.Next(index)) {
            std::ostringstream text, messages;
            TResult result;
            result.Status = render(index, text, messages);
            result.Out = text.str();
            result.Err = messages.str();
            batch.Finish(index, std::move(result));
        }
    };
    const std::size_t threads =
        std::min<std::size_t>(inputs, static_cast<std::size_t>(std::max(options.Jobs, 1)));
    std::vector<std::thread> pool;
    for (std::size_t t = 1; t < threads; ++t)
        pool.emplace_back(work);
    work();
    for (auto& thread : pool)
        thread.join();
    batch.EndProgress();
    return batch.Status();
}

std::string ProgressText(std::size_t done, std::size_t all, std::size_t problems)
{
    return std::to_string(done) + "/" + std::to_string(all) + " files, " +
           std::to_string(problems) + (problems == 1 ? " problem" : " problems");
}

std::string OutputNameFor(const std::string& pattern, const std::string& input)
{
    static const std::string marker = "{name}";
    const std::string name = std::filesystem::path(input).filename().string();
    std::string out;
    std::size_t from = 0;
    for (std::size_t at; (at = pattern.find(marker, from)) != std::string::npos;
         from = at + marker.size())
        out += pattern.substr(from, at - from) + name;
    return out + pattern.substr(from);
}

} // namespace veltra
