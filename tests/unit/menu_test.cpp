// The mouse button and the pop-up menu: the button flag, every menu entry with its feedback text,
// and the menu's exit and reset during a fade-out.
#include "input/mouse.h"

#include <GL/freeglut.h>
#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "app/clock.h"
#include "app/frame.h"
#include "app/settings.h"
#include "input/keyboard.h"
#include "test/reaction_test.h"
#include "tests/support/commands.h"
#include "tests/support/gl_test.h"
#include "tests/support/reaction_times.h"
#include "text/text_printer.h"

namespace {

enum Entry { fpsEntry, fogEntry, lightsEntry, texturesEntry, imageEntry, optionEntry, resetEntry,
             helpEntry, exitEntry };

// One menu entry chosen from the state after a reset: its text (null for none) and its effect.
struct MenuRow {
    int value;
    const char* text;
    int clearAfter;
    void (*prepare)();
    void (*check)();
};

const MenuRow menuRows[] = {
    {fpsEntry, nullptr, 0, nullptr, [] { EXPECT_EQ(settings.showFps, 1); }},
    {fogEntry, "Fog Off", 0, nullptr, [] { EXPECT_EQ(settings.fogOn, 0); }},
    {lightsEntry, "Lights On", 0, nullptr, [] { EXPECT_EQ(settings.lightsOn, 1); }},
    {texturesEntry, "Textures Off", 0, nullptr, [] { EXPECT_EQ(settings.texturesOn, 0); }},
    {imageEntry, "No Image Options", 0, [] { settings.imageIndex = 1; },
     [] { EXPECT_EQ(settings.imageIndex, 0); }},
    {optionEntry, "No Options", 0, [] { settings.optionIndex = 1; },
     [] { EXPECT_EQ(settings.optionIndex, 0); }},
    {resetEntry, "Reset/Randomized", 1, prepareStateForReset, expectResetDone},
    {helpEntry, nullptr, 0, nullptr, [] { EXPECT_EQ(showHelp, 1); }},
    {exitEntry, nullptr, 0, [] { showHelp = 1; },
     [] {
         EXPECT_EQ(exitFadeStart, commandSeconds);
         EXPECT_EQ(showHelp, 1);
     }},
};

// A frame at 10 s, then a black buffer and a marked status message.
void prepareMenuChoice() {
    prepareCommand();
    clearRequest = 0;
}

// Chooses an entry and expects its text remembered for 3 s from now, nothing drawn yet.
void expectMenuSets(int value, const char* text) {
    expectCommandShows(Shown::set, onMenu, value, text);
}

}  // namespace

class MenuTest : public ProgramTest {};

TEST_F(MenuTest, EveryEntryChangesItsSettingAndSetsItsTextWithoutDrawing) {
    for (const MenuRow& row : menuRows) {
        SCOPED_TRACE(testing::Message() << "menu value " << row.value);
        prepareMenuChoice();
        if (row.prepare) row.prepare();
        onMenu(row.value);
        expectShown(row.text ? Shown::set : Shown::none, row.text);
        EXPECT_EQ(clearRequest, row.clearAfter);
        row.check();
    }
}

TEST_F(MenuTest, ValuesOutsideZeroToEightDoNothing) {
    const int values[] = {INT_MIN, -1000, -2, -1, 9, 10, 27, 100, 255, 256, INT_MAX};
    for (int value : values) {
        SCOPED_TRACE(value);
        prepareMenuChoice();
        std::string before = settingsBytes();
        onMenu(value);
        EXPECT_TRUE(settingsBytes() == before);
        expectShown(Shown::none, nullptr);
        EXPECT_EQ(exitFadeStart, 0.0f);
        EXPECT_EQ(showHelp, 0);
        EXPECT_EQ(clearRequest, 0);
    }
}

TEST_F(MenuTest, TogglesSayOnAndOffFromTheNewValue) {
    frameAt(commandMs);
    expectMenuSets(fogEntry, "Fog Off");
    expectMenuSets(fogEntry, "Fog On");
    EXPECT_EQ(settings.fogOn, 1);
    expectMenuSets(lightsEntry, "Lights On");
    expectMenuSets(lightsEntry, "Lights Off");
    EXPECT_EQ(settings.lightsOn, 0);
    expectMenuSets(texturesEntry, "Textures Off");
    expectMenuSets(texturesEntry, "Textures On");
    EXPECT_EQ(settings.texturesOn, 1);

    textPrinter.lastText[0] = '\0';
    onMenu(fpsEntry);
    onMenu(fpsEntry);
    EXPECT_EQ(settings.showFps, 0);
    onMenu(helpEntry);
    onMenu(helpEntry);
    EXPECT_EQ(showHelp, 0);
    EXPECT_STREQ(textPrinter.lastText, "");
}

TEST_F(MenuTest, NextImageAndNextOptionAlwaysLandOnZero) {
    frameAt(commandMs);
    for (int start : {0, 1, 5, 9}) {
        SCOPED_TRACE(start);
        settings.imageIndex = start;
        expectMenuSets(imageEntry, "No Image Options");
        EXPECT_EQ(settings.imageIndex, 0);
        settings.optionIndex = start;
        expectMenuSets(optionEntry, "No Options");
        EXPECT_EQ(settings.optionIndex, 0);
    }
    settings.imageIndex = -2;
    textPrinter.lastText[0] = '\0';
    onMenu(imageEntry);
    EXPECT_EQ(settings.imageIndex, -1);
    EXPECT_STREQ(textPrinter.lastText, "");
    expectMenuSets(imageEntry, "No Image Options");
}

TEST_F(MenuTest, MenuAndKeysDifferInFeedbackForTheSameSetting) {
    frameAt(commandMs);
    textPrinter.statusExpiry = 0.0;
    onKeyboard('S', 0, 0);
    EXPECT_EQ(settings.lightsOn, 1);
    EXPECT_EQ(textPrinter.statusExpiry, 0.0);
    expectMenuSets(lightsEntry, "Lights Off");

    onKeyboard('R', 0, 0);
    EXPECT_STREQ(textPrinter.lastText, "Lights Off");
    expectMenuSets(resetEntry, "Reset/Randomized");

    onKeyboard('?', 0, 0);
    EXPECT_EQ(showHelp, 1);
    onMenu(helpEntry);
    EXPECT_EQ(showHelp, 0);
}

TEST_F(MenuTest, ExitDuringAFadeRestartsItAndIsNeverAQuickExit) {
    frameAt(3000);
    onKeyboard(27, 0, 0);
    EXPECT_EQ(exitFadeStart, 3.0f);
    frameAt(4000);
    onMenu(exitEntry);
    EXPECT_EQ(exitFadeStart, 4.0f);
    onMenu(exitEntry);
    EXPECT_EQ(exitFadeStart, 4.0f);
    onMenu(resetEntry);
    EXPECT_EQ(exitFadeStart, 0.0f);
}

// These end the process, or must not, so each runs in a child.
class MenuExitDeathTest : public ProgramTest {};

TEST_F(MenuExitDeathTest, ExitDuringAFadeExitsTwoSecondsAfterTheChoice) {
    expectExitAtFrame(
        [] {
            frameAt(3000);
            onKeyboard(27, 0, 0);
            frameAt(4000);
            onMenu(exitEntry);
            onMenu(exitEntry);
            frameAt(5001);
            frameAt(6000);
        },
        6001);
}

TEST_F(MenuExitDeathTest, ResetDuringAFadeCancelsItAndFramesGoOn) {
    expectFramesRunOn([] {
        frameAt(3000);
        onMenu(exitEntry);
        frameAt(4900);
        onMenu(resetEntry);
        for (int ms = 5000; ms <= 12000; ms += 100) frameAt(ms);
    });
}

class MouseTest : public ProgramTest {};

TEST_F(MouseTest, LeftButtonDownAndUpSetAndClearTheFlag) {
    onMouseButton(GLUT_LEFT_BUTTON, GLUT_DOWN, 3, 4);
    EXPECT_EQ(mouseButtonDown, 1);
    onMouseButton(GLUT_LEFT_BUTTON, GLUT_DOWN, 900, 700);
    EXPECT_EQ(mouseButtonDown, 1);
    onMouseButton(GLUT_LEFT_BUTTON, GLUT_UP, 3, 4);
    EXPECT_EQ(mouseButtonDown, 0);
    onMouseButton(GLUT_LEFT_BUTTON, GLUT_UP, -5, -5);
    EXPECT_EQ(mouseButtonDown, 0);
}

// GLUT keeps right presses for the menu; the callback ignores them and every other button too.
TEST_F(MouseTest, OtherButtonsNeverChangeTheFlag) {
    for (int button : {GLUT_RIGHT_BUTTON, GLUT_MIDDLE_BUTTON, 3, 4, 7, -1}) {
        for (int state : {GLUT_DOWN, GLUT_UP}) {
            for (int held : {0, 1}) {
                SCOPED_TRACE(testing::Message() << button << " " << state << " " << held);
                mouseButtonDown = held;
                onMouseButton(button, state, 10, 10);
                EXPECT_EQ(mouseButtonDown, held);
            }
        }
    }
}

TEST_F(MouseTest, OtherStatesOfTheLeftButtonAreIgnored) {
    for (int state : {-1, 2, 3, 100}) {
        for (int held : {0, 1}) {
            SCOPED_TRACE(testing::Message() << state << " " << held);
            mouseButtonDown = held;
            onMouseButton(GLUT_LEFT_BUTTON, state, 10, 10);
            EXPECT_EQ(mouseButtonDown, held);
        }
    }
}

TEST_F(MouseTest, APressCountsOnceAndOnlyWhenAFrameSeesTheButtonDown) {
    frameAt(commandMs);
    int scored = scoredClicks();
    onMouseButton(GLUT_LEFT_BUTTON, GLUT_DOWN, 0, 0);
    onMouseButton(GLUT_LEFT_BUTTON, GLUT_UP, 0, 0);
    frameAt(commandMs + 20);
    EXPECT_EQ(scoredClicks(), scored);

    onMouseButton(GLUT_LEFT_BUTTON, GLUT_DOWN, 0, 0);
    EXPECT_EQ(scoredClicks(), scored);  // the next frame scores it, not the callback
    frameAt(commandMs + 40);
    EXPECT_EQ(scoredClicks(), scored + 1);
    frameAt(commandMs + 60);
    frameAt(commandMs + 80);
    EXPECT_EQ(scoredClicks(), scored + 1);

    onMouseButton(GLUT_LEFT_BUTTON, GLUT_UP, 0, 0);
    frameAt(commandMs + 100);
    onMouseButton(GLUT_LEFT_BUTTON, GLUT_DOWN, 0, 0);
    frameAt(commandMs + 120);
    EXPECT_EQ(scoredClicks(), scored + 2);

    onMenu(resetEntry);
    EXPECT_EQ(mouseButtonDown, 0);
}
