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
long long requestMilliseconds = 0;  // clock reading when the awaited request was made
bool windowCheckDue = false;
int windowRequestRetriesLeft = 0;
// Full screen fills one monitor: at start-up the one under the pointer, later the one the window
// is on. Without a window manager freeglut's full screen would cover the whole X screen, every
// monitor, so the program places and sizes the window itself and freeglut never enters it.
ScreenArea fullScreenArea = {0, 0, 0, 0};
bool pointerPlaced = false;

// Once the compositor's verdict has settled, and the greeting has gone, the program says whether
// the desktop delays what it draws; while the window cannot be seen, the verdict waits.
constexpr float compositorCheckSeconds = 5.0f;
constexpr const char* compositorDelayMessage = "Desktop compositing may add delay to the times";
bool compositorChecked = false;

// True when the window is what the last request wanted.
bool windowIsWanted() {
    bool full = glutGet(GLUT_FULL_SCREEN) != 0;
    if (!fullScreenWanted)
        return !full && windowWidth == wantedWidth && windowHeight == wantedHeight;
    return (full || !windowManagerDoesFullScreen()) && windowWidth == fullScreenArea.width &&
           windowHeight == fullScreenArea.height && glutGet(GLUT_WINDOW_X) == fullScreenArea.x &&
           glutGet(GLUT_WINDOW_Y) == fullScreenArea.y;
}

// Asks for full screen on the chosen monitor: of the window manager, or by placing the window.
void askForFullScreen() {
    if (windowManagerDoesFullScreen()) {
        askFullScreenOn(fullScreenArea);
        // freeglut is there, or on its way: the monitor request above moves it if need be.
        if (!glutGet(GLUT_FULL_SCREEN)) glutFullScreen();
    } else {
        glutPositionWindow(fullScreenArea.x, fullScreenArea.y);
        glutReshapeWindow(fullScreenArea.width, fullScreenArea.height);
    }
}

// Makes the request for the wanted window, if it is not on its way already, and awaits its
// reshape before the next one.
void askForWantedWindow() {
    if (windowIsWanted()) return;
    if (fullScreenWanted)
        askForFullScreen();
    else
        glutReshapeWindow(wantedWidth, wantedHeight);
    waitingForReshape = true;
    requestMilliseconds = elapsedMilliseconds;
}

// Puts the pointer back at its start-up place in the window once the window has settled where it
// was asked to be, since a window manager moves the window after start-up.
void placePointerOnce() {
    if (pointerPlaced) return;
    pointerPlaced = true;
    glutWarpPointer(pointerStartX, pointerStartY);
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
    if (windowRequestRetriesLeft <= 0) {
        placePointerOnce();
        return;
    }
    windowRequestRetriesLeft -= 1;
    askForWantedWindow();
}

// Starts on the way to the wanted window, unless a request is still on its way.
void startWindowRequest() {
    windowRequestRetriesLeft = windowRequestRetries;
    if (!waitingForReshape) askForWantedWindow();
}

// Fills the given monitor; one that could not be read stands for the whole screen, so that no
// window is ever sized 0 by 0.
void requestFullScreenOn(const ScreenArea& monitor) {
    fullScreenWanted = true;
    fullScreenArea = monitor;
    if (monitor.width <= 0 || monitor.height <= 0)
        fullScreenArea = {0, 0, glutGet(GLUT_SCREEN_WIDTH), glutGet(GLUT_SCREEN_HEIGHT)};
    askCompositorBypass(true);
    startWindowRequest();
}

// Once, a few seconds in and in settled full screen: a status message if a compositor still
// stands between the picture and the screen.
void reportCompositorDelay() {
    if (compositorChecked || elapsedSeconds < compositorCheckSeconds) return;
    if (!fullScreenWanted || waitingForReshape || windowRequestRetriesLeft > 0) return;
    if (!windowIsViewable()) return;
    compositorChecked = true;
    if (compositorDelaysPicture()) textPrinter.showStatus(compositorDelayMessage);
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
    noteDisplayName(*argc, argv);
    glutInit(argc, argv);
    glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
    // Opened at its monitor's corner, so that a window manager fills that one, even left of or
    // above the primary monitor, where the corner is negative on Windows. The toolkit's default
    // size keeps it from passing for full screen before it is.
    glutSetOption(GLUT_ALLOW_NEGATIVE_WINDOW_POSITION, 1);
    ScreenArea monitor = monitorUnderPointer();
    glutInitWindowPosition(monitor.x, monitor.y);
    glutInitWindowSize(windowWidth, windowHeight);
    glutCreateWindow("Snapwit");
    turnOffSwapWait();
    requestFullScreenOn(monitor);
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
    glutWarpPointer(pointerStartX, pointerStartY);  // and again once the window has settled
    glutSetCursor(GLUT_CURSOR_NONE);
}

// Draws one frame at the clock's new reading and shows it.
void onDisplay() {
    elapsedMilliseconds = readElapsedMilliseconds();
    settleWindow();
    reportCompositorDelay();
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

// Fills the monitor the window is on, which its centre tells: that of a window moved meanwhile,
// the primary one if its monitor is gone.
void requestFullScreen() {
    requestFullScreenOn(monitorAt(glutGet(GLUT_WINDOW_X) + windowWidth / 2,
                                  glutGet(GLUT_WINDOW_Y) + windowHeight / 2));
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
