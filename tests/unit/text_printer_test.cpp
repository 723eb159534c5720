// The text printer: glyph quads read back as pixels, the 3-second status message, the frame-rate
// and OpenGL error lines, the state printText leaves behind, and texts that do not fit.
#include "text/text_printer.h"

#include <GL/glu.h>
#include <GL/glut.h>
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "app/clock.h"
#include "app/frame.h"
#include "test/reaction_test.h"
#include "tests/support/gl_test.h"
#include "tests/support/screen.h"

namespace {

constexpr int W = testWindowWidth;
constexpr int H = testWindowHeight;

// The lit columns of one window row: first, last and how many.
struct Span {
    int first, last, count;
};

Span rowSpan(int row) {
    Region line = capture(0, row, W, 1);
    Span span{-1, -1, 0};
    for (int px = 0; px < W; px++) {
        if (!line.lit(px, row)) continue;
        if (span.first < 0) span.first = px;
        span.last = px;
        span.count++;
    }
    return span;
}

// The band of the status message and the error line at the top, left of the test's counts.
Region statusBand() { return capture(0, H - 30, 740, 30); }
// The top right corner, where the frame-rate line goes.
Region frameRateBand() { return capture(740, H - 30, W - 740, 30); }

class TextPrinterTest : public ProgramTest {
protected:
    void SetUp() override {
        ProgramTest::SetUp();
        reactionTest.waitDelay = 1000.0f;  // no flash to light up the window
        beginScreenOverlay();
    }

    // How a text printed at (x, y) looks in the given rectangle, drawn alone on black; the
    // printer's remembered text is left alone.
    Region reference(const char* text, short x, short y, const Region& box) {
        clearToBlack();
        beginScreenOverlay();
        textPrinter.rememberLast = 0;
        textPrinter.printText(text, x, y, statusTextSize);
        textPrinter.rememberLast = 1;
        Region drawn = capture(box.x, box.y, box.width, box.height);
        clearToBlack();
        EXPECT_GT(litPixels(drawn), 0) << text;
        return drawn;
    }

    void expectShown(const Region& expected, const char* when) {
        Region now = capture(expected.x, expected.y, expected.width, expected.height);
        EXPECT_EQ(differingPixels(now, expected), 0) << when;
    }

    void expectDark(const Region& box, const char* when) {
        EXPECT_EQ(litPixels(capture(box.x, box.y, box.width, box.height)), 0) << when;
    }
};

}  // namespace

// --- Glyph geometry ---

TEST_F(TextPrinterTest, GlyphAtSize20IsTenByTwentyWithTopEdgeShiftedThreeRight) {
    WhiteFont white;
    textPrinter.printText("X", 100, 100, 20);
    // Bottom edge 100 below the top: window rows 700 to 719.
    EXPECT_EQ(rowSpan(699).count, 0);
    EXPECT_EQ(rowSpan(720).count, 0);
    for (int row = 700; row < 720; row++) EXPECT_EQ(rowSpan(row).count, 10) << "row " << row;
    Span bottom = rowSpan(700), top = rowSpan(719);
    EXPECT_EQ(bottom.first, 100);
    EXPECT_EQ(bottom.last, 109);
    EXPECT_EQ(top.first, 103);
    EXPECT_EQ(top.last, 112);
    EXPECT_EQ(litPixels(capture(0, 0, W, H)), 200);
}

TEST_F(TextPrinterTest, GlyphsAdvanceNinePixelsAtSize20And27AtSize60InWholePixels) {
    WhiteFont white;
    textPrinter.printText("XXXXX", 100, 100, 20);
    Span five = rowSpan(700);
    EXPECT_EQ(five.first, 100);
    EXPECT_EQ(five.last, 100 + 4 * 9 + 9);
    EXPECT_EQ(five.count, 46);  // glyphs overlap by one pixel: no gaps

    clearToBlack();
    textPrinter.printText("X", 100, 300, 60);
    EXPECT_EQ(rowSpan(500).count, 30);
    EXPECT_EQ(rowSpan(559).first, 103);
    EXPECT_EQ(rowSpan(560).count, 0);
    EXPECT_EQ(rowSpan(499).count, 0);
    clearToBlack();
    textPrinter.printText("XX", 100, 300, 60);
    EXPECT_EQ(rowSpan(500).first, 100);
    EXPECT_EQ(rowSpan(500).last, 100 + 27 + 29);

    // At size 15 the advance of 6.75 is cut to 6 after every glyph.
    clearToBlack();
    textPrinter.printText("XXXXX", 100, 100, 15);
    EXPECT_EQ(rowSpan(700).first, 100);
    EXPECT_EQ(rowSpan(700).last, 100 + 4 * 6 + 7);
}

TEST_F(TextPrinterTest, StatusMessageSitsTenFromTheLeftWithItsBottomEdge25BelowTheTop) {
    WhiteFont white;
    textPrinter.showStatus("XY");
    EXPECT_EQ(rowSpan(H - 26).count, 0);
    EXPECT_EQ(rowSpan(H - 5).count, 0);
    Span bottom = rowSpan(H - 25), top = rowSpan(H - 6);
    EXPECT_EQ(bottom.first, 10);
    EXPECT_EQ(bottom.last, 10 + 9 + 9);
    EXPECT_EQ(top.first, 13);
    EXPECT_EQ(textPrinter.lastX, 10);
    EXPECT_EQ(textPrinter.lastY, 25);
    EXPECT_STREQ(textPrinter.lastText, "XY");
}

TEST_F(TextPrinterTest, GlyphsTakeThePrinterColourAndItsAlphaWithFaintOnesDiscarded) {
    WhiteFont white;
    textPrinter.setColor(0.0f, 1.0f, 0.0f);
    EXPECT_EQ(textPrinter.color[3], 1.0f);
    textPrinter.printText("X", 100, 100, 20);
    Rgba green = pixelAt(105, 710);
    EXPECT_EQ(green.r, 0);
    EXPECT_EQ(green.g, 255);
    EXPECT_EQ(green.b, 0);

    clearToBlack();
    textPrinter.color[3] = 0.5f;
    textPrinter.printText("X", 100, 100, 20);
    EXPECT_NEAR(pixelAt(105, 710).g, 128, 2);

    clearToBlack();
    textPrinter.color[3] = 0.05f;  // below the alpha test's cut-off of 0.1
    textPrinter.printText("X", 100, 100, 20);
    EXPECT_EQ(pixelAt(105, 710).g, 0);
}

// --- The status message over time ---

TEST_F(TextPrinterTest, PauseMotionAtFiveShowsInEveryFrameBelowEightAndIsGoneAtEight) {
    Region expected = reference("Pause Motion", 10, 25, statusBand());
    frameAt(5000);
    textPrinter.showStatus("Pause Motion");
    expectShown(expected, "drawn at once");
    EXPECT_EQ(textPrinter.statusExpiry, 8.0);
    for (int ms = 5020; ms < 8000; ms += 140) {
        frameAt(ms);
        expectShown(expected, "before 8 s");
    }
    frameAt(7999);
    expectShown(expected, "at 7.999 s");
    frameAt(8000);
    expectDark(statusBand(), "at 8 s");
    EXPECT_EQ(textPrinter.statusExpiry, 0.0);
    frameAt(8100);
    expectDark(statusBand(), "after 8 s");
    EXPECT_STREQ(textPrinter.lastText, "Pause Motion");
}

TEST_F(TextPrinterTest, SecondShowStatusReplacesTheFirstAndRestartsItsThreeSeconds) {
    Region second = reference("Second", 10, 25, statusBand());
    frameAt(5000);
    textPrinter.showStatus("First");
    frameAt(6000);
    textPrinter.showStatus("Second");
    EXPECT_EQ(textPrinter.statusExpiry, 9.0);
    for (int ms : {6100, 7000, 8000, 8500, 8999}) {
        frameAt(ms);
        expectShown(second, "while the second message lasts");
    }
    frameAt(9000);
    expectDark(statusBand(), "at 9 s");
    EXPECT_EQ(textPrinter.statusExpiry, 0.0);
}

TEST_F(TextPrinterTest, SetStatusTextDrawsNothingNowThenShowsAtThePreviousPlace) {
    Region box = capture(380, H - 230, 300, 60);
    Region expected = reference("Fog On", 400, 200, box);
    frameAt(5000);
    textPrinter.printText("Elsewhere", 400, 200, 20);
    clearToBlack();
    textPrinter.setStatusText("Fog On");
    EXPECT_EQ(litPixels(capture(0, 0, W, H)), 0);
    EXPECT_STREQ(textPrinter.lastText, "Fog On");
    EXPECT_EQ(textPrinter.lastX, 400);
    EXPECT_EQ(textPrinter.lastY, 200);
    EXPECT_EQ(textPrinter.statusExpiry, 8.0);
    for (int ms : {5010, 6500, 7999}) {
        frameAt(ms);
        expectShown(expected, "while Fog On lasts");
        expectDark(statusBand(), "nothing at the usual status place");
    }
    frameAt(8000);
    expectDark(box, "at 8 s");
}

TEST_F(TextPrinterTest, ShowStatusFormatsAnIntegerOrADoubleAndPrintsALiteralAsItIs) {
    struct Case {
        const char* expected;
        void (*show)();
    } cases[] = {
        {"Tesselation: 12\n", [] { textPrinter.showStatus("Tesselation: %d\n", 12); }},
        {"Rotate Speed: 1.50\n", [] { textPrinter.showStatus("Rotate Speed: %4.2f\n", 1.5); }},
        {"Rotate Speed: 12.35\n", [] { textPrinter.showStatus("Rotate Speed: %4.2f\n", 12.345678); }},
        {"Done 100%d %s", [] { textPrinter.showStatus("Done 100%d %s"); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.expected);
        Region expected = reference(c.expected, 10, 25, statusBand());
        c.show();
        expectShown(expected, "drawn at once");
        EXPECT_STREQ(textPrinter.lastText, c.expected);
        clearToBlack();
    }
}

// --- The frame-rate and error lines ---

TEST_F(TextPrinterTest, FrameRateIsRightAlignedInThreeDigitsFrom120LeftOfTheRightEdge) {
    std::strcpy(textPrinter.lastText, "Kept");
    Region expected = reference(" 60 Frame/Sec", W - 120, 25, frameRateBand());
    textPrinter.drawFrameRate(60);
    expectShown(expected, "60 frames");
    EXPECT_EQ(litPixels(capture(W - 120, H - 30, 9, 30)), 0);  // the leading blank
    EXPECT_GT(litPixels(capture(W - 111, H - 30, 20, 30)), 0);

    // Longer counts end where three digits end, the whole line inside the window.
    struct Case {
        int count;
        const char* text;
        int x;
    };
    for (Case c : {Case{100, "100 Frame/Sec", W - 120}, Case{1000, "1000 Frame/Sec", W - 129},
                   Case{10000, "10000 Frame/Sec", W - 138}}) {
        clearToBlack();
        Region shown = reference(c.text, (short)c.x, 25, frameRateBand());
        textPrinter.drawFrameRate(c.count);
        expectShown(shown, c.text);
        EXPECT_EQ(litPixels(capture(0, H - 30, c.x, 30)), 0) << c.text;
        WhiteFont white;
        clearToBlack();
        textPrinter.drawFrameRate(c.count);
        EXPECT_EQ(rowSpan(H - 25).last, W - 120 + 12 * 9 + 9) << c.text;
    }

    EXPECT_STREQ(textPrinter.lastText, "Kept");
    EXPECT_EQ(textPrinter.rememberLast, 1);
}

TEST_F(TextPrinterTest, GlErrorLineShowsGluDescriptionAtFourTenthsOfWidthForThreeSeconds) {
    EXPECT_STREQ((const char*)gluErrorString(GL_INVALID_ENUM), "invalid enumerant");
    textPrinter.printText("Kept", 300, 300, 20);
    Region expected = reference("OpenGL Error: invalid enumerant", 400, 25, statusBand());
    frameAt(10000);
    expectDark(statusBand(), "no error yet");

    glEnable(0x1234);
    frameAt(10050);
    expectShown(expected, "the frame that took the error");
    EXPECT_EQ(glGetError(), (GLenum)GL_NO_ERROR);
    EXPECT_STREQ(textPrinter.lastText, "Kept");
    EXPECT_EQ(textPrinter.lastX, 300);
    EXPECT_EQ(textPrinter.lastY, 300);
    EXPECT_EQ(textPrinter.rememberLast, 1);

    frameAt(13049);
    expectShown(expected, "just before 3 s have passed");
    frameAt(13050);
    expectDark(statusBand(), "3 s after");
    clearToBlack();
    textPrinter.checkGlError();
    EXPECT_EQ(litPixels(capture(0, 0, W, H)), 0);
}

// --- State and odd input ---

TEST_F(TextPrinterTest, PrintTextLeavesTheBaseStateAndKeepsPolygonModeAndMatrices) {
    WhiteFont white;
    glAlphaFunc(GL_LESS, 0.5f);
    glBlendFunc(GL_ONE, GL_ONE);
    glTranslatef(0.0f, 0.0f, 0.25f);
    glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
    GLfloat modelviewBefore[16], projectionBefore[16], modelviewAfter[16], projectionAfter[16];
    GLint stackBefore = 0, stackAfter = 0, attribBefore = 0, attribAfter = 0;
    glGetFloatv(GL_MODELVIEW_MATRIX, modelviewBefore);
    glGetFloatv(GL_PROJECTION_MATRIX, projectionBefore);
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &stackBefore);
    glGetIntegerv(GL_ATTRIB_STACK_DEPTH, &attribBefore);

    textPrinter.printText("X", 100, 100, 20);

    EXPECT_EQ(litPixels(capture(0, 0, W, H)), 200);  // filled, not outlined
    expectBaseGlState();
    GLint polygonMode[2] = {0, 0};
    glGetIntegerv(GL_POLYGON_MODE, polygonMode);
    EXPECT_EQ(polygonMode[0], GL_LINE);
    EXPECT_EQ(polygonMode[1], GL_LINE);
    glGetFloatv(GL_MODELVIEW_MATRIX, modelviewAfter);
    glGetFloatv(GL_PROJECTION_MATRIX, projectionAfter);
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &stackAfter);
    glGetIntegerv(GL_ATTRIB_STACK_DEPTH, &attribAfter);
    EXPECT_EQ(std::memcmp(modelviewBefore, modelviewAfter, sizeof modelviewAfter), 0);
    EXPECT_EQ(std::memcmp(projectionBefore, projectionAfter, sizeof projectionAfter), 0);
    EXPECT_EQ(stackAfter, stackBefore);
    EXPECT_EQ(attribAfter, attribBefore);
    EXPECT_EQ(glGetError(), (GLenum)GL_NO_ERROR);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
}

TEST_F(TextPrinterTest, EmptyTextDrawsNothingButRecordsItsPlace) {
    std::strcpy(textPrinter.lastText, "old");
    textPrinter.printText("", 300, 400, 20);
    EXPECT_EQ(litPixels(capture(0, 0, W, H)), 0);
    EXPECT_EQ(textPrinter.lastX, 300);
    EXPECT_EQ(textPrinter.lastY, 400);
    EXPECT_STREQ(textPrinter.lastText, "");
}

TEST_F(TextPrinterTest, CodesOutsideTheSheetWrapAroundItAndDrawWithoutFault) {
    Region box = capture(90, H - 130, 60, 50);
    for (const char* blank : {" ", "\xA0", "\n"}) {
        textPrinter.printText(blank, 100, 100, 20);
        EXPECT_EQ(litPixels(capture(0, 0, W, H)), 0) << "code " << (int)(unsigned char)blank[0];
    }
    textPrinter.printText("A", 100, 100, 20);
    Region letter = capture(box.x, box.y, box.width, box.height);
    EXPECT_GT(litPixels(letter), 20);
    clearToBlack();
    textPrinter.printText("\xC1", 100, 100, 20);  // 128 above A; a negative char, too
    Region wrapped = capture(box.x, box.y, box.width, box.height);
    EXPECT_LE(differingPixels(letter, wrapped, 2), 0);

    char everyCode[256];
    for (int i = 1; i < 256; i++) everyCode[i - 1] = (char)i;
    everyCode[255] = '\0';
    textPrinter.rememberLast = 0;
    textPrinter.printText(everyCode, 0, 300, 4);
    textPrinter.rememberLast = 1;
    EXPECT_EQ(glGetError(), (GLenum)GL_NO_ERROR);
}

TEST_F(TextPrinterTest, RememberedTextIsCutToItsFirst79BytesAndDrawnWhole) {
    WhiteFont white;
    GLuint font = textPrinter.fontTexture;
    std::string longText;
    for (int i = 0; i < 200; i++) longText += (char)('A' + i % 26);
    std::string first79 = longText.substr(0, 79);

    textPrinter.printText(longText.c_str(), 0, 100, 20);
    EXPECT_EQ(std::string(textPrinter.lastText), first79);
    EXPECT_EQ(textPrinter.lastText[79], '\0');
    EXPECT_EQ(textPrinter.fontTexture, font);  // the field right after the text
    EXPECT_EQ(rowSpan(700).last, W - 1);       // every byte was drawn, off the window's edge

    std::memset(textPrinter.lastText, 0, sizeof textPrinter.lastText);
    textPrinter.showStatus(longText.c_str());
    EXPECT_EQ(std::string(textPrinter.lastText), first79);
    std::memset(textPrinter.lastText, 0, sizeof textPrinter.lastText);
    textPrinter.setStatusText(longText.c_str());
    EXPECT_EQ(std::string(textPrinter.lastText), first79);
    EXPECT_EQ(textPrinter.fontTexture, font);
}

TEST_F(TextPrinterTest, FormattedStatusLinesLongerThan79CharactersAreCut) {
    WhiteFont white;
    textPrinter.showStatus("Value: %-90d|", 5);
    EXPECT_EQ(std::string(textPrinter.lastText), "Value: 5" + std::string(71, ' '));
    // 79 glyphs from x 10: the last starts at 10 + 78 * 9.
    EXPECT_EQ(rowSpan(H - 25).first, 10);
    EXPECT_EQ(rowSpan(H - 25).last, 10 + 78 * 9 + 9);

    textPrinter.showStatus("%100.2f", 1.5);
    EXPECT_EQ(std::string(textPrinter.lastText), std::string(79, ' '));
    EXPECT_EQ(rowSpan(H - 25).last, 10 + 78 * 9 + 9);
}
