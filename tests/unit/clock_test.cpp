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
    EXPECT_EQ(elapsedSeconds, 1.781);
    EXPECT_EQ(previousFrameSeconds, 1.781);
}

TEST_F(ClockTest, FirstFrameCountsFromZeroAndIsCapped) {
    elapsedMilliseconds = 40;
    advanceClock();
    EXPECT_NEAR(frameSeconds, 0.04f, 1e-7);
    resetProgram();
    elapsedMilliseconds = 350;
    advanceClock();
    EXPECT_EQ(frameSeconds, 0.05f);
    EXPECT_EQ(elapsedSeconds, 0.35);
}

TEST_F(ClockTest, ElapsedSecondsNeverDecreases) {
    double previous = elapsedSeconds;
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

// Seeds whose first value lies just below and just above the one-in-a-hundred reseed line.
unsigned seedWithFirstValue(int wanted) {
    for (unsigned seed = 1; seed < (1u << 24); seed++) {
        lcg::srand(seed);
        if (lcg::rand() == wanted) return seed;
    }
    ADD_FAILURE() << "no seed starts with " << wanted;
    return 0;
}

TEST(RandomNumbers, RandomValueScalesTheNextValueBy32768) {
    lcg::srand(1);
    EXPECT_EQ(randomValue(3.0), 41 / 32768.0 * 3.0);
    EXPECT_EQ(randomValue(1.0), 18467 / 32768.0);
    EXPECT_EQ(randomValue(100.0), 6334 / 32768.0 * 100.0);
}

TEST_F(ClockTest, ClockReseedsFromTheNewReadingWhenItsDrawIsBelowOneHundredth) {
    constexpr int reading = 4321;
    lcg::srand(reading);
    int afterReseed = lcg::rand();

    // 327 / 32768 is just under 0.01: the clock reseeds from the millisecond reading.
    unsigned below = seedWithFirstValue(327);
    lcg::srand(below);
    elapsedMilliseconds = reading;
    advanceClock();
    EXPECT_EQ(lcg::rand(), afterReseed);

    // 328 / 32768 is just over: the sequence simply goes on, one value further.
    unsigned above = seedWithFirstValue(328);
    lcg::srand(above);
    lcg::rand();
    int second = lcg::rand();
    lcg::srand(above);
    elapsedMilliseconds = reading + 10;
    advanceClock();
    EXPECT_EQ(lcg::rand(), second);
}
