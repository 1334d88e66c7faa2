#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "base/Errors.h"
#include "base/Stream.h"

using namespace veltra;

TEST(Stream, MemoryStreamReadsWritesAndSeeks)
{
    TMemoryStream s;
    const char text[] = "abcdef";
    EXPECT_EQ(s.Write(text, 6), 6);
    EXPECT_EQ(s.Seek(0, TSeekOrigin::Beginning), 0);
    char buffer[8] = {};
    EXPECT_EQ(s.Read(buffer, 4), 4);
    EXPECT_EQ(std::string(buffer, 4), "abcd");
    EXPECT_EQ(s.Read(buffer, 8), 2);
    EXPECT_EQ(s.Read(buffer, 8), 0);
    s.Seek(10, TSeekOrigin::Beginning);
    EXPECT_EQ(s.Read(buffer, 1), 0);
    EXPECT_THROW(s.Seek(-1, TSeekOrigin::Beginning), EReadError);
    s.Seek(2, TSeekOrigin::Beginning);
    EXPECT_THROW(s.ReadBuffer(buffer, 5), EReadError);
}

TEST(Stream, FileStreamIsReadOnlyAndRefusesFolders)
{
    const auto dir = std::filesystem::temp_directory_path() / "veltra-stream-test";
    std::filesystem::create_directories(dir);
    const auto path = dir / "data.bin";
    std::ofstream(path, std::ios::binary) << "0123456789";
    TFileStream f(path.string());
    EXPECT_EQ(f.Size(), 10);
    f.Seek(8, TSeekOrigin::Beginning);
    char buffer[4] = {};
    EXPECT_EQ(f.Read(buffer, 4), 2);
    EXPECT_EQ(f.Seek(-3, TSeekOrigin::End), 7);
    EXPECT_THROW(f.Write(buffer, 1), EWriteError);
    EXPECT_THROW(TFileStream(dir.string()), EFOpenError);
    EXPECT_THROW(TFileStream((dir / "missing").string()), EFOpenError);
    EXPECT_EQ(ReadWholeFile(path.string()).size(), 10u);
    std::filesystem::remove_all(dir);
}
