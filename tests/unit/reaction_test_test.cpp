// The reaction test's engine: waits, flashes, scoring, statistics and erasing, driven with chosen
// clock times.
#include "test/reaction_test.h"

#include <gtest/gtest.h>

#include <cmath>
#include <initializer_list>

#include "app/clock.h"
#include "app/frame.h"
#include "app/settings.h"
#include "tests/support/gl_test.h"
#include "tests/support/reaction_times.h"
#include "tests/support/screen.h"

namespace {

ReactionTest& engine = reactionTest;

// Seeds whose first random value is 0 and 32767: the shortest and the longest wait.
constexpr unsigned shortestWaitSeed = 20057;
constexpr unsigned longestWaitSeed = 30091;

// recordTime hits a chosen time within a few float steps, so its times are compared with this
// tolerance (sums with a larger one).
constexpr float timeTolerance = 1e-4f;
constexpr float sumTolerance = 2e-3f;

// The helper times of the history tests: 1.25, 1.75, ... 15.75 for the first thirty, clear of
// the bin edges that the helper could miss by a float step.
float ladderTime(int i) {
    return 1.25f + 0.5f * i;
}

// The sum of the first `count` ladder times, added in the engine's order.
float ladderSum(int count) {
    float sum = 0.0f;
    for (int i = 0; i < count; i++) sum += ladderTime(i);
    return sum;
}

// Records the first `count` ladder times.
void recordLadder(int count) {
    for (int i = 0; i < count; i++) recordTime(ladderTime(i));
}

// Draws only the feedback flash over black and reads the centre of the window.
Rgba glowCentreAt(float now) {
    beginResultsDrawing();
    engine.flash(-1.0f, 0.0f, 0.0f, now);
    return pixelAt(testWindowWidth / 2, testWindowHeight / 2);
}

// The colour of the latest feedback flash.
void expectFlashColor(float red, float green, float blue) {
    EXPECT_EQ(engine.flashColor[0], red);
    EXPECT_EQ(engine.flashColor[1], green);
    EXPECT_EQ(engine.flashColor[2], blue);
}

// The next float above a positive clock time.
float justAfter(float t) {
    return std::nextafter(t, 2.0f * t + 1.0f);
}

}  // namespace

class WaitTest : public ProgramTest {};

TEST_F(WaitTest, WaitEndsOnlyWhenStrictlyExceededAndShowsAWhiteFlash) {
    setupView();
    engine.waitStart = 1.0f;
    engine.waitDelay = 3.0f;
    engine.update(4.0f);
    EXPECT_EQ(engine.flashStart, 0.0f);
    EXPECT_EQ(engine.flashColorTime, 0.0f);

    float now = justAfter(4.0f);
    engine.update(now);
    EXPECT_EQ(engine.flashStart, now);
    EXPECT_EQ(engine.flashColorTime, now);
    expectFlashColor(1.0f, 1.0f, 1.0f);
    // The flash is drawn in the very frame it starts, over the results.
    Rgba centre = pixelAt(testWindowWidth / 2, testWindowHeight / 2);
    EXPECT_GT(centre.r, 240);
    EXPECT_GT(centre.g, 240);
    EXPECT_GT(centre.b, 240);
    EXPECT_EQ(engine.tries, 0);
    EXPECT_EQ(engine.misses, 0);
}

TEST_F(WaitTest, MissOnlyAfterMoreThanThreeSecondsAndWithoutFeedbackFlash) {
    engine.waitStart = 1.0f;
    engine.waitDelay = 3.5f;
    engine.update(5.0f);
    ASSERT_EQ(engine.flashStart, 5.0f);
    engine.update(5.25f);  // the frame after the flash's own times it, and the 3 s count from there
    ASSERT_EQ(engine.flashStart, 5.25f);

    engine.update(8.25f);
    EXPECT_EQ(engine.misses, 0);
    EXPECT_EQ(engine.flashStart, 5.25f);

    lcg::srand(shortestWaitSeed);
    float now = justAfter(8.25f);
    engine.update(now);
    EXPECT_EQ(engine.misses, 1);
    EXPECT_EQ(engine.flashStart, 0.0f);
    EXPECT_EQ(engine.waitStart, now);
    EXPECT_EQ(engine.waitDelay, 3.0f);
    EXPECT_EQ(engine.flashColorTime, 5.0f);
    expectFlashColor(1.0f, 1.0f, 1.0f);
    EXPECT_EQ(engine.tries, 0);
    EXPECT_EQ(engine.earlyClicks, 0);
}

TEST_F(WaitTest, WaitsLieFromDelayBaseToJustUnderTwiceIt) {
    lcg::srand(shortestWaitSeed);
    engine.reset(2.0f);
    EXPECT_EQ(engine.waitStart, 2.0f);
    EXPECT_EQ(engine.waitDelay, 3.0f);

    lcg::srand(longestWaitSeed);
    engine.reset(2.0f);
    EXPECT_EQ(engine.waitDelay, (float)(3.0 + 3.0 * 32767.0 / 32768.0));
    EXPECT_LT(engine.waitDelay, 6.0f);

    for (float base : {0.5f, 3.0f, 7.25f}) {
        engine.delayBase = base;
        float shortest = 2.0f * base, longest = 0.0f;
        for (int i = 0; i < 3000; i++) {
            engine.scheduleNextFlash(10.0f);
            shortest = std::fmin(shortest, engine.waitDelay);
            longest = std::fmax(longest, engine.waitDelay);
        }
        EXPECT_GE(shortest, base);
        EXPECT_LT(shortest, base * 1.01f);
        EXPECT_LT(longest, 2.0f * base);
        EXPECT_GT(longest, base * 1.99f);
    }
}

TEST_F(WaitTest, MainSpeedChangedDuringAWaitTakesEffectFromTheNextWait) {
    float wait = engine.waitDelay;  // started at 0 by the reset
    settings.mainSpeed = 10.0f;
    frameAt(1000);
    EXPECT_EQ(engine.delayBase, 10.0f);
    EXPECT_EQ(engine.waitDelay, wait);

    int expiry = (int)(wait * 1000.0f);
    frameAt(expiry - 1);
    EXPECT_EQ(engine.flashStart, 0.0f);
    frameAt(expiry + 1);
    EXPECT_NE(engine.flashStart, 0.0f);

    engine.click(elapsedSeconds + 0.2f);
    EXPECT_GE(engine.waitDelay, 10.0f);
    EXPECT_LT(engine.waitDelay, 20.0f);
}

TEST_F(WaitTest, ResetDuringAPendingFlashCountsNoMissAndClearsTheRound) {
    recordTime(12.25f);
    recordTime(31.0f);
    engine.click(2.0f);  // early
    engine.waitStart = 1.0f;
    engine.waitDelay = 3.5f;
    engine.update(5.0f);
    ASSERT_EQ(engine.flashStart, 5.0f);

    engine.reset(6.0f);
    expectFreshRound(6.0f);
    // A feedback flash that is showing is left to finish.
    EXPECT_EQ(engine.flashColorTime, 5.0f);
    expectFlashColor(1.0f, 1.0f, 1.0f);

    engine.update(8.5f);
    EXPECT_EQ(engine.misses, 0);
}

// A flash drawn by the frame at 5001 ms from `hours` in (GLUT's count wraps in the last row) and
// presses seen by that frame or a later one, frames `step` apart; the ms scored, 0 for early.
struct FlashFramePress {
    int pressFrame;
    float milliseconds;
    int step;
    double hours;
};
const FlashFramePress flashFramePresses[] = {
    {0, 0.0f, 16, 0},    {1, 0.0f, 16, 0},     {2, 16.0f, 16, 0},    {2, 0.0f, 0, 0},
    {22, 210.0f, 10, 5}, {22, 210.0f, 10, 24}, {22, 210.0f, 10, 36}, {22, 210.0f, 10, 596.5218}};
void PrintTo(const FlashFramePress& press, std::ostream* out) {
    *out << "press in frame " << press.pressFrame;
}

class FlashTimeTest : public ProgramTest, public ::testing::WithParamInterface<FlashFramePress> {};
INSTANTIATE_TEST_SUITE_P(Frames, FlashTimeTest, ::testing::ValuesIn(flashFramePresses),
                         [](const auto& info) {
                             return "Row" + std::to_string(info.index);
                         });

// The drawing frame's clock is read before its picture reaches the screen: the flash is timed from
// the next frame's. A press that this next frame sees, or one seen in the millisecond the flash is
// timed, was made before the flash could be seen.
TEST_P(FlashTimeTest, FlashIsTimedFromTheFrameAfterTheOneThatDrawsIt) {
    long long start = (long long)(GetParam().hours * 3600000);
    lastGlutMilliseconds = (int)(unsigned)(elapsedMilliseconds = start);
    engine.waitStart = start / 1000.0;
    engine.waitDelay = 5.0f;
    for (int frame = 0; frame <= GetParam().pressFrame && scoredClicks() == 0; frame++) {
        mouseButtonDown = frame == GetParam().pressFrame ? 1 : 0;
        elapsedMilliseconds = countOnFrom((int)(unsigned)(start + 5001 + GetParam().step * frame));
        drawFrame();
        if (mouseButtonDown == 0) {
            EXPECT_EQ(engine.flashStart, (start + 5001 + GetParam().step * (frame > 0)) / 1000.0);
        }
    }
    EXPECT_EQ(engine.earlyClicks, GetParam().milliseconds == 0 ? 1 : 0);
    EXPECT_EQ(engine.tries, GetParam().milliseconds == 0 ? 0 : 1);
    EXPECT_NEAR(engine.lastTime * millisecondsPerSixtieth, GetParam().milliseconds, 0.01);
}

class ClickTest : public ProgramTest {};

TEST_F(ClickTest, EarlyClickRestartsTheWaitFromThatMomentAndFlashesRed) {
    engine.waitStart = 0.0f;
    engine.waitDelay = 3.0f;
    lcg::srand(shortestWaitSeed);
    engine.click(2.5f);
    EXPECT_EQ(engine.earlyClicks, 1);
    EXPECT_EQ(engine.tries, 0);
    EXPECT_EQ(engine.waitStart, 2.5f);
    EXPECT_EQ(engine.waitDelay, 3.0f);
    EXPECT_EQ(engine.flashStart, 0.0f);
    EXPECT_EQ(engine.flashColorTime, 2.5f);
    expectFlashColor(1.0f, 0.0f, 0.0f);
    Rgba glow = glowCentreAt(2.55f);
    EXPECT_GT(glow.r, 240);
    EXPECT_LT(glow.g, 8);
    EXPECT_LT(glow.b, 8);

    engine.update(3.5f);  // the old wait would have ended here
    EXPECT_EQ(engine.flashStart, 0.0f);
    engine.update(5.5f);
    EXPECT_EQ(engine.flashStart, 0.0f);
    engine.update(justAfter(5.5f));
    EXPECT_EQ(engine.flashStart, justAfter(5.5f));
}

TEST_F(ClickTest, PressSeenOnTheFrameTheWaitExpiresIsEarly) {
    engine.waitStart = 0.0f;
    engine.waitDelay = 5.0f;
    mouseButtonDown = 1;
    frameAt(5001);
    EXPECT_EQ(engine.earlyClicks, 1);
    EXPECT_EQ(engine.flashStart, 0.0f);
    EXPECT_EQ(engine.waitStart, elapsedSeconds);
    EXPECT_FLOAT_EQ(engine.waitStart, 5.001f);
    EXPECT_EQ(engine.tries, 0);
    expectFlashColor(1.0f, 0.0f, 0.0f);
}

TEST_F(ClickTest, ReactionTimeIsTheIntervalOverTheFixedSixtiethInDoublePrecision) {
    engine.flashStart = 1.0f;
    engine.click(2.0f);
    // The divisor is the literal 0.01666666, so a second is not exactly 60 sixtieths.
    EXPECT_EQ(engine.lastTime, (float)(1.0 / 0.01666666));
    EXPECT_NE(engine.lastTime, 60.0f);
    EXPECT_EQ(engine.tries, 1);
    EXPECT_EQ(engine.timeSum, engine.lastTime);
    EXPECT_EQ(engine.flashStart, 0.0f);
    EXPECT_EQ(engine.clickTime, 0.0f);
    EXPECT_EQ(engine.waitStart, 2.0f);

    // 1 ms to 1102 ms: a float subtraction would round the interval to 66.0600204.
    engine.flashStart = 0.001f;
    engine.click(1.102f);
    EXPECT_EQ(engine.lastTime, (float)(((double)1.102f - (double)0.001f) / 0.01666666));
    EXPECT_EQ(engine.lastTime, 66.0600281f);
}

TEST_F(ClickTest, TenSixtiethsOrLessFlashesGreenAndAnythingSlowerNothing) {
    score(exactly10);
    ASSERT_EQ(engine.lastTime, 10.0f);
    expectFlashColor(0.0f, 1.0f, 0.0f);
    EXPECT_EQ(engine.flashColorTime, exactly10.click);

    engine.waitStart = 10.0f;
    engine.waitDelay = 0.5f;
    engine.update(11.0f);
    engine.update(11.0f);  // the frame that times the flash
    ASSERT_EQ(engine.flashStart, 11.0f);
    engine.click((float)(11.0 + 10.01 * secondsPerSixtieth));
    EXPECT_NEAR(engine.lastTime, 10.01f, timeTolerance);
    expectFlashColor(1.0f, 1.0f, 1.0f);
    EXPECT_EQ(engine.flashColorTime, 11.0f);
    EXPECT_EQ(engine.tries, 2);
}

TEST_F(ClickTest, QuickClickDuringTheWhiteFlashTurnsItGreenForATenthFromTheClick) {
    engine.waitStart = 10.0f;
    engine.waitDelay = 0.5f;
    engine.update(11.0f);
    engine.update(11.0f);
    Rgba white = glowCentreAt(11.05f);
    EXPECT_GT(white.r, 240);
    EXPECT_GT(white.g, 240);

    engine.click(11.05f);
    EXPECT_LT(engine.lastTime, 10.0f);
    EXPECT_EQ(engine.flashColorTime, 11.05f);
    Rgba green = glowCentreAt(11.05f);
    EXPECT_LT(green.r, 8);
    EXPECT_GT(green.g, 240);
    EXPECT_LT(green.b, 8);
    EXPECT_GT(glowCentreAt(11.14f).g, 240);  // the white one would have ended at 11.1
    EXPECT_TRUE(isBlack(glowCentreAt(11.2f)));
}

TEST_F(ClickTest, FeedbackFlashShowsUpToAndIncludingATenthOfASecond) {
    engine.flash(1.0f, 1.0f, 1.0f, 5.0f);
    EXPECT_GT(glowCentreAt(5.0f).g, 240);
    EXPECT_GT(glowCentreAt(5.1f).g, 240);  // the float nearest 5.1 lies just below it
    EXPECT_TRUE(isBlack(glowCentreAt(justAfter(5.1f))));
    EXPECT_TRUE(isBlack(glowCentreAt(5.1f + 1.0f / 60.0f)));
    // The end is summed in double: 3 ms + 0.1 lies just below the float nearest 0.103.
    engine.flash(1.0f, 1.0f, 1.0f, 0.003f);
    EXPECT_GT(glowCentreAt(std::nextafter(0.103f, 0.0f)).g, 240);
    EXPECT_TRUE(isBlack(glowCentreAt(0.103f)));
    // Starting a flash draws nothing by itself.
    clearToBlack();
    engine.flash(0.0f, 1.0f, 0.0f, 5.0f);
    EXPECT_TRUE(isBlack(pixelAt(testWindowWidth / 2, testWindowHeight / 2)));
}

class StatisticsTest : public ProgramTest {};

TEST_F(StatisticsTest, TimesBelowThirtyGoIntoTheirWholeSixtiethBinOnly) {
    recordTime(29.99f);
    EXPECT_EQ(engine.histogram[29], 1);
    EXPECT_NEAR(engine.history[0], 29.99f, timeTolerance);
    recordTime(0.5f);
    EXPECT_EQ(engine.histogram[0], 1);

    float firstExact = engine.exactHistory[0];
    score(exactly30);
    ASSERT_EQ(engine.lastTime, 30.0f);
    EXPECT_EQ(engine.history[2], 30.0f);
    EXPECT_EQ(engine.exactHistory[2], 30.0f);
    EXPECT_EQ(histogramTotal(), 2);
    EXPECT_EQ(engine.exactHistory[0], firstExact);  // nothing written past the last bin
    EXPECT_NEAR(engine.timeSum, 29.99f + 0.5f + 30.0f, sumTolerance);
    EXPECT_EQ(engine.tries, 3);

    // A clock gone back, or none, gives no negative time: such presses are early.
    recordTime(-0.5f);
    engine.flashStart = 3.0e8f;
    engine.click(1.0f);
    engine.flashStart = std::nanf("");
    engine.click(1.0f);
    EXPECT_EQ(engine.tries, 3);
    EXPECT_EQ(engine.earlyClicks, 3);
    EXPECT_EQ(histogramTotal(), 2);
}

TEST_F(StatisticsTest, SlowTimeAddsItsTrueValueButGraphsAtTheCap) {
    score(exactly45);
    EXPECT_EQ(engine.lastTime, 45.0f);
    EXPECT_EQ(engine.timeSum, 45.0f);
    EXPECT_EQ(engine.history[0], 30.0f);
    EXPECT_EQ(histogramTotal(), 0);
    EXPECT_EQ(engine.tries, 1);
    EXPECT_EQ(engine.flashColorTime, 0.0f);
}

TEST_F(StatisticsTest, ThirtyTimesFillTheHistoryAndTheThirtyFirstScrollsIt) {
    recordLadder(historyLength);
    EXPECT_EQ(engine.tries, 30);
    EXPECT_EQ(engine.scrollCount, 0);
    for (int i = 0; i < historyLength; i++)
        EXPECT_NEAR(engine.history[i], ladderTime(i), timeTolerance);

    recordTime(20.25f);
    EXPECT_EQ(engine.tries, 31);
    EXPECT_EQ(engine.scrollCount, 1);
    for (int i = 0; i < historyLength - 1; i++)
        EXPECT_NEAR(engine.history[i], ladderTime(i + 1), timeTolerance);
    EXPECT_NEAR(engine.history[29], 20.25f, timeTolerance);
    EXPECT_NEAR(engine.lastTime, 20.25f, timeTolerance);
    EXPECT_NEAR(engine.timeSum, ladderSum(30) + 20.25f, sumTolerance);
    // The histogram keeps every time, also the one that scrolled out of the graph.
    EXPECT_EQ(histogramTotal(), 31);
    EXPECT_EQ(engine.histogram[1], 2);
    EXPECT_EQ(engine.histogram[20], 1);

    recordTime(21.25f);
    EXPECT_EQ(engine.scrollCount, 2);
    EXPECT_NEAR(engine.history[0], ladderTime(2), timeTolerance);
    EXPECT_NEAR(engine.history[28], 20.25f, timeTolerance);
    EXPECT_NEAR(engine.history[29], 21.25f, timeTolerance);
}

class EraseTest : public ProgramTest {};

TEST_F(EraseTest, EraseWithNoTimesResetsTheRoundWithItsEarlyClicksAndMisses) {
    engine.click(1.0f);
    engine.click(2.0f);
    engine.flashStart = 3.0f;
    engine.update(6.5f);
    ASSERT_EQ(engine.earlyClicks, 2);
    ASSERT_EQ(engine.misses, 1);

    engine.eraseLastTime(20.0f);
    expectFreshRound(20.0f);
}

TEST_F(EraseTest, ErasingTheOnlyTimeResetsEverything) {
    recordTime(12.25f);
    engine.click(3.0f);  // early
    engine.eraseLastTime(7.0f);
    expectFreshRound(7.0f);
}

TEST_F(EraseTest, ErasingTheThirdOfThreeGoesBackToTheSecondAndLeavesTheWait) {
    recordTime(12.25f);
    recordTime(20.25f);
    recordTime(25.3f);
    engine.click(5.0f);  // early: counts stay through the erase
    float waitStart = engine.waitStart, waitDelay = engine.waitDelay;

    engine.eraseLastTime(6.0f);
    EXPECT_EQ(engine.tries, 2);
    EXPECT_NEAR(engine.lastTime, 20.25f, timeTolerance);
    EXPECT_NEAR(engine.timeSum, 32.5f, sumTolerance);
    EXPECT_EQ(engine.histogram[12], 1);
    EXPECT_EQ(engine.histogram[20], 1);
    EXPECT_EQ(engine.histogram[25], 0);
    EXPECT_NEAR(engine.history[0], 12.25f, timeTolerance);
    EXPECT_NEAR(engine.history[1], 20.25f, timeTolerance);
    EXPECT_EQ(engine.earlyClicks, 1);
    EXPECT_EQ(engine.waitStart, waitStart);
    EXPECT_EQ(engine.waitDelay, waitDelay);
    EXPECT_EQ(engine.flashStart, 0.0f);

    recordTime(14.25f);
    EXPECT_EQ(engine.tries, 3);
    EXPECT_NEAR(engine.history[2], 14.25f, timeTolerance);
    EXPECT_NEAR(engine.lastTime, 14.25f, timeTolerance);
    EXPECT_EQ(engine.histogram[14], 1);
    EXPECT_EQ(engine.histogram[25], 0);
}

TEST_F(EraseTest, ErasingAfterSlowTimesGoesBackToTheTrueTimeNotTheCap) {
    score(exactly45);
    score(exactly45);
    score(exactly12);
    ASSERT_EQ(engine.lastTime, 12.0f);
    ASSERT_EQ(engine.timeSum, 102.0f);
    engine.eraseLastTime(2.0f);
    EXPECT_EQ(engine.lastTime, 45.0f);
    EXPECT_EQ(engine.timeSum, 90.0f);
    engine.eraseLastTime(2.0f);
    EXPECT_EQ(engine.tries, 1);
    EXPECT_EQ(engine.lastTime, 45.0f);
    EXPECT_EQ(engine.timeSum, 45.0f);
    EXPECT_EQ(engine.history[0], 30.0f);
    EXPECT_EQ(histogramTotal(), 0);
}

TEST_F(EraseTest, EraseRightAfterTheThirtyFirstTimeKeepsTheScrollAndFillsTheGap) {
    recordLadder(historyLength);
    recordTime(20.25f);
    engine.eraseLastTime(5.0f);
    EXPECT_EQ(engine.tries, 30);
    EXPECT_EQ(engine.scrollCount, 1);
    EXPECT_NEAR(engine.lastTime, ladderTime(29), timeTolerance);
    EXPECT_NEAR(engine.timeSum, ladderSum(30), sumTolerance);
    EXPECT_EQ(engine.histogram[20], 0);
    EXPECT_EQ(histogramTotal(), 30);
    EXPECT_NEAR(engine.history[0], ladderTime(1), timeTolerance);
    EXPECT_NEAR(engine.history[28], ladderTime(29), timeTolerance);

    // The next time lands after the newest shown one, dropping nothing.
    recordTime(22.25f);
    EXPECT_EQ(engine.tries, 31);
    EXPECT_EQ(engine.scrollCount, 1);
    EXPECT_NEAR(engine.history[0], ladderTime(1), timeTolerance);
    EXPECT_NEAR(engine.history[28], ladderTime(29), timeTolerance);
    EXPECT_NEAR(engine.history[29], 22.25f, timeTolerance);
    EXPECT_NEAR(engine.lastTime, 22.25f, timeTolerance);

    recordTime(23.25f);
    EXPECT_EQ(engine.scrollCount, 2);
    EXPECT_NEAR(engine.history[0], ladderTime(2), timeTolerance);
    EXPECT_NEAR(engine.history[28], 22.25f, timeTolerance);
    EXPECT_NEAR(engine.history[29], 23.25f, timeTolerance);
}

TEST_F(EraseTest, EraseTwiceAfterScrollingThenRecordAgain) {
    recordLadder(historyLength);
    recordTime(20.25f);
    engine.eraseLastTime(5.0f);
    engine.eraseLastTime(5.0f);
    EXPECT_EQ(engine.tries, 29);
    EXPECT_EQ(engine.scrollCount, 1);
    EXPECT_NEAR(engine.lastTime, ladderTime(28), timeTolerance);
    EXPECT_NEAR(engine.timeSum, ladderSum(29), sumTolerance);
    EXPECT_EQ(histogramTotal(), 29);
    EXPECT_EQ(engine.histogram[15], 1);  // 15.75 is gone, 15.25 stays

    recordTime(9.25f);
    EXPECT_EQ(engine.tries, 30);
    EXPECT_EQ(engine.scrollCount, 1);
    EXPECT_NEAR(engine.history[27], ladderTime(28), timeTolerance);
    EXPECT_NEAR(engine.history[28], 9.25f, timeTolerance);
    EXPECT_NEAR(engine.lastTime, 9.25f, timeTolerance);
    EXPECT_NEAR(engine.timeSum, ladderSum(29) + 9.25f, sumTolerance);
}

TEST_F(EraseTest, EraseThatEmptiesTheShownHistoryAfterAScrollResetsTheRound) {
    recordLadder(historyLength);
    recordTime(20.25f);
    engine.click(3.0f);  // early
    for (int i = 0; i < 29; i++) engine.eraseLastTime(5.0f);
    EXPECT_EQ(engine.tries, 2);
    EXPECT_EQ(engine.scrollCount, 1);
    EXPECT_NEAR(engine.lastTime, ladderTime(1), timeTolerance);
    EXPECT_NEAR(engine.history[0], ladderTime(1), timeTolerance);
    EXPECT_NEAR(engine.timeSum, ladderSum(2), sumTolerance);
    EXPECT_EQ(histogramTotal(), 2);
    EXPECT_EQ(engine.earlyClicks, 1);

    engine.eraseLastTime(6.0f);
    expectFreshRound(6.0f);
}
