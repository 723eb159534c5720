// The frame: frame-rate count, letterbox viewport, fades and the exit fade.
#include "app/frame.h"

#include <GL/glut.h>
#include <gtest/gtest.h>

#include <cstdio>

#include "app/clock.h"
#include "app/settings.h"
#include "tests/support/gl_test.h"

class FrameTest : public ProgramTest {};

// A white picture that the frame neither clears nor darkens, so only the fade quads dim it.
void keepWhitePicture() {
    settings.clearEachFrame = 0;
    settings.blanking = 1.0f;
    glClearColor(1, 1, 1, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glClearColor(0, 0, 0, 1);
}

TEST_F(FrameTest, ExitAskedForAtHalfASecondFadesFromTwoAndEndsAfterTwoAndAHalf) {
    EXPECT_EXIT(
        {
            frameAt(500);
            exitFadeStart = elapsedSeconds;
            keepWhitePicture();
            frameAt(1999);
            frameAt(2000);
            frameAt(2500);
            std::fprintf(stderr, "alive at 2.5 s\n");
            frameAt(2501);
            std::fprintf(stderr, "still alive after 2.5 s\n");
        },
        ::testing::ExitedWithCode(0), "alive at 2.5 s\n$");
}

TEST_F(FrameTest, ExitFadeAtTwoSecondsHasAlphaThreeQuarters) {
    frameAt(500);
    exitFadeStart = elapsedSeconds;
    keepWhitePicture();
    frameAt(2000);
    Rgba p = pixelAt(500, 500);
    EXPECT_NEAR(p.r, 64, 2);
}
