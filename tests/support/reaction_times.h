// Reaction times for the tests to score: a click a chosen number of sixtieths after a flash,
// flash and click times that score exact values, and what a fresh round of the test looks like.
#pragma once

#include <gtest/gtest.h>

#include "app/frame.h"
#include "app/window.h"
#include "test/reaction_test.h"
#include "tests/support/gl_test.h"

// The window as the frame's lower layer leaves it for the reaction test: black, the test's view,
// and the engine told the window's size.
inline void beginResultsDrawing() {
    clearToBlack();
    setupView();
    reactionTest.viewWidth = windowWidth;
    reactionTest.viewHeight = windowHeight;
}

// recordTime's flashes show at this clock time.
constexpr float helperFlashTime = 1.0f;

// Scores a click `sixtieths` after a flash pending since helperFlashTime (to within a few float
// steps, so the times used stay clear of whole sixtieths).
inline void recordTime(float sixtieths) {
    reactionTest.flashStart = helperFlashTime;
    reactionTest.click((float)(helperFlashTime + sixtieths * secondsPerSixtieth));
}

// Flash and click times whose difference scores exactly the named reaction time.
struct ExactTime {
    float flash;
    float click;
};
constexpr ExactTime exactly10 = {0.25f, 0.416666597f};
constexpr ExactTime exactly12 = {0.0009765625f, 0.200976476f};
constexpr ExactTime exactly30 = {0.002f, 0.501999795f};
constexpr ExactTime exactly45 = {0.25f, 0.999999702f};

// Scores one of the exact pairs.
inline void score(ExactTime time) {
    reactionTest.flashStart = time.flash;
    reactionTest.click(time.click);
}

// Clicks the reaction test has scored, timed or early.
inline int scoredClicks() {
    return reactionTest.tries + reactionTest.earlyClicks;
}

// All counts of the histogram together.
inline int histogramTotal() {
    int total = 0;
    for (int i = 0; i < histogramBins; i++) total += reactionTest.histogram[i];
    return total;
}

// A new round: no counts, no times, an empty history and histogram, and a wait from `now`.
inline void expectFreshRound(float now) {
    EXPECT_EQ(reactionTest.tries, 0);
    EXPECT_EQ(reactionTest.earlyClicks, 0);
    EXPECT_EQ(reactionTest.misses, 0);
    EXPECT_EQ(reactionTest.lastTime, 0.0f);
    EXPECT_EQ(reactionTest.timeSum, 0.0f);
    EXPECT_EQ(reactionTest.scrollCount, 0);
    EXPECT_EQ(reactionTest.flashStart, 0.0f);
    EXPECT_EQ(reactionTest.waitStart, now);
    int kept = 0;
    for (int i = 0; i < historyLength; i++)
        if (reactionTest.history[i] != 0.0f || reactionTest.exactHistory[i] != 0.0f) kept++;
    EXPECT_EQ(kept, 0) << "history entries left";
    int filledBins = 0;
    for (int i = 0; i < histogramBins; i++)
        if (reactionTest.histogram[i] != 0) filledBins++;
    EXPECT_EQ(filledBins, 0) << "histogram bins left";
}
