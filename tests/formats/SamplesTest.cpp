#include <gtest/gtest.h>

#include "formats/Samples.h"

using namespace veltra;

TEST(SampleList, GrowsInBlocksOf4096AndKeepsEarlierEntries)
{
    TSampleList list;
    list.Reset();
    EXPECT_EQ(list.Length(), 4096);
    for (int i = 0; i < 4096; ++i)
        list.AddSample(static_cast<float>(i), -1.0f, 250.0f, {i, i % 56, 0});
    EXPECT_EQ(list.Length(), 4096); // exactly full
    list.AddSample(1.0f, 2.0f, 3.0f, {7, 8, 2});
    EXPECT_EQ(list.SampleCount(), 4097);
    EXPECT_EQ(list.Length(), 8192);
    EXPECT_FLOAT_EQ(list[4095].Latitude, 4095.0f);
    EXPECT_FLOAT_EQ(list[4096].Temperature, 3.0f);
    // The origins grow with the records and stay beside them.
    EXPECT_EQ(list.Origin(4095).ScanLine, 4095);
    EXPECT_EQ(list.Origin(4095).Footprint, 4095 % 56);
    EXPECT_EQ(list.Origin(4096).ScanLine, 7);
    EXPECT_EQ(list.Origin(4096).Footprint, 8);
    EXPECT_EQ(list.Origin(4096).Stream, 2);
    list.Reset();
    EXPECT_EQ(list.SampleCount(), 0);
    EXPECT_EQ(list.Length(), 4096);
}
