// The per-frame tick that turns the button state into clicks, and the reset of every setting.
#include "app/settings.h"

#include <GL/glut.h>
#include <gtest/gtest.h>


#include "app/clock.h"
#include "app/frame.h"
#include "input/keyboard.h"
#include "test/reaction_test.h"
#include "tests/support/gl_test.h"
#include "tests/support/reaction_times.h"
#include "tests/support/screen.h"
#include "text/text_printer.h"
#include "text/textures.h"

namespace {

class TickTest : public ProgramTest {};
class ResetTest : public ProgramTest {};

// Every setting and reset global set to a value no reset gives.
void scrambleEverything() {
    settings.fieldOfView = 33;
    settings.letterbox = 4;
    settings.tessellation = 27;
    settings.universeOn = 0;
    settings.clearEachFrame = 0;
    settings.lightsOn = 1;
    settings.texturesOn = 0;
    settings.polygonMode = 2;
    settings.cameraMode = 1;
    settings.optionIndex = 5;
    settings.imageIndex = 7;
    settings.showFps = 1;
    settings.fogOn = 0;
    settings.rotateSpeed = 2.5f;
    settings.movementSpeed = 0.3f;
    settings.cameraZ = -1.5f;
    settings.objectSize = 4.0f;
    settings.mainSpeed = 10.0f;
    settings.homeEndFactor = 0.2f;
    settings.f1f2Factor = 0.4f;
    settings.f3f4Factor = 0.6f;
    settings.f5f6Factor = 0.8f;
    settings.f7f8Factor = 1.6f;
    settings.fogRange = 0.05f;
    settings.blanking = 0.1f;
    pauseMotion = 1;
    exitFadeStart = 7.0f;
    mouseButtonDown = 1;
    cameraFieldOfView = 33.0f;
    counterLowerB = 9;
    counterUpperB = 9;
    counterN = 9;
    reactionTest.delayBase = 10.0f;
    reactionTest.tries = 5;
    reactionTest.earlyClicks = 3;
    reactionTest.misses = 2;
    reactionTest.lastTime = 9.0f;
    reactionTest.timeSum = 50.0f;
    reactionTest.scrollCount = 4;
    reactionTest.flashStart = 1.0f;
    reactionTest.history[0] = 5.0f;
    reactionTest.exactHistory[0] = 5.0f;
    reactionTest.histogram[3] = 2;
}

}  // namespace

TEST_F(TickTest, PressAndReleaseBetweenTwoFramesScoreNothing) {
    frameAt(500);
    mouseButtonDown = 1;
    mouseButtonDown = 0;
    frameAt(520);
    EXPECT_EQ(scoredClicks(), 0);
    EXPECT_EQ(clickLatch, 0);
}

TEST_F(TickTest, HeldButtonScoresOnceAtTheFirstFrameThatSeesIt) {
    frameAt(500);
    reactionTest.waitDelay = 0.4f;
    for (int ms : {600, 600}) frameAt(ms);  // the flash's frame, then the one that times it
    ASSERT_EQ(reactionTest.flashStart, 0.6);

    mouseButtonDown = 1;
    frameAt(800);
    EXPECT_EQ(reactionTest.tries, 1);
    EXPECT_NEAR(reactionTest.lastTime, 12.0f, 0.001f);
    EXPECT_EQ(clickLatch, 1);
    for (int ms = 820; ms <= 2000; ms += 20) frameAt(ms);
    EXPECT_EQ(reactionTest.tries, 1);
    EXPECT_EQ(reactionTest.earlyClicks, 0);

    // Released and pressed again between frames: the frames never saw the button up.
    mouseButtonDown = 0;
    mouseButtonDown = 1;
    frameAt(2020);
    EXPECT_EQ(scoredClicks(), 1);

    mouseButtonDown = 0;
    frameAt(2040);
    EXPECT_EQ(clickLatch, 0);
    mouseButtonDown = 1;
    frameAt(2060);
    EXPECT_EQ(reactionTest.earlyClicks, 1);
    EXPECT_EQ(reactionTest.flashColorTime, 2.06);
}

TEST_F(TickTest, ResetClearsAHeldPressSoItCountsAsReleased) {
    mouseButtonDown = 1;
    frameAt(500);
    EXPECT_EQ(reactionTest.earlyClicks, 1);
    resetSettings();
    EXPECT_EQ(mouseButtonDown, 0);
    EXPECT_EQ(clickLatch, 1);
    EXPECT_EQ(scoredClicks(), 0);
    frameAt(520);
    EXPECT_EQ(clickLatch, 0);
    EXPECT_EQ(scoredClicks(), 0);
    mouseButtonDown = 1;
    frameAt(540);
    EXPECT_EQ(reactionTest.earlyClicks, 1);

    // A press no frame has seen yet is dropped by a reset.
    mouseButtonDown = 0;
    frameAt(560);
    mouseButtonDown = 1;
    resetSettings();
    frameAt(580);
    EXPECT_EQ(scoredClicks(), 0);
}

TEST_F(TickTest, MainSpeedReachesTheTestInTheNextFrameBeforeThePressIsScored) {
    settings.mainSpeed = 10.0f;
    EXPECT_EQ(reactionTest.delayBase, 3.0f);
    mouseButtonDown = 1;
    frameAt(500);
    EXPECT_EQ(reactionTest.delayBase, 10.0f);
    // The early press starts a new wait in the same frame, already from the new speed.
    EXPECT_EQ(reactionTest.earlyClicks, 1);
    EXPECT_EQ(reactionTest.waitStart, 0.5f);
    EXPECT_GE(reactionTest.waitDelay, 10.0f);
    EXPECT_LT(reactionTest.waitDelay, 20.0f);
}

TEST_F(ResetTest, EverySettingAndGlobalGetsItsStartValue) {
    scrambleEverything();
    elapsedSeconds = 7.5f;
    resetSettings();

    EXPECT_EQ(settings.fieldOfView, 100);
    EXPECT_EQ(settings.letterbox, 0);
    EXPECT_EQ(settings.tessellation, 10);
    EXPECT_EQ(settings.universeOn, 1);
    EXPECT_EQ(settings.clearEachFrame, 1);
    EXPECT_EQ(settings.lightsOn, 0);
    EXPECT_EQ(settings.texturesOn, 1);
    EXPECT_EQ(settings.polygonMode, 0);
    EXPECT_EQ(settings.cameraMode, 0);
    EXPECT_EQ(settings.optionIndex, 0);
    EXPECT_EQ(settings.imageIndex, 0);
    EXPECT_EQ(settings.showFps, 0);
    EXPECT_EQ(settings.fogOn, 1);
    EXPECT_EQ(settings.rotateSpeed, 1.0f);
    EXPECT_EQ(settings.movementSpeed, 1.0f);
    EXPECT_EQ(settings.cameraZ, 0.5f);
    EXPECT_EQ(settings.objectSize, 1.0f);
    EXPECT_EQ(settings.mainSpeed, 3.0f);
    EXPECT_EQ(settings.homeEndFactor, 1.0f);
    EXPECT_EQ(settings.f1f2Factor, 1.0f);
    EXPECT_EQ(settings.f3f4Factor, 1.0f);
    EXPECT_EQ(settings.f5f6Factor, 1.0f);
    EXPECT_EQ(settings.f7f8Factor, 1.0f);
    EXPECT_EQ(settings.fogRange, 2.0f);
    EXPECT_EQ(settings.blanking, 0.75f);

    EXPECT_EQ(pauseMotion, 0);
    EXPECT_EQ(exitFadeStart, 0.0f);
    EXPECT_EQ(mouseButtonDown, 0);
    EXPECT_EQ(cameraFieldOfView, 100.0f);
    EXPECT_EQ(counterLowerB, 2);
    EXPECT_EQ(counterUpperB, 1);
    EXPECT_EQ(counterN, 0);

    // A new round of the test, its first wait from now and from the reset main speed.
    EXPECT_EQ(reactionTest.delayBase, 3.0f);
    expectFreshRound(7.5f);
    EXPECT_GE(reactionTest.waitDelay, 3.0f);
    EXPECT_LT(reactionTest.waitDelay, 6.0f);
}

TEST_F(ResetTest, ReseedsFromTheLatestReadingBeforeDrawingTheNewWait) {
    constexpr unsigned reading = 4321;
    elapsedMilliseconds = (int)reading;
    settings.mainSpeed = 10.0f;
    reactionTest.delayBase = 10.0f;
    resetSettings();
    EXPECT_EQ(reactionTest.waitDelay,
              (float)(firstValueAfterSeed(reading) / 32768.0 * 3.0 + 3.0));
    lcg::srand(reading);
    lcg::rand();
    int second = lcg::rand();
    elapsedMilliseconds = (int)reading;
    resetSettings();
    EXPECT_EQ(lcg::rand(), second);
}

TEST_F(ResetTest, LeavesHelpClearRequestLatchStatusCountersClockAndTexturesAlone) {
    showHelp = 1;
    clearRequest = 1;
    clickLatch = 1;
    fullScreen = 0;
    letterboxStep = -3;
    elapsedSeconds = 12.5f;
    frameSeconds = 0.02f;
    previousFrameSeconds = 12.48;
    textPrinter.setStatusText("Still here");
    framesPerSecond = 57;
    framesCounted = 4;
    nextFpsUpdate = 13.0;
    unsigned int font = textureNames[0];
    unsigned int glow = textureNames[1];

    resetSettings();
    EXPECT_EQ(showHelp, 1);
    EXPECT_EQ(clearRequest, 1);
    EXPECT_EQ(clickLatch, 1);
    EXPECT_EQ(fullScreen, 0);
    EXPECT_EQ(letterboxStep, -3);
    EXPECT_EQ(elapsedSeconds, 12.5f);
    EXPECT_EQ(frameSeconds, 0.02f);
    EXPECT_EQ(previousFrameSeconds, 12.48);
    EXPECT_STREQ(textPrinter.lastText, "Still here");
    EXPECT_EQ(textPrinter.statusExpiry, 12.5 + 3.0);
    EXPECT_EQ(framesPerSecond, 57);
    EXPECT_EQ(framesCounted, 4);
    EXPECT_EQ(nextFpsUpdate, 13.0);
    EXPECT_EQ(textureCount, 2);
    EXPECT_EQ(textureNames[0], font);
    EXPECT_EQ(textureNames[1], glow);
    EXPECT_TRUE(glIsTexture(font));
    EXPECT_TRUE(glIsTexture(glow));
    fullScreen = 1;
    letterboxStep = 0;
}

TEST_F(ResetTest, ClearColourBecomesOpaqueBlack) {
    glClearColor(0.2f, 0.4f, 0.6f, 0.5f);
    resetSettings();
    expectColourState(GL_COLOR_CLEAR_VALUE, 0.0f, 0.0f, 0.0f, 1.0f);

    // The frame after a reset clears to it, whatever the picture held.
    reactionTest.waitDelay = 1.0e4f;  // no flash glow over the picture
    fillWindow(1.0f, 1.0f, 1.0f);
    frameAt(10000);
    EXPECT_TRUE(isBlack(pixelAt(500, 200), 0));
}

TEST_F(ResetTest, ResetDuringTheExitFadeBringsThePictureBackAtOnce) {
    reactionTest.waitDelay = 1.0e4f;  // no flash glow over the picture
    frameAt(3000);
    exitFadeStart = elapsedSeconds;
    settings.clearEachFrame = 0;
    settings.blanking = 1.0f;
    fillWindow(1.0f, 1.0f, 1.0f);
    frameAt(4000);
    EXPECT_NEAR(pixelAt(500, 200).r, 128, 2);

    resetSettings();
    EXPECT_EQ(exitFadeStart, 0.0f);
    settings.clearEachFrame = 0;
    settings.blanking = 1.0f;
    fillWindow(1.0f, 1.0f, 1.0f);
    frameAt(4010);
    EXPECT_EQ(pixelAt(500, 200).r, 255);
}

TEST_F(ResetTest, ResetDuringTheExitFadeKeepsTheProgramRunning) {
    expectFramesRunOn([] {
        frameAt(3000);
        exitFadeStart = elapsedSeconds;
        frameAt(4000);
        resetSettings();
        frameAt(5500);
        frameAt(8000);
    });
}
