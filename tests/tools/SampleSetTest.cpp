// The whole sample set: the files it has, their sizes, compressed copies, determinism and the
// folder it writes.
#include <gtest/gtest.h>

#include <bzlib.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <unistd.h>

#include "SharedSampleSet.h"
#include "base/AtomicFile.h"
#include "base/Errors.h"
#include "formats/ByteOrder.h"
#include "make-samples/SampleSet.h"

using namespace veltra::samples;

namespace {

const std::vector<TSampleFile>& Set()
{
    return veltra::test::SharedSampleSet();
}

const TSampleFile* Find(const std::string& path)
{
    for (const TSampleFile& f : Set())
        if (f.Path == path)
            return &f;
    return nullptr;
}

std::vector<std::uint8_t> Decompress(const std::vector<std::uint8_t>& bytes, std::size_t size)
{
    std::vector<std::uint8_t> out(size + 1);
    auto length = static_cast<unsigned int>(out.size());
    const int result =
        BZ2_bzBuffToBuffDecompress(reinterpret_cast<char*>(out.data()), &length,
                                   const_cast<char*>(reinterpret_cast<const char*>(bytes.data())),
                                   static_cast<unsigned int>(bytes.size()), 0, 0);
    EXPECT_EQ(result, BZ_OK);
    out.resize(length);
    return out;
}

std::vector<std::uint8_t> ReadFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

} // namespace

TEST(SampleSet, HasEveryFileOfEveryFamily)
{
    const char* expected[] = {
        "NSS.HIRX.NK.D08015.S0757.E0811.B5041010.GC.L1B",
        "NSS.AMAX.NK.D08015.S0757.E0811.B5041010.GC.L1B",
        "NSS.AMBX.NK.D08015.S0757.E0811.B5041010.GC.L1B",
        "hirsl1c_noaa15_20080115_0805_50410_gc.l1c",
        "amsual1c_noaa15_20080115_0805_50410_gc.l1c",
        "amsubl1c_noaa15_20080115_0805_50410_gc.l1c",
        "mhsl1c_metopa_20080115_0855_06460_sv.l1c",
        "atovsl1d_noaa15_20080115_0805_50410_gc.l1d",
        "group/hirsl1c_noaa15_20080115_0805_50410_dun.l1c",
        "group/hirsl1c_noaa15_20080115_0805_50410_lan.l1c",
        "group/hirsl1c_noaa15_20080115_0805_50410_mas.l1c",
        "group/hirsl1c_noaa15_20080115_0946_50411_lan.l1c",
        "NSS.AMBX.NK.D08015.S0728.E0910.B5041010.GC.L1B",
        "NSS.HIRX.NK.D08015.S0728.E0910.B5041010.GC.L1B",
        "native/mhsl1c_metopa_20080115_0855_06460_sv.l1c",
        "native/amsual1c_noaa15_20080115_0805_50410_gc.l1c",
        "NSS.MHSX.M2.D08015.S0847.E0901.B0646060.GC.L1B",
        "renamed/noaa15_hirs_next_pass.l1b",
        "NSS.HIRX.NK.D08015.S0757.E0811.B5041010.GC.L1B.bz2",
        "amsual1c_noaa15_20080115_0805_50410_gc.l1c.bz2",
        "atovsl1d_noaa15_20080115_0805_50410_gc.l1d.bz2",
        "archive/NSS.MHSX.M2.D08015.S0847.E0901.B0646060.GC",
        "archive/NSS.MHSX.M2.D08015.S0847.E0901.B0646060.GC.bz2",
    };
    ASSERT_EQ(Set().size(), std::size(expected));
    for (std::size_t i = 0; i < std::size(expected); ++i)
        EXPECT_EQ(Set()[i].Path, expected[i]);
}

TEST(SampleSet, FileSizesFollowTheRecordLayouts)
{
    const std::map<std::string, std::size_t> level1b = {
        {"HIRS", 4608}, {"AMSU-A", 2560}, {"AMSU-B", 3072}, {"MHS", 3072}};
    const std::map<std::string, std::size_t> aapp = {
        {"HIRS", 6656}, {"AMSU-A", 3072}, {"AMSU-B", 4608}, {"MHS", 4608}, {"HIRS+AMSU", 15872}};
    for (const TSampleFile& f : Set()) {
        if (f.Path.ends_with(".bz2"))
            continue;
        const auto lines = static_cast<std::size_t>(f.Lines);
        ASSERT_GT(lines, 0u) << f.Path;
        if (f.Family == "Level 1b")
            EXPECT_EQ(f.Bytes.size(), 512 + (lines + 1) * level1b.at(f.Sensor)) << f.Path;
        else
            EXPECT_EQ(f.Bytes.size(), (lines + 1) * aapp.at(f.Sensor)) << f.Path;
    }
    // The full-revolution files: about 2250 AMSU-B lines and about 1000 HIRS lines.
    const TSampleFile* amsuB = Find("NSS.AMBX.NK.D08015.S0728.E0910.B5041010.GC.L1B");
    const TSampleFile* hirs = Find("NSS.HIRX.NK.D08015.S0728.E0910.B5041010.GC.L1B");
    ASSERT_TRUE(amsuB && hirs);
    EXPECT_NEAR(amsuB->Lines, 2250, 60);
    EXPECT_NEAR(hirs->Lines, 1000, 60);
    EXPECT_EQ(hirs->Footprints, 56);
}

TEST(SampleSet, CompressedCopiesHoldTheSameBytes)
{
    int copies = 0;
    for (const TSampleFile& f : Set()) {
        if (!f.Path.ends_with(".bz2"))
            continue;
        const TSampleFile* plain = Find(f.Path.substr(0, f.Path.size() - 4));
        ASSERT_NE(plain, nullptr) << f.Path;
        EXPECT_LT(f.Bytes.size(), plain->Bytes.size());
        EXPECT_EQ(Decompress(f.Bytes, plain->Bytes.size()), plain->Bytes) << f.Path;
        ++copies;
    }
    EXPECT_EQ(copies, 4);
}

TEST(SampleSet, PassesCoverEuropeAndTheStationPartsOverlap)
{
    const TSamplePasses& passes = veltra::test::SharedPasses();
    // The Europe pass runs from the Arctic to North Africa over central Europe.
    const TPassData& hirs = passes.HirsEurope;
    EXPECT_GT(hirs.LatitudeDeg(0, 28), 70.0);
    EXPECT_LT(hirs.LatitudeDeg(static_cast<int>(hirs.Lines.size()) - 1, 28), 30.0);
    int rejected = 0;
    for (const TScanLineData& line : hirs.Lines)
        rejected += line.Quality != 0;
    EXPECT_EQ(rejected, 4);
    // Station parts: each overlaps the next, together they cover the whole pass.
    const TSampleFile* dun = Find("group/hirsl1c_noaa15_20080115_0805_50410_dun.l1c");
    const TSampleFile* lan = Find("group/hirsl1c_noaa15_20080115_0805_50410_lan.l1c");
    const TSampleFile* mas = Find("group/hirsl1c_noaa15_20080115_0805_50410_mas.l1c");
    ASSERT_TRUE(dun && lan && mas);
    // Line times (milliseconds of the day at offset 12 of each 6656-byte record).
    const auto time = [](const TSampleFile* f, int line) {
        return veltra::ReadBE32(f->Bytes, 6656 * static_cast<std::size_t>(line + 1) + 12);
    };
    EXPECT_LT(time(lan, 0), time(dun, dun->Lines - 1));
    EXPECT_LT(time(mas, 0), time(lan, lan->Lines - 1));
    EXPECT_LT(time(dun, 0), time(lan, 0));
    EXPECT_EQ(dun->Lines + lan->Lines + mas->Lines - 35 - 35,
              static_cast<int>(passes.HirsGroupPass.Lines.size()));
    // MHS flies on Metop-A, identifier 2.
    EXPECT_EQ(passes.MhsEurope.Info.Satellite.AappId, 2);
}

TEST(SampleSet, ManifestListsEveryFile)
{
    const std::string manifest = ManifestText(Set());
    for (const TSampleFile& f : Set())
        EXPECT_NE(manifest.find(f.Path), std::string::npos) << f.Path;
    EXPECT_NE(manifest.find("Synthetic"), std::string::npos);
}

// Two runs give the same bytes, in memory and on disk, and nothing else is left in the folder.
TEST(SampleSet, WritesTheSameFolderEveryTime)
{
    const std::filesystem::path folder = std::filesystem::path(testing::TempDir()) /
                                         ("veltra-sample-set-test-" + std::to_string(::getpid()));
    std::filesystem::remove_all(folder);
    const std::vector<std::string> written = WriteSampleSet(folder.string());
    ASSERT_EQ(written.size(), Set().size() + 1);
    std::size_t entries = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder))
        entries += entry.is_regular_file();
    EXPECT_EQ(entries, written.size());
    // Writing built the set anew: its files are the bytes of the set built before.
    for (const TSampleFile& f : Set())
        EXPECT_TRUE(ReadFile(folder / f.Path) == f.Bytes) << f.Path;
    std::filesystem::remove_all(folder);
}

TEST(SampleSet, AtomicWriteReplacesAFile)
{
    const std::filesystem::path path =
        std::filesystem::path(testing::TempDir()) /
        ("veltra-atomic-write-test-" + std::to_string(::getpid()) + ".bin");
    const std::vector<std::uint8_t> first = {1, 2, 3}, second = {9, 8};
    veltra::WriteFileAtomically(path.string(), first);
    veltra::WriteFileAtomically(path.string(), second);
    EXPECT_EQ(ReadFile(path), second);
    std::filesystem::remove(path);
    EXPECT_THROW(veltra::WriteFileAtomically((path / "no-such-folder" / "x").string(), first),
                 veltra::EWriteError);
}
