// The results of the reaction test: counts, average, last time, histogram and history graph.
#include <GL/gl.h>

#include <cstdio>

#include "test/reaction_test.h"
#include "text/text_printer.h"

namespace {

constexpr float lineSize = 20.0f;
constexpr float timeLineSize = 40.0f;
constexpr float labelSize = 15.0f;
constexpr float graphMiddleValue = 13.0f;  // the value drawn at half the height
constexpr float markerHalf = 6.0f;
constexpr int labelLength = 8;
constexpr float glowHalfShare = 0.7f;  // the glow is 1.4 times the height across

// A textured square of the given half size centred on (x, y). Moved there by the matrix, not
// by its corners: adding the offset to the corners shifts some texels by a colour step.
void drawTexturedSquare(float x, float y, float half) {
    glPushMatrix();
    glTranslatef(x, y, 0.0f);
    glBegin(GL_QUADS);
    glTexCoord2f(0, 0);
    glVertex2f(-half, -half);
    glTexCoord2f(1, 0);
    glVertex2f(half, -half);
    glTexCoord2f(1, 1);
    glVertex2f(half, half);
    glTexCoord2f(0, 1);
    glVertex2f(-half, half);
    glEnd();
    glPopMatrix();
}

// True when every channel of the colour is 0 or 1.
bool isWholeChannels(const float* colour) {
    for (int i = 0; i < 3; i++)
        if (colour[i] != 0.0f && colour[i] != 1.0f) return false;
    return true;
}

// The corners of an axis-aligned quad, inside glBegin(GL_QUADS).
void quadVertices(int left, int bottom, int right, int top) {
    glVertex2i(left, bottom);
    glVertex2i(right, bottom);
    glVertex2i(right, top);
    glVertex2i(left, top);
}

// A whole number from 0 to 29 as a two-character label, between beginText and endText.
void drawLabel(int value, int x, int y) {
    char label[labelLength];
    std::snprintf(label, sizeof label, "%2d", value);
    textPrinter.drawText(label, (short)x, (short)y, labelSize);
}

}  // namespace

// With a colour: starts a feedback flash now. With red < 0: draws the current one, if still showing.
void ReactionTest::flash(float red, float green, float blue, double now) {
    if (red >= 0.0f) {
        flashColor[0] = red;
        flashColor[1] = green;
        flashColor[2] = blue;
        flashColorTime = now;
        return;
    }
    if (!(flashColorTime + feedbackSeconds >= now)) return;
    float half = viewHeight * glowHalfShare;
    // The glow covers most of the window, and the frame that shows the flash is the one whose
    // drawing time lengthens every measured time. For a colour of whole channels (the white, red
    // and green flashes), taking the texel as it is and writing only the lit channels gives the
    // same pixels as multiplying by the colour, and the software renderer draws it faster.
    bool wholeChannels = isWholeChannels(flashColor);
    if (wholeChannels) {
        glTexEnvf(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
        glColorMask(flashColor[0] != 0.0f, flashColor[1] != 0.0f, flashColor[2] != 0.0f, GL_TRUE);
    }
    glColor3fv(flashColor);
    glEnable(GL_ALPHA_TEST);
    glAlphaFunc(GL_GREATER, 0.025f);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, flashTexture);
    drawTexturedSquare(viewWidth * 0.5f, viewHeight * 0.5f, half);
    glDisable(GL_ALPHA_TEST);
    glAlphaFunc(GL_GREATER, 0.0f);
    glDisable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glDisable(GL_TEXTURE_2D);
    if (wholeChannels) {
        glTexEnvf(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
        glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    }
}

// The count lines, the average with its dotted line, and the last time in green.
void ReactionTest::drawResults() {
    const int W = viewWidth;
    const int H = viewHeight;
    char line[statusTextBytes];
    textPrinter.rememberLast = 0;
    short column = (short)(int)(W * 0.75);
    float average = tries > 0 ? timeSum / tries : 0.0f;
    textPrinter.beginText();
    std::snprintf(line, sizeof line, "# Tries : %3d", tries);
    textPrinter.drawText(line, column, 40, lineSize);
    std::snprintf(line, sizeof line, "# Early : %3d", earlyClicks);
    textPrinter.drawText(line, column, 60, lineSize);
    std::snprintf(line, sizeof line, "# Misses: %3d", misses);
    textPrinter.drawText(line, column, 80, lineSize);
    if (tries > 0) {
        std::snprintf(line, sizeof line, "Average: %3.1f (%3.0f ms)", average,
                      average * millisecondsPerSixtieth);
        textPrinter.drawText(line, (short)(column - 80), 120, lineSize);
    }
    textPrinter.endText();
    if (tries > 0 && average < timeCap) drawAverageLine(average);
    textPrinter.setColor(0.0f, 1.0f, 0.0f);
    std::snprintf(line, sizeof line, "Time: %3.1f (%3.0f ms)", lastTime,
                  lastTime * millisecondsPerSixtieth);
    textPrinter.printText(line, (short)(int)(W * 0.3), (short)(int)(H * 0.375), timeLineSize);
    textPrinter.setColor(1.0f, 1.0f, 1.0f);
    drawHistogram();
    drawHistoryGraph();
    textPrinter.rememberLast = 1;
}

// One yellow bar with an olive shadow per whole sixtieth, 0 to 29, along the bottom.
void ReactionTest::drawHistogram() {
    const int W = viewWidth;
    const int H = viewHeight;
    int binStep = (int)(W * 0.8 / 30.0);
    int barWidth = (int)(binStep * 0.5);
    int left = (int)(W * 0.1);
    int base = (int)(H * 0.1);

    textPrinter.color[2] = 0.0f;  // yellow caption
    textPrinter.printText("60th/second", (short)(int)(W * 0.05), (short)(int)(H - H * 0.12),
                          labelSize);
    textPrinter.color[2] = 1.0f;

    // The labels lie wholly below the base line, so drawing them before the bars changes no
    // pixel and lets each kind go in one batch.
    textPrinter.beginText();
    for (int i = 0; i < histogramBins; i++) drawLabel(i, left + i * binStep, H - base + 20);
    textPrinter.endText();
    glBegin(GL_QUADS);
    for (int i = 0; i < histogramBins; i++) {
        int x = left + i * binStep;
        int height = barWidth * histogram[i];
        glColor3f(0.5f, 0.5f, 0.0f);
        quadVertices(x + 3, base, x + barWidth + 3, base + height + 2);
        glColor3f(1.0f, 1.0f, 0.0f);
        quadVertices(x, base, x + barWidth, base + height);
    }
    glEnd();
}

// The shown history, oldest on the left: axis labels, a yellow line and red glow markers.
void ReactionTest::drawHistoryGraph() {
    const int W = viewWidth;
    const int H = viewHeight;
    int labelLeft = (int)(W * 0.1);
    int mid = (int)(H * 0.5);
    float xStep = W * 0.75f / 30.0f;
    float yStep = H * 0.75f / 30.0f;
    textPrinter.beginText();
    for (int i = 0; i < historyLength; i++) {
        drawLabel(i, (int)(labelLeft - W * 0.05),
                  (int)(H - (mid + (i - graphMiddleValue) * yStep - yStep * 0.5)));
    }
    textPrinter.endText();

    int graphLeft = (int)(W * 0.125);
    int shown = shownCount();
    auto pointX = [&](int j) { return graphLeft + j * xStep; };
    auto pointY = [&](int j) { return mid + (history[j] - graphMiddleValue) * yStep; };
    if (tries > 1) {
        glColor3f(1.0f, 1.0f, 0.0f);
        glBegin(GL_LINES);
        for (int j = 0; j + 1 < shown; j++) {
            glVertex2f(pointX(j), pointY(j));
            glVertex2f(pointX(j + 1), pointY(j + 1));
        }
        glEnd();
    }
    if (tries > 0) {
        glEnable(GL_ALPHA_TEST);
        glAlphaFunc(GL_GREATER, 0.05f);
        glEnable(GL_TEXTURE_2D);
        glBindTexture(GL_TEXTURE_2D, flashTexture);
        glColor3f(1.0f, 0.0f, 0.0f);
        for (int j = 0; j < shown; j++) drawTexturedSquare(pointX(j), pointY(j), markerHalf);
        glDisable(GL_ALPHA_TEST);
        glAlphaFunc(GL_GREATER, 0.0f);
        glDisable(GL_TEXTURE_2D);
    }
}

// A dotted green line across the graph at the average's height.
void ReactionTest::drawAverageLine(float average) {
    const int W = viewWidth;
    const int H = viewHeight;
    glEnable(GL_LINE_STIPPLE);
    glLineStipple(1, 0x0001);
    float yStep = H * 0.75f / 30.0f;
    int y = (int)(H * 0.5 + (average - graphMiddleValue) * yStep);
    glColor3f(0.0f, 1.0f, 0.0f);
    glBegin(GL_LINES);
    glVertex2f(W * 0.075f, (float)y);
    glVertex2f(W * 0.83f, (float)y);
    glEnd();
    glDisable(GL_LINE_STIPPLE);
}
