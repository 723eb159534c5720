#include "app/window.h"

#include <GL/freeglut.h>

#include "app/clock.h"
#include "app/frame.h"
#include "app/settings.h"
#include "app/platform.h"
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

// What the last request asked for: full screen, or a window of the wanted size. freeglut without
// a window manager carries out a request made before it has finished the one before badly: leaving
// full screen, it first restores the size from before full screen, a step of its own that runs
// one loop later and undoes a full-screen request made meanwhile; and the size asked for on the
// way out is lost. So a request waits for the reshape of the one before, and after a reshape the
// next frame, once freeglut's own steps are done, asks again, a bounded number of times, until the
// window is what the last request wanted. The wait is clock time, longer than a window manager
// takes to answer, so that a request never crosses the answer to the one before, at any frame rate.
constexpr int windowRequestRetries = 3;
constexpr int reshapeWaitMilliseconds = 1000;
bool fullScreenWanted = true;
int wantedWidth = 0;
int wantedHeight = 0;
bool waitingForReshape = false;
int requestMilliseconds = 0;  // clock reading when the awaited request was made
bool windowCheckDue = false;
int windowRequestRetriesLeft = 0;

// True when the window is what the last request wanted.
bool windowIsWanted() {
    bool full = glutGet(GLUT_FULL_SCREEN) != 0;
    if (fullScreenWanted)
        return full && windowWidth == glutGet(GLUT_SCREEN_WIDTH) &&
               windowHeight == glutGet(GLUT_SCREEN_HEIGHT);
    return !full && windowWidth == wantedWidth && windowHeight == wantedHeight;
}

// Makes the request for the wanted window, if it is not on its way already, and awaits its
// reshape before the next one.
void askForWantedWindow() {
    if (windowIsWanted()) return;
    if (fullScreenWanted) {
        if (glutGet(GLUT_FULL_SCREEN)) return;  // freeglut is there, or on its way
        glutFullScreen();
    } else {
        glutReshapeWindow(wantedWidth, wantedHeight);
    }
    waitingForReshape = true;
    requestMilliseconds = elapsedMilliseconds;
}

// Once per frame: after a reshape, asks again for the wanted window if the toolkit gave another.
// A reshape that never comes (a window manager may ignore a request) is waited for a bounded time.
void settleWindow() {
    if (waitingForReshape && elapsedMilliseconds - requestMilliseconds > reshapeWaitMilliseconds) {
        waitingForReshape = false;
        windowCheckDue = true;
    }
    if (!windowCheckDue || waitingForReshape) return;
    windowCheckDue = false;
    // Once there, later sizes are someone else's doing (a window manager, say): leave them be.
    if (windowIsWanted()) windowRequestRetriesLeft = 0;
    if (windowRequestRetriesLeft <= 0) return;
    windowRequestRetriesLeft -= 1;
    askForWantedWindow();
}

// Starts on the way to the wanted window, unless a request is still on its way.
void startWindowRequest() {
    windowRequestRetriesLeft = windowRequestRetries;
    if (!waitingForReshape) askForWantedWindow();
}

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
    enterDataFolder();
    glutInit(argc, argv);
    glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
    // Without a window manager the default position leaves the full-screen window a pixel off
    // the screen, and the pointer warped below off its place.
    glutInitWindowPosition(0, 0);
    glutInitWindowSize(windowWidth, windowHeight);
    glutCreateWindow("Snapwit");
    turnOffSwapWait();
    requestFullScreen();
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
    appendTexture(loadBmpTexture(fontFileName));
    textPrinter.fontTexture = textureNames[0];
    initTextures();
    textPrinter.showStatus("Press ? key for Help Screen");
    glutWarpPointer(pointerStartX, pointerStartY);
    glutSetCursor(GLUT_CURSOR_NONE);
}

// Draws one frame at the clock's new reading and shows it.
void onDisplay() {
    elapsedMilliseconds = readElapsedMilliseconds();
    settleWindow();
    drawFrame();
    glutSwapBuffers();
}

// Frames follow each other back to back.
void onIdle() {
    glutPostRedisplay();
}

// Keeps the new size; the next frame checks it against the window wanted.
void onReshape(int width, int height) {
    windowWidth = width;
    windowHeight = height;
    frameWidth = width;
    frameHeight = height;
    glViewport(0, 0, width, height);
    waitingForReshape = false;
    windowCheckDue = windowRequestRetriesLeft > 0;
}

// Fills the screen.
void requestFullScreen() {
    fullScreenWanted = true;
    askCompositorBypass(true);
    startWindowRequest();
}

// Resizes the window, leaving full screen if need be.
void requestWindowSize(int width, int height) {
    fullScreenWanted = false;
    wantedWidth = width;
    wantedHeight = height;
    askCompositorBypass(false);
    startWindowRequest();
}

// Deletes every texture the program made, in one call.
void deleteTextures() {
    if (textureCount != 0) glDeleteTextures(textureCount, textureNames);
}
