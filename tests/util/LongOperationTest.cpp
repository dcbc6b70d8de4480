#include "util/LongOperation.h"

#include <gtest/gtest.h>

using vs::LongOperation;

TEST(LongOperation, SecondBeginOnlyFailsAndStopIsKeptUntilEnd)
{
    LongOperation op;
    EXPECT_FALSE(op.running());
    op.requestStop(); // nothing runs: no stop is remembered
    EXPECT_FALSE(op.stopRequested());
    ASSERT_TRUE(op.begin());
    EXPECT_FALSE(op.begin());
    EXPECT_TRUE(op.running());
    op.requestStop();
    EXPECT_TRUE(op.stopRequested());
    EXPECT_FALSE(op.end());
    EXPECT_FALSE(op.running());
    EXPECT_FALSE(op.stopRequested());
    ASSERT_TRUE(op.begin());
    EXPECT_FALSE(op.stopRequested());
}

TEST(LongOperation, CloseWaitsForTheWorkAndAsksItToStop)
{
    LongOperation op;
    EXPECT_TRUE(op.requestClose());
    ASSERT_TRUE(op.begin());
    EXPECT_FALSE(op.requestClose());
    EXPECT_TRUE(op.stopRequested());
    EXPECT_TRUE(op.closePending());
    EXPECT_TRUE(op.end());
    EXPECT_FALSE(op.closePending());
    ASSERT_TRUE(op.begin());
    EXPECT_FALSE(op.end()); // the earlier close is not reported twice
}

TEST(LongOperation, NestedUseClosesOnlyAfterTheOutermostEnd)
{
    LongOperation op;
    op.enter();
    op.enter();
    EXPECT_FALSE(op.requestClose());
    EXPECT_FALSE(op.end());
    EXPECT_TRUE(op.running());
    EXPECT_TRUE(op.end());
    EXPECT_FALSE(op.running());
}
