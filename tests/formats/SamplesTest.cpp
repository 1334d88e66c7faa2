#include <gtest/gtest.h>

#include "formats/Samples.h"

using namespace veltra;

TEST(SampleList, GrowsInBlocksOf4096AndKeepsEarlierEntries)
{
    TSampleList list;
    list.Reset();
    EXPECT_EQ(list.Length(), 4096);
    for (int i = 0; i < 4096; ++i)
        list.AddSample(static_cast<float>(i), -1.0f, 250.0f);
    EXPECT_EQ(list.Length(), 4096); // exactly full
    list.AddSample(1.0f, 2.0f, 3.0f);
    EXPECT_EQ(list.SampleCount(), 4097);
    EXPECT_EQ(list.Length(), 8192);
    EXPECT_FLOAT_EQ(list[4095].Latitude, 4095.0f);
    EXPECT_FLOAT_EQ(list[4096].Temperature, 3.0f);
    list.Reset();
    EXPECT_EQ(list.SampleCount(), 0);
    EXPECT_EQ(list.Length(), 4096);
}
