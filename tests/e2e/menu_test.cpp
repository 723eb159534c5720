// The right-button menu, opened and picked from with the real pointer.
#include "tests/e2e/harness.h"

#include <chrono>

namespace {

constexpr int entryToggleFps = 0;
constexpr int entryHelp = 7;
constexpr int openAtX = 300;
constexpr int openAtY = 300;

class MenuE2e : public E2eTest {
protected:
    // Opens the menu with a right press at (x, y) and picks an entry with the left button;
    // the menu's place is checked against the press.
    void pick(int entry, int x = openAtX, int y = openAtY) {
        Rect area{-1, -1, 0, 0};
        pickMenuEntry(entry, x, y, &area);
        EXPECT_NEAR(area.x, x, 2);
        EXPECT_NEAR(area.y, y, 2);
        EXPECT_GT(area.height, menuEntries * 10);
    }
};

TEST_F(MenuE2e, RightPressOpensTheMenuAtThePointerAndHelpAndFpsEntriesShowTheirText) {
    startSnapwit();
    waitPastFadeIn(0.2);
    EXPECT_EQ(grabQuiet(layout::helpText).lit(), 0);
    EXPECT_EQ(grab(layout::frameRateLine).lit(), 0);

    pick(entryHelp);
    EXPECT_TRUE(waitFor([&] { return grabQuiet(layout::helpText).lit() > 500; }, responseSeconds))
        << "Help shows no help screen";
    pick(entryToggleFps, 500, 200);
    EXPECT_TRUE(waitFor([&] { return grab(layout::frameRateLine).lit() > 100; }, responseSeconds))
        << "Toggle FPS Clock shows no frame-rate line";
    quickExit();
}

TEST_F(MenuE2e, ExitEntryFadesOutAndEndsWithStatusZero) {
    startSnapwit();
    waitPastFadeIn();
    pick(menuExitEntry);
    auto picked = std::chrono::steady_clock::now();
    auto sincePick = [&] {
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - picked).count();
    };
    EXPECT_TRUE(waitFor([&] { return sincePick() > 1.0; }, 2.0));
    int halfway = grab(layout::countLines).maxBrightness();
    EXPECT_TRUE(alive()) << "ended without the fade";
    EXPECT_LT(halfway, 200) << "no fade";
    expectExitStatusZero(1.0 + responseSeconds);
    EXPECT_GE(sincePick(), 1.8);
    EXPECT_LE(sincePick(), 2.0 + responseSeconds);
}

}  // namespace
