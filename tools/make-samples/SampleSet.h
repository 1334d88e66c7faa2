#pragma once
// The sample set: which passes, which files, their names and descriptions, and writing them
// into a folder with a MANIFEST.txt. Everything is a fixed function of the constants below, so
// two runs give the same bytes.
#include <span>
#include <string>
#include <vector>

#include "make-samples/Pass.h"
#include "make-samples/Writers.h"

namespace veltra::samples {

// The day every sample pass flies on: 15 January 2008.
constexpr int SampleYear = 2008;
constexpr int SampleDayOfYear = 15;

// The passes the files are made from (kept so tests can compare decoded files with them).
struct TSamplePasses {
    // NOAA-15, descending over Europe about 07:57-08:11 UTC, revolution 50410.
    TPassData HirsEurope, AmsuAEurope, AmsuBEurope;
    // The same HIRS pass with AMSU-A and AMSU-B on its footprints (Level 1d).
    TPassData AmsuAOnHirs, AmsuBOnHirs;
    // Metop-A MHS over western Europe about 08:47-09:02 UTC.
    TPassData MhsEurope;
    // NOAA-15 HIRS from the Arctic to the tropics, whose parts three stations received, and the
    // next revolution's pass as received by one of them.
    TPassData HirsGroupPass, HirsNextPass;
    // NOAA-15 over one whole revolution, from ascending node to ascending node.
    TPassData HirsOrbit, AmsuBOrbit;
};

TSamplePasses MakeSamplePasses();

struct TSampleFile {
    std::string Path;      // relative to the output folder, "/" between folders
    std::string Family;    // "Level 1b", "Level 1c", "Level 1d"
    std::string Sensor;    // "HIRS", "AMSU-A", "AMSU-B", "MHS", "HIRS+AMSU"
    std::string Satellite; // "NOAA-15", "Metop-A"
    int Lines = 0;
    int Footprints = 0;
    std::string Note;
    TFileBytes Bytes;
};

// Every file of the set, in manifest order.
std::vector<TSampleFile> BuildSampleSet(const TSamplePasses& passes);
std::string ManifestText(const std::vector<TSampleFile>& files);

// Makes the folder (and its sub-folders) and writes the whole set and MANIFEST.txt into it.
// Returns the files written (without their bytes' copies kept).
std::vector<std::string> WriteSampleSet(const std::string& folder);

// A day of passes: DayOrbits consecutive whole revolutions of Metop-A from its first ascending
// node of the sample day, each as an AAPP Level 1c MHS file in AAPP's native little-endian
// layout and a Level 1b HIRS file, for composites of many passes. About 210 MB, so it is a
// set of its own (the build's `samples-day` target) rather than part of the sample set.
constexpr int DayOrbits = 14;
// The passes of revolution `orbit` (0 to DayOrbits - 1) of the day: MHS and HIRS.
TPassData DayPass(int orbit, TInstrument instrument);
// The two files of one revolution, MHS Level 1c first.
std::vector<TSampleFile> DayFiles(int orbit);
// Writes every file of the day and its MANIFEST.txt into the folder, the revolutions shared
// among `threads` threads; the bytes do not depend on their number.
std::vector<std::string> WriteDaySet(const std::string& folder, int threads);

} // namespace veltra::samples
