// Taking the test with the real mouse: flashes, scored clicks, early clicks, misses, erase, reset.
#include "tests/e2e/harness.h"

#include <X11/keysym.h>

namespace {

constexpr int oneCountHigh = 17;  // a bar grows by its width, 17 pixels on a 1280-wide screen

class ReactionE2e : public E2eTest {
protected:
    Picture tries, early, misses;  // the count lines' numbers as first seen

    void rememberCounts() {
        tries = grabQuiet(layout::triesNumber);
        early = grabQuiet(layout::earlyNumber);
        misses = grabQuiet(layout::missesNumber);
    }
    int triesChange() { return maskDifference(tries, grabQuiet(layout::triesNumber)); }
    int earlyChange() { return maskDifference(early, grabQuiet(layout::earlyNumber)); }
    int missesChange() { return maskDifference(misses, grabQuiet(layout::missesNumber)); }
    bool glowIsRed() { return glowIs(isRed); }
    

    // Waits for the flash and clicks it, holding the button until the bar shows.
    void clickNextFlash(double timeoutSeconds) {
        ASSERT_TRUE(waitForWhiteFlash(timeoutSeconds)) << "no flash";
        ASSERT_TRUE(clickUntil([&] { return yellowInBars() > 0; }, responseSeconds)) << "the click was not scored";
        ASSERT_TRUE(waitFor([&] { return !glowShows(); }, responseSeconds));
    }
};

TEST_F(ReactionE2e, FlashShowsAtTheCentreBetween3And6SecondsAndAClickCountsOnce) {
    startSnapwit();
    waitUntilSinceWindow(2.1);
    rememberCounts();
    EXPECT_EQ(yellowInBars(), 0);
    EXPECT_EQ(redMarkerPixels(), 0);

    ASSERT_TRUE(waitForWhiteFlash(8.0)) << "no flash";
    EXPECT_GE(sinceSpawn(), 3.0) << "flash before 3 s";
    EXPECT_LE(sinceWindow(), 6.3) << "flash after 6 s";
    ASSERT_TRUE(clickUntil([&] { return yellowInBars() > 0; }, responseSeconds)) << "the click was not scored";
    ASSERT_TRUE(waitFor([&] { return !glowShows(); }, responseSeconds));

    // One bar one count high, one red point on the graph, and the tries count changed.
    EXPECT_GT(yellowInBars(), 150);
    EXPECT_NEAR(barHeight(), oneCountHigh, 1);
    EXPECT_GT(redMarkerPixels(), 10);
    EXPECT_GT(triesChange(), 5);
    EXPECT_EQ(earlyChange(), 0);
    EXPECT_EQ(missesChange(), 0);
    quickExit();
}

TEST_F(ReactionE2e, EarlyClickGlowsRedAndRestartsTheWaitAndAnUnclickedFlashIsAMiss) {
    startSnapwit();
    waitUntilSinceWindow(2.05);
    rememberCounts();
    ASSERT_TRUE(clickUntil([&] { return glowIsRed(); }, responseSeconds)) << "no red glow";
    double clickedAt = sinceWindow();
    ASSERT_TRUE(waitFor([&] { return !glowShows(); }, responseSeconds)) << "the red glow stays";
    EXPECT_GT(earlyChange(), 5);
    EXPECT_EQ(triesChange(), 0);
    EXPECT_EQ(yellowInBars(), 0);
    Picture earlyOne = grabQuiet(layout::earlyNumber);

    // The wait starts over from the early click.
    ASSERT_TRUE(waitForWhiteFlash(7.0)) << "no flash";
    double flashAt = sinceWindow();
    EXPECT_GE(flashAt - clickedAt, 2.9);
    EXPECT_LE(flashAt - clickedAt, 6.3);

    // Left alone for 3 seconds, the flash becomes a miss.
    EXPECT_EQ(missesChange(), 0);
    ASSERT_TRUE(waitFor([&] { return missesChange() > 5; }, 4.5, 10)) << "no miss counted";
    double missAt = sinceWindow() - flashAt;
    EXPECT_GE(missAt, 2.9);
    EXPECT_LE(missAt, 3.6);
    EXPECT_EQ(triesChange(), 0);
    EXPECT_EQ(maskDifference(earlyOne, grabQuiet(layout::earlyNumber)), 0);
    EXPECT_EQ(yellowInBars(), 0);
    quickExit();
}

TEST_F(ReactionE2e, EraseRemovesTheOnlyTimeAndResetStartsAFreshRoundWithoutTheGreeting) {
    startSnapwit();
    waitUntilSinceWindow(2.1);
    rememberCounts();
    clickNextFlash(8.0);
    if (HasFatalFailure()) return;
    EXPECT_GT(yellowInBars(), 150);

    character('e');
    EXPECT_TRUE(waitFor([&] { return yellowInBars() == 0 && redMarkerPixels() == 0; }, responseSeconds))
        << "the erased time still shows";
    EXPECT_EQ(triesChange(), 0);

    // An early click and a scored one, then r.
    ASSERT_TRUE(clickUntil([&] { return glowIsRed(); }, responseSeconds)) << "no red glow";
    ASSERT_TRUE(waitFor([&] { return !glowShows(); }, responseSeconds));
    EXPECT_GT(earlyChange(), 5);
    clickNextFlash(7.0);
    if (HasFatalFailure()) return;
    EXPECT_GT(triesChange(), 5);

    character('r');
    EXPECT_TRUE(waitFor([&] { return yellowInBars() == 0 && redMarkerPixels() == 0; }, responseSeconds))
        << "the reset left the bar or the point";
    EXPECT_EQ(triesChange(), 0);
    EXPECT_EQ(earlyChange(), 0);
    EXPECT_EQ(missesChange(), 0);
    // The greeting belongs to start-up only.
    EXPECT_FALSE(waitFor([&] { return grab(layout::statusLine).maxBrightness() > 30; }, 0.5))
        << "the greeting came back";
    quickExit();
}

}  // namespace
