#include "tests/support/gl_test.h"

#include <GL/freeglut.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

#include "app/clock.h"
#include "app/frame.h"
#include "app/settings.h"
#include "app/window.h"
#include "test/reaction_test.h"
#include "text/text_printer.h"
#include "text/textures.h"

WindowAtStartUp windowAtStartUp;

namespace {

void noDisplay() {}

// Starts the program once per test process as main does, then takes the frames away from GLUT,
// since the tests draw them with their own clock, and leaves full screen for the test size.
class GlWindowEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        int argc = 1;
        char name[] = "snapwit_tests";
        char* argv[] = {name, nullptr};
        startUp(&argc, argv);
        glutDisplayFunc(noDisplay);
        glutIdleFunc(nullptr);
        ASSERT_TRUE(waitForWindowSize(glutGet(GLUT_SCREEN_WIDTH), glutGet(GLUT_SCREEN_HEIGHT)))
            << "the window did not go full screen";
        windowAtStartUp = {windowWidth, windowHeight, glutGet(GLUT_WINDOW_X),
                           glutGet(GLUT_WINDOW_Y)};
        // The program's frames would ask again for the size once out of full screen; here the
        // test does.
        requestWindowSize(testWindowWidth, testWindowHeight);
        for (int i = 0; i < 1000 && glutGet(GLUT_FULL_SCREEN); i++) glutMainLoopEvent();
        resizeWindow(testWindowWidth, testWindowHeight);
    }
};

}  // namespace

bool waitForWindowSize(int width, int height) {
    // Waiting on the X server's answer, not on program time; generous for a loaded machine.
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (std::chrono::steady_clock::now() < deadline) {
        glutMainLoopEvent();
        if (glutGet(GLUT_WINDOW_WIDTH) == width && glutGet(GLUT_WINDOW_HEIGHT) == height &&
            windowWidth == width && windowHeight == height) {
            // Mesa's software driver looks at the window's size only at a buffer swap; without
            // one its buffers keep the size of the first frame drawn.
            glutSwapBuffers();
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return false;
}

void resizeWindow(int width, int height) {
    glutReshapeWindow(width, height);
    if (!waitForWindowSize(width, height))
        FAIL() << "window did not reach " << width << "x" << height;
}

void resetProgram() {
    if (glutGet(GLUT_WINDOW_WIDTH) != testWindowWidth ||
        glutGet(GLUT_WINDOW_HEIGHT) != testWindowHeight)
        resizeWindow(testWindowWidth, testWindowHeight);
    elapsedMilliseconds = 0;
    elapsedSeconds = 0.0f;
    previousFrameSeconds = 0.0;
    frameSeconds = 0.0f;
    lcg::srand(1);
    framesCounted = 0;
    nextFpsUpdate = 1.0;
    framesPerSecond = 30;
    trailSecondsOwed = 0.0;
    trailSlot = -1;
    clearRequest = 0;
    showHelp = 0;
    mouseButtonDown = 0;
    clickLatch = 0;
    resetSettings();
    reactionTest.flashColor[0] = reactionTest.flashColor[1] = reactionTest.flashColor[2] = 0.0f;
    reactionTest.flashColorTime = 0.0f;
    textPrinter.resetDefaults();
    textPrinter.statusExpiry = 0.0;
    textPrinter.errorLineExpiry = 0.0;
    // Where the start-up greeting leaves the remembered position.
    textPrinter.lastX = textPrinter.statusX;
    textPrinter.lastY = textPrinter.statusY;
    textPrinter.lastText[0] = '\0';
    while (glGetError() != GL_NO_ERROR) {
    }
    clearToBlack();
}

void frameAt(int milliseconds) {
    elapsedMilliseconds = milliseconds;
    drawFrame();
}

void clearToBlack() {
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

GLint integerState(GLenum name) {
    GLint value = -1;
    glGetIntegerv(name, &value);
    return value;
}

GLfloat floatState(GLenum name) {
    GLfloat value = -1;
    glGetFloatv(name, &value);
    return value;
}

void expectColourState(GLenum name, float r, float g, float b, float a) {
    GLfloat colour[4] = {-1, -1, -1, -1};
    glGetFloatv(name, colour);
    EXPECT_EQ(colour[0], r);
    EXPECT_EQ(colour[1], g);
    EXPECT_EQ(colour[2], b);
    EXPECT_EQ(colour[3], a);
}

void expectStartUpTextureList() {
    EXPECT_EQ(textureCount, 2);
    EXPECT_NE(textureNames[0], 0u);
    EXPECT_NE(textureNames[1], 0u);
    EXPECT_NE(textureNames[0], textureNames[1]);
    EXPECT_EQ(textPrinter.fontTexture, textureNames[0]);
    EXPECT_EQ(reactionTest.flashTexture, textureNames[1]);
}

namespace {

constexpr int ranOnCode = 7;  // a child that lived through its steps ends with this

}  // namespace

void expectExitAtFrame(const std::function<void()>& steps, int ms, const char* atExit) {
    std::string before = "alive before the frame at " + std::to_string(ms) + " ms\n";
    EXPECT_EXIT(
        {
            steps();
            std::fprintf(stderr, "%s", before.c_str());
            frameAt(ms);
            std::fprintf(stderr, "alive after the frame at %d ms\n", ms);
        },
        ::testing::ExitedWithCode(0), before + atExit + "$");
}

void expectFramesRunOn(const std::function<void()>& steps) {
    EXPECT_EXIT(
        {
            steps();
            std::fprintf(stderr, "ran on\n");
            std::exit(ranOnCode);
        },
        ::testing::ExitedWithCode(ranOnCode), "ran on\n$");
}

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    // Death tests fork after glutInit; the threadsafe style re-runs the binary instead.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    ::testing::AddGlobalTestEnvironment(new GlWindowEnvironment);
    return RUN_ALL_TESTS();
}
