#pragma once
// A folder of its own for each test under the system's temporary folder, named after the
// process and the test, so suites running at once in several checkouts never meet; emptied
// before the test and removed after it.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <utility>

namespace veltra {

class TScratchFolderTest : public ::testing::Test {
protected:
    explicit TScratchFolderTest(std::string prefix) : prefix_(std::move(prefix)) {}
    void SetUp() override
    {
        folder_ = std::filesystem::temp_directory_path() /
                  (prefix_ + std::to_string(::getpid()) + "-" +
                   ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(folder_);
        std::filesystem::create_directories(folder_);
    }
    void TearDown() override { std::filesystem::remove_all(folder_); }
    std::string Out(const std::string& name) const { return (folder_ / name).string(); }

    std::filesystem::path folder_;

private:
    std::string prefix_;
};

} // namespace veltra
