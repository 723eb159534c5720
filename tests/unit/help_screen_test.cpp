// The help screen: where its lines sit, their texts, its indifference to letterbox bars, and
// that it leaves the status message alone.
#include "text/help_screen.h"

#include <GL/glut.h>
#include <gtest/gtest.h>

#include <vector>

#include "app/frame.h"
#include "app/settings.h"
#include "test/reaction_test.h"
#include "tests/support/gl_test.h"
#include "tests/support/screen.h"
#include "text/text_printer.h"

namespace {

constexpr int W = testWindowWidth;
constexpr int H = testWindowHeight;

// The lowest rows of the runs of lit pixels in one column, from the bottom up, with their lengths.
struct LitRun {
    int bottom, length;
};

std::vector<LitRun> litRuns(int column, int windowHeight) {
    Region strip = capture(column, 0, 1, windowHeight);
    std::vector<LitRun> runs;
    for (int row = 0; row < windowHeight; row++) {
        if (!strip.lit(column, row)) continue;
        if (row > 0 && strip.lit(column, row - 1))
            runs.back().length++;
        else
            runs.push_back(LitRun{row, 1});
    }
    return runs;
}

// Distances of the lines' bottom edges below the top edge, after the title's, for a top of 80.
const int lineDepths[] = {102, 118, 134, 150, 170, 186, 202, 218, 234, 250, 266};

// Every line of the page but the two credit lines, with its place, for a top of 80.
struct Line {
    const char* text;
    short x, y;
    float size;
};
const Line knownLines[] = {
    {"Snapwit", 60, 80, 30},
    {"Click when you see the flash, it's OK to skip flashes.", 70, 102, 18},
    {" <PageUp/Down>  Adjust Main Speed: Seconds Delay", 70, 118, 18},
    {"             e  Erase: Remove Last Snapwit Time", 70, 134, 18},
    {"             r  Reset: Start Another Round", 70, 150, 18},
    {"             c  Clock: Toggle Frame-Per-Seconds", 70, 170, 18},
    {"             f  FullScreen/Window Toggle", 70, 186, 18},
    {"    <ESC> or q  EXIT after fade, hit twice for quick exit", 70, 202, 18},
    {"   -------------------------------------------------------- ", 70, 218, 18},
    {"   <?> to return", 70, 266, 18},
};

class HelpScreenTest : public ProgramTest {
protected:
    void SetUp() override {
        ProgramTest::SetUp();
        reactionTest.waitDelay = 1000.0f;  // no flash to light up the window
        beginScreenOverlay();
    }
};

}  // namespace

TEST_F(HelpScreenTest, LinesSitAt80And102To266BelowTheTopAtX60And70InSizes30And18) {
    WhiteFont white;
    drawHelpScreen();
    // With whole quads for glyphs, column 70 is lit only in the title and in the bottom three
    // rows of each line, where the slant has not yet moved the first glyph's left edge past it.
    std::vector<LitRun> runs = litRuns(70, H);
    ASSERT_EQ(runs.size(), 12u);
    for (int i = 0; i < 11; i++) {
        const LitRun& run = runs[10 - i];
        EXPECT_EQ(run.bottom, H - lineDepths[i]) << "line " << i + 1;
        EXPECT_EQ(run.length, 3) << "line " << i + 1;
    }
    EXPECT_EQ(runs[11].bottom, H - 80);  // the title
    EXPECT_EQ(runs[11].length, 30);

    Region page = capture(0, 0, W, H);
    // Nothing left of x 60; left of 70 only the title.
    EXPECT_EQ(litPixels(page, 0, 0, 60, H), 0);
    EXPECT_EQ(litPixels(page, 60, 0, 10, H - 80), 0);
    EXPECT_GT(litPixels(page, 60, H - 80, 10, 30), 0);
    // The title's bottom row: 7 glyphs 15 wide, 13 apart, from x 60.
    int titleRow = 0, first = -1, last = -1;
    for (int px = 0; px < W; px++) {
        if (!page.lit(px, H - 80)) continue;
        if (first < 0) first = px;
        last = px;
        titleRow++;
    }
    EXPECT_EQ(first, 60);
    EXPECT_EQ(last, 60 + 6 * 13 + 15 - 1);
    EXPECT_EQ(titleRow, last - first + 1);
    // The last line's bottom row: 16 glyphs 9 wide, 8 apart, from x 70.
    EXPECT_EQ(litPixels(page, 0, H - 266, W, 1), 15 * 8 + 9);
    EXPECT_EQ(litPixels(page, 70, H - 266, 15 * 8 + 9, 1), 15 * 8 + 9);
    // Past the ends of the lines just below it, the first line is 18 rows tall.
    std::vector<LitRun> column480 = litRuns(480, H);
    ASSERT_FALSE(column480.empty());
    EXPECT_EQ(column480.back().bottom, H - 102);
    EXPECT_EQ(column480.back().length, 18);
    EXPECT_EQ(textPrinter.rememberLast, 1);
}

TEST_F(HelpScreenTest, TopIsATenthOfTheWindowHeightCutToWholePixels) {
    resizeWindow(W, 555);
    beginScreenOverlay();
    clearToBlack();
    WhiteFont white;
    drawHelpScreen();
    std::vector<LitRun> runs = litRuns(70, 555);
    ASSERT_EQ(runs.size(), 12u);
    EXPECT_EQ(runs[11].bottom, 555 - 55);
    EXPECT_EQ(runs[10].bottom, 555 - 55 - 22);
    EXPECT_EQ(runs[0].bottom, 555 - 55 - 186);
}

TEST_F(HelpScreenTest, EveryLineButTheCreditsShowsItsOwnText) {
    drawHelpScreen();
    Region page = capture(0, 0, W, H);
    clearToBlack();
    textPrinter.rememberLast = 0;
    for (const Line& line : knownLines) textPrinter.printText(line.text, line.x, line.y, line.size);
    textPrinter.rememberLast = 1;
    Region expected = capture(0, 0, W, H);
    // The credit lines' bands, window rows 550 to 583, are left out.
    EXPECT_EQ(differingPixels(page, expected, 0, 584, W, H - 584), 0);
    EXPECT_EQ(differingPixels(page, expected, 0, 0, W, 550), 0);
    EXPECT_GT(litPixels(page, 0, 584, W, H - 584), 3000);
    EXPECT_GT(litPixels(page, 0, 0, W, 550), 100);
    // The credit lines hold some text of their own.
    EXPECT_GT(litPixels(page, 70, 552, W - 70, 12), 100);
    EXPECT_GT(litPixels(page, 70, 568, W - 70, 12), 100);
}

TEST_F(HelpScreenTest, TakesThePrintersCurrentColour) {
    textPrinter.setColor(1.0f, 0.0f, 0.0f);
    drawHelpScreen();
    Region page = capture(0, 0, W, H);
    int red = 0, other = 0;
    for (int py = 0; py < H; py++) {
        for (int px = 0; px < W; px++) {
            const unsigned char* p = page.at(px, py);
            if (p[1] != 0 || p[2] != 0)
                other++;
            else if (p[0] > 24)
                red++;
        }
    }
    EXPECT_GT(red, 3000);
    EXPECT_EQ(other, 0);
}

TEST_F(HelpScreenTest, LetterboxBarsDoNotMoveIt) {
    showHelp = 1;
    drawHelpScreen();
    Region alone = capture(0, 0, W, H);

    settings.letterbox = 6;
    frameAt(12000);
    Region barred = capture(0, 0, W, H);
    settings.letterbox = 0;
    frameAt(12000);
    Region unbarred = capture(0, 0, W, H);

    // The page's rectangle above window row 541 holds nothing of the squeezed test beneath it.
    EXPECT_EQ(differingPixels(barred, alone, 55, 541, 545, H - 541), 0);
    // Without bars the test's labels reach up to x 67 and its time line up to row 540.
    EXPECT_EQ(differingPixels(unbarred, alone, 68, 541, 532, H - 541), 0);
    EXPECT_EQ(differingPixels(unbarred, alone, 68, 520, 232, 21), 0);
    EXPECT_EQ(differingPixels(barred, alone, 68, 520, 232, 21), 0);
    EXPECT_GT(litPixels(alone, 55, 520, 545, H - 520), 3000);
    // The bars did move the test: its graph labels left the rows beside the page.
    EXPECT_GT(litPixels(unbarred, 45, 600, 15, 130), 50);
    EXPECT_EQ(litPixels(barred, 45, 600, 15, 130), 0);
}

TEST_F(HelpScreenTest, StatusMessageStaysRememberedAndShownUnderIt) {
    frameAt(10000);
    textPrinter.showStatus("Pause Motion");
    Region status = capture(0, H - 30, 700, 30);
    showHelp = 1;
    frameAt(10500);
    EXPECT_STREQ(textPrinter.lastText, "Pause Motion");
    EXPECT_EQ(textPrinter.lastX, 10);
    EXPECT_EQ(textPrinter.lastY, 25);
    EXPECT_EQ(textPrinter.rememberLast, 1);
    Region now = capture(0, H - 30, 700, 30);
    EXPECT_EQ(differingPixels(now, status, 0, H - 30, 700, 30), 0);
    EXPECT_GT(litPixels(now, 0, H - 30, 700, 30), 100);
    EXPECT_GT(litPixels(capture(60, H - 80, 100, 30)), 200);  // the help title is there too
    frameAt(13000);
    EXPECT_EQ(litPixels(capture(0, H - 30, 700, 30)), 0);
}
