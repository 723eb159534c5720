// The clock, the stall cap and the 15-bit random numbers.
#include "app/clock.h"

#include <gtest/gtest.h>

#include "tests/support/gl_test.h"

TEST(RandomNumbers, SeedOneGivesTheKnownSequence) {
    lcg::srand(1);
    EXPECT_EQ(lcg::rand(), 41);
    EXPECT_EQ(lcg::rand(), 18467);
    EXPECT_EQ(lcg::rand(), 6334);
}

TEST(RandomNumbers, RandomValueSpansZeroToJustBelowScale) {
    double lowest = 1.0, highest = 0.0;
    lcg::srand(12345);
    for (int i = 0; i < 200000; i++) {
        double v = randomValue(1.0);
        ASSERT_GE(v, 0.0);
        ASSERT_LT(v, 1.0);
        if (v < lowest) lowest = v;
        if (v > highest) highest = v;
    }
    EXPECT_EQ(lowest, 0.0);
    EXPECT_EQ(highest, 32767.0 / 32768.0);
    for (int i = 0; i < 100000; i++) ASSERT_LT(randomValue(3.0), 3.0);
}

class ClockTest : public ProgramTest {};

TEST_F(ClockTest, StallCapKeepsExactlyATenthAndCapsAnythingLonger) {
    elapsedMilliseconds = 1000;
    advanceClock();
    elapsedMilliseconds = 1100;
    advanceClock();
    EXPECT_EQ(frameSeconds, 0.1f);
    elapsedMilliseconds = 1201;
    advanceClock();
    EXPECT_EQ(frameSeconds, 0.05f);
    elapsedMilliseconds = 1281;
    advanceClock();
    EXPECT_NEAR(frameSeconds, 0.08f, 1e-6);
    elapsedMilliseconds = 1781;
    advanceClock();
    EXPECT_EQ(frameSeconds, 0.05f);
    EXPECT_EQ(elapsedSeconds, 1.781f);
    EXPECT_EQ(previousFrameSeconds, (double)1.781f);
}

TEST_F(ClockTest, FirstFrameCountsFromZeroAndIsCapped) {
    elapsedMilliseconds = 40;
    advanceClock();
    EXPECT_NEAR(frameSeconds, 0.04f, 1e-7);
    resetProgram();
    elapsedMilliseconds = 350;
    advanceClock();
    EXPECT_EQ(frameSeconds, 0.05f);
    EXPECT_EQ(elapsedSeconds, 0.35f);
}

TEST_F(ClockTest, ElapsedSecondsNeverDecreases) {
    float previous = elapsedSeconds;
    // Steps of one millisecond around the points where single precision gets coarser.
    for (int start : {0, 8191990, 131071990, 2000000000}) {
        for (int ms = start; ms < start + 30; ms++) {
            elapsedMilliseconds = ms;
            advanceClock();
            ASSERT_GE(elapsedSeconds, previous) << ms;
            previous = elapsedSeconds;
        }
    }
}
