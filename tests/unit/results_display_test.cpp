// The reaction test's drawing, read back as pixels in the 1000 by 800 test window: counts,
// average and time lines, histogram, history graph, dotted average line and feedback flash.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <vector>

#include "app/clock.h"
#include "app/frame.h"
#include "test/reaction_test.h"
#include "tests/support/gl_test.h"
#include "tests/support/reaction_times.h"
#include "tests/support/screen.h"
#include "text/text_printer.h"

namespace {

ReactionTest& engine = reactionTest;

// Layout of the 1000 by 800 window.
constexpr int barsLeft = 100;
constexpr int binStep = 26;
constexpr int barWidth = 13;
constexpr int baseLine = 80;
constexpr int shadowShift = 3;
constexpr int shadowRise = 2;
constexpr int graphLeft = 125;
constexpr int pointStep = 25;
constexpr int middleY = 400;  // height of the value 13
constexpr int pixelsPerSixtieth = 20;
constexpr int centreX = 500;
constexpr int centreY = 400;

// Left edge of a histogram bin's bar.
int barX(int bin) {
    return barsLeft + bin * binStep;
}

// Height of a value in the history graph and of the dotted line at that value.
int graphY(float value) {
    return (int)(middleY + (value - 13.0f) * pixelsPerSixtieth);
}

// Colour tests for single pixels.
bool isColor(Rgba p, int r, int g, int b, int tolerance = 40) {
    return std::abs(p.r - r) <= tolerance && std::abs(p.g - g) <= tolerance &&
           std::abs(p.b - b) <= tolerance;
}
bool isYellow(Rgba p) { return isColor(p, 255, 255, 0); }
bool isRed(Rgba p) { return p.r > 200 && p.g < 40 && p.b < 40; }

// What printText alone draws for one line in a colour, over black, in the same rectangle.
Region printedAlone(const char* text, short x, short y, float size, float red, float green,
                    float blue, int rx, int ry, int rw, int rh) {
    beginResultsDrawing();
    textPrinter.setColor(red, green, blue);
    textPrinter.rememberLast = 0;
    textPrinter.printText(text, x, y, size);
    textPrinter.rememberLast = 1;
    textPrinter.setColor(1.0f, 1.0f, 1.0f);
    return capture(rx, ry, rw, rh);
}

// Counts the lit pixels whose colour has the hue of (r, g, b), each 0 or 1: the channels that
// are 0 stay dark and the others are equal. Filtered glyph edges keep their hue but not their
// brightness.
int litWithHue(const Region& region, int r, int g, int b) {
    const std::vector<unsigned char>& pixels = region.rgba;
    int count = 0;
    const int wanted[3] = {r, g, b};
    for (size_t i = 0; i < pixels.size(); i += 4) {
        int brightest = 0;
        for (int c = 0; c < 3; c++) brightest = std::max(brightest, (int)pixels[i + c]);
        if (brightest <= 24) continue;
        bool match = true;
        for (int c = 0; c < 3; c++) {
            int expected = wanted[c] ? brightest : 0;
            if (std::abs(pixels[i + c] - expected) > 8) match = false;
        }
        if (match) count++;
    }
    return count;
}

// The printer as every drawing operation must leave it: white, remembering its texts.
void expectPrinterAsFound() {
    EXPECT_EQ(textPrinter.rememberLast, 1);
    for (int i = 0; i < 4; i++) EXPECT_EQ(textPrinter.color[i], 1.0f);
}

}  // namespace

class ResultsDisplayTest : public ProgramTest {
protected:
    void SetUp() override {
        ProgramTest::SetUp();
        beginResultsDrawing();
    }
};

class HistogramTest : public ResultsDisplayTest {};

TEST_F(HistogramTest, BarsAre13WideAnd26ApartFromX100OnTheBaseLineAt80) {
    recordTime(12.25f);
    recordTime(12.75f);
    recordTime(13.5f);
    engine.drawHistogram();

    int x12 = barX(12), x13 = barX(13);
    ASSERT_EQ(x12, 412);
    // Bin 12: two counts, 26 pixels high.
    EXPECT_EQ(countColor(x12, baseLine, barWidth, 2 * barWidth, 255, 255, 0), 13 * 26);
    EXPECT_TRUE(isBlack(pixelAt(x12 - 1, baseLine + 5)));
    EXPECT_TRUE(isYellow(pixelAt(x12 + barWidth - 1, baseLine + 25)));
    EXPECT_FALSE(isYellow(pixelAt(x12 + barWidth, baseLine + 10)));
    EXPECT_FALSE(isYellow(pixelAt(x12 + 5, baseLine + 26)));
    EXPECT_FALSE(isYellow(pixelAt(x12 + 5, baseLine - 1)));
    // Bin 13: one count, 13 pixels high, the next bin 26 pixels on.
    EXPECT_EQ(countColor(x13, baseLine, barWidth, barWidth, 255, 255, 0), 13 * 13);
    EXPECT_FALSE(isYellow(pixelAt(x13 + 5, baseLine + barWidth)));
    EXPECT_TRUE(isBlack(pixelAt(x13 - 1, baseLine + 5)));
    // Nothing between the base line and the bin labels' top edge 5 pixels below it.
    EXPECT_EQ(countLit(0, baseLine - 5, testWindowWidth, 5), 0);
    EXPECT_GT(countLit(x12, baseLine - 20, binStep, 15), 0);
}

TEST_F(HistogramTest, ShadowIsOlive3RightAnd2AboveAndAStripForAnEmptyBin) {
    recordTime(12.25f);
    recordTime(12.75f);
    engine.drawHistogram();

    int x = barX(12);
    int top = baseLine + 2 * barWidth;
    // Right of the bar: a 3-pixel olive band up to 2 pixels above its top.
    const int shadowHeight = 2 * barWidth + shadowRise;
    EXPECT_EQ(countColor(x + barWidth, baseLine, shadowShift, shadowHeight, 128, 128, 0),
              shadowShift * shadowHeight);
    EXPECT_TRUE(isBlack(pixelAt(x + barWidth + shadowShift, baseLine + 5)));
    // Above the bar: 2 olive rows, starting 3 pixels in from its left edge.
    EXPECT_EQ(countColor(x + shadowShift, top, barWidth, shadowRise, 128, 128, 0),
              barWidth * shadowRise);
    EXPECT_TRUE(isBlack(pixelAt(x + shadowShift - 1, top)));
    EXPECT_TRUE(isBlack(pixelAt(x + 5, top + shadowRise)));

    // Every other bin is a 2-pixel strip, 3 to 15 pixels right of its left edge.
    for (int bin = 0; bin < histogramBins; bin++) {
        if (bin == 12) continue;
        int left = barX(bin);
        EXPECT_EQ(countColor(left + shadowShift, baseLine, barWidth, shadowRise, 128, 128, 0),
                  barWidth * shadowRise)
            << "bin " << bin;
        EXPECT_EQ(countLit(left, baseLine, shadowShift, shadowRise), 0) << "bin " << bin;
        EXPECT_EQ(countColor(left, baseLine, binStep, barWidth, 255, 255, 0), 0) << "bin " << bin;
    }
    EXPECT_EQ(countLit(barX(histogramBins), baseLine, 100, shadowRise), 0);
    EXPECT_EQ(countLit(barX(0) - 20, baseLine, 20, shadowRise), 0);
}

TEST_F(HistogramTest, EachCountAdds13PixelsAndSlowTimesGrowNoBar) {
    for (int i = 0; i < 5; i++) recordTime(3.5f);
    score(exactly45);
    score(exactly30);
    engine.drawHistogram();
    int x = barX(3);
    EXPECT_EQ(countColor(x + 6, baseLine, 1, 200, 255, 255, 0), 5 * barWidth);
    // From bin 2 on, clear of the yellow caption above bins 0 and 1.
    EXPECT_EQ(countColor(barX(2), baseLine, barX(histogramBins) - barX(2), 200, 255, 255, 0),
              5 * barWidth * barWidth);
}

TEST_F(HistogramTest, CaptionAndBinLabelsAreTheTextsTheyShow) {
    engine.drawHistogram();
    // "60th/second" in yellow at (50, 704), size 15.
    Region caption = capture(40, 90, 120, 30);
    Region bin12 = capture(barX(12) - 3, 55, 26, 24);
    EXPECT_GT(litPixels(caption), 50);
    EXPECT_EQ(litWithHue(caption, 1, 1, 0), litPixels(caption));
    EXPECT_EQ(caption, printedAlone("60th/second", 50, 704, 15.0f, 1, 1, 0, 40, 90, 120, 30));
    // Bin label "12" with its bottom edge 20 pixels below the base line.
    EXPECT_GT(litPixels(bin12), 20);
    EXPECT_EQ(bin12, printedAlone("12", (short)barX(12), 740, 15.0f, 1, 1, 1, barX(12) - 3, 55,
                                  26, 24));
    EXPECT_NE(bin12, printedAlone("13", (short)barX(12), 740, 15.0f, 1, 1, 1, barX(12) - 3, 55,
                                  26, 24));
}

class HistoryGraphTest : public ResultsDisplayTest {};

TEST_F(HistoryGraphTest, PointsAre25ApartFromX125WithValue13AtY400And20PerSixtieth) {
    recordTime(13.0f);
    recordTime(14.0f);
    recordTime(12.0f);
    recordTime(20.0f);
    engine.drawHistoryGraph();
    EXPECT_TRUE(isRed(pixelAt(graphLeft, middleY)));
    EXPECT_TRUE(isRed(pixelAt(graphLeft + pointStep, middleY + pixelsPerSixtieth)));
    EXPECT_TRUE(isRed(pixelAt(graphLeft + 2 * pointStep, middleY - pixelsPerSixtieth)));
    EXPECT_TRUE(isRed(pixelAt(graphLeft + 3 * pointStep, middleY + 7 * pixelsPerSixtieth)));
    EXPECT_FALSE(isRed(pixelAt(graphLeft + 4 * pointStep, middleY)));
    // A marker is a dot of about 12 pixels across.
    EXPECT_GT(pixelAt(graphLeft + 3, middleY).r, 100);
    EXPECT_TRUE(isBlack(pixelAt(graphLeft - 8, middleY)));
    EXPECT_TRUE(isBlack(pixelAt(graphLeft, middleY + 8)));
    // The yellow line joins the points: halfway between the first two.
    EXPECT_GT(countColor(graphLeft + 10, middleY + 8, 5, 5, 255, 255, 0), 0);
    EXPECT_GT(countColor(graphLeft + 60, graphY(16.0f) - 3, 6, 6, 255, 255, 0), 0);
    EXPECT_EQ(countColor(graphLeft + 3 * pointStep + 8, 130, 700, 640, 255, 255, 0), 0);
}

TEST_F(HistoryGraphTest, OneTimeShowsOneMarkerAndNoLineTwoTimesALine) {
    const int left = 110, bottom = 130, width = 780, height = 640;
    engine.drawHistoryGraph();
    EXPECT_EQ(countColor(left, bottom, width, height, 255, 0, 0, 120), 0);

    recordTime(12.5f);
    beginResultsDrawing();
    engine.drawHistoryGraph();
    int markerPixels = countColor(left, bottom, width, height, 255, 0, 0, 120);
    EXPECT_GT(markerPixels, 40);
    EXPECT_LT(markerPixels, 145);
    EXPECT_EQ(countColor(left, bottom, width, height, 255, 255, 0), 0);
    EXPECT_TRUE(isRed(pixelAt(graphLeft, graphY(12.5f))));

    recordTime(18.5f);
    beginResultsDrawing();
    engine.drawHistoryGraph();
    EXPECT_GT(countColor(left, bottom, width, height, 255, 255, 0), 50);
    EXPECT_NEAR(countColor(left, bottom, width, height, 255, 0, 0, 120), 2 * markerPixels, 10);
}

TEST_F(HistoryGraphTest, SlowTimeMarkerSitsAtTheCapHeight) {
    score(exactly45);
    engine.drawHistoryGraph();
    EXPECT_TRUE(isRed(pixelAt(graphLeft, graphY(30.0f))));
    EXPECT_EQ(graphY(30.0f), 740);
    EXPECT_EQ(countColor(0, 0, testWindowWidth, graphY(30.0f) - 10, 255, 0, 0, 120), 0);
}

TEST_F(HistoryGraphTest, MarkersAreUnblendedRedGlowCutByTheAlphaTest) {
    // Over blue, the cut-away corners of a marker keep the background; unblended, its inside
    // replaces the background entirely.
    fillWindow(0.0f, 0.0f, 1.0f);
    recordTime(13.0f);
    engine.drawHistoryGraph();
    Rgba centre = pixelAt(graphLeft, middleY);
    EXPECT_GT(centre.r, 240);
    EXPECT_LT(centre.b, 8);
    Rgba inner = pixelAt(graphLeft + 3, middleY);
    EXPECT_GT(inner.r, 120);
    EXPECT_LT(inner.r, 220);
    EXPECT_LT(inner.b, 8);
    EXPECT_TRUE(isColor(pixelAt(graphLeft + 5, middleY + 5), 0, 0, 255, 8));
    EXPECT_TRUE(isColor(pixelAt(graphLeft - 6, middleY - 6), 0, 0, 255, 8));
}

TEST_F(HistoryGraphTest, AfterAnEraseOnlyTheShownPartIsDrawn) {
    recordTime(12.5f);
    recordTime(14.5f);
    recordTime(16.5f);
    engine.eraseLastTime(3.0f);
    engine.drawHistoryGraph();
    EXPECT_TRUE(isRed(pixelAt(graphLeft, graphY(12.5f))));
    EXPECT_TRUE(isRed(pixelAt(graphLeft + pointStep, graphY(14.5f))));
    EXPECT_TRUE(isBlack(pixelAt(graphLeft + 2 * pointStep, graphY(16.5f))));
    EXPECT_EQ(countColor(graphLeft + pointStep + 8, 130, 700, 640, 255, 255, 0), 0);
}

TEST_F(HistoryGraphTest, AxisLabelsSitHalfAStepBelowTheirValues) {
    engine.drawHistoryGraph();
    for (int value : {0, 13, 29}) {
        char label[4];
        std::snprintf(label, sizeof label, "%2d", value);
        int bottom = middleY + (value - 13) * pixelsPerSixtieth - pixelsPerSixtieth / 2;
        Region drawn = capture(45, bottom - 2, 30, 19);
        EXPECT_GT(litPixels(drawn), 10) << label;
        EXPECT_EQ(drawn, printedAlone(label, 50, (short)(testWindowHeight - bottom), 15.0f, 1, 1, 1,
                                      45, bottom - 2, 30, 19))
            << label;
        beginResultsDrawing();
        engine.drawHistoryGraph();
    }
}

class AverageLineTest : public ResultsDisplayTest {};

// The pixel row in which this GL puts a plain line at height y.
int rowOfPlainLine(int y) {
    clearToBlack();
    glColor3f(1.0f, 1.0f, 1.0f);
    glBegin(GL_LINES);
    glVertex2f(0.0f, (float)y);
    glVertex2f((float)testWindowWidth, (float)y);
    glEnd();
    int row = -1;
    for (int r = y - 2; r <= y + 2; r++)
        if (countLit(0, r, testWindowWidth, 1) > testWindowWidth / 2) row = r;
    clearToBlack();
    return row;
}

TEST_F(AverageLineTest, DottedGreenLineHasOnePixelIn16AtTheAverageHeight) {
    ASSERT_EQ(graphY(12.0f), 380);
    int row = rowOfPlainLine(380);
    ASSERT_GE(row, 379);
    ASSERT_LE(row, 380);
    engine.drawAverageLine(12.0f);
    EXPECT_GT(countColor(0, row, testWindowWidth, 1, 0, 255, 0), 40);
    int greenRows = 0, dots = 0, first = -1, last = -1;
    bool evenlySpaced = true;
    for (int y = row - 3; y <= row + 3; y++) {
        Region line = capture(0, y, testWindowWidth, 1);
        int inRow = 0;
        for (int x = 0; x < testWindowWidth; x++) {
            const unsigned char* p = line.at(x, y);
            if (p[0] > 40 || p[2] > 40 || p[1] < 200) continue;
            if (last >= 0 && x - last != 16) evenlySpaced = false;
            if (first < 0) first = x;
            last = x;
            inRow++;
        }
        if (inRow > 0) greenRows++;
        dots += inRow;
    }
    EXPECT_EQ(greenRows, 1);
    EXPECT_TRUE(evenlySpaced);
    EXPECT_GE(first, 75);
    EXPECT_LT(first, 75 + 16);
    EXPECT_LT(last, 830);
    EXPECT_GE(last, 830 - 16);
    EXPECT_NEAR(dots, (830 - 75) / 16, 1);
    EXPECT_EQ(countLit(0, 0, testWindowWidth, row - 3), 0);
}

TEST_F(AverageLineTest, DrawnAtTheAverageBelowThirtyOnlyInTheResults) {
    score(exactly30);
    recordTime(29.98f);  // average 29.99: the line just below the cap
    engine.drawResults();
    int band = graphY(29.99f) - 5;
    EXPECT_NEAR(countColor(0, band, testWindowWidth, 11, 0, 255, 0), 47, 2);

    engine.eraseLastTime(2.0f);  // average 30.0: no line
    beginResultsDrawing();
    engine.drawResults();
    EXPECT_EQ(countColor(0, band, testWindowWidth, 11, 0, 255, 0), 0);

    score(exactly12);  // average 21.0
    beginResultsDrawing();
    engine.drawResults();
    EXPECT_NEAR(countColor(0, graphY(21.0f) - 3, testWindowWidth, 7, 0, 255, 0), 47, 2);
}

class ResultsTextTest : public ResultsDisplayTest {};

namespace {

// The rectangle of the size-40 time line at (300, 300) and of the count and average lines.
constexpr int timeLineX = 290, timeLineY = 490, timeLineW = 400, timeLineH = 60;
constexpr int countsX = 740, countsY = 715, countsW = 260, countsH = 70;
constexpr int averageX = 660, averageY = 675, averageW = 340, averageH = 30;

// The three count lines as printText alone draws them.
Region countLinesAlone(const char* tries, const char* early, const char* misses) {
    beginResultsDrawing();
    textPrinter.rememberLast = 0;
    textPrinter.printText(tries, 750, 40, 20.0f);
    textPrinter.printText(early, 750, 60, 20.0f);
    textPrinter.printText(misses, 750, 80, 20.0f);
    textPrinter.rememberLast = 1;
    return capture(countsX, countsY, countsW, countsH);
}

}  // namespace

TEST_F(ResultsTextTest, TimeLineIsGreenAtSize40And300_300) {
    score(exactly12);
    engine.drawResults();
    Region drawn = capture(timeLineX, timeLineY, timeLineW, timeLineH);
    EXPECT_GT(litPixels(drawn), 1000);
    EXPECT_EQ(litWithHue(drawn, 0, 1, 0), litPixels(drawn));
    EXPECT_EQ(drawn, printedAlone("Time: 12.0 (200 ms)", 300, 300, 40.0f, 0, 1, 0, timeLineX,
                                  timeLineY, timeLineW, timeLineH));
    EXPECT_NE(drawn, printedAlone("Time: 12.1 (202 ms)", 300, 300, 40.0f, 0, 1, 0, timeLineX,
                                  timeLineY, timeLineW, timeLineH));
}

TEST_F(ResultsTextTest, CountLinesAt750AndAverageAt670AreWhite) {
    score(exactly12);
    engine.click(2.0f);  // early
    engine.click(2.5f);  // early
    engine.misses = 1;
    engine.drawResults();
    Region counts = capture(countsX, countsY, countsW, countsH);
    Region average = capture(averageX, averageY, averageW, averageH);
    EXPECT_GT(litPixels(counts), 300);
    EXPECT_GT(litPixels(average), 200);
    EXPECT_EQ(litWithHue(counts, 1, 1, 1), litPixels(counts));
    EXPECT_EQ(litWithHue(average, 1, 1, 1), litPixels(average));

    EXPECT_EQ(counts, countLinesAlone("# Tries :   1", "# Early :   2", "# Misses:   1"));
    EXPECT_NE(counts, countLinesAlone("# Tries :   1", "# Early :   1", "# Misses:   1"));
    EXPECT_EQ(average, printedAlone("Average: 12.0 (200 ms)", 670, 120, 20.0f, 1, 1, 1, averageX,
                                    averageY, averageW, averageH));
    // Glyph bottom edges 40, 60 and 80 pixels below the top: nothing lower than 80.
    EXPECT_EQ(countLit(countsX, countsY, countsW, 720 - countsY), 0);
}

TEST_F(ResultsTextTest, BeforeTheFirstTimeZerosAndNoAverage) {
    engine.click(2.0f);  // early clicks may already count
    engine.drawResults();
    Region time = capture(timeLineX, timeLineY, timeLineW, timeLineH);
    Region counts = capture(countsX, countsY, countsW, countsH);
    EXPECT_EQ(countLit(averageX, averageY, averageW, averageH), 0);
    EXPECT_EQ(countColor(100, 130, 800, 350, 0, 255, 0), 0);  // no dotted line
    EXPECT_EQ(countColor(110, 130, 780, 640, 255, 0, 0, 120), 0);  // no markers
    EXPECT_EQ(countColor(110, 130, 780, 640, 255, 255, 0), 0);     // no graph line
    EXPECT_EQ(time, printedAlone("Time: 0.0 (  0 ms)", 300, 300, 40.0f, 0, 1, 0, timeLineX,
                                 timeLineY, timeLineW, timeLineH));
    EXPECT_EQ(counts, countLinesAlone("# Tries :   0", "# Early :   1", "# Misses:   0"));
}

TEST_F(ResultsTextTest, SlowTimeShowsItsTrueValueInTimeAndAverage) {
    score(exactly45);
    engine.drawResults();
    Region time = capture(timeLineX, timeLineY, timeLineW, timeLineH);
    Region average = capture(averageX, averageY, averageW, averageH);
    EXPECT_EQ(time, printedAlone("Time: 45.0 (750 ms)", 300, 300, 40.0f, 0, 1, 0, timeLineX,
                                 timeLineY, timeLineW, timeLineH));
    EXPECT_EQ(average, printedAlone("Average: 45.0 (750 ms)", 670, 120, 20.0f, 1, 1, 1, averageX,
                                    averageY, averageW, averageH));
}

TEST_F(ResultsTextTest, NoLineBecomesTheStatusMessage) {
    std::strcpy(textPrinter.lastText, "kept");
    textPrinter.lastX = 10;
    textPrinter.lastY = 25;
    score(exactly12);
    engine.drawResults();
    EXPECT_STREQ(textPrinter.lastText, "kept");
    EXPECT_EQ(textPrinter.lastX, 10);
    EXPECT_EQ(textPrinter.lastY, 25);
}

class FeedbackFlashTest : public ResultsDisplayTest {};

TEST_F(FeedbackFlashTest, GlowIsAWhiteRadialSpotCentredAndAddedToThePicture) {
    engine.flash(1.0f, 1.0f, 1.0f, 5.0f);
    engine.flash(-1.0f, 0.0f, 0.0f, 5.0f);
    Rgba centre = pixelAt(centreX, centreY);
    EXPECT_GT(centre.r, 250);
    EXPECT_GT(centre.g, 250);
    EXPECT_GT(centre.b, 250);
    // Half the glow's radius of 0.7 times the height: alpha times colour, (1 - 0.25) squared.
    const int half = 280;
    for (Rgba p : {pixelAt(centreX + half, centreY), pixelAt(centreX - half, centreY),
                   pixelAt(centreX, centreY + half), pixelAt(centreX, centreY - half)}) {
        EXPECT_NEAR(p.r, 143, 6);
        EXPECT_EQ(p.r, p.b);
    }
    // Near the rim almost nothing; past the rim and in the corners nothing.
    EXPECT_NEAR(pixelAt(999, centreY).r, 10, 4);
    EXPECT_TRUE(isBlack(pixelAt(centreX + 392, centreY + 392), 0));
    EXPECT_TRUE(isBlack(pixelAt(0, 0), 0));
    EXPECT_TRUE(isBlack(pixelAt(999, 799), 0));

    // Added to what is beneath: over grey the centre saturates and the half-way ring brightens.
    fillWindow(0.4f, 0.4f, 0.4f);
    engine.flash(-1.0f, 0.0f, 0.0f, 5.0f);
    EXPECT_EQ(pixelAt(centreX, centreY).r, 255);
    EXPECT_NEAR(pixelAt(centreX + half, centreY).r, 102 + 143, 6);
    EXPECT_NEAR(pixelAt(999, 799).r, 102, 1);
}

TEST_F(FeedbackFlashTest, QuickClickGlowsGreenAndEarlyClickRed) {
    engine.waitStart = 10.0f;
    engine.waitDelay = 0.5f;
    engine.update(11.0f);
    engine.click(11.1f);
    ASSERT_LE(engine.lastTime, quickTime);
    beginResultsDrawing();
    engine.flash(-1.0f, 0.0f, 0.0f, 11.15f);
    Rgba green = pixelAt(centreX, centreY);
    EXPECT_TRUE(isColor(green, 0, 255, 0, 5));
    EXPECT_NEAR(pixelAt(centreX + 280, centreY).g, 143, 6);
    EXPECT_EQ(pixelAt(centreX + 280, centreY).r, 0);

    engine.click(11.5f);  // early
    beginResultsDrawing();
    engine.flash(-1.0f, 0.0f, 0.0f, 11.55f);
    EXPECT_TRUE(isColor(pixelAt(centreX, centreY), 255, 0, 0, 5));
}

class DrawingStateTest : public ResultsDisplayTest {};

TEST_F(DrawingStateTest, EveryDrawingOperationLeavesTheBaseState) {
    recordTime(12.5f);
    recordTime(14.5f);
    engine.click(2.0f);  // early: a red flash is showing at 2.0
    expectBaseGlState();

    engine.flash(-1.0f, 0.0f, 0.0f, 2.05f);
    ASSERT_GT(pixelAt(centreX, centreY).r, 200);  // it drew
    expectBaseGlState();
    expectPrinterAsFound();

    engine.drawResults();
    expectBaseGlState();
    expectPrinterAsFound();
    engine.drawHistogram();
    expectBaseGlState();
    expectPrinterAsFound();
    engine.drawHistoryGraph();
    expectBaseGlState();
    expectPrinterAsFound();
    engine.drawAverageLine(13.5f);
    expectBaseGlState();
    expectPrinterAsFound();
    engine.update(2.06f);
    expectBaseGlState();
    expectPrinterAsFound();
    EXPECT_EQ(glGetError(), (GLenum)GL_NO_ERROR);
}

TEST_F(DrawingStateTest, AFrameAtTenSecondsShowsTheResults) {
    score(exactly12);
    engine.waitStart = 10.0f;
    engine.waitDelay = 5.0f;
    frameAt(10000);
    EXPECT_EQ(engine.viewWidth, testWindowWidth);
    EXPECT_EQ(engine.viewHeight, testWindowHeight);
    EXPECT_EQ(countColor(barX(12), baseLine, barWidth, barWidth, 255, 255, 0), 13 * 13);
    EXPECT_TRUE(isRed(pixelAt(graphLeft, graphY(12.0f))));
    Region time = capture(timeLineX, timeLineY, timeLineW, timeLineH);
    EXPECT_GT(litPixels(time), 1000);
    EXPECT_EQ(litWithHue(time, 0, 1, 0), litPixels(time));
    EXPECT_TRUE(isBlack(pixelAt(centreX, centreY + 50)));  // no flash
    expectBaseGlState();
}

