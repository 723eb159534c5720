// Shared ground for the tests: one real freeglut window under Xvfb, a clock the test sets, and
// pixels read back from the back buffer before any swap.
#pragma once

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <functional>

#include "tests/support/base_gl_state.h"

constexpr int testWindowWidth = 1000;
constexpr int testWindowHeight = 800;

// The window as start-up left it, before the tests leave full screen.
struct WindowAtStartUp {
    int width, height, x, y;
};
extern WindowAtStartUp windowAtStartUp;

// Pumps GLUT's events, bounded, until GLUT and onReshape both report the size; false if they
// never do.
bool waitForWindowSize(int width, int height);

// Resizes the test window and waits until the size is reached; a failure if it is not.
void resizeWindow(int width, int height);

// Puts every global of the program back to its state right after start-up, with the clock at 0,
// the window at the test size, no status message and a cleared colour buffer.
void resetProgram();

// Sets the millisecond clock and draws one frame through drawFrame (no swap).
void frameAt(int milliseconds);

// The first value the generator gives after a seed, worked out apart from the program's own.
inline int firstValueAfterSeed(unsigned seed) {
    return (int)(((seed * 214013u + 2531011u) >> 16) & 0x7FFF);
}

// Clears the colour buffer to black.
void clearToBlack();

// One integer or float of GL state, -1 if GL gives none.
GLint integerState(GLenum name);
GLfloat floatState(GLenum name);

// Expects the base GL state every drawing operation must leave behind.
inline void expectBaseGlState() { EXPECT_STREQ(baseGlStateDifference(), nullptr); }

// Expects a four-float state, such as the clear or fog colour, to be exactly (r, g, b, a).
void expectColourState(GLenum name, float r, float g, float b, float a);

// Expects the texture list start-up leaves: the font as entry 0 and the glow as entry 1, two
// different names, each held by its user.
void expectStartUpTextureList();

// In a child process: runs the steps, then draws the frame at `ms`. Expects that frame, and no
// earlier one, to end the process with code 0; `atExit` is what exit handlers print after it.
void expectExitAtFrame(const std::function<void()>& steps, int ms, const char* atExit = "");

// In a child process: runs the steps and expects the process to live through all of them.
void expectFramesRunOn(const std::function<void()>& steps);

// A fixture that resets the program before every test.
class ProgramTest : public ::testing::Test {
protected:
    void SetUp() override { resetProgram(); }
};
