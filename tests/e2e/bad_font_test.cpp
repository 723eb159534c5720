// Whatever "font.bmp" holds, or if it is not there at all, the program runs and the test works.
#include "tests/e2e/harness.h"

#include <X11/keysym.h>

namespace {

class BadFontE2e : public E2eTest, public ::testing::WithParamInterface<FontFile> {};

TEST_P(BadFontE2e, StartsScoresAClickAndEndsWithStatusZero) {
    startSnapwit(GetParam());
    ASSERT_FALSE(HasFatalFailure());
    // A wait from now, in case a slow start has used most of the first; then shorter waits from
    // the next one on, which an early click starts at once.
    waitPastFadeIn(0.05);
    character('r');
    for (int i = 0; i < pageDownPresses; i++) key(XK_Next);
    ASSERT_TRUE(clickUntil([&] { return glowIs(isRed); }, responseSeconds)) << "no red glow";
    ASSERT_TRUE(waitForWhiteFlash(4.0)) << "no flash";
    ASSERT_TRUE(clickUntil([&] { return yellowInBars() > 0; }, responseSeconds))
        << "the click was not scored";
    ASSERT_TRUE(waitFor([&] { return !glowShows(); }, responseSeconds));
    EXPECT_NEAR(barHeight(), oneCountHigh, 1);
    EXPECT_GT(redMarkerPixels(), 10);
    EXPECT_TRUE(alive());
    quickExit();
}

std::string fontName(const ::testing::TestParamInfo<FontFile>& info) {
    return ::testing::PrintToString(info.param);
}

INSTANTIATE_TEST_SUITE_P(Fonts, BadFontE2e,
                         ::testing::Values(FontFile::missing, FontFile::empty, FontFile::oneByte,
                                           FontFile::headerOnly, FontFile::zeros,
                                           FontFile::random10MB, FontFile::png, FontFile::folder,
                                           FontFile::unreadable),
                         fontName);

}  // namespace
