// Taking the test with the real mouse: flashes, scored clicks, early clicks, misses, erase, reset.
#include "tests/e2e/harness.h"

#include <X11/keysym.h>

#include <cmath>

namespace {

constexpr int firstBinX = 128;    // bins 34 pixels apart from a tenth of the width
constexpr int binStep = 34;
constexpr double graphFirstX = 160.0;   // the graph's points start at an eighth of the width
constexpr double graphMiddleY = 360.0;  // from the bottom: value 13 at half the height,
constexpr double pixelsPerSixtieth = 18.0;  // 0.025 of the height per sixtieth
constexpr double graphMiddleValue = 13.0;
constexpr double quickSixtieths = 10.0;  // this fast or faster earns the green glow

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
    bool noTimeShows() { return yellowInBars() == 0 && redMarkerPixels() == 0; }

    // The bin of the leftmost bar, from its left edge.
    int leftmostBarBin() {
        Picture bars = grab(layout::histogramBars);
        for (int x = bars.area.x; x < bars.area.x + bars.area.width; x++) {
            int yellow = 0;
            for (int y = bars.area.y; y < bars.area.y + bars.area.height; y++)
                yellow += isYellow(bars.at(x, y));
            if (yellow > bars.area.height / 2)
                return (int)std::lround((x - firstBinX) / (double)binStep);
        }
        return -1;
    }

    // Where the first graph point's red marker is centred, in sixtieths read off its height.
    void firstMarker(double& x, double& value) {
        Picture area = grab(layout::graphMarkers);
        double sumX = 0, sumY = 0;
        int n = 0;
        for (int y = area.area.y; y < area.area.y + area.area.height; y++)
            for (int px = area.area.x; px < area.area.x + area.area.width; px++) {
                Pixel p = area.at(px, y);
                if (isMarkerRed(p)) {
                    sumX += px + 0.5;
                    sumY += y + 0.5;
                    n++;
                }
            }
        x = n ? sumX / n : -1;
        double fromBottom = n ? screenHeight - sumY / n : -1;
        value = (fromBottom - graphMiddleY) / pixelsPerSixtieth + graphMiddleValue;
    }

    // Waits for the flash and clicks it, holding the button until the bar shows.
    void clickNextFlash(double timeoutSeconds) {
        ASSERT_TRUE(waitForWhiteFlash(timeoutSeconds)) << "no flash";
        ASSERT_TRUE(clickUntil([&] { return yellowInBars() > 0; }, responseSeconds))
            << "the click was not scored";
        ASSERT_TRUE(waitFor([&] { return !glowShows(); }, responseSeconds));
    }
};

TEST_F(ReactionE2e, FlashShowsAtTheCentreBetween3And6SecondsAndAClickCountsOnce) {
    startSnapwit();
    waitPastFadeIn();
    rememberCounts();
    EXPECT_EQ(yellowInBars(), 0);
    EXPECT_EQ(redMarkerPixels(), 0);

    ASSERT_TRUE(waitForWhiteFlash(8.0)) << "no flash";
    EXPECT_GE(sinceSpawn(), 3.0) << "flash before 3 s";
    EXPECT_LE(sinceWindow(), 6.3) << "flash after 6 s";
    // Centred: as bright 250 pixels left as right of the centre, and 200 above as below.
    Picture across = grab(Rect{390, 560, 501, 1});
    Picture down = grab(Rect{640, 160, 1, 401});
    EXPECT_GT(across.at(390, 560).r, 50);
    EXPECT_NEAR(across.at(390, 560).r, across.at(890, 560).r, 15);
    EXPECT_GT(down.at(640, 160).r, 50);
    EXPECT_NEAR(down.at(640, 160).r, down.at(640, 560).r, 15);
    // A quick reaction turns the glow green for 0.1 s (after the white flash's own 0.1 s).
    bool green = false;
    auto watchGreen = [&] { return green = green || glowIs(isGreen); };
    auto scored = [&] {
        watchGreen();
        return yellowInBars() > 0;
    };
    ASSERT_TRUE(clickUntil(scored, responseSeconds))
        << "the click was not scored";
    waitFor(watchGreen, 0.3, 1);
    ASSERT_TRUE(waitFor([&] { return !glowShows(); }, responseSeconds));

    // One bar one count high, one red point on the graph, and the tries count changed.
    EXPECT_GT(yellowInBars(), 150);
    EXPECT_NEAR(barHeight(), oneCountHigh, 1);
    EXPECT_GT(redMarkerPixels(), 10);
    // The bar stands in the bin of the whole sixtieths that the graph point shows.
    double markerX, value;
    firstMarker(markerX, value);
    EXPECT_NEAR(markerX, graphFirstX, 1.0);
    EXPECT_GT(value, 0.0);
    EXPECT_LT(value, 30.0);
    int bin = leftmostBarBin();
    EXPECT_TRUE(bin == (int)std::floor(value - 0.1) || bin == (int)std::floor(value + 0.1))
        << "bar in bin " << bin << " for a point at " << value << " sixtieths";
    if (value < quickSixtieths - 0.5) {
        EXPECT_TRUE(green) << "no green glow at " << value;
    }
    if (value > quickSixtieths + 0.5) {
        EXPECT_FALSE(green) << "a green glow at " << value;
    }
    EXPECT_GT(triesChange(), 5);
    EXPECT_EQ(earlyChange(), 0);
    EXPECT_EQ(missesChange(), 0);
    quickExit();
}

TEST_F(ReactionE2e, EarlyClickGlowsRedAndRestartsTheWaitAndAnUnclickedFlashIsAMiss) {
    startSnapwit();
    waitPastFadeIn(0.05);
    character('r');  // a wait from now, in case a slow start has used most of the first
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
    waitPastFadeIn();
    rememberCounts();
    clickNextFlash(8.0);
    if (HasFatalFailure()) return;
    EXPECT_GT(yellowInBars(), 150);

    character('e');
    EXPECT_TRUE(waitFor([&] { return noTimeShows(); }, responseSeconds))
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
    EXPECT_TRUE(waitFor([&] { return noTimeShows(); }, responseSeconds))
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
