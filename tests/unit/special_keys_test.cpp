// Special keys: main speed, fog range, blanking with its clearing switch, and the factor pairs.
#include "input/special_keys.h"

#include <GL/freeglut.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "app/clock.h"
#include "app/frame.h"
#include "app/settings.h"
#include "test/reaction_test.h"
#include "tests/support/commands.h"
#include "tests/support/gl_test.h"
#include "text/text_printer.h"

namespace {

// One special key pressed from the state after a reset: its exact message and its setting.
struct SpecialKeyRow {
    int key;
    const char* text;
    void (*check)();
};

const SpecialKeyRow specialKeyRows[] = {
    {GLUT_KEY_F1, "F1/F2: 0.90\n", [] { EXPECT_EQ(settings.f1f2Factor, times(1.0f, 0.9)); }},
    {GLUT_KEY_F2, "F1/F2: 1.11\n", [] { EXPECT_EQ(settings.f1f2Factor, times(1.0f, 1.111111)); }},
    {GLUT_KEY_F3, "F3/F4: 0.90\n", [] { EXPECT_EQ(settings.f3f4Factor, times(1.0f, 0.9)); }},
    {GLUT_KEY_F4, "F3/F4: 1.11\n", [] { EXPECT_EQ(settings.f3f4Factor, times(1.0f, 1.111111)); }},
    {GLUT_KEY_F5, "F5/F6: 0.90\n", [] { EXPECT_EQ(settings.f5f6Factor, times(1.0f, 0.9)); }},
    {GLUT_KEY_F6, "F5/F6: 1.11\n", [] { EXPECT_EQ(settings.f5f6Factor, times(1.0f, 1.111111)); }},
    {GLUT_KEY_F7, "F7/F8: 0.90\n", [] { EXPECT_EQ(settings.f7f8Factor, times(1.0f, 0.9)); }},
    {GLUT_KEY_F8, "F7/F8: 1.11\n", [] { EXPECT_EQ(settings.f7f8Factor, times(1.0f, 1.111111)); }},
    {GLUT_KEY_F9, "Fog: 1.90\n", [] { EXPECT_EQ(settings.fogRange, times(2.0f, 0.95)); }},
    {GLUT_KEY_F10, "Fog: 2.11\n", [] { EXPECT_EQ(settings.fogRange, times(2.0f, 1.05263)); }},
    {GLUT_KEY_F11, "Blanking Percentage: 71.25\n",
     [] {
         EXPECT_EQ(settings.blanking, times(0.75f, 0.95));
         EXPECT_EQ(settings.clearEachFrame, 0);
     }},
    {GLUT_KEY_F12, "Blanking Percentage: 78.95\n",
     [] {
         EXPECT_EQ(settings.blanking, times(0.75f, 1.05263));
         EXPECT_EQ(settings.clearEachFrame, 1);
     }},
    {GLUT_KEY_PAGE_UP, "Main Speed: 3.33\n",
     [] { EXPECT_EQ(settings.mainSpeed, times(3.0f, 1.111111)); }},
    {GLUT_KEY_PAGE_DOWN, "Main Speed: 2.70\n",
     [] { EXPECT_EQ(settings.mainSpeed, times(3.0f, 0.9)); }},
    {GLUT_KEY_HOME, "Home/End: 1.11\n",
     [] { EXPECT_EQ(settings.homeEndFactor, times(1.0f, 1.111111)); }},
    {GLUT_KEY_END, "Home/End: 0.90\n", [] { EXPECT_EQ(settings.homeEndFactor, times(1.0f, 0.9)); }},
};

// Codes with a command in the table.
bool hasCommand(int key) {
    for (const SpecialKeyRow& row : specialKeyRows)
        if (row.key == key) return true;
    return false;
}

// A special key with the pointer at the corner; the position is never used.
void press(int key) {
    onSpecialKey(key, 0, 0);
}

// Presses a key and expects the status line drawn at once with this text.
void expectKeyShows(int key, const char* text) {
    expectCommandShows(Shown::drawn, press, key, text);
}

// Presses a fog key twice: the first press reaches the bound, the second keeps it, both show it.
void expectFogStaysAt(int key, const char* text, float bound) {
    for (int i = 0; i < 2; i++) {
        expectKeyShows(key, text);
        EXPECT_EQ(settings.fogRange, bound);
    }
}

}  // namespace

class SpecialKeyTest : public ProgramTest {};

TEST_F(SpecialKeyTest, EveryCommandKeyChangesItsSettingAndDrawsItsExactTextAtOnce) {
    for (const SpecialKeyRow& row : specialKeyRows) {
        SCOPED_TRACE(testing::Message() << "special key " << row.key);
        prepareCommand();
        clearRequest = 1;
        press(row.key);
        expectShown(Shown::drawn, row.text);
        EXPECT_EQ(clearRequest, 1);  // only keyboard events withdraw it
        row.check();
    }
}

// Cursor keys (100 to 103), Insert (108) and every unused code among them.
TEST_F(SpecialKeyTest, EveryOtherCodeUpTo300ChangesNothingAndShowsNothing) {
    int others = 0;
    for (int key = 0; key <= 300; key++) {
        if (hasCommand(key)) continue;
        SCOPED_TRACE(testing::Message() << "special key " << key);
        prepareCommand();
        std::string before = settingsBytes();
        onSpecialKey(key, key, -key);
        EXPECT_TRUE(settingsBytes() == before);
        expectShown(Shown::none, nullptr);
        others++;
    }
    EXPECT_EQ(others, 301 - 16);
}

class BlankingKeyTest : public ProgramTest {};

TEST_F(BlankingKeyTest, F12SwitchesClearingOnOnlyWhenItReachesAHundredPercent) {
    frameAt(commandMs);
    settings.clearEachFrame = 0;
    const char* const texts[] = {"78.95", "83.10", "87.48", "92.08", "96.93", "100.00"};
    char line[64];
    for (int i = 0; i < 6; i++) {
        std::snprintf(line, sizeof line, "Blanking Percentage: %s\n", texts[i]);
        expectKeyShows(GLUT_KEY_F12, line);
        EXPECT_EQ(settings.clearEachFrame, i == 5 ? 1 : 0) << "press " << i + 1;
    }
    EXPECT_EQ(settings.blanking, 1.0f);
    settings.clearEachFrame = 0;
    expectKeyShows(GLUT_KEY_F12, "Blanking Percentage: 100.00\n");
    EXPECT_EQ(settings.blanking, 1.0f);
    EXPECT_EQ(settings.clearEachFrame, 1);
}

TEST_F(BlankingKeyTest, F11AlwaysSwitchesClearingOff) {
    frameAt(commandMs);
    expectKeyShows(GLUT_KEY_F11, "Blanking Percentage: 71.25\n");
    EXPECT_EQ(settings.clearEachFrame, 0);
    settings.blanking = 1.0f;
    settings.clearEachFrame = 1;
    expectKeyShows(GLUT_KEY_F11, "Blanking Percentage: 95.00\n");
    EXPECT_EQ(settings.blanking, 0.95f);
    EXPECT_EQ(settings.clearEachFrame, 0);
    for (int i = 0; i < 200; i++) press(GLUT_KEY_F11);
    EXPECT_GE(settings.blanking, 0.0f);
    EXPECT_LT(settings.blanking, 0.001f);
}

class FogKeyTest : public ProgramTest {};

TEST_F(FogKeyTest, F9StopsAtOneHundredthOnItsHundredAndFourthPress) {
    frameAt(commandMs);
    for (int i = 0; i < 103; i++) press(GLUT_KEY_F9);
    EXPECT_GT(settings.fogRange, 0.01f);
    expectFogStaysAt(GLUT_KEY_F9, "Fog: 0.01\n", 0.01f);
}

TEST_F(FogKeyTest, F10StopsAtFourOnItsFourteenthPress) {
    frameAt(commandMs);
    for (int i = 0; i < 13; i++) press(GLUT_KEY_F10);
    EXPECT_LT(settings.fogRange, 4.0f);
    expectFogStaysAt(GLUT_KEY_F10, "Fog: 4.00\n", 4.0f);
    expectKeyShows(GLUT_KEY_F9, "Fog: 3.80\n");
}

class FactorKeyTest : public ProgramTest {};

// 0.9 times 1.111111 is not 1: each pair comes back just below its start value.
TEST_F(FactorKeyTest, DownThenUpStoresJustBelowOneAndShowsOne) {
    const struct {
        int down, up;
        float* value;
        const char* text;
    } pairs[] = {
        {GLUT_KEY_F1, GLUT_KEY_F2, &settings.f1f2Factor, "F1/F2: 1.00\n"},
        {GLUT_KEY_F3, GLUT_KEY_F4, &settings.f3f4Factor, "F3/F4: 1.00\n"},
        {GLUT_KEY_F5, GLUT_KEY_F6, &settings.f5f6Factor, "F5/F6: 1.00\n"},
        {GLUT_KEY_F7, GLUT_KEY_F8, &settings.f7f8Factor, "F7/F8: 1.00\n"},
        {GLUT_KEY_END, GLUT_KEY_HOME, &settings.homeEndFactor, "Home/End: 1.00\n"},
    };
    frameAt(commandMs);
    for (const auto& pair : pairs) {
        SCOPED_TRACE(pair.text);
        press(pair.down);
        expectKeyShows(pair.up, pair.text);
        EXPECT_NE(*pair.value, 1.0f);
        EXPECT_NEAR(*pair.value, 0.9999999, 1e-7);
    }
    press(GLUT_KEY_PAGE_DOWN);
    expectKeyShows(GLUT_KEY_PAGE_UP, "Main Speed: 3.00\n");
    EXPECT_LT(settings.mainSpeed, 3.0f);
}

TEST_F(FactorKeyTest, MainSpeedHasNoBoundsAndReachesTheTestInTheNextFrame) {
    frameAt(commandMs);
    for (int i = 0; i < 60; i++) press(GLUT_KEY_PAGE_DOWN);
    EXPECT_STREQ(textPrinter.lastText, "Main Speed: 0.01\n");
    for (int i = 0; i < 120; i++) press(GLUT_KEY_PAGE_UP);
    EXPECT_GT(settings.mainSpeed, 1000.0f);
    float speed = settings.mainSpeed;
    frameAt(commandMs + 20);
    EXPECT_EQ(reactionTest.delayBase, speed);
}
