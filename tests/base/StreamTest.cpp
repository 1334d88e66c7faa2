#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <vector>

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

    // Reads of every size from anywhere (the stream reads ahead in blocks): the file's bytes,
    // each read followed by the next one where it ended.
    std::vector<char> bytes(300000);
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<char>(i * 7 + i / 251);
    std::ofstream(path, std::ios::binary).write(bytes.data(), std::streamsize(bytes.size()));
    TFileStream big(path.string());
    const std::int64_t size = big.Size();
    for (const std::int64_t offset : {0, 65535, 65536, 131000, 299999, 300000, 400000})
        for (const std::int64_t count : {1, 3072, 65535, 65536, 70000, 200000}) {
            big.Seek(offset, TSeekOrigin::Beginning);
            for (int read = 0; read < 2; ++read) {
                const std::int64_t at = big.Position();
                std::vector<char> got(static_cast<std::size_t>(count));
                const std::int64_t expected = std::clamp<std::int64_t>(size - at, 0, count);
                ASSERT_EQ(big.Read(got.data(), count), expected) << offset << " " << count;
                ASSERT_TRUE(std::equal(got.begin(), got.begin() + expected, bytes.begin() + at))
                    << offset << " " << count;
                ASSERT_EQ(big.Position(), at + expected);
            }
        }
    // In place (no more than a block, whole or not at all), mixed with copying reads.
    for (const std::int64_t offset : {0, 65000, 65536, 296928, 299999})
        for (const std::int64_t count : {1, 3072, 65536, 65537}) {
            big.Seek(offset, TSeekOrigin::Beginning);
            for (int read = 0; read < 3; ++read) {
                const std::int64_t at = big.Position();
                char copied = 0;
                if (read == 1 && big.Read(&copied, 1) == 1) {
                    ASSERT_EQ(copied, bytes[static_cast<std::size_t>(at)]);
                }
                const std::int64_t from = big.Position();
                const std::uint8_t* held = big.ReadInPlace(count);
                if (count > 65536 || from + count > size) {
                    ASSERT_EQ(held, nullptr) << offset << " " << count;
                    ASSERT_EQ(big.Position(), from);
                    continue;
                }
                ASSERT_NE(held, nullptr) << offset << " " << count;
                ASSERT_TRUE(std::equal(held, held + count,
                                       reinterpret_cast<const std::uint8_t*>(bytes.data()) + from))
                    << offset << " " << count;
                ASSERT_EQ(big.Position(), from + count);
            }
        }
    std::filesystem::remove_all(dir);
}
