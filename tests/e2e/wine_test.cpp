// The Windows build under Wine: the zip's snapwit.exe, driven like the Linux program.
#include "tests/e2e/harness.h"

#include <X11/keysym.h>

namespace {

// On Xvfb's one screen, and on a monitor left of the primary: both at X's (0, 0), as the layout is.
class WineE2e : public WindowE2e {
protected:
    // Started from the scratch folder, which holds no font sheet: the program takes the one
    // beside it, as from a shortcut.
    void startUnderWine() {
        std::string folder = SNAPWIT_WINE_DIR;
        command = {"wine", folder + "/snapwit/snapwit.exe"};
        extraEnvironment = {"WINEPREFIX=" + folder + "/prefix", "WINEDEBUG=-all",
                            "WINEDLLOVERRIDES=mscoree,mshtml="};
        int status;  // a Wine server left by the case before keeps that X server's monitors
        waitForEnd(spawn({{"wineserver", "-k"}, environmentWith(extraEnvironment), "",
                          scratch + "/wineserver.log", ""}), 10.0, status);
        startSnapwit(FontFile::missing);
        ASSERT_FALSE(HasFatalFailure());
        ASSERT_TRUE(waitForFullScreen(10.0));
    }
};

TEST_P(WineE2e, StartsFullScreenWithItsTextFromTheSheetAndTogglesA600By600Window) {
    startUnderWine();
    ASSERT_FALSE(HasFatalFailure());
    // A key's message (the greeting's 3 seconds may be over before Wine shows a frame).
    character('v');
    EXPECT_TRUE(waitFor([&] { return grab(layout::statusLine).lit() > 100; }, responseSeconds))
        << "no status message";
    // The count lines, drawn in every frame, from the sheet, not as a missing sheet's blocks.
    waitPastFadeIn();
    int counts = grabQuiet(layout::countLines).lit();
    EXPECT_GT(counts, 120);
    EXPECT_TRUE(drawnAsText(counts)) << counts << " lit";

    character('f');
    EXPECT_TRUE(waitForWindowSize(windowedSize, windowedSize, 5.0)) << "no 600 by 600 window";
    character('f');
    EXPECT_TRUE(waitForFullScreen(5.0)) << "full screen not restored";
    quickExit();
}

TEST_P(WineE2e, AWhiteFlashShowsAndAClickOnItChangesTheTriesLine) {
    startUnderWine();
    ASSERT_FALSE(HasFatalFailure());
    for (int i = 0; i < pageDownPresses; i++) key(XK_Next);
    waitPastFadeIn();
    Picture tries = grabQuiet(layout::triesNumber);
    ASSERT_TRUE(waitForWhiteFlash(8.0)) << "no flash";
    ASSERT_TRUE(clickUntil([&] { return yellowInBars() > 0; }, responseSeconds))
        << "the click was not scored";
    EXPECT_TRUE(waitFor([&] { return maskDifference(tries, grabQuiet(layout::triesNumber)) > 5; },
                        responseSeconds))
        << "the tries line did not change";
    quickExit();
}

INSTANTIATE_TEST_SUITE_P(Desktops, WineE2e, ::testing::Values("bare", "bare@left"), desktopName);

}  // namespace
