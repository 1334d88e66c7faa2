#pragma once
// The generated passes and the sample set, built once per test program: building them takes
// seconds, and every test that reads them sees the same bytes.
#include <vector>

#include "make-samples/SampleSet.h"

namespace veltra::test {

inline const samples::TSamplePasses& SharedPasses()
{
    static const samples::TSamplePasses passes = samples::MakeSamplePasses();
    return passes;
}

inline const std::vector<samples::TSampleFile>& SharedSampleSet()
{
    static const std::vector<samples::TSampleFile> files = samples::BuildSampleSet(SharedPasses());
    return files;
}

} // namespace veltra::test
