// Start-up as the user sees it: the window, the pointer, the fade-in and the greeting.
#include "tests/e2e/harness.h"

#include <X11/extensions/Xfixes.h>

#include <chrono>
#include <string>

namespace {

constexpr int pointerStartX = 450;
constexpr int pointerStartY = 350;

class StartupE2e : public E2eTest {};
class StartupWindowE2e : public WindowE2e {};

TEST_P(StartupWindowE2e, FullScreenWindowAskingToBypassCompositorsWithThePointerHiddenAt450By350) {
    int eventBase, errorBase;
    ASSERT_TRUE(XFixesQueryExtension(display, &eventBase, &errorBase));
    // Before the program runs the server shows its own cursor, so the check below can fail.
    ASSERT_FALSE(cursorIsInvisible());
    startSnapwit();
    ASSERT_TRUE(waitForWindowSize(screenWidth, screenHeight, 10.0));
    int width, height, x, y;
    ASSERT_TRUE(windowSize(width, height, x, y));
    EXPECT_EQ(x, 0);
    EXPECT_EQ(y, 0);
    EXPECT_EQ(bypassHint(), 1);

    int pointerX = -1, pointerY = -1;
    auto pointerAtStart = [&] {
        Window root, child;
        int winX, winY;
        unsigned mask;
        XQueryPointer(display, DefaultRootWindow(display), &root, &child, &pointerX, &pointerY,
                      &winX, &winY, &mask);
        return pointerX == pointerStartX && pointerY == pointerStartY;
    };
    // A window manager places the window after start-up has warped the pointer into it, so the
    // pointer keeps the offset of the window's first place (Openbox's frame: 1 and 20 pixels).
    constexpr int frameOffset = 40;
    if (std::string(GetParam()) == "bare") {
        EXPECT_TRUE(waitFor(pointerAtStart, 10.0, 5)) << "pointer at " << pointerX << "," << pointerY;
    } else {
        pointerAtStart();
        EXPECT_NEAR(pointerX, pointerStartX, frameOffset);
        EXPECT_NEAR(pointerY, pointerStartY, frameOffset);
    }
    EXPECT_TRUE(waitFor([&] { return cursorIsInvisible(); }, 10.0, 5)) << "the cursor shows";
    quickExit();
}

INSTANTIATE_TEST_SUITE_P(Desktops, StartupWindowE2e, ::testing::Values("bare", "openbox"),
                         desktopName);

TEST_F(StartupE2e, FadesInOverTwoSecondsThenShowsTheCountLinesInWhite) {
    startSnapwit();
    // The first frames are dimmed by the fade-in quad: white text no brighter than the clock's
    // time allows, which is less than the time since the spawn. A start slower than the fade-in
    // has no dimmed frame to show, and the bound then holds of itself.
    Picture first;
    ASSERT_TRUE(waitFor(
        [&] {
            first = grab(layout::countLines);
            return first.maxBrightness() > 10;
        },
        10.0, 1));
    double firstSeen = sinceSpawn();
    EXPECT_LE(first.maxBrightness(), 255 * firstSeen / 2 + 10)
        << "first seen " << firstSeen << " s after the spawn";

    // Quiet pictures: past 3 s a flash may light the left of the count lines.
    waitPastFadeIn(0.2);
    Picture lines = grabQuiet(layout::countLines);
    EXPECT_GE(lines.maxBrightness(), 240);
    EXPECT_GT(lines.lit(), 200);
    EXPECT_EQ(grabQuiet(layout::leftOfCountLines).count([](Pixel p) { return !isDark(p); }), 0)
        << "the count lines start at three quarters of the width";
    // Three lines of text, one under the other.
    EXPECT_GT(grab(layout::triesNumber).lit(), 10);
    EXPECT_GT(grab(layout::earlyNumber).lit(), 10);
    EXPECT_GT(grab(layout::missesNumber).lit(), 10);
    quickExit();
}

// The greeting's own 3 seconds can be over before a slow start shows a frame, so its line is
// checked once the clock is surely past them, and a key's message, kept for the same time by the
// same printer, is watched from the press: v's "Camera 2: Manual Mouse/Arrow Key Control".
TEST_F(StartupE2e, GreetingIsGoneAfterThreeSecondsAndAKeysMessageShowsAtTheTopLeftForThree) {
    startSnapwit();
    auto dark = [&] { return grab(layout::statusLine).maxBrightness() < 30; };
    waitUntilSinceWindow(3.1);
    EXPECT_TRUE(waitFor(dark, responseSeconds)) << "the greeting stays after 3 s";
    character('v');
    auto pressed = std::chrono::steady_clock::now();
    EXPECT_TRUE(waitFor([&] { return grab(layout::statusLine).lit() > 200; }, responseSeconds))
        << "no message at the top left";
    EXPECT_TRUE(waitFor(dark, 3.0 + responseSeconds)) << "the message stays";
    auto shown = std::chrono::steady_clock::now() - pressed;
    EXPECT_GE(std::chrono::duration<double>(shown).count(), 2.5) << "the message went early";
    quickExit();
}

}  // namespace
