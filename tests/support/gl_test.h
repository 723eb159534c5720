// Shared ground for the tests: one real freeglut window under Xvfb, a clock the test sets, and
// pixels read back from the back buffer before any swap.
#pragma once

#include <GL/gl.h>
#include <gtest/gtest.h>

constexpr int testWindowWidth = 1000;
constexpr int testWindowHeight = 800;

struct Rgba {
    int r, g, b, a;
};

// Resizes the test window and waits, bounded, until GLUT and onReshape both report the size.
void resizeWindow(int width, int height);

// Puts every global of the program back to its state right after start-up, with the clock at 0,
// the window at the test size, no status message and a cleared colour buffer.
void resetProgram();

// Sets the millisecond clock and draws one frame through drawFrame (no swap).
void frameAt(int milliseconds);

// Pixels of the back buffer, (0, 0) at the bottom left.
Rgba pixelAt(int x, int y);
bool isBlack(Rgba p, int tolerance = 8);

// Counts pixels in a rectangle whose colour is within tolerance of (r, g, b).
int countColor(int x, int y, int width, int height, int r, int g, int b, int tolerance = 40);
// Counts pixels in a rectangle that are not black.
int countLit(int x, int y, int width, int height, int threshold = 24);

// Clears the colour buffer to black.
void clearToBlack();

// Expects the base GL state every drawing operation must leave behind.
void expectBaseGlState();

// A fixture that resets the program before every test.
class ProgramTest : public ::testing::Test {
protected:
    void SetUp() override { resetProgram(); }
};
