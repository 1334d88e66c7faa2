// Composites of the sample day (its 14 full-revolution MHS passes, 147 MB) through veltra-render
// as a user runs it: `Composite/passes:N` is the composite of the first N passes to a
// 1440 x 720 plate carree PNG, with one decoding thread per processor. Peak memory is the
// process's, so it is measured around the program (README, "Composites").
#include <benchmark/benchmark.h>

#include <algorithm>
#include <filesystem>
#include <sstream>

#include "app/render/RenderCommand.h"

namespace {

std::vector<std::string> DayPasses()
{
    std::vector<std::string> files;
    const auto folder = std::filesystem::path(VELTRA_SAMPLES_DIR) / "day";
    std::error_code error;
    for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end; ++it)
        if (it->path().filename().string().rfind("mhsl1c_", 0) == 0)
            files.push_back(it->path().string());
    std::sort(files.begin(), files.end());
    return files;
}

void Composite(benchmark::State& state)
{
    std::vector<std::string> files = DayPasses();
    const auto passes = static_cast<std::size_t>(state.range(0));
    if (files.size() < passes) {
        state.SkipWithError("the sample day is missing: cmake --build build --target samples-day");
        return;
    }
    files.resize(passes);
    const std::string out =
        (std::filesystem::temp_directory_path() / "veltra-composite-bench.png").string();
    std::vector<std::string> arguments = {"--composite", "latest",   "--projection", "plate-carree",
                                          "--size",      "1440x720", "--png",        out};
    arguments.insert(arguments.end(), files.begin(), files.end());
    const std::string executable = std::string(VELTRA_BINARY_DIR) + "/src/app/veltra-render";
    for (auto _ : state) {
        std::ostringstream text, messages;
        if (veltra::RunRender(arguments, executable, text, messages) != 0)
            state.SkipWithError(messages.str().c_str());
    }
    std::filesystem::remove(out);
}

} // namespace

BENCHMARK(Composite)
    ->ArgName("passes")
    ->Arg(1)
    ->Arg(14)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
