#include "app/frame.h"

#include <GL/glut.h>

#include <cmath>
#include <cstdlib>

#include "app/clock.h"
#include "app/settings.h"
#include "app/window.h"
#include "text/help_screen.h"
#include "text/text_printer.h"

int framesCounted = 0;
double nextFpsUpdate = 1.0;
int framesPerSecond = 30;
int clearRequest = 0;
double exitFadeStart = 0.0;
int showHelp = 0;
double trailSecondsOwed = 0.0;
long long trailSlot = -1;

namespace {

// Counts frames and publishes the count once per clock second, catching up one second per frame.
void countFrame() {
    framesCounted += 1;
    if (elapsedSeconds >= nextFpsUpdate) {
        nextFpsUpdate += 1.0;
        framesPerSecond = framesCounted;
        framesCounted = 0;
    }
}

// Darkens what the colour buffer holds, by time and not by frames. Each frame darkening by its
// own small share would stop a trail short of black on a fast machine, where an 8-bit channel
// rounds a tiny step away, and one long frame would wipe it; so the darkening waits for the
// clock's next 1/60-second slot and then takes off, compounded, all the time owed since the last.
void darkenTrails() {
    if (settings.clearEachFrame != 0 || !(settings.blanking < 1.0f)) {
        trailSecondsOwed = 0.0;
        return;
    }
    trailSecondsOwed += frameSeconds;
    long long slot = (long long)elapsedMilliseconds * trailReferenceFramesPerSecond / 1000;
    if (slot == trailSlot) return;
    trailSlot = slot;
    double keptPerReferenceFrame =
        1.0 - settings.blanking * trailStrength / trailReferenceFramesPerSecond;
    double kept = std::pow(keptPerReferenceFrame, trailSecondsOwed * trailReferenceFramesPerSecond);
    trailSecondsOwed = 0.0;
    beginScreenOverlay();
    drawFadeQuad((float)(1.0 - kept));
}

// The title "Snapwit" slides from the top-left corner to the bottom-right one in the first seconds.
void drawIntroTitle() {
    if (elapsedSeconds >= introTitleSeconds) return;
    double travelled = elapsedSeconds / introTitlePathSeconds;
    textPrinter.rememberLast = 0;
    textPrinter.printText("Snapwit", (short)(int)(travelled * windowWidth),
                          (short)(int)(travelled * windowHeight), introTitleSize);
    textPrinter.rememberLast = 1;
}

// Fades in from black at start-up; fades out after an exit request and then ends the program.
void drawFades() {
    if (elapsedSeconds < fadeInSeconds) {
        drawFadeQuad((float)(1.0 - elapsedSeconds / fadeInSeconds));
    } else if (exitFadeStart != 0.0) {
        double sinceRequest = elapsedSeconds - exitFadeStart;
        drawFadeQuad((float)(sinceRequest / fadeOutSeconds));
        if (sinceRequest > fadeOutSeconds) {
            deleteTextures();
            std::exit(0);
        }
    }
}

}  // namespace

// Composes the whole frame, in a fixed order, from the current clock and settings.
void drawFrame() {
    askWindowSize();
    advanceClock();
    countFrame();
    darkenTrails();
    // The depth buffer is never cleared: no depth test ever runs, so nothing reads or writes it,
    // and clearing it would cost every frame, the one that shows a flash included, as much as
    // clearing the colours.
    if (settings.clearEachFrame != 0 || clearRequest != 0) glClear(GL_COLOR_BUFFER_BIT);
    clearRequest = 0;

    setupView();
    tickReactionTest();

    beginScreenOverlay();
    if (textPrinter.statusExpiry != 0.0) textPrinter.drawStatus();
    if (settings.showFps != 0) textPrinter.drawFrameRate(framesPerSecond);
    if (showHelp != 0) drawHelpScreen();
    textPrinter.checkGlError();
    drawIntroTitle();
    drawFades();
}

// The reaction test's view: chosen polygon mode, letterbox band, window-sized projection.
void setupView() {
    switch (settings.polygonMode) {
        case 0: glPolygonMode(GL_FRONT_AND_BACK, GL_FILL); break;
        case 1: glPolygonMode(GL_FRONT_AND_BACK, GL_LINE); break;
        case 2: glPolygonMode(GL_FRONT_AND_BACK, GL_POINT); break;
        default: break;
    }
    double barShare = settings.letterbox * letterboxStepShare;
    short bottom = (short)(int)(barShare * windowHeight);
    short top = (short)(int)((1.0 - barShare) * windowHeight);
    glViewport(0, bottom, windowWidth, top - bottom);

    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, windowWidth, 0, windowHeight, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();

    if (settings.fogOn != 0) {
        float start = settings.cameraZ;
        float end = settings.cameraZ + settings.fogRange;
        if (end < start) end = start;
        glFogf(GL_FOG_START, start);
        glFogf(GL_FOG_END, end);
    }
}

// The overlay view: filled polygons, the whole window, one unit per pixel from the bottom left.
void beginScreenOverlay() {
    int width = frameWidth;
    int height = frameHeight;
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glViewport(0, 0, width, height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, width, 0, height, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

// Darkens the whole window by a black quad of the given opacity.
void drawFadeQuad(float alpha) {
    int width = frameWidth;
    int height = frameHeight;
    glEnable(GL_BLEND);
    glDepthMask(GL_FALSE);
    glColor4f(0.0f, 0.0f, 0.0f, alpha);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glPushMatrix();
    glBegin(GL_QUADS);
    glVertex2i(0, 0);
    glVertex2i(width, 0);
    glVertex2i(width, height);
    glVertex2i(0, height);
    glEnd();
    glPopMatrix();
    glDisable(GL_BLEND);
    glDepthMask(GL_TRUE);
}
