#include <gtest/gtest.h>

#include "base/Errors.h"
#include "base/Format.h"

using namespace veltra;

TEST(Format, BareFixedPrintsTwoDecimalsAndPaddedIntegers)
{
    EXPECT_EQ(Format("X: %fkm", 1234.5678), "X: 1234.57km");
    EXPECT_EQ(Format("%.3f|%5.1f|%-6f|", 1.0, 2.25, 3.0), "1.000|  2.2|3.00  |");
    EXPECT_EQ(Format("Channel: %.2d", 7), "Channel: 07");
    EXPECT_EQ(Format("100%% %d%s", 5, "E"), "100% 5E");
    EXPECT_EQ(Format("%.0fK", 271.4), "271K");
}

TEST(Format, IntegersAndCase)
{
    EXPECT_EQ(StrToInt(" 42 "), 42);
    EXPECT_EQ(StrToInt("-7"), -7);
    EXPECT_THROW(StrToInt("1a"), EConvertError);
    EXPECT_THROW(StrToInt(""), EConvertError);
    EXPECT_THROW(StrToInt("99999999999"), EConvertError);
    EXPECT_EQ(UpperCase("x.l1b.bz2"), "X.L1B.BZ2");
    EXPECT_TRUE(StartsWith(".L1BX", ".L1B"));
    EXPECT_FALSE(StartsWith(".L1", ".L1B"));
}
