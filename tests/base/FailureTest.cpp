#include <gtest/gtest.h>

#include <new>
#include <stdexcept>

#include "base/Errors.h"
#include "base/Failure.h"

using namespace veltra;

namespace {

template <typename Failure> TCaughtFailure Caught(const Failure& failure)
{
    try {
        throw failure;
    } catch (...) {
        return CaughtFailure();
    }
}

} // namespace

// The program's own failures are told as they are; every other one is an internal error, never
// a damaged input, and is raised again where internal errors are fatal (as in this program).
TEST(CaughtFailure, TellsDamagedInputApartFromFaultsOfTheProgram)
{
    const TCaughtFailure damaged = Caught(EReadError("Stream read error", "record 3 truncated"));
    EXPECT_FALSE(damaged.Internal);
    EXPECT_EQ(damaged.Message, "Stream read error");
    EXPECT_EQ(damaged.Reason, "record 3 truncated");
    EXPECT_EQ(Caught(EWriteError()).Reason, "");

    EXPECT_THROW(Caught(std::out_of_range("vector::_M_range_check")), std::out_of_range);
    EXPECT_THROW(Caught(std::bad_alloc()), std::bad_alloc);

    InternalErrorsFatal() = false;
    const TCaughtFailure memory = Caught(std::bad_alloc());
    const TCaughtFailure range = Caught(std::out_of_range("vector::_M_range_check"));
    const TCaughtFailure other = Caught(42);
    InternalErrorsFatal() = true;
    EXPECT_TRUE(memory.Internal);
    EXPECT_EQ(memory.Message, "internal error: out of memory");
    EXPECT_EQ(range.Message, "internal error: vector::_M_range_check");
    EXPECT_TRUE(range.Reason.empty());
    EXPECT_EQ(other.Message, "internal error: unknown failure");
}
