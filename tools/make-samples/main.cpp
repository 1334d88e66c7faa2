// make-samples: writes the synthetic sample passes (Level 1b, Level 1c, Level 1d, a station
// group, full-revolution files and bzip2 copies) and a MANIFEST.txt into a folder; with --day,
// the day of 14 revolutions instead.
#include <algorithm>
#include <cstdio>
#include <exception>
#include <string>
#include <thread>

#include "make-samples/SampleSet.h"

int main(int argc, char** argv)
{
    const bool day = argc == 3 && std::string(argv[1]) == "--day";
    if ((argc != 2 && !day) || std::string(argv[1]) == "--help" || std::string(argv[1]) == "-h") {
        std::fprintf(
            stderr, "Usage: make-samples [--day] OUTPUT_FOLDER\n"
                    "Writes the synthetic sample passes and MANIFEST.txt into OUTPUT_FOLDER;\n"
                    "with --day, a day of 14 Metop-A revolutions (MHS Level 1c, HIRS Level 1b).\n");
        return argc == 2 ? 0 : 2;
    }
    try {
        const char* folder = argv[argc - 1];
        const int threads = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
        const auto written = day ? veltra::samples::WriteDaySet(folder, threads)
                                 : veltra::samples::WriteSampleSet(folder);
        std::printf("make-samples: %zu files written to %s\n", written.size(), folder);
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "make-samples: %s\n", e.what());
        return 1;
    }
}
