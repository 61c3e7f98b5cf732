#include <gtest/gtest.h>

#include <cmath>

#include "SampleWindow.h"

namespace {

TEST(SampleWindow, EmptyAndSingleValue)
{
    SampleWindow w;
    EXPECT_EQ(w.count(), 0u);
    EXPECT_EQ(w.average(), 0.0);
    EXPECT_EQ(w.standardDeviation(), 0.0);
    w.add(123.4);
    EXPECT_EQ(w.count(), 1u);
    EXPECT_DOUBLE_EQ(w.average(), 123.4);
    EXPECT_EQ(w.standardDeviation(), 0.0);
    EXPECT_EQ(w.maximum(), 0.0);
    EXPECT_EQ(w.minimum(), 0.0);
}

TEST(SampleWindow, SampleStatistics)
{
    SampleWindow w;
    for (double v : {2.0, 4.0, 4.0, 4.0, 5.0, 5.0, 7.0, 9.0})
        w.add(v);
    EXPECT_DOUBLE_EQ(w.average(), 5.0);
    EXPECT_NEAR(w.standardDeviation(), std::sqrt(32.0 / 7.0), 1e-12);   // divides by n - 1
    EXPECT_DOUBLE_EQ(w.maximum(), 9.0);
    EXPECT_DOUBLE_EQ(w.minimum(), 2.0);
}

TEST(SampleWindow, HundredAndFirstSampleDropsTheOldest)
{
    SampleWindow w;
    EXPECT_EQ(w.capacity(), 100u);
    w.add(1000.0);   // the oldest, and the maximum
    for (int i = 1; i < 100; ++i)
        w.add(double(i));
    EXPECT_TRUE(w.full());
    EXPECT_DOUBLE_EQ(w.maximum(), 1000.0);
    w.add(100.0);
    EXPECT_EQ(w.count(), 100u);
    EXPECT_DOUBLE_EQ(w.maximum(), 100.0);
    EXPECT_DOUBLE_EQ(w.minimum(), 1.0);
    EXPECT_DOUBLE_EQ(w.average(), 50.5);
    w.clear();
    EXPECT_EQ(w.count(), 0u);
    EXPECT_FALSE(w.full());
}

TEST(SampleWindow, SmallAndZeroCapacity)
{
    SampleWindow three(3);
    for (double v : {1.0, 2.0, 3.0, 10.0})
        three.add(v);
    EXPECT_EQ(three.count(), 3u);
    EXPECT_DOUBLE_EQ(three.average(), 5.0);
    SampleWindow zero(0);   // behaves as a window of one
    zero.add(1.0);
    zero.add(2.0);
    EXPECT_EQ(zero.count(), 1u);
    EXPECT_DOUBLE_EQ(zero.average(), 2.0);
}

}  // namespace
