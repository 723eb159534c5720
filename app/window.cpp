#include "app/window.h"

#include <GL/glut.h>

#include "app/clock.h"
#include "app/frame.h"
#include "app/settings.h"
#include "app/swap_interval.h"
#include "input/keyboard.h"
#include "input/mouse.h"
#include "input/special_keys.h"
#include "text/text_printer.h"
#include "text/textures.h"

int windowWidth = 0;
int windowHeight = 0;
int frameWidth = 0;
int frameHeight = 0;

namespace {

// Leaving full screen, freeglut without a window manager first restores the size from before full
// screen and only then takes a size asked for; the reshape callback asks again, a bounded number
// of times, until the window has the size wanted.
constexpr int windowSizeRetries = 2;
int wantedWidth = 0;
int wantedHeight = 0;
int windowSizeRetriesLeft = 0;

// OpenGL state that never changes after start-up. Lighting, fog and depth testing stay disabled.
void setFixedGlState() {
    glEnable(GL_COLOR_MATERIAL);
    glColorMaterial(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE);
    glLightModeli(GL_LIGHT_MODEL_LOCAL_VIEWER, 1);
    glMateriali(GL_FRONT_AND_BACK, GL_SHININESS, 50);
    glShadeModel(GL_SMOOTH);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glAlphaFunc(GL_GREATER, 0.0f);
    const float fogColor[4] = {0.0f, 0.0f, 0.0f, 1.0f};
    glFogi(GL_FOG_MODE, GL_LINEAR);
    glFogfv(GL_FOG_COLOR, fogColor);
    glFogf(GL_FOG_START, 0.1f);
    glFogf(GL_FOG_END, 10.0f);
    glFogf(GL_FOG_DENSITY, 0.1f);
    glHint(GL_FOG_HINT, GL_NICEST);
}

}  // namespace

// Everything main does before GLUT's loop: the full-screen window, the callbacks, the menu and
// the graphics.
void startUp(int* argc, char** argv) {
    glutInit(argc, argv);
    glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
    // Without a window manager the default position leaves the full-screen window a pixel off
    // the screen, and the pointer warped below off its place.
    glutInitWindowPosition(0, 0);
    glutInitWindowSize(windowWidth, windowHeight);
    glutCreateWindow("Snapwit");
    turnOffSwapWait();
    glutFullScreen();
    glutKeyboardFunc(onKeyboard);
    glutSpecialFunc(onSpecialKey);
    glutMouseFunc(onMouseButton);
    glutReshapeFunc(onReshape);
    glutDisplayFunc(onDisplay);
    glutIdleFunc(onIdle);
    createMenu();
    initGraphics();
}

// Asks GLUT, once, for the size everything in this frame is drawn to.
void askWindowSize() {
    frameWidth = glutGet(GLUT_WINDOW_WIDTH);
    frameHeight = glutGet(GLUT_WINDOW_HEIGHT);
}

// One-time set-up once the window exists: settings, GL state, textures, greeting, pointer.
void initGraphics() {
    askWindowSize();
    elapsedMilliseconds = readElapsedMilliseconds();
    resetSettings();
    setFixedGlState();
    appendTexture(loadBmpTexture("font.bmp"));
    textPrinter.fontTexture = textureNames[0];
    initTextures();
    textPrinter.showStatus("Press ? key for Help Screen");
    glutWarpPointer(pointerStartX, pointerStartY);
    glutSetCursor(GLUT_CURSOR_NONE);
}

// Draws one frame at the clock's new reading and shows it.
void onDisplay() {
    elapsedMilliseconds = readElapsedMilliseconds();
    drawFrame();
    glutSwapBuffers();
}

// Frames follow each other back to back.
void onIdle() {
    glutPostRedisplay();
}

// Keeps the new size, and asks again for the one wanted if the toolkit gave another.
void onReshape(int width, int height) {
    windowWidth = width;
    windowHeight = height;
    frameWidth = width;
    frameHeight = height;
    glViewport(0, 0, width, height);
    if (windowSizeRetriesLeft > 0) {
        if (width == wantedWidth && height == wantedHeight) {
            windowSizeRetriesLeft = 0;
        } else {
            windowSizeRetriesLeft -= 1;
            glutReshapeWindow(wantedWidth, wantedHeight);
        }
    }
}

// Resizes the window, leaving full screen if need be, and makes sure the size sticks.
void requestWindowSize(int width, int height) {
    wantedWidth = width;
    wantedHeight = height;
    windowSizeRetriesLeft = windowSizeRetries;
    glutReshapeWindow(width, height);
}

// Deletes every texture the program made, in one call.
void deleteTextures() {
    if (textureCount != 0) glDeleteTextures(textureCount, textureNames);
}
