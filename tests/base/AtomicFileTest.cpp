#include "base/AtomicFile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>
#include <vector>

namespace {

mode_t ModeOf(const std::filesystem::path& path)
{
    struct stat status {};
    EXPECT_EQ(::stat(path.c_str(), &status), 0);
    return status.st_mode & 07777;
}

// A new file gets the mode the umask leaves of 0666; a replaced file keeps its own.
TEST(AtomicFile, NewFilesFollowTheUmaskAndReplacedFilesKeepTheirMode)
{
    const auto path = std::filesystem::path(testing::TempDir()) / "veltra-atomic-mode-test.bin";
    const std::vector<std::uint8_t> bytes = {1, 2, 3};
    const mode_t saved = ::umask(0);
    for (const auto& [mask, mode] : {std::pair{022, 0644}, std::pair{077, 0600}}) {
        std::filesystem::remove(path);
        ::umask(static_cast<mode_t>(mask));
        veltra::WriteFileAtomically(path.string(), bytes);
        EXPECT_EQ(ModeOf(path), static_cast<mode_t>(mode)) << std::oct << mask;
    }
    ::umask(022);
    ::chmod(path.c_str(), 0640);
    veltra::WriteFileAtomically(path.string(), bytes);
    EXPECT_EQ(ModeOf(path), 0640u);
    ::umask(saved);
    std::filesystem::remove(path);
}

} // namespace
