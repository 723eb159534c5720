// Start-up as the user sees it: the window, the pointer, the fade-in and the greeting.
#include "tests/e2e/harness.h"

#include <X11/extensions/Xfixes.h>

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
    // The first frames are dimmed by the fade-in quad.
    Picture first;
    ASSERT_TRUE(waitFor(
        [&] {
            first = grab(layout::countLines);
            return first.maxBrightness() > 10;
        },
        10.0, 1));
    double firstSeen = sinceSpawn();
    EXPECT_LT(first.maxBrightness(), 200) << "first seen " << firstSeen << " s after the spawn";

    waitUntilSinceWindow(2.2);
    Picture lines = grab(layout::countLines);
    EXPECT_GE(lines.maxBrightness(), 240);
    EXPECT_GT(lines.lit(), 200);
    EXPECT_EQ(grab(layout::leftOfCountLines).count([](Pixel p) { return !isDark(p); }), 0)
        << "the count lines start at three quarters of the width";
    // Three lines of text, one under the other.
    EXPECT_GT(grab(layout::triesNumber).lit(), 10);
    EXPECT_GT(grab(layout::earlyNumber).lit(), 10);
    EXPECT_GT(grab(layout::missesNumber).lit(), 10);
    quickExit();
}

TEST_F(StartupE2e, GreetingShowsAtTheTopLeftForThreeSecondsThenGoes) {
    startSnapwit();
    // Seen at full strength between the end of the fade-in and the 3-second mark.
    int seen = 0;
    waitUntilSinceWindow(1.9);
    while (sinceSpawn() < 2.9) {
        seen = std::max(seen, grab(layout::statusLine).lit());
        if (seen > 200) break;
    }
    EXPECT_GT(seen, 200) << "no greeting before 3 s";
    waitUntilSinceWindow(3.1);
    EXPECT_TRUE(waitFor([&] { return grab(layout::statusLine).maxBrightness() < 30; }, 0.5))
        << "the greeting stays after 3 s";
    // And it stays away.
    waitUntilSinceWindow(4.0);
    EXPECT_LT(grab(layout::statusLine).maxBrightness(), 30);
    quickExit();
}

}  // namespace
