#include "text/text_printer.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <cstdio>

#include "app/clock.h"
#include "app/window.h"

namespace {

// The font sheet: 16 columns by 8 rows of cells, row 0 (codes 32 to 47) at the top.
constexpr float cellWidthShare = 0.0625f;
constexpr float cellHeightShare = 0.125f;
constexpr float topRowBottom = 0.875f;
constexpr float sampleShift = 0.01f;  // each cell is sampled this much right and down
constexpr float glyphWidthShare = 0.5f;
constexpr float advanceShare = 0.45f;
constexpr int frameRateRightOffset = 120;
constexpr int frameRateLineLength = 13;  // "%3d Frame/Sec" with three digits
constexpr double errorLineShare = 0.4;

// One glyph as a slanted textured quad with its bottom-left corner at (x, bottom), inside
// glBegin(GL_QUADS).
void drawGlyph(unsigned char code, short x, short bottom, float width, float size, float slant) {
    unsigned cell = (unsigned char)(code - 32);
    float s0 = (cell % 16) * cellWidthShare + sampleShift;
    float t0 = topRowBottom - (cell / 16) * cellHeightShare - sampleShift;
    glTexCoord2f(s0, t0);
    glVertex2f(x, bottom);
    glTexCoord2f(s0 + cellWidthShare, t0);
    glVertex2f(x + width, bottom);
    glTexCoord2f(s0 + cellWidthShare, t0 + cellHeightShare);
    glVertex2f(x + width + slant, bottom + size);
    glTexCoord2f(s0, t0 + cellHeightShare);
    glVertex2f(x + slant, bottom + size);
}

}  // namespace

// Draws text with its glyphs' bottom edge y pixels below the window's top edge.
void TextPrinter::printText(const char* text, short x, short y, float size) {
    beginText();
    drawText(text, x, y, size);
    endText();
    if (rememberLast) {
        lastX = x;
        lastY = y;
        rememberText(text);
    }
}

// Switches on what glyphs need: colour, font texture, alpha test and blending, no depth writes,
// and filled polygons whatever the scene uses.
void TextPrinter::beginText() {
    glColor4fv(color);
    glEnable(GL_TEXTURE_2D);
    if (useAlphaTest) {
        glEnable(GL_ALPHA_TEST);
        glAlphaFunc(GL_GREATER, alphaCutoff);
    }
    if (useBlend) {
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    }
    glDepthMask(GL_FALSE);
    glBindTexture(GL_TEXTURE_2D, fontTexture);
    glPushAttrib(GL_POLYGON_BIT);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glPushMatrix();
}

// The glyphs of one string, between beginText and endText.
void TextPrinter::drawText(const char* text, short x, short y, float size) {
    short bottom = (short)(frameHeight - y);
    float glyphWidth = size * glyphWidthShare;
    float advance = size * advanceShare;
    short penX = x;
    glBegin(GL_QUADS);
    for (const char* c = text; *c != '\0'; c++) {
        drawGlyph((unsigned char)*c, penX, bottom, glyphWidth, size, slant);
        penX = (short)(int)(penX + advance);
    }
    glEnd();
}

// Puts back everything beginText switched on.
void TextPrinter::endText() {
    glPopMatrix();
    glPopAttrib();
    if (useAlphaTest) {
        glDisable(GL_ALPHA_TEST);
        glAlphaFunc(GL_GREATER, 0.0f);
    }
    if (useBlend) {
        glDisable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    }
    glDisable(GL_TEXTURE_2D);
    glDepthMask(GL_TRUE);
}

// Sets the glyph colour; its alpha stays.
void TextPrinter::setColor(float red, float green, float blue) {
    color[0] = red;
    color[1] = green;
    color[2] = blue;
}

// Shows a fixed text as the status message; a percent sign in it is printed as it is.
void TextPrinter::showStatus(const char* text) {
    printText(text, (short)statusX, (short)statusY, statusTextSize);
    statusExpiry = elapsedSeconds + statusSeconds;
}

// Shows a status line formatted from one whole number.
void TextPrinter::showStatus(const char* format, int count) {
    char line[statusTextBytes];
    std::snprintf(line, sizeof line, format, count);
    showStatus(line);
}

// Shows a status line formatted from one real value.
void TextPrinter::showStatus(const char* format, double value) {
    char line[statusTextBytes];
    std::snprintf(line, sizeof line, format, value);
    showStatus(line);
}

// Replaces the status text and restarts its time; it shows from the next frame on.
void TextPrinter::setStatusText(const char* text) {
    rememberText(text);
    statusExpiry = elapsedSeconds + statusSeconds;
}

// Redraws the status message until its time is up, then ends it.
void TextPrinter::drawStatus() {
    if (elapsedSeconds < statusExpiry) {
        printText(lastText, (short)lastX, (short)lastY, statusTextSize);
    } else {
        statusExpiry = 0.0;
    }
}

// The frame-rate line, 120 pixels left of the right edge; a count of four digits or more moves
// it left, so that it ends where a three-digit count ends and stays whole inside the window.
void TextPrinter::drawFrameRate(int framesPerSecond) {
    char line[statusTextBytes];
    int length = std::snprintf(line, sizeof line, "%3d Frame/Sec", framesPerSecond);
    int extraGlyphs = length > frameRateLineLength ? length - frameRateLineLength : 0;
    int advance = (int)(statusTextSize * advanceShare);
    rememberLast = 0;
    printText(line, (short)(frameWidth - frameRateRightOffset - extraGlyphs * advance),
              (short)statusY, statusTextSize);
    rememberLast = 1;
}

// Takes the oldest pending OpenGL error, if any, and shows the last one taken for the status
// time: one frame alone would be a millisecond on a graphics card, too short to read.
void TextPrinter::checkGlError() {
    rememberLast = 0;
    GLenum error = glGetError();
    if (error != GL_NO_ERROR) {
        const char* known = (const char*)gluErrorString(error);
        char description[errorDescriptionBytes];
        std::snprintf(description, sizeof description, "%s", known ? known : "unknown error");
        std::snprintf(errorLine, sizeof errorLine, "OpenGL Error: %s", description);
        errorLineExpiry = elapsedSeconds + statusSeconds;
    }
    if (elapsedSeconds < errorLineExpiry)
        printText(errorLine, (short)(int)(errorLineShare * frameWidth), (short)statusY,
                  statusTextSize);
    rememberLast = 1;
}

// The printer's start values: status place, white, alpha test and blending on, slant.
void TextPrinter::resetDefaults() {
    statusX = 10;
    statusY = 25;
    rememberLast = 1;
    useAlphaTest = 1;
    useBlend = 1;
    color[0] = color[1] = color[2] = color[3] = 1.0f;
    alphaCutoff = 0.1f;
    slant = 3.0f;
}

// Copies text into lastText, cut to fit; safe when text is lastText itself.
void TextPrinter::rememberText(const char* text) {
    int i = 0;
    for (; i < statusTextBytes - 1 && text[i] != '\0'; i++) lastText[i] = text[i];
    lastText[i] = '\0';
}
