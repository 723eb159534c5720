// What start-up leaves behind. The test main runs initGraphics once before these tests, and they
// only look, so that they hold in any order and nothing here runs a frame or a reset.
#include <GL/glut.h>
#include <gtest/gtest.h>

#include "app/clock.h"
#include "app/settings.h"
#include "app/window.h"
#include "input/keyboard.h"
#include "test/reaction_test.h"
#include "tests/support/gl_test.h"
#include "text/text_printer.h"
#include "text/textures.h"

TEST(StartUp, FontIsTextureZeroAndTheGlowTextureOneBothLive) {
    expectStartUpTextureList();
    EXPECT_TRUE(glIsTexture(textureNames[0]));
    EXPECT_TRUE(glIsTexture(textureNames[1]));
}

TEST(StartUp, GreetingIsTheRememberedStatusMessageUntilThreeSeconds) {
    EXPECT_STREQ(textPrinter.lastText, "Press ? key for Help Screen");
    EXPECT_EQ(textPrinter.statusExpiry, 3.0);
    EXPECT_EQ(textPrinter.lastX, textPrinter.statusX);
    EXPECT_EQ(textPrinter.lastY, textPrinter.statusY);
    EXPECT_EQ(textPrinter.rememberLast, 1);
    EXPECT_EQ(elapsedSeconds, 0.0f);
}

TEST(StartUp, SettingsAreResetAndTheFirstWaitIsSeededFromTheStartUpReading) {
    EXPECT_EQ(settings.fieldOfView, 100);
    EXPECT_EQ(settings.clearEachFrame, 1);
    EXPECT_EQ(settings.mainSpeed, 3.0f);
    EXPECT_EQ(cameraFieldOfView, 100.0f);
    EXPECT_EQ(counterLowerB, 2);
    EXPECT_EQ(reactionTest.delayBase, 3.0f);
    EXPECT_EQ(reactionTest.waitStart, 0.0f);
    EXPECT_EQ(reactionTest.waitDelay,
              (float)(firstValueAfterSeed((unsigned)elapsedMilliseconds) / 32768.0 * 3.0 + 3.0));
}

TEST(StartUp, FixedGlStateIsSetAndLightingFogAndDepthTestStayOff) {
    EXPECT_EQ(integerState(GL_BLEND_SRC), GL_SRC_ALPHA);
    EXPECT_EQ(integerState(GL_BLEND_DST), GL_ONE_MINUS_SRC_ALPHA);
    EXPECT_EQ(integerState(GL_ALPHA_TEST_FUNC), GL_GREATER);
    EXPECT_EQ(floatState(GL_ALPHA_TEST_REF), 0.0f);

    EXPECT_EQ(integerState(GL_FOG_MODE), GL_LINEAR);
    expectColourState(GL_FOG_COLOR, 0.0f, 0.0f, 0.0f, 1.0f);
    EXPECT_EQ(floatState(GL_FOG_START), 0.1f);
    EXPECT_EQ(floatState(GL_FOG_END), 10.0f);
    EXPECT_EQ(floatState(GL_FOG_DENSITY), 0.1f);
    EXPECT_EQ(integerState(GL_FOG_HINT), GL_NICEST);

    EXPECT_EQ(integerState(GL_SHADE_MODEL), GL_SMOOTH);
    EXPECT_TRUE(glIsEnabled(GL_COLOR_MATERIAL));
    EXPECT_EQ(integerState(GL_COLOR_MATERIAL_FACE), GL_FRONT_AND_BACK);
    EXPECT_EQ(integerState(GL_COLOR_MATERIAL_PARAMETER), GL_AMBIENT_AND_DIFFUSE);
    EXPECT_EQ(integerState(GL_LIGHT_MODEL_LOCAL_VIEWER), 1);
    GLint shininess[2] = {-1, -1};
    glGetMaterialiv(GL_FRONT, GL_SHININESS, shininess);
    EXPECT_EQ(shininess[0], 50);
    glGetMaterialiv(GL_BACK, GL_SHININESS, shininess);
    EXPECT_EQ(shininess[0], 50);

    expectColourState(GL_COLOR_CLEAR_VALUE, 0.0f, 0.0f, 0.0f, 1.0f);

    EXPECT_FALSE(glIsEnabled(GL_LIGHTING));
    EXPECT_FALSE(glIsEnabled(GL_FOG));
    EXPECT_FALSE(glIsEnabled(GL_DEPTH_TEST));
    expectBaseGlState();
}

TEST(StartUp, PointerIsHiddenOverTheWindow) {
    EXPECT_EQ(glutGet(GLUT_WINDOW_CURSOR), GLUT_CURSOR_NONE);
}
