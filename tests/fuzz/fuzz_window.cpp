#include "tests/fuzz/fuzz_window.h"

#include <GL/freeglut.h>

#include <cstdio>
#include <cstdlib>

#include "app/frame.h"
#include "app/window.h"

namespace {

// Frames are drawn by the fuzzers themselves; GLUT's own redraws must not touch the program.
void noDisplay() {}

constexpr int settleEvents = 20;

}  // namespace

void openFuzzWindow() {
    if (!std::getenv("DISPLAY")) {
        std::fprintf(stderr, "the fuzzers need an X server: run them under xvfb-run -a\n");
        std::exit(1);
    }
    // GLUT gets a command line of its own, so that it never sees or eats libFuzzer's options.
    int argc = 1;
    char name[] = "snapwit_fuzz";
    char* argv[] = {name, nullptr};
    glutInit(&argc, argv);
    glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
    glutInitWindowPosition(0, 0);
    glutInitWindowSize(fuzzWindowWidth, fuzzWindowHeight);
    glutCreateWindow("Snapwit fuzz");
    glutReshapeFunc(onReshape);
    glutDisplayFunc(noDisplay);
    for (int i = 0; i < settleEvents; i++) glutMainLoopEvent();
    initGraphics();
    beginScreenOverlay();
    while (glGetError() != GL_NO_ERROR) {
    }
}

void require(bool condition, const char* what) {
    if (condition) return;
    std::fprintf(stderr, "fuzz check failed: %s\n", what);
    std::abort();
}

void requireNoGlError(const char* where) {
    GLenum error = glGetError();
    if (error == GL_NO_ERROR) return;
    std::fprintf(stderr, "fuzz check failed: OpenGL error 0x%x after %s\n", error, where);
    std::abort();
}
