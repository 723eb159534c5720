#include "input/keyboard.h"

#include <GL/glut.h>

#include <cstdlib>

#include "app/clock.h"
#include "app/frame.h"
#include "app/settings.h"
#include "app/window.h"
#include "input/mouse.h"
#include "input/steps.h"
#include "test/reaction_test.h"
#include "text/text_printer.h"

int fullScreen = 1;
int letterboxStep = 0;
int counterLowerB = 2;
int counterUpperB = 1;
int counterN = 0;

namespace {

constexpr int escapeKey = 27;
constexpr float quickExitSeconds = 5.0f;  // a second exit request backdates the fade this far
constexpr float fieldOfViewMin = 1.0f;
constexpr float fieldOfViewMax = 179.0f;
constexpr int tessellationMin = 3;
constexpr int tessellationMax = 40;
constexpr int letterboxMax = 6;
constexpr int polygonModeCount = 3;
constexpr double objectSizeDown = 0.95;
constexpr double objectSizeUp = 1.055555;
constexpr double cameraZStep = 0.05;

// Confirms a switch with the text for its new state.
void showToggle(int flag, const char* on, const char* off) {
    textPrinter.showStatus(flag ? on : off);
}

// Moves the camera distance by a fixed step and confirms it.
void moveCamera(double step) {
    settings.cameraZ = (float)(settings.cameraZ + step);
    textPrinter.showStatus("CameraZ: %4.2f\n", (double)settings.cameraZ);
}

// Steps the field of view by a degree within 1 to 179 and confirms it, in whole degrees.
void changeFieldOfView(float step) {
    float next = cameraFieldOfView + step;
    if (step > 0) cameraFieldOfView = cameraFieldOfView < fieldOfViewMax ? next : fieldOfViewMax;
    else cameraFieldOfView = cameraFieldOfView > fieldOfViewMin ? next : fieldOfViewMin;
    textPrinter.showStatus("FOV: %3.0f Degrees\n", (double)cameraFieldOfView);
    settings.fieldOfView = (int)cameraFieldOfView;
}

// Steps the tessellation by one within 3 to 40; the message shows even at a bound.
void changeTessellation(int step) {
    int bound = step > 0 ? tessellationMax : tessellationMin;
    if (settings.tessellation != bound) settings.tessellation += step;
    textPrinter.showStatus("Tesselation: %d\n", settings.tessellation);
}

// Fill, lines, points, fill; only those three have a name to show.
void stepPolygonMode() {
    settings.polygonMode = settings.polygonMode == 2 ? 0 : settings.polygonMode + 1;
    static const char* const names[] = {"PolyMode 1/3: Polygons", "PolyMode 2/3: Lines",
                                        "PolyMode 3/3: Points"};
    if (settings.polygonMode >= 0 && settings.polygonMode < polygonModeCount)
        textPrinter.showStatus(names[settings.polygonMode]);
}

// Bars grow 0 to 6 and shrink back; a value set elsewhere (a reset, say) is picked up first.
void stepLetterbox() {
    if (std::abs(letterboxStep) != settings.letterbox) letterboxStep = settings.letterbox;
    letterboxStep = letterboxStep == letterboxMax ? 1 - letterboxMax : letterboxStep + 1;
    settings.letterbox = std::abs(letterboxStep);
    textPrinter.showStatus("Letterbox: %d", settings.letterbox);
    clearRequest = 1;
}

// Alternates the camera mode; its only effect is the message and the pointer.
void stepCameraMode() {
    settings.cameraMode = (settings.cameraMode + 1) % 2;
    if (settings.cameraMode == 0) {
        textPrinter.showStatus("Camera 1: Auto");
        if (fullScreen == 0) glutSetCursor(GLUT_CURSOR_LEFT_ARROW);
    } else {
        textPrinter.showStatus("Camera 2: Manual Mouse/Arrow Key Control");
        glutSetCursor(GLUT_CURSOR_NONE);
    }
}

// The first press starts the 2-second fade-out; a second one backdates it for a quick exit.
void requestExit() {
    if (exitFadeStart == 0.0) {
        exitFadeStart = elapsedSeconds;
    } else {
        exitFadeStart = elapsedSeconds - quickExitSeconds;
        // 0 means "no exit": never let the backdated time land on it.
        if (exitFadeStart == 0.0) exitFadeStart = -quickExitSeconds;
    }
    showHelp = 0;
}

// Between full screen with the pointer hidden and a 600 by 600 window.
void toggleFullScreen() {
    fullScreen = toggled(fullScreen);
    if (fullScreen) {
        requestFullScreen();
        glutSetCursor(GLUT_CURSOR_NONE);
        clearRequest = 1;
    } else {
        requestWindowSize(windowedSize, windowedSize);
        if (settings.cameraMode == 0) glutSetCursor(GLUT_CURSOR_LEFT_ARROW);
    }
}

// The first stage: adjustments, switches, cycles and program control.
void handleMainKeys(unsigned char key) {
    switch (key) {
        case '-': stepFactor(settings.rotateSpeed, stepDown, "Rotate Speed: %4.2f\n"); break;
        case '=': stepFactor(settings.rotateSpeed, stepUp, "Rotate Speed: %4.2f\n"); break;
        case '_': stepFactor(settings.movementSpeed, stepDown, "Movement Speed: %4.2f\n"); break;
        case '+': stepFactor(settings.movementSpeed, stepUp, "Movement Speed: %4.2f\n"); break;
        case '[': stepFactor(settings.objectSize, objectSizeDown, "Object Size: %4.2f\n"); break;
        case ']': stepFactor(settings.objectSize, objectSizeUp, "Object Size: %4.2f\n"); break;
        case '{': moveCamera(-cameraZStep); break;
        case '}': moveCamera(cameraZStep); break;
        case ',': changeFieldOfView(1.0f); break;
        case '.': changeFieldOfView(-1.0f); break;
        case '<': changeTessellation(-1); break;
        case '>': changeTessellation(1); break;

        case 'c': case 'C': settings.showFps = toggled(settings.showFps);
                  showToggle(settings.showFps, "Frame/Second Clock On", "Frame/Second Clock Off"); break;
        case 'd': case 'D': settings.fogOn = toggled(settings.fogOn);
                  showToggle(settings.fogOn, "DepthCue Fog On", "DepthCue Fog Off"); break;
        case 'p': case 'P': pauseMotion = toggled(pauseMotion);
                  showToggle(pauseMotion, "Pause Motion", "Continue Motion"); break;
        case 's': case 'S': settings.lightsOn = toggled(settings.lightsOn); break;
        case 't': case 'T': settings.texturesOn = toggled(settings.texturesOn);
                  showToggle(settings.texturesOn, "Textures On", "Textures Off"); break;
        case 'u': case 'U': settings.universeOn = toggled(settings.universeOn);
                  showToggle(settings.universeOn, "Universe On", "Universe Off"); break;
        case ' ': settings.clearEachFrame = toggled(settings.clearEachFrame); break;
        case '/': case '?': showHelp = toggled(showHelp); break;

        case 'w': case 'W': stepPolygonMode(); break;
        case 'l': case 'L': stepLetterbox(); break;
        case 'v': case 'V': stepCameraMode(); break;
        case 'i': case 'I': settings.imageIndex = steppedIndex(settings.imageIndex);
                  showImageLabel(); break;
        case 'o': case 'O': settings.optionIndex = steppedIndex(settings.optionIndex);
                  showOptionLabel(); break;

        case escapeKey: case 'q': case 'Q': requestExit(); break;
        case 'r': case 'R': resetSettings(); clearRequest = 1; break;
        case 'f': case 'F': toggleFullScreen(); break;
        default: break;
    }
}

}  // namespace

// Every key first withdraws a clear that an earlier key asked for and no frame has done yet.
void onKeyboard(unsigned char key, int, int) {
    clearRequest = 0;
    handleMainKeys(key);
    handleExtraKeys(key);
}

// The second stage: digits pick an image, e erases the last time, b, B and n step their counters.
void handleExtraKeys(unsigned char key) {
    if (key >= '0' && key <= '9') {
        settings.imageIndex = key - '0';
        showImageLabel();
        return;
    }
    switch (key) {
        case 'e': case 'E': reactionTest.eraseLastTime(elapsedSeconds); break;
        case 'b': counterLowerB = stepped(counterLowerB, 8);
                  textPrinter.showStatus("b: %d", counterLowerB); break;
        case 'B': counterUpperB = stepped(counterUpperB, 7);
                  textPrinter.showStatus("B: %d", counterUpperB); break;
        case 'n': counterN = stepped(counterN, 8);
                  textPrinter.showStatus("n: %d", counterN); break;
        default: break;
    }
}
