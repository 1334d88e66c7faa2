// make-samples: writes the synthetic sample passes (Level 1b, Level 1c, Level 1d, a station
// group, full-revolution files and bzip2 copies) and a MANIFEST.txt into a folder.
#include <cstdio>
#include <exception>
#include <string>

#include "make-samples/SampleSet.h"

int main(int argc, char** argv)
{
    if (argc != 2 || std::string(argv[1]) == "--help" || std::string(argv[1]) == "-h") {
        std::fprintf(stderr,
                     "Usage: make-samples OUTPUT_FOLDER\n"
                     "Writes the synthetic sample passes and MANIFEST.txt into OUTPUT_FOLDER.\n");
        return argc == 2 ? 0 : 2;
    }
    try {
        const auto written = veltra::samples::WriteSampleSet(argv[1]);
        std::printf("make-samples: %zu files written to %s\n", written.size(), argv[1]);
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "make-samples: %s\n", e.what());
        return 1;
    }
}
