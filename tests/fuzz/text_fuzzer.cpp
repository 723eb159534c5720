// Prints arbitrary byte strings (every byte value, up to 1,000 bytes) through the text printer and
// its status message, with the remembering on and off, and checks what each call must leave
// behind: one glyph per byte from the right font cell, the remembered text and position, the
// expiry time and the base OpenGL state.
#include <GL/freeglut.h>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "app/clock.h"
#include "app/frame.h"
#include "tests/fuzz/fuzz_window.h"
#include "tests/support/base_gl_state.h"
#include "text/text_printer.h"

namespace {

constexpr size_t maxTextBytes = 1000;
constexpr float sizeStep = 0.75f;   // a signed input byte times this: glyph sizes -96 to 95.25
constexpr float statusClock = 100.0f;
constexpr int defaultStatusX = 10;
constexpr int defaultStatusY = 25;

char text[maxTextBytes + 1];

// Glyph geometry is read back through OpenGL feedback, under a projection wide enough that no
// glyph of the longest text is clipped (in the 320 by 240 window its scale, 1/128 across and
// 1/256 up, even keeps every window coordinate exact).
constexpr double feedbackHalfWidth = 20480.0;
constexpr double feedbackHalfHeight = 30720.0;
constexpr int feedbackVertexFloats = 11;  // x, y, z, colour (4), texture coordinate (4)
constexpr int feedbackGlyphFloats = 2 * (2 + 3 * feedbackVertexFloats);  // two triangles
constexpr short geometryX = 10;
constexpr short geometryY = 25;
constexpr float geometrySize = 20.0f;
constexpr float geometryAdvance = 9.0f;
constexpr float geometryWidth = 10.0f;
constexpr float cellShareS = 0.0625f;
constexpr float cellShareT = 0.125f;
constexpr float topRowBottomT = 0.875f;  // t of the bottom edge of the top row of cells
constexpr float cellSampleShift = 0.01f;  // cells are sampled this much right and down
constexpr double positionTolerance = 1e-3;  // window units
constexpr float texCoordTolerance = 1e-5f;
GLfloat feedback[maxTextBytes * feedbackGlyphFloats + feedbackGlyphFloats];
// Mesa (22.3) keeps some 600 bytes for every glyph drawn in feedback mode until the context goes,
// so the geometry check runs on the first input (a saved input thus reproduces on its own) and
// then on every 4th, or every 32nd for texts longer than a status line; checking every input
// grows a one-minute run past 2 GB.
constexpr size_t shortTextBytes = statusTextBytes;
constexpr unsigned shortTextCheckEvery = 4;
constexpr unsigned longTextCheckEvery = 32;
unsigned inputsSeen = 0;

struct Placement {
    short x;
    short y;
    float size;
};

// What the OpenGL state was before a call; the call must give back polygon mode and matrices.
struct GlSnapshot {
    GLint polygonMode[2];
    GLint matrixMode;
    GLint modelviewDepth;
    GLint attribDepth;
    GLfloat modelview[16];
};

GlSnapshot takeGlSnapshot() {
    GlSnapshot s{};
    glGetIntegerv(GL_POLYGON_MODE, s.polygonMode);
    glGetIntegerv(GL_MATRIX_MODE, &s.matrixMode);
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &s.modelviewDepth);
    glGetIntegerv(GL_ATTRIB_STACK_DEPTH, &s.attribDepth);
    glGetFloatv(GL_MODELVIEW_MATRIX, s.modelview);
    return s;
}

// The base state every drawing operation leaves, and the caller's own state as it was.
void requireStateAfterPrinting(const GlSnapshot& before, const char* where) {
    requireNoGlError(where);
    const char* differs = baseGlStateDifference();
    require(differs == nullptr, differs);
    GlSnapshot after = takeGlSnapshot();
    require(after.polygonMode[0] == before.polygonMode[0] &&
                after.polygonMode[1] == before.polygonMode[1],
            "polygon mode not restored");
    require(after.matrixMode == before.matrixMode, "matrix mode changed");
    require(after.modelviewDepth == before.modelviewDepth, "modelview stack unbalanced");
    require(after.attribDepth == before.attribDepth, "attribute stack unbalanced");
    require(std::memcmp(after.modelview, before.modelview, sizeof after.modelview) == 0,
            "modelview matrix changed");
}

// The remembered text is the string cut to 79 bytes, always terminated.
void requireRemembered(const char* string) {
    size_t wanted = std::strlen(string);
    if (wanted > (size_t)statusTextBytes - 1) wanted = statusTextBytes - 1;
    require(std::memchr(textPrinter.lastText, '\0', statusTextBytes) != nullptr,
            "lastText not terminated");
    require(std::strlen(textPrinter.lastText) == wanted &&
                std::memcmp(textPrinter.lastText, string, wanted) == 0,
            "lastText is not the start of the text");
}

struct Remembered {
    int x;
    int y;
    char text[statusTextBytes];
};

Remembered takeRemembered() {
    Remembered r{};
    r.x = textPrinter.lastX;
    r.y = textPrinter.lastY;
    std::memcpy(r.text, textPrinter.lastText, sizeof r.text);
    return r;
}

void requireUnchanged(const Remembered& before, bool position, const char* what) {
    require(std::memcmp(before.text, textPrinter.lastText, sizeof before.text) == 0, what);
    if (position) require(before.x == textPrinter.lastX && before.y == textPrinter.lastY, what);
}

void printAndCheck(const char* string, Placement p) {
    Remembered before = takeRemembered();
    GlSnapshot gl = takeGlSnapshot();
    textPrinter.printText(string, p.x, p.y, p.size);
    requireStateAfterPrinting(gl, "printText");
    if (textPrinter.rememberLast) {
        require(textPrinter.lastX == p.x && textPrinter.lastY == p.y,
                "printText did not remember its position");
        requireRemembered(string);
    } else {
        requireUnchanged(before, true, "printText remembered with rememberLast off");
    }
}

// setStatusText, drawStatus while showing, showStatus, and drawStatus once the time is up.
void statusRound(const char* string) {
    int remember = textPrinter.rememberLast;
    elapsedSeconds = statusClock;
    Remembered before = takeRemembered();
    textPrinter.setStatusText(string);
    requireNoGlError("setStatusText");
    requireRemembered(string);
    require(textPrinter.lastX == before.x && textPrinter.lastY == before.y,
            "setStatusText moved the status message");
    require(textPrinter.statusExpiry == (double)statusClock + statusSeconds,
            "setStatusText expiry is not clock + 3");

    elapsedSeconds = statusClock + 1.0f;
    before = takeRemembered();
    GlSnapshot gl = takeGlSnapshot();
    textPrinter.drawStatus();
    requireStateAfterPrinting(gl, "drawStatus");
    requireUnchanged(before, true, "drawStatus changed the status message");
    require(textPrinter.statusExpiry == (double)statusClock + statusSeconds,
            "drawStatus changed a running expiry");

    before = takeRemembered();
    gl = takeGlSnapshot();
    textPrinter.showStatus(string);
    requireStateAfterPrinting(gl, "showStatus");
    double showExpiry = (double)elapsedSeconds + statusSeconds;
    require(textPrinter.statusExpiry == showExpiry, "showStatus expiry is not clock + 3");
    if (remember) {
        require(textPrinter.lastX == textPrinter.statusX &&
                    textPrinter.lastY == textPrinter.statusY,
                "showStatus did not remember the status position");
        requireRemembered(string);
    } else {
        requireUnchanged(before, true, "showStatus remembered with rememberLast off");
    }

    elapsedSeconds = (float)showExpiry;
    before = takeRemembered();
    gl = takeGlSnapshot();
    textPrinter.drawStatus();
    requireStateAfterPrinting(gl, "drawStatus at expiry");
    require(textPrinter.statusExpiry == 0.0, "drawStatus at expiry did not end the message");
    requireUnchanged(before, true, "drawStatus at expiry changed the status message");
    elapsedSeconds = 0.0f;
}

struct Corner {
    double x, y;  // window coordinates
    float s, t;
};

bool sameCorner(const GLfloat* vertex, const Corner& c) {
    return std::fabs(vertex[0] - c.x) < positionTolerance &&
           std::fabs(vertex[1] - c.y) < positionTolerance &&
           std::fabs(vertex[7] - c.s) < texCoordTolerance &&
           std::fabs(vertex[8] - c.t) < texCoordTolerance;
}

// One glyph's polygons (one quad, or the two triangles a driver may split it into) must have
// exactly the four corners of the byte's cell, slanted, in the glyph's colour.
size_t checkGlyph(const GLfloat* at, const GLfloat* end, const Corner* corners) {
    bool seen[4] = {false, false, false, false};
    int vertices = 0;
    const GLfloat* p = at;
    while (vertices == 0 || vertices == 3) {
        require(p + 2 <= end && p[0] == GL_POLYGON_TOKEN, "glyph missing from the feedback");
        int count = (int)p[1];
        p += 2;
        require(count >= 3 && p + count * feedbackVertexFloats <= end, "glyph polygon cut short");
        for (int v = 0; v < count; v++, p += feedbackVertexFloats) {
            int match = -1;
            for (int k = 0; k < 4; k++)
                if (sameCorner(p, corners[k])) match = k;
            require(match >= 0, "glyph corner off its place or its font cell");
            require(p[3] == textPrinter.color[0] && p[4] == textPrinter.color[1] &&
                        p[5] == textPrinter.color[2] && p[6] == textPrinter.color[3],
                    "glyph not in the printer's colour");
            seen[match] = true;
        }
        vertices += count;
    }
    require(vertices == 4 || vertices == 6, "glyph drawn as something other than a quad");
    require(seen[0] && seen[1] && seen[2] && seen[3], "glyph lacks a corner");
    return (size_t)(p - at);
}

// Every byte up to the terminator is one glyph from the cell of (byte - 32) mod 256, and the pen
// moves on by the truncated advance: drawn at size 20 the glyphs follow every 9 pixels.
void checkGlyphGeometry(const char* string) {
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-feedbackHalfWidth, feedbackHalfWidth, -feedbackHalfHeight, feedbackHalfHeight, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glFeedbackBuffer((GLsizei)(sizeof feedback / sizeof feedback[0]), GL_3D_COLOR_TEXTURE,
                     feedback);
    glRenderMode(GL_FEEDBACK);
    textPrinter.printText(string, geometryX, geometryY, geometrySize);
    GLint used = glRenderMode(GL_RENDER);
    beginScreenOverlay();
    requireNoGlError("printText in feedback mode");
    require(used >= 0, "feedback buffer overflowed");

    double scaleX = viewport[2] / (2 * feedbackHalfWidth);
    double scaleY = viewport[3] / (2 * feedbackHalfHeight);
    float bottom = (float)(short)(glutGet(GLUT_WINDOW_HEIGHT) - geometryY);
    float slant = textPrinter.slant;
    const GLfloat* at = feedback;
    const GLfloat* end = feedback + used;
    float pen = geometryX;
    for (const char* c = string; *c != '\0'; c++, pen += geometryAdvance) {
        unsigned cell = (unsigned char)(*c - 32);
        float s0 = (cell % 16) * cellShareS + cellSampleShift;
        float t0 = topRowBottomT - (cell / 16) * cellShareT - cellSampleShift;
        auto window = [&](float x, float y, float s, float t) {
            return Corner{viewport[0] + (x + feedbackHalfWidth) * scaleX,
                          viewport[1] + (y + feedbackHalfHeight) * scaleY, s, t};
        };
        const Corner corners[4] = {
            window(pen, bottom, s0, t0),
            window(pen + geometryWidth, bottom, s0 + cellShareS, t0),
            window(pen + geometryWidth + slant, bottom + geometrySize, s0 + cellShareS,
                   t0 + cellShareT),
            window(pen + slant, bottom + geometrySize, s0, t0 + cellShareT),
        };
        at += checkGlyph(at, end, corners);
    }
    require(at == end, "more glyphs drawn than the text has bytes");
}

short inputShort(const uint8_t* data, size_t size, size_t at) {
    unsigned low = at < size ? data[at] : 0;
    unsigned high = at + 1 < size ? data[at + 1] : 0;
    return (short)(int16_t)(uint16_t)(low | high << 8);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    openFuzzWindow();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > maxTextBytes) size = maxTextBytes;
    std::memcpy(text, data, size);
    text[size] = '\0';

    // The text itself also gives one placement, so position and size vary with the bytes.
    Placement fromInput = {inputShort(data, size, 0), inputShort(data, size, 2),
                           (float)(int8_t)(size > 4 ? data[4] : 0) * sizeStep};
    const Placement placements[] = {
        {(short)textPrinter.statusX, (short)textPrinter.statusY, statusTextSize},
        fromInput,
        {0, (short)(fuzzWindowHeight / 2), fromInput.size},
        {-32768, 32767, 60.0f},
        {32767, -32768, 0.5f},
    };

    unsigned checkEvery = std::strlen(text) <= shortTextBytes ? shortTextCheckEvery
                                                              : longTextCheckEvery;
    if (inputsSeen++ % checkEvery == 0) checkGlyphGeometry(text);
    for (int remember = 1; remember >= 0; remember--) {
        textPrinter.rememberLast = remember;
        // The printer must fill its glyphs and then give back whatever mode the scene had.
        glPolygonMode(GL_FRONT_AND_BACK, remember ? GL_FILL : GL_LINE);
        for (const Placement& p : placements) printAndCheck(text, p);
        // Bytes after a NUL reach the printer as strings of their own.
        for (size_t at = std::strlen(text) + 1; at < size; at += std::strlen(text + at) + 1)
            printAndCheck(text + at, fromInput);
        statusRound(text);
    }
    textPrinter.rememberLast = 1;
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    require(textPrinter.statusX == defaultStatusX && textPrinter.statusY == defaultStatusY,
            "status position changed");
    return 0;
}
