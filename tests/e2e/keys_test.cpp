// Keys on the real keyboard: full screen and window, the frame-rate line, trails, the help screen
// and the ways out.
#include "tests/e2e/harness.h"

#include <X11/keysym.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <thread>

namespace {

constexpr double fadeOutSeconds = 2.0;
// Each F11 takes 5 % off the blanking: from 0.75 down to about 0.06, where a trail takes about a
// second to fade, long enough to be seen on its way at a few frames a second.
constexpr int f11Presses = 50;
constexpr int fadedRed = 20;  // weak trails can stop short of black when blending rounds

class KeysE2e : public E2eTest {
protected:
    // Clicks early and reports whether the red glow then fades through dimmer reds
    // (a trail) instead of vanishing from one frame to the next.
    bool earlyClickLeavesATrail() {
        bool glowed = clickUntil([&] { return glowIs(isRed); }, responseSeconds);
        EXPECT_TRUE(glowed) << "no red glow";
        if (!glowed) return false;
        bool dimRed = false;
        waitFor(
            [&] {
                Pixel p = glowPixel();
                dimRed = dimRed || (p.r > fadedRed && p.r <= 170 && p.g < 40 && p.b < 40);
                return dimRed;
            },
            1.0, 1);
        // Let any trail die out before the next try.
        EXPECT_TRUE(waitFor([&] { return glowPixel().r <= fadedRed; }, 3.0));
        return dimRed;
    }
};

// Full screen and the window, on the bare server and under a window manager, which places the
// window and goes through _NET_WM_STATE for full screen.
class FullScreenKeyE2e : public WindowE2e {
protected:
    // Waits for full screen on the pointer's monitor, asking compositors to step aside.
    void expectFullScreen(const char* when) {
        SCOPED_TRACE(when);
        EXPECT_TRUE(waitForFullScreen(5.0));
        EXPECT_TRUE(waitFor([&] { return bypassHint() == 1; }, 2.0)) << "hint " << bypassHint();
    }
    // Waits for the 600 by 600 window, which leaves the compositor its choice.
    void expectWindow(const char* when) {
        SCOPED_TRACE(when);
        EXPECT_TRUE(waitForWindowSize(windowedSize, windowedSize, 5.0)) << "no 600 by 600 window";
        EXPECT_TRUE(waitFor([&] { return bypassHint() <= 0; }, 2.0)) << "hint " << bypassHint();
    }
};

TEST_P(FullScreenKeyE2e, FTogglesBetweenFullScreenAndA600By600WindowWithThePointerShownThere) {
    startSnapwit();
    expectFullScreen("at start");
    ASSERT_TRUE(waitFor([&] { return cursorIsInvisible(); }, 10.0, 5));
    character('f');
    expectWindow("after f");
    int width, height, x, y;
    ASSERT_TRUE(windowSize(width, height, x, y));
    moveTo(x + windowedSize / 2, y + windowedSize / 2);
    EXPECT_TRUE(waitFor([&] { return !cursorIsInvisible(); }, 2.0, 5)) << "no arrow in the window";
    // The results follow the new width: the count lines now start at x = 450 in the window.
    waitPastFadeIn();
    EXPECT_TRUE(
        waitFor([&] { return grab(Rect{x + 450, y + 18, 120, 64}).lit() > 200; }, responseSeconds));

    character('f');
    expectFullScreen("after the second f");
    EXPECT_TRUE(waitFor([&] { return cursorIsInvisible(); }, 2.0, 5)) << "the pointer shows";
    EXPECT_TRUE(
        waitFor([&] { return grab(onMonitor(layout::countLines)).lit() > 200; }, responseSeconds));
    quickExit();
}

TEST_P(FullScreenKeyE2e, QuickPressesOfFSettleWhereTheLastOneAsked) {
    startSnapwit();
    expectFullScreen("at start");
    int total = 0;
    for (int presses : {2, 3, 1}) {
        for (int i = 0; i < presses; i++) character('f');
        total += presses;
        bool windowed = total % 2 == 1;
        std::string trace = std::to_string(presses) + " quick presses";
        windowed ? expectWindow(trace.c_str()) : expectFullScreen(trace.c_str());
        // And it stays there once the window manager and freeglut have had their say, past the
        // time after which the program asks again.
        std::this_thread::sleep_for(std::chrono::milliseconds(1500));
        int width, height, x, y;
        ASSERT_TRUE(windowSize(width, height, x, y));
        EXPECT_EQ(width, windowed ? windowedSize : monitor.width) << trace;
    }
    quickExit();
}

INSTANTIATE_TEST_SUITE_P(Desktops, FullScreenKeyE2e,
                         ::testing::Values("bare", "openbox", "bare@two", "openbox@mixed",
                                           "mutter-wayland", "kwin-wayland"),
                         desktopName);

TEST_F(KeysE2e, CShowsAndHidesTheFrameRateLineAtTheTopRight) {
    startSnapwit();
    waitPastFadeIn();
    EXPECT_EQ(grab(layout::frameRateLine).lit(), 0);
    character('c');
    EXPECT_TRUE(waitFor([&] { return grab(layout::frameRateLine).lit() > 100; }, responseSeconds))
        << "no frame-rate line";
    character('c');
    EXPECT_TRUE(waitFor([&] { return grab(layout::frameRateLine).lit() == 0; }, responseSeconds))
        << "the frame-rate line stays";
    quickExit();
}

TEST_F(KeysE2e, F11AndTheSpaceBarTurnClearingIntoFadingTrails) {
    startSnapwit();
    waitPastFadeIn(0.05);
    // Early clicks keep restarting the wait, so no white flash comes in between; r starts the
    // first, in case a slow start has used most of the first wait.
    character('r');
    EXPECT_FALSE(earlyClickLeavesATrail()) << "a trail while clearing every frame";
    for (int i = 0; i < f11Presses; i++) key(XK_F11);
    EXPECT_TRUE(earlyClickLeavesATrail()) << "no trail after F11";
    character(' ');
    EXPECT_FALSE(earlyClickLeavesATrail()) << "a trail after the space bar cleared again";
    character(' ');
    EXPECT_TRUE(earlyClickLeavesATrail()) << "no trail after the second space bar";
    quickExit();
}

TEST_F(KeysE2e, QuestionMarkShowsTheHelpScreenAndSlashHidesIt) {
    startSnapwit();
    waitPastFadeIn(0.2);
    EXPECT_EQ(grabQuiet(layout::helpText).lit(), 0);
    character('?');
    EXPECT_TRUE(waitFor([&] { return grabQuiet(layout::helpText).lit() > 500; }, responseSeconds))
        << "no help text";
    character('/');
    EXPECT_TRUE(waitFor([&] { return grabQuiet(layout::helpText).lit() == 0; }, responseSeconds))
        << "the help text stays";
    quickExit();
}

// The exit keys: one press fades out over 2 seconds, a second press ends at once.
// The parameter is the key's X name.
class ExitKeyE2e : public E2eTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(ExitKeyE2e, OnePressFadesToBlackThenEndsWithStatusZeroAfterTwoSeconds) {
    startSnapwit();
    waitPastFadeIn(0.2);
    ASSERT_GE(grab(layout::countLines).maxBrightness(), 240);
    key(XStringToKeysym(GetParam()));
    auto pressed = std::chrono::steady_clock::now();
    auto sincePress = [&] {
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - pressed).count();
    };
    // Brightness of the count lines over the fade, from frames taken while the program ran. A
    // frame on screen was drawn no later than it is read, so slow frames only show it brighter.
    int earliest = 255, grey = -1, last = -1;
    while (sincePress() < fadeOutSeconds + responseSeconds) {
        int sample = grab(layout::countLines).maxBrightness();
        if (!alive()) break;
        if (sincePress() < 0.9) earliest = std::min(earliest, sample);
        if (sample > 60 && sample < 200) grey = sample;
        last = sample;
    }
    double endedAfter = sincePress();
    expectExitStatusZero(0.1);
    EXPECT_GE(endedAfter, 1.8);
    EXPECT_LE(endedAfter, fadeOutSeconds + responseSeconds);
    EXPECT_GT(earliest, 60) << "black too soon";
    EXPECT_NE(grey, -1) << "no fade through grey";
    EXPECT_LT(last, 40) << "not black at the end";
}

TEST_P(ExitKeyE2e, TwoPressesEndAtOnceWithStatusZero) {
    startSnapwit();
    waitPastFadeIn(0.2);
    key(XStringToKeysym(GetParam()));
    key(XStringToKeysym(GetParam()));
    auto pressed = std::chrono::steady_clock::now();
    expectExitStatusZero(responseSeconds);
    auto took = std::chrono::steady_clock::now() - pressed;
    EXPECT_LT(std::chrono::duration<double>(took).count(), fadeOutSeconds - 0.5)
        << "no sooner than the fade";
}

INSTANTIATE_TEST_SUITE_P(Keys, ExitKeyE2e, ::testing::Values("Escape", "q", "Q"),
                         [](const ::testing::TestParamInfo<const char*>& info) {
                             return std::string(info.param);
                         });

}  // namespace
