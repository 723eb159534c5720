// The reaction test's drawing, read back as pixels in a 1000 by 800 window and in a 1366 by 768
// one, where the graph's steps are fractional: counts, average and time lines, histogram, history
// graph, dotted average line and feedback flash.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <string>
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

constexpr int shadowShift = 3;
constexpr int shadowRise = 2;

// A window size and where the results go in it, worked out by hand.
struct Layout {
    int width, height;
    int column;                      // x of the count lines; the average is 80 to its left
    int timeX, timeY;                // the size-40 time line
    int captionX, captionY;          // "60th/second"
    int barsLeft, binStep, barWidth, baseLine;
    int labelX, graphLeft, middleY;  // middleY: the height of the value 13
    float pointStep, pixelsPerSixtieth;
    float lineLeft, lineRight;       // ends of the dotted average line
};

const Layout layouts[] = {
    {1000, 800, 750, 300, 300, 50, 704, 100, 26, 13, 80, 50, 125, 400, 25.0f, 20.0f, 75.0f, 830.0f},
    // Fractional steps of 34.15 and 19.2 pixels; 409.8, 136.6, 76.8 and 170.75 cut to whole pixels.
    {1366, 768, 1024, 409, 288, 68, 675, 136, 36, 18, 76, 67, 170, 384, 34.15f, 19.2f, 102.45f,
     1133.78f},
};

std::string sizeName(const ::testing::TestParamInfo<Layout>& info) {
    return std::to_string(info.param.width) + "x" + std::to_string(info.param.height);
}

// Names a layout by its window size in test listings, rather than by its bytes.
void PrintTo(const Layout& layout, std::ostream* out) {
    *out << layout.width << "x" << layout.height;
}

// Colour tests for single pixels.
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

class ResultsDisplayTest : public ProgramTest, public ::testing::WithParamInterface<Layout> {
protected:
    void SetUp() override {
        ProgramTest::SetUp();
        resizeWindow(W, H);
        beginResultsDrawing();
    }

    // Left edge of a histogram bin's bar.
    int barX(int bin) const { return L.barsLeft + bin * L.binStep; }
    // A history point's x, and the height of a value in the graph and of the dotted line there.
    int pointX(int j) const { return (int)(L.graphLeft + j * L.pointStep); }
    int graphY(float value) const {
        return (int)(L.middleY + (value - 13.0f) * L.pixelsPerSixtieth);
    }

    const Layout& L = GetParam();
    const int W = L.width, H = L.height;
    const int centreX = W / 2, centreY = H / 2;
    // Where the graph goes, clear of the histogram and its caption below it.
    const int boxLeft = L.graphLeft - 15, boxWidth = W - L.graphLeft - 95;
    const int boxBottom = 130, boxHeight = H - 160;
};

class HistogramTest : public ResultsDisplayTest {};
INSTANTIATE_TEST_SUITE_P(Sizes, HistogramTest, ::testing::ValuesIn(layouts), sizeName);

TEST_P(HistogramTest, BarsAreHalfABinWideFromATenthOfTheWidthOnTheBaseLine) {
    const int barWidth = L.barWidth, baseLine = L.baseLine;
    recordTime(12.25f);
    recordTime(12.75f);
    recordTime(13.5f);
    engine.drawHistogram();

    int x12 = barX(12), x13 = barX(13);
    // Bin 12: two counts, two widths high.
    EXPECT_EQ(countColor(capture(x12, baseLine, barWidth, 2 * barWidth), 255, 255, 0),
              2 * barWidth * barWidth);
    EXPECT_TRUE(isBlack(pixelAt(x12 - 1, baseLine + 5)));
    EXPECT_TRUE(isYellow(pixelAt(x12 + barWidth - 1, baseLine + 2 * barWidth - 1)));
    EXPECT_FALSE(isYellow(pixelAt(x12 + barWidth, baseLine + 10)));
    EXPECT_FALSE(isYellow(pixelAt(x12 + 5, baseLine + 2 * barWidth)));
    EXPECT_FALSE(isYellow(pixelAt(x12 + 5, baseLine - 1)));
    // Bin 13: one count, one width high, the next bin a step on.
    EXPECT_EQ(countColor(capture(x13, baseLine, barWidth, barWidth), 255, 255, 0),
              barWidth * barWidth);
    EXPECT_FALSE(isYellow(pixelAt(x13 + 5, baseLine + barWidth)));
    EXPECT_TRUE(isBlack(pixelAt(x13 - 1, baseLine + 5)));
    // Nothing between the base line and the bin labels' top edge 5 pixels below it.
    EXPECT_EQ(litPixels(capture(0, baseLine - 5, W, 5)), 0);
    EXPECT_GT(litPixels(capture(x12, baseLine - 20, L.binStep, 15)), 0);
}

TEST_P(HistogramTest, ShadowIsOlive3RightAnd2AboveAndAStripForAnEmptyBin) {
    const int barWidth = L.barWidth, baseLine = L.baseLine;
    recordTime(12.25f);
    recordTime(12.75f);
    engine.drawHistogram();

    int x = barX(12);
    int top = baseLine + 2 * barWidth;
    // Right of the bar: a 3-pixel olive band up to 2 pixels above its top.
    const int shadowHeight = 2 * barWidth + shadowRise;
    EXPECT_EQ(countColor(capture(x + barWidth, baseLine, shadowShift, shadowHeight), 128, 128, 0),
              shadowShift * shadowHeight);
    EXPECT_TRUE(isBlack(pixelAt(x + barWidth + shadowShift, baseLine + 5)));
    // Above the bar: 2 olive rows, starting 3 pixels in from its left edge.
    EXPECT_EQ(countColor(capture(x + shadowShift, top, barWidth, shadowRise), 128, 128, 0),
              barWidth * shadowRise);
    EXPECT_TRUE(isBlack(pixelAt(x + shadowShift - 1, top)));
    EXPECT_TRUE(isBlack(pixelAt(x + 5, top + shadowRise)));

    // Every other bin is a 2-pixel strip from 3 pixels right of its left edge, a bar wide.
    for (int bin = 0; bin < histogramBins; bin++) {
        if (bin == 12) continue;
        int left = barX(bin);
        EXPECT_EQ(
            countColor(capture(left + shadowShift, baseLine, barWidth, shadowRise), 128, 128, 0),
            barWidth * shadowRise)
            << "bin " << bin;
        EXPECT_EQ(litPixels(capture(left, baseLine, shadowShift, shadowRise)), 0) << "bin " << bin;
        EXPECT_EQ(countColor(capture(left, baseLine, L.binStep, barWidth), 255, 255, 0), 0)
            << "bin " << bin;
    }
    EXPECT_EQ(litPixels(capture(barX(histogramBins), baseLine, 100, shadowRise)), 0);
    EXPECT_EQ(litPixels(capture(barX(0) - 20, baseLine, 20, shadowRise)), 0);
}

TEST_P(HistogramTest, EachCountAddsABarWidthOfHeightAndSlowTimesGrowNoBar) {
    for (int i = 0; i < 5; i++) recordTime(3.5f);
    score(exactly45);
    score(exactly30);
    engine.drawHistogram();
    int x = barX(3);
    EXPECT_EQ(countColor(capture(x + 6, L.baseLine, 1, 200), 255, 255, 0), 5 * L.barWidth);
    // From bin 2 on, clear of the yellow caption above bins 0 and 1.
    Region fromBin2 = capture(barX(2), L.baseLine, barX(histogramBins) - barX(2), 200);
    EXPECT_EQ(countColor(fromBin2, 255, 255, 0), 5 * L.barWidth * L.barWidth);
}

TEST_P(HistogramTest, CaptionAndBinLabelsAreTheTextsTheyShow) {
    engine.drawHistogram();
    // "60th/second" in yellow, size 15.
    const int captionX = L.captionX - 10, captionY = H - L.captionY - 6;
    Region caption = capture(captionX, captionY, 120, 30);
    const int labelX = barX(12) - 3, labelY = L.baseLine - 25;
    Region bin12 = capture(labelX, labelY, 26, 24);
    EXPECT_GT(litPixels(caption), 50);
    EXPECT_EQ(litWithHue(caption, 1, 1, 0), litPixels(caption));
    EXPECT_EQ(caption, printedAlone("60th/second", (short)L.captionX, (short)L.captionY, 15.0f, 1,
                                    1, 0, captionX, captionY, 120, 30));
    // Bin label "12" with its bottom edge 20 pixels below the base line.
    const short labelBelowTop = (short)(H - L.baseLine + 20);
    EXPECT_GT(litPixels(bin12), 20);
    EXPECT_EQ(bin12, printedAlone("12", (short)barX(12), labelBelowTop, 15.0f, 1, 1, 1, labelX,
                                  labelY, 26, 24));
    EXPECT_NE(bin12, printedAlone("13", (short)barX(12), labelBelowTop, 15.0f, 1, 1, 1, labelX,
                                  labelY, 26, 24));
}

class HistoryGraphTest : public ResultsDisplayTest {};
INSTANTIATE_TEST_SUITE_P(Sizes, HistoryGraphTest, ::testing::ValuesIn(layouts), sizeName);

TEST_P(HistoryGraphTest, PointsAreAStepApartFromAnEighthOfTheWidthWithValue13HalfWayUp) {
    recordTime(13.0f);
    recordTime(14.0f);
    recordTime(12.0f);
    recordTime(20.0f);
    engine.drawHistoryGraph();
    const int left = L.graphLeft, middle = L.middleY;
    EXPECT_TRUE(isRed(pixelAt(left, middle)));
    EXPECT_TRUE(isRed(pixelAt(pointX(1), graphY(14.0f))));
    EXPECT_TRUE(isRed(pixelAt(pointX(2), graphY(12.0f))));
    EXPECT_TRUE(isRed(pixelAt(pointX(3), graphY(20.0f))));
    EXPECT_FALSE(isRed(pixelAt(pointX(4), middle)));
    // A marker is a dot of about 12 pixels across.
    EXPECT_GT(pixelAt(left + 3, middle).r, 100);
    EXPECT_TRUE(isBlack(pixelAt(left - 8, middle)));
    EXPECT_TRUE(isBlack(pixelAt(left, middle + 8)));
    // The yellow line joins the points: halfway between the first two, and where the third
    // segment passes 16.
    int halfway = (pointX(0) + pointX(1)) / 2, halfHigh = (graphY(13.0f) + graphY(14.0f)) / 2;
    EXPECT_GT(countColor(capture(halfway - 2, halfHigh - 2, 5, 5), 255, 255, 0), 0);
    int at16 = (int)(pointX(2) + L.pointStep * 0.5f);
    EXPECT_GT(countColor(capture(at16 - 3, graphY(16.0f) - 3, 6, 6), 255, 255, 0), 0);
    int pastLast = pointX(3) + 8;
    EXPECT_EQ(countColor(capture(pastLast, boxBottom, W - pastLast, boxHeight), 255, 255, 0), 0);

    // Thirty steps on, the last point is where the fractional steps add up to.
    for (int i = 4; i < historyLength; i++) recordTime(13.0f);
    beginResultsDrawing();
    engine.drawHistoryGraph();
    EXPECT_TRUE(isRed(pixelAt(pointX(historyLength - 1), middle)));
}

TEST_P(HistoryGraphTest, OneTimeShowsOneMarkerAndNoLineTwoTimesALine) {
    const int left = boxLeft, bottom = boxBottom, width = boxWidth, height = boxHeight;
    engine.drawHistoryGraph();
    EXPECT_EQ(countColor(capture(left, bottom, width, height), 255, 0, 0, 120), 0);

    recordTime(12.5f);
    beginResultsDrawing();
    engine.drawHistoryGraph();
    int markerPixels = countColor(capture(left, bottom, width, height), 255, 0, 0, 120);
    EXPECT_GT(markerPixels, 40);
    EXPECT_LT(markerPixels, 145);
    EXPECT_EQ(countColor(capture(left, bottom, width, height), 255, 255, 0), 0);
    EXPECT_TRUE(isRed(pixelAt(L.graphLeft, graphY(12.5f))));

    recordTime(18.5f);
    beginResultsDrawing();
    engine.drawHistoryGraph();
    EXPECT_GT(countColor(capture(left, bottom, width, height), 255, 255, 0), 50);
    EXPECT_NEAR(countColor(capture(left, bottom, width, height), 255, 0, 0, 120),
                2 * markerPixels, 10);
}

TEST_P(HistoryGraphTest, SlowTimeMarkerSitsAtTheCapHeight) {
    score(exactly45);
    engine.drawHistoryGraph();
    EXPECT_TRUE(isRed(pixelAt(L.graphLeft, graphY(30.0f))));
    EXPECT_EQ(countColor(capture(0, 0, W, graphY(30.0f) - 10), 255, 0, 0, 120), 0);
}

TEST_P(HistoryGraphTest, MarkersAreUnblendedRedGlowCutByTheAlphaTest) {
    // Over blue, the cut-away corners of a marker keep the background; unblended, its inside
    // replaces the background entirely.
    const int left = L.graphLeft, middle = L.middleY;
    fillWindow(0.0f, 0.0f, 1.0f);
    recordTime(13.0f);
    engine.drawHistoryGraph();
    Rgba centre = pixelAt(left, middle);
    EXPECT_GT(centre.r, 240);
    EXPECT_LT(centre.b, 8);
    Rgba inner = pixelAt(left + 3, middle);
    EXPECT_GT(inner.r, 120);
    EXPECT_LT(inner.r, 220);
    EXPECT_LT(inner.b, 8);
    // Centred on the point: the pixels whose centres lie 3.5 to either side match.
    EXPECT_NEAR(pixelAt(left - 4, middle).r, inner.r, 10);
    EXPECT_TRUE(isColor(pixelAt(left + 5, middle + 5), 0, 0, 255, 8));
    EXPECT_TRUE(isColor(pixelAt(left - 6, middle - 6), 0, 0, 255, 8));
}

TEST_P(HistoryGraphTest, AfterAnEraseOnlyTheShownPartIsDrawn) {
    recordTime(12.5f);
    recordTime(14.5f);
    recordTime(16.5f);
    engine.eraseLastTime(3.0f);
    engine.drawHistoryGraph();
    EXPECT_TRUE(isRed(pixelAt(pointX(0), graphY(12.5f))));
    EXPECT_TRUE(isRed(pixelAt(pointX(1), graphY(14.5f))));
    EXPECT_TRUE(isBlack(pixelAt(pointX(2), graphY(16.5f))));
    int pastLast = pointX(1) + 8;
    EXPECT_EQ(countColor(capture(pastLast, boxBottom, W - pastLast, boxHeight), 255, 255, 0), 0);
}

TEST_P(HistoryGraphTest, AxisLabelsSitHalfAStepBelowTheirValues) {
    engine.drawHistoryGraph();
    for (int value : {0, 13, 29}) {
        char label[4];
        std::snprintf(label, sizeof label, "%2d", value);
        float height = L.middleY + (value - 13) * L.pixelsPerSixtieth;
        short belowTop = (short)(int)(H - (height - L.pixelsPerSixtieth * 0.5));
        int bottom = H - belowTop;
        Region drawn = capture(L.labelX - 5, bottom - 2, 30, 19);
        EXPECT_GT(litPixels(drawn), 10) << label;
        EXPECT_EQ(drawn, printedAlone(label, (short)L.labelX, belowTop, 15.0f, 1, 1, 1,
                                      L.labelX - 5, bottom - 2, 30, 19))
            << label;
        beginResultsDrawing();
        engine.drawHistoryGraph();
    }
}

class AverageLineTest : public ResultsDisplayTest {
protected:
    // The pixel row in which this GL puts a plain line at height y.
    int rowOfPlainLine(int y) {
        clearToBlack();
        glColor3f(1.0f, 1.0f, 1.0f);
        glBegin(GL_LINES);
        glVertex2f(0.0f, (float)y);
        glVertex2f((float)W, (float)y);
        glEnd();
        int row = -1;
        for (int r = y - 2; r <= y + 2; r++)
            if (litPixels(capture(0, r, W, 1)) > W / 2) row = r;
        clearToBlack();
        return row;
    }

    // One dot in every 16 pixels of the line.
    float dotsAcross() const { return (L.lineRight - L.lineLeft) / 16.0f; }
};
INSTANTIATE_TEST_SUITE_P(Sizes, AverageLineTest, ::testing::ValuesIn(layouts), sizeName);

TEST_P(AverageLineTest, DottedGreenLineHasOnePixelIn16AtTheAverageHeight) {
    int height = graphY(12.0f);
    int row = rowOfPlainLine(height);
    ASSERT_GE(row, height - 1);
    ASSERT_LE(row, height);
    engine.drawAverageLine(12.0f);
    EXPECT_GT(countColor(capture(0, row, W, 1), 0, 255, 0), 40);
    int greenRows = 0, dots = 0, first = -1, last = -1;
    bool evenlySpaced = true;
    for (int y = row - 3; y <= row + 3; y++) {
        Region line = capture(0, y, W, 1);
        int inRow = 0;
        for (int x = 0; x < W; x++) {
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
    // The end dots' pixel centres lie on the line and within one dot's spacing of its ends.
    float firstCentre = first + 0.5f, lastCentre = last + 0.5f;
    EXPECT_GE(firstCentre, L.lineLeft);
    EXPECT_LT(firstCentre, L.lineLeft + 16);
    EXPECT_LT(lastCentre, L.lineRight);
    EXPECT_GE(lastCentre, L.lineRight - 16);
    EXPECT_NEAR(dots, dotsAcross(), 1);
    EXPECT_EQ(litPixels(capture(0, 0, W, row - 3)), 0);
}

TEST_P(AverageLineTest, DrawnAtTheAverageBelowThirtyOnlyInTheResults) {
    score(exactly30);
    recordTime(29.98f);  // average 29.99: the line just below the cap
    engine.drawResults();
    int band = graphY(29.99f) - 5;
    EXPECT_NEAR(countColor(capture(0, band, W, 11), 0, 255, 0), dotsAcross(), 2);

    engine.eraseLastTime(2.0f);  // average 30.0: no line
    beginResultsDrawing();
    engine.drawResults();
    EXPECT_EQ(countColor(capture(0, band, W, 11), 0, 255, 0), 0);

    score(exactly12);  // average 21.0
    beginResultsDrawing();
    engine.drawResults();
    EXPECT_NEAR(countColor(capture(0, graphY(21.0f) - 3, W, 7), 0, 255, 0), dotsAcross(), 2);
}

class ResultsTextTest : public ResultsDisplayTest {
protected:
    // Rectangles around the size-40 time line and the count and average lines.
    Region timeLine() { return capture(L.timeX - 10, H - L.timeY - 10, 400, 60); }
    Region countLines() { return capture(L.column - 10, H - 85, 260, 70); }
    Region averageLine() { return capture(L.column - 90, H - 125, 340, 30); }

    Region timeAlone(const char* text) {
        return printedAlone(text, (short)L.timeX, (short)L.timeY, 40.0f, 0, 1, 0, L.timeX - 10,
                            H - L.timeY - 10, 400, 60);
    }
    Region averageAlone(const char* text) {
        return printedAlone(text, (short)(L.column - 80), 120, 20.0f, 1, 1, 1, L.column - 90,
                            H - 125, 340, 30);
    }
    // The three count lines as printText alone draws them.
    Region countLinesAlone(const char* tries, const char* early, const char* misses) {
        beginResultsDrawing();
        textPrinter.rememberLast = 0;
        textPrinter.printText(tries, (short)L.column, 40, 20.0f);
        textPrinter.printText(early, (short)L.column, 60, 20.0f);
        textPrinter.printText(misses, (short)L.column, 80, 20.0f);
        textPrinter.rememberLast = 1;
        return countLines();
    }
};
INSTANTIATE_TEST_SUITE_P(Sizes, ResultsTextTest, ::testing::ValuesIn(layouts), sizeName);

TEST_P(ResultsTextTest, TimeLineIsGreenAtSize40AtThreeTenthsOfTheWidth) {
    score(exactly12);
    engine.drawResults();
    Region drawn = timeLine();
    EXPECT_GT(litPixels(drawn), 1000);
    EXPECT_EQ(litWithHue(drawn, 0, 1, 0), litPixels(drawn));
    EXPECT_EQ(drawn, timeAlone("Time: 12.0 (200 ms)"));
    EXPECT_NE(drawn, timeAlone("Time: 12.1 (202 ms)"));
}

TEST_P(ResultsTextTest, CountLinesAtThreeQuartersOfTheWidthAndAverage80LeftAreWhite) {
    score(exactly12);
    engine.click(2.0f);  // early
    engine.click(2.5f);  // early
    engine.misses = 1;
    engine.drawResults();
    Region counts = countLines();
    Region average = averageLine();
    EXPECT_GT(litPixels(counts), 300);
    EXPECT_GT(litPixels(average), 200);
    EXPECT_EQ(litWithHue(counts, 1, 1, 1), litPixels(counts));
    EXPECT_EQ(litWithHue(average, 1, 1, 1), litPixels(average));

    EXPECT_EQ(counts, countLinesAlone("# Tries :   1", "# Early :   2", "# Misses:   1"));
    EXPECT_NE(counts, countLinesAlone("# Tries :   1", "# Early :   1", "# Misses:   1"));
    EXPECT_EQ(average, averageAlone("Average: 12.0 (200 ms)"));
    // Glyph bottom edges 40, 60 and 80 pixels below the top: nothing lower than 80.
    EXPECT_EQ(litPixels(capture(counts.x, counts.y, counts.width, H - 80 - counts.y)), 0);
}

TEST_P(ResultsTextTest, BeforeTheFirstTimeZerosAndNoAverage) {
    engine.click(2.0f);  // early clicks may already count
    engine.drawResults();
    Region time = timeLine();
    Region counts = countLines();
    Region average = averageLine();
    EXPECT_EQ(litPixels(average), 0);
    // No dotted line, no markers, no graph line.
    EXPECT_EQ(countColor(capture(boxLeft, boxBottom, boxWidth, H / 2 - 50), 0, 255, 0), 0);
    EXPECT_EQ(countColor(capture(boxLeft, boxBottom, boxWidth, boxHeight), 255, 0, 0, 120), 0);
    EXPECT_EQ(countColor(capture(boxLeft, boxBottom, boxWidth, boxHeight), 255, 255, 0), 0);
    EXPECT_EQ(time, timeAlone("Time: 0.0 (  0 ms)"));
    EXPECT_EQ(counts, countLinesAlone("# Tries :   0", "# Early :   1", "# Misses:   0"));
}

TEST_P(ResultsTextTest, SlowTimeShowsItsTrueValueInTimeAndAverage) {
    score(exactly45);
    engine.drawResults();
    Region time = timeLine();
    Region average = averageLine();
    EXPECT_EQ(time, timeAlone("Time: 45.0 (750 ms)"));
    EXPECT_EQ(average, averageAlone("Average: 45.0 (750 ms)"));
}

TEST_P(ResultsTextTest, NoLineBecomesTheStatusMessage) {
    std::strcpy(textPrinter.lastText, "kept");
    textPrinter.lastX = 10;
    textPrinter.lastY = 25;
    score(exactly12);
    engine.drawResults();
    EXPECT_STREQ(textPrinter.lastText, "kept");
    EXPECT_EQ(textPrinter.lastX, 10);
    EXPECT_EQ(textPrinter.lastY, 25);
}

class FeedbackFlashTest : public ResultsDisplayTest {
protected:
    // A distance from the centre as a share of the glow's half side, 0.7 of the height.
    int glowShare(float share) const { return (int)(H * 0.7f * share); }
};
INSTANTIATE_TEST_SUITE_P(Sizes, FeedbackFlashTest, ::testing::ValuesIn(layouts), sizeName);

TEST_P(FeedbackFlashTest, GlowIsAWhiteRadialSpotCentredAndAddedToThePicture) {
    engine.flash(1.0f, 1.0f, 1.0f, 5.0f);
    engine.flash(-1.0f, 0.0f, 0.0f, 5.0f);
    Rgba centre = pixelAt(centreX, centreY);
    EXPECT_GT(centre.r, 250);
    EXPECT_GT(centre.g, 250);
    EXPECT_GT(centre.b, 250);
    // Half the glow's radius: alpha times colour, (1 - 0.25) squared.
    const int half = glowShare(0.5f);
    for (Rgba p : {pixelAt(centreX + half, centreY), pixelAt(centreX - half, centreY),
                   pixelAt(centreX, centreY + half), pixelAt(centreX, centreY - half)}) {
        EXPECT_NEAR(p.r, 143, 6);
        EXPECT_EQ(p.r, p.b);
    }
    // Near the rim almost nothing; past the rim and in the corners nothing.
    EXPECT_NEAR(pixelAt(centreX + glowShare(0.89f), centreY).r, 10, 4);
    EXPECT_TRUE(isBlack(pixelAt(centreX + glowShare(0.7f), centreY + glowShare(0.7f)), 0));
    EXPECT_TRUE(isBlack(pixelAt(0, 0), 0));
    EXPECT_TRUE(isBlack(pixelAt(W - 1, H - 1), 0));

    // Added to what is beneath: over grey the centre saturates and the half-way ring brightens.
    fillWindow(0.4f, 0.4f, 0.4f);
    engine.flash(-1.0f, 0.0f, 0.0f, 5.0f);
    EXPECT_EQ(pixelAt(centreX, centreY).r, 255);
    EXPECT_NEAR(pixelAt(centreX + half, centreY).r, 102 + 143, 6);
    EXPECT_NEAR(pixelAt(W - 1, H - 1).r, 102, 1);
}

TEST_P(FeedbackFlashTest, QuickClickGlowsGreenAndEarlyClickRed) {
    engine.waitStart = 10.0f;
    engine.waitDelay = 0.5f;
    engine.update(11.0f);
    engine.update(11.0f);  // the frame that times the flash
    engine.click(11.1f);
    ASSERT_LE(engine.lastTime, quickTime);
    beginResultsDrawing();
    engine.flash(-1.0f, 0.0f, 0.0f, 11.15f);
    Rgba green = pixelAt(centreX, centreY);
    EXPECT_TRUE(isColor(green, 0, 255, 0, 5));
    EXPECT_NEAR(pixelAt(centreX + glowShare(0.5f), centreY).g, 143, 6);
    EXPECT_EQ(pixelAt(centreX + glowShare(0.5f), centreY).r, 0);

    engine.click(11.5f);  // early
    beginResultsDrawing();
    engine.flash(-1.0f, 0.0f, 0.0f, 11.55f);
    EXPECT_TRUE(isColor(pixelAt(centreX, centreY), 255, 0, 0, 5));
}

class DrawingStateTest : public ResultsDisplayTest {};
INSTANTIATE_TEST_SUITE_P(Sizes, DrawingStateTest, ::testing::ValuesIn(layouts), sizeName);

TEST_P(DrawingStateTest, EveryDrawingOperationLeavesTheBaseState) {
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

TEST_P(DrawingStateTest, AFrameAtTenSecondsShowsTheResults) {
    score(exactly12);
    engine.waitStart = 10.0f;
    engine.waitDelay = 5.0f;
    frameAt(10000);
    EXPECT_EQ(engine.viewWidth, W);
    EXPECT_EQ(engine.viewHeight, H);
    EXPECT_EQ(countColor(capture(barX(12), L.baseLine, L.barWidth, L.barWidth), 255, 255, 0),
              L.barWidth * L.barWidth);
    EXPECT_TRUE(isRed(pixelAt(L.graphLeft, graphY(12.0f))));
    Region time = capture(L.timeX - 10, H - L.timeY - 10, 400, 60);
    EXPECT_GT(litPixels(time), 1000);
    EXPECT_EQ(litWithHue(time, 0, 1, 0), litPixels(time));
    EXPECT_TRUE(isBlack(pixelAt(centreX, centreY + 50)));  // no flash
    expectBaseGlState();
}
