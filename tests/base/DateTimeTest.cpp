#include <gtest/gtest.h>

#include "base/DateTime.h"
#include "base/Errors.h"

using namespace veltra;

TEST(DateTime, PatternsUseEnglishMonthsAndMinutesAfterHours)
{
    const TDateTime t = EncodeDate(2005, 1, 1) + EncodeTime(23, 50, 7, 45);
    EXPECT_EQ(FormatDateTime("yyyy mmm dd", t), "2005 Jan 01");
    EXPECT_EQ(FormatDateTime("hh:mm", t), "23:50");
    EXPECT_EQ(FormatDateTime("yyyy-mm-dd hh:nn:ss", t), "2005-01-01 23:50:07");
    EXPECT_EQ(FormatDateTime("yyyy-mmm-dd hh:nn:ss.zzz", t), "2005-Jan-01 23:50:07.045");
}

TEST(DateTime, DayOfYearRunsOverYearEnds)
{
    EXPECT_EQ(FormatDateTime("yyyy-mm-dd", DateFromYearDay(2005, 0, 0)), "2004-12-31");
    EXPECT_EQ(FormatDateTime("yyyy-mm-dd", DateFromYearDay(2004, 366, 0)), "2004-12-31");
    EXPECT_EQ(FormatDateTime("yyyy-mm-dd", DateFromYearDay(2005, 366, 0)), "2006-01-01");
    EXPECT_EQ(FormatDateTime("yyyy-mm-dd hh:nn:ss", DateFromYearDay(2010, 196, 45296000)),
              "2010-07-15 12:34:56");
}

TEST(DateTime, DatesBeforeTheEpochAndInvalidYears)
{
    EXPECT_EQ(FormatDateTime("yyyy-mm-dd", EncodeDate(1600, 2, 29)), "1600-02-29");
    EXPECT_EQ(FormatDateTime("yyyy-mm-dd", EncodeDate(1, 1, 1)), "0001-01-01");
    EXPECT_THROW(EncodeDate(0, 1, 1), EConvertError);
    EXPECT_THROW(EncodeDate(1900, 2, 29), EConvertError);
    EXPECT_THROW(DateFromYearDay(10000, 1, 0), EConvertError);
    EXPECT_THROW(EncodeTime(24, 0, 0, 0), EConvertError);
}
