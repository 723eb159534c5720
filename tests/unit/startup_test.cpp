// What start-up leaves behind. The test main runs the program's start-up once before these tests,
// and they only look, so that they hold in any order and nothing here runs a frame or a reset.
#include <GL/glut.h>
#include <gtest/gtest.h>

#include <string>

#include "app/clock.h"
#include "app/monitors.h"
#include "app/settings.h"
#include "app/swap_interval.h"
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

TEST(StartUp, WindowIsDoubleBufferedWithDepthFullScreenAtTheTopLeftWithTheMenu) {
    EXPECT_EQ(glutGet(GLUT_WINDOW_DOUBLEBUFFER), 1);
    EXPECT_EQ(glutGet(GLUT_WINDOW_RGBA), 1);
    EXPECT_GT(glutGet(GLUT_WINDOW_DEPTH_SIZE), 0);
    EXPECT_EQ(windowAtStartUp.width, glutGet(GLUT_SCREEN_WIDTH));
    EXPECT_EQ(windowAtStartUp.height, glutGet(GLUT_SCREEN_HEIGHT));
    EXPECT_EQ(windowAtStartUp.x, 0);
    EXPECT_EQ(windowAtStartUp.y, 0);
    EXPECT_EQ(glutGet(GLUT_MENU_NUM_ITEMS), 9);
}

namespace {

void fakeSetter() {}
void otherFakeSetter() {}

// A look-up that finds the setters of every way, or all but glXSwapIntervalEXT.
bool extFound = true;
GlProc fakeLookup(const char* name) {
    std::string wanted = name;
    if (wanted == "glXSwapIntervalEXT") return extFound ? fakeSetter : nullptr;
    if (wanted == "glXSwapIntervalMESA" || wanted == "wglSwapIntervalEXT") return otherFakeSetter;
    return nullptr;
}

}  // namespace

TEST(StartUp, SwapIntervalZeroIsAskedOfTheFirstExtensionThatCanSetIt) {
    struct Row {
        const char* extensions;
        bool wgl;
        bool extFound;
        int way;
    };
    const Row rows[] = {
        {"GLX_ARB_create_context GLX_EXT_swap_control GLX_MESA_swap_control", false, true, 0},
        {"GLX_MESA_swap_control GLX_EXT_swap_control", false, true, 0},
        {"GLX_MESA_swap_control GLX_SGI_swap_control", false, true, 1},
        {"GLX_EXT_swap_control GLX_MESA_swap_control", false, false, 1},
        {"GLX_SGI_swap_control", false, true, -1},
        {"GLX_EXT_swap_control_tear GLX_MESA_swap_controlled XGLX_EXT_swap_control", false, true, -1},
        {"WGL_EXT_swap_control", false, true, -1},
        {"WGL_ARB_extensions_string WGL_EXT_swap_control WGL_EXT_swap_control_tear", true, true, 0},
        {"WGL_EXT_swap_control_tear GLX_EXT_swap_control", true, true, -1},
        {"", false, true, -1},
        {nullptr, true, true, -1},
    };
    for (const Row& row : rows) {
        extFound = row.extFound;
        SCOPED_TRACE(row.extensions ? row.extensions : "(no list)");
        GlProc setter = fakeSetter;
        int way = row.wgl ? findSwapControl(row.extensions, wglSwapControls, fakeLookup, setter)
                          : findSwapControl(row.extensions, glxSwapControls, fakeLookup, setter);
        EXPECT_EQ(way, row.way);
        const SwapControl* ways = row.wgl ? wglSwapControls : glxSwapControls;
        EXPECT_EQ(setter, way < 0 ? nullptr : fakeLookup(ways[way].setter));
    }
}

TEST(StartUp, FullScreenGoesToTheMonitorUnderThePointElseThePrimaryElseTheFirst) {
    // Two 1280 by 720 monitors side by side, the second the primary, then a 1920 by 1080 one.
    const Monitor monitors[] = {{{0, 0, 1280, 720}, false},
                                {{1280, 0, 1280, 720}, true},
                                {{2560, 0, 1920, 1080}, false}};
    struct Row {
        int count;
        bool known;
        int x, y;
        int chosen;
    };
    const Row rows[] = {{3, true, 0, 0, 0},     {3, true, 1279, 719, 0}, {3, true, 1280, 0, 1},
                        {3, true, 4479, 1079, 2}, {3, true, 1000, 720, 1}, {3, true, -1, 5, 1},
                        {3, false, 3000, 500, 1}, {1, true, 1280, 0, 0},   {1, false, 5, 5, 0}};
    for (const Row& row : rows) {
        SCOPED_TRACE(std::to_string(row.x) + "," + std::to_string(row.y));
        EXPECT_EQ(chooseMonitor(monitors, row.count, row.known, row.x, row.y), row.chosen);
    }
}
