// The keyboard: every key's setting and status message, the cycles and bounds, the exit request,
// the one-shot clear, full screen and the pointer.
#include "input/keyboard.h"

#include <GL/freeglut.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>

#include "app/clock.h"
#include "app/frame.h"
#include "app/settings.h"
#include "app/window.h"
#include "test/reaction_test.h"
#include "tests/support/commands.h"
#include "tests/support/gl_test.h"
#include "tests/support/screen.h"
#include "text/text_printer.h"

namespace {

// One key pressed from the state after a reset: what it shows, how, and what it changes.
struct KeyRow {
    unsigned char key;
    Shown how;
    const char* text;
    int clearAfter;     // clearRequest right after the key (it is 1 before every key)
    void (*prepare)();  // extra state before the key, or null
    void (*check)();
};

// A key press with the pointer at the corner; the position is never used.
void press(unsigned char key) {
    onKeyboard(key, 0, 0);
}

// A frame at 10 s, then a black buffer, a marked status message and a pending clear request.
void prepareKeyPress() {
    prepareCommand();
    fullScreen = 1;
    clearRequest = 1;
}

// The image index a digit key leaves.
template <int digit>
void expectImageIndex() {
    EXPECT_EQ(settings.imageIndex, digit);
}

// An exit request at 10 s, with the help screen closed.
void expectHelpClosedAndFadeAtTen() {
    EXPECT_EQ(exitFadeStart, commandSeconds);
    EXPECT_EQ(showHelp, 0);
}

// Two recorded times, 7 and then 5 sixtieths.
void prepareEraseOfFive() {
    reactionTest.tries = 2;
    reactionTest.scrollCount = 0;
    reactionTest.exactHistory[0] = reactionTest.history[0] = 7.0f;
    reactionTest.exactHistory[1] = reactionTest.history[1] = 5.0f;
    reactionTest.lastTime = 5.0f;
    reactionTest.timeSum = 12.0f;
}

// Only the 7 is left.
void expectFiveErased() {
    EXPECT_EQ(reactionTest.tries, 1);
    EXPECT_EQ(reactionTest.lastTime, 7.0f);
    EXPECT_EQ(reactionTest.timeSum, 7.0f);
}

// The pointer shown, so that hiding it can be seen.
void prepareArrow() {
    glutSetCursor(GLUT_CURSOR_LEFT_ARROW);
}

// Camera mode 1 with the pointer hidden.
void expectCameraTwoHidden() {
    EXPECT_EQ(settings.cameraMode, 1);
    EXPECT_EQ(glutGet(GLUT_WINDOW_CURSOR), GLUT_CURSOR_NONE);
}

// Every key with a command except f and F, whose window change has tests of its own.
const KeyRow keyRows[] = {
    {'-', Shown::drawn, "Rotate Speed: 0.90\n", 0, nullptr,
     [] { EXPECT_EQ(settings.rotateSpeed, times(1.0f, 0.9)); }},
    {'=', Shown::drawn, "Rotate Speed: 1.11\n", 0, nullptr,
     [] { EXPECT_EQ(settings.rotateSpeed, times(1.0f, 1.111111)); }},
    {'_', Shown::drawn, "Movement Speed: 0.90\n", 0, nullptr,
     [] { EXPECT_EQ(settings.movementSpeed, times(1.0f, 0.9)); }},
    {'+', Shown::drawn, "Movement Speed: 1.11\n", 0, nullptr,
     [] { EXPECT_EQ(settings.movementSpeed, times(1.0f, 1.111111)); }},
    {'[', Shown::drawn, "Object Size: 0.95\n", 0, nullptr,
     [] { EXPECT_EQ(settings.objectSize, times(1.0f, 0.95)); }},
    {']', Shown::drawn, "Object Size: 1.06\n", 0, nullptr,
     [] { EXPECT_EQ(settings.objectSize, times(1.0f, 1.055555)); }},
    {'{', Shown::drawn, "CameraZ: 0.45\n", 0, nullptr,
     [] { EXPECT_EQ(settings.cameraZ, (float)(0.5f - 0.05)); }},
    {'}', Shown::drawn, "CameraZ: 0.55\n", 0, nullptr,
     [] { EXPECT_EQ(settings.cameraZ, (float)(0.5f + 0.05)); }},
    {',', Shown::drawn, "FOV: 101 Degrees\n", 0, nullptr,
     [] { EXPECT_EQ(settings.fieldOfView, 101); EXPECT_EQ(cameraFieldOfView, 101.0f); }},
    {'.', Shown::drawn, "FOV:  99 Degrees\n", 0, nullptr,
     [] { EXPECT_EQ(settings.fieldOfView, 99); EXPECT_EQ(cameraFieldOfView, 99.0f); }},
    {'<', Shown::drawn, "Tesselation: 9\n", 0, nullptr,
     [] { EXPECT_EQ(settings.tessellation, 9); }},
    {'>', Shown::drawn, "Tesselation: 11\n", 0, nullptr,
     [] { EXPECT_EQ(settings.tessellation, 11); }},
    {'c', Shown::drawn, "Frame/Second Clock On", 0, nullptr, [] { EXPECT_EQ(settings.showFps, 1); }},
    {'C', Shown::drawn, "Frame/Second Clock On", 0, nullptr, [] { EXPECT_EQ(settings.showFps, 1); }},
    {'d', Shown::drawn, "DepthCue Fog Off", 0, nullptr, [] { EXPECT_EQ(settings.fogOn, 0); }},
    {'D', Shown::drawn, "DepthCue Fog Off", 0, nullptr, [] { EXPECT_EQ(settings.fogOn, 0); }},
    {'p', Shown::drawn, "Pause Motion", 0, nullptr, [] { EXPECT_EQ(pauseMotion, 1); }},
    {'P', Shown::drawn, "Pause Motion", 0, nullptr, [] { EXPECT_EQ(pauseMotion, 1); }},
    {'s', Shown::none, nullptr, 0, nullptr, [] { EXPECT_EQ(settings.lightsOn, 1); }},
    {'S', Shown::none, nullptr, 0, nullptr, [] { EXPECT_EQ(settings.lightsOn, 1); }},
    {'t', Shown::drawn, "Textures Off", 0, nullptr, [] { EXPECT_EQ(settings.texturesOn, 0); }},
    {'T', Shown::drawn, "Textures Off", 0, nullptr, [] { EXPECT_EQ(settings.texturesOn, 0); }},
    {'u', Shown::drawn, "Universe Off", 0, nullptr, [] { EXPECT_EQ(settings.universeOn, 0); }},
    {'U', Shown::drawn, "Universe Off", 0, nullptr, [] { EXPECT_EQ(settings.universeOn, 0); }},
    {' ', Shown::none, nullptr, 0, nullptr,
     [] { EXPECT_EQ(settings.clearEachFrame, 0); EXPECT_EQ(settings.blanking, 0.75f); }},
    {'/', Shown::none, nullptr, 0, nullptr, [] { EXPECT_EQ(showHelp, 1); }},
    {'?', Shown::none, nullptr, 0, nullptr, [] { EXPECT_EQ(showHelp, 1); }},
    {'w', Shown::drawn, "PolyMode 2/3: Lines", 0, nullptr, [] { EXPECT_EQ(settings.polygonMode, 1); }},
    {'W', Shown::drawn, "PolyMode 2/3: Lines", 0, nullptr, [] { EXPECT_EQ(settings.polygonMode, 1); }},
    {'l', Shown::drawn, "Letterbox: 1", 1, nullptr, [] { EXPECT_EQ(settings.letterbox, 1); }},
    {'L', Shown::drawn, "Letterbox: 1", 1, nullptr, [] { EXPECT_EQ(settings.letterbox, 1); }},
    {'v', Shown::drawn, "Camera 2: Manual Mouse/Arrow Key Control", 0, prepareArrow,
     expectCameraTwoHidden},
    {'V', Shown::drawn, "Camera 2: Manual Mouse/Arrow Key Control", 0, prepareArrow,
     expectCameraTwoHidden},
    {'i', Shown::set, "No Image Options", 0, [] { settings.imageIndex = 1; }, expectImageIndex<0>},
    {'I', Shown::set, "No Image Options", 0, [] { settings.imageIndex = 1; }, expectImageIndex<0>},
    {'o', Shown::set, "No Options", 0, [] { settings.optionIndex = 1; },
     [] { EXPECT_EQ(settings.optionIndex, 0); }},
    {'O', Shown::set, "No Options", 0, [] { settings.optionIndex = 1; },
     [] { EXPECT_EQ(settings.optionIndex, 0); }},
    {27, Shown::none, nullptr, 0, [] { showHelp = 1; }, expectHelpClosedAndFadeAtTen},
    {'q', Shown::none, nullptr, 0, [] { showHelp = 1; }, expectHelpClosedAndFadeAtTen},
    {'Q', Shown::none, nullptr, 0, [] { showHelp = 1; }, expectHelpClosedAndFadeAtTen},
    {'r', Shown::none, nullptr, 1, prepareStateForReset, expectResetDone},
    {'R', Shown::none, nullptr, 1, prepareStateForReset, expectResetDone},
    {'0', Shown::set, "No Image Options", 0, [] { settings.imageIndex = 3; }, expectImageIndex<0>},
    {'1', Shown::set, "Image 1/1: ", 0, nullptr, expectImageIndex<1>},
    {'2', Shown::none, nullptr, 0, nullptr, expectImageIndex<2>},
    {'3', Shown::none, nullptr, 0, nullptr, expectImageIndex<3>},
    {'4', Shown::none, nullptr, 0, nullptr, expectImageIndex<4>},
    {'5', Shown::none, nullptr, 0, nullptr, expectImageIndex<5>},
    {'6', Shown::none, nullptr, 0, nullptr, expectImageIndex<6>},
    {'7', Shown::none, nullptr, 0, nullptr, expectImageIndex<7>},
    {'8', Shown::none, nullptr, 0, nullptr, expectImageIndex<8>},
    {'9', Shown::none, nullptr, 0, nullptr, expectImageIndex<9>},
    {'e', Shown::none, nullptr, 0, prepareEraseOfFive, expectFiveErased},
    {'E', Shown::none, nullptr, 0, prepareEraseOfFive, expectFiveErased},
    {'b', Shown::drawn, "b: 3", 0, nullptr, [] { EXPECT_EQ(counterLowerB, 3); }},
    {'B', Shown::drawn, "B: 2", 0, nullptr, [] { EXPECT_EQ(counterUpperB, 2); }},
    {'n', Shown::drawn, "n: 1", 0, nullptr, [] { EXPECT_EQ(counterN, 1); }},
};

// Keys with a command: the table and the full-screen toggle.
bool hasCommand(int key) {
    if (key == 'f' || key == 'F') return true;
    for (const KeyRow& row : keyRows)
        if (row.key == key) return true;
    return false;
}

// Everything a key could change besides the status message and the clear request.
struct KeyState {
    std::string fields = settingsBytes();
    int pause = pauseMotion;
    float fieldOfView = cameraFieldOfView;
    float fadeStart = exitFadeStart;
    int help = showHelp;
    int full = fullScreen;
    int step = letterboxStep;
    int lowerB = counterLowerB;
    int upperB = counterUpperB;
    int n = counterN;
    int button = mouseButtonDown;
    int tries = reactionTest.tries;
    int cursor = glutGet(GLUT_WINDOW_CURSOR);
};

// Nothing of the state a key could change differs from before.
void expectUnchanged(const KeyState& before) {
    KeyState now;
    EXPECT_TRUE(now.fields == before.fields);
    EXPECT_EQ(now.pause, before.pause);
    EXPECT_EQ(now.fieldOfView, before.fieldOfView);
    EXPECT_EQ(now.fadeStart, before.fadeStart);
    EXPECT_EQ(now.help, before.help);
    EXPECT_EQ(now.full, before.full);
    EXPECT_EQ(now.step, before.step);
    EXPECT_EQ(now.lowerB, before.lowerB);
    EXPECT_EQ(now.upperB, before.upperB);
    EXPECT_EQ(now.n, before.n);
    EXPECT_EQ(now.button, before.button);
    EXPECT_EQ(now.tries, before.tries);
    EXPECT_EQ(now.cursor, before.cursor);
}

// Presses a key at the current clock and expects the status line drawn at once with this text.
void expectKeyShows(unsigned char key, const char* text) {
    expectCommandShows(Shown::drawn, [](int code) { press((unsigned char)code); }, key, text);
}

}  // namespace

class KeyCommandTest : public ProgramTest {};

TEST_F(KeyCommandTest, EveryCommandKeyChangesItsSettingAndShowsItsExactText) {
    for (const KeyRow& row : keyRows) {
        SCOPED_TRACE(testing::Message() << "key " << (int)row.key << " '" << row.key << "'");
        prepareKeyPress();
        if (row.prepare) row.prepare();
        press(row.key);
        expectShown(row.how, row.text);
        EXPECT_EQ(clearRequest, row.clearAfter);
        row.check();
    }
}

// ( and ), N, control bytes and the upper half among them.
TEST_F(KeyCommandTest, EveryOtherByteOnlyWithdrawsThePendingClear) {
    int others = 0;
    for (int key = 0; key < 256; key++) {
        if (hasCommand(key)) continue;
        SCOPED_TRACE(testing::Message() << "key " << key);
        prepareKeyPress();
        KeyState before;
        onKeyboard((unsigned char)key, key, -key);
        expectShown(Shown::none, nullptr);
        EXPECT_EQ(clearRequest, 0);
        expectUnchanged(before);
        others++;
    }
    EXPECT_EQ(others, 256 - 2 - (int)(sizeof keyRows / sizeof keyRows[0]));  // no key listed twice
}

TEST_F(KeyCommandTest, SecondPressOfASwitchShowsTheOtherText) {
    const struct {
        unsigned char key;
        const char* second;
    } switches[] = {
        {'c', "Frame/Second Clock Off"}, {'D', "DepthCue Fog On"}, {'p', "Continue Motion"},
        {'T', "Textures On"},            {'u', "Universe On"},
    };
    frameAt(commandMs);
    for (const auto& s : switches) {
        SCOPED_TRACE(s.second);
        press(s.key);
        expectKeyShows(s.key, s.second);
    }
    EXPECT_EQ(settings.showFps, 0);
    EXPECT_EQ(settings.fogOn, 1);
    EXPECT_EQ(pauseMotion, 0);
    EXPECT_EQ(settings.texturesOn, 1);
    EXPECT_EQ(settings.universeOn, 1);
    press('s');
    press('s');
    EXPECT_EQ(settings.lightsOn, 0);
    press(' ');
    press(' ');
    EXPECT_EQ(settings.clearEachFrame, 1);
}

class KeyCycleTest : public ProgramTest {};

TEST_F(KeyCycleTest, LetterboxRisesToSixFallsBackAndStartsOverAfterAReset) {
    frameAt(commandMs);
    const int heights[] = {1, 2, 3, 4, 5, 6, 5, 4, 3, 2, 1, 0, 1};
    char text[32];
    for (int height : heights) {
        std::snprintf(text, sizeof text, "Letterbox: %d", height);
        expectKeyShows('L', text);
        EXPECT_EQ(settings.letterbox, height);
        EXPECT_EQ(clearRequest, 1);
    }
    for (int i = 0; i < 6; i++) press('l');
    ASSERT_EQ(settings.letterbox, 5);  // on the way down
    press('R');
    EXPECT_EQ(settings.letterbox, 0);
    expectKeyShows('l', "Letterbox: 1");
    expectKeyShows('l', "Letterbox: 2");
}

TEST_F(KeyCycleTest, CountersOfBAndCapitalBAndNWrapAndCapitalNDoesNothing) {
    frameAt(commandMs);
    char text[16];
    const int lower[] = {3, 4, 5, 6, 7, 8, 0, 1, 2};
    for (int value : lower) {
        std::snprintf(text, sizeof text, "b: %d", value);
        expectKeyShows('b', text);
    }
    const int upper[] = {2, 3, 4, 5, 6, 7, 0, 1};
    for (int value : upper) {
        std::snprintf(text, sizeof text, "B: %d", value);
        expectKeyShows('B', text);
    }
    const int n[] = {1, 2, 3, 4, 5, 6, 7, 8, 0};
    for (int value : n) {
        std::snprintf(text, sizeof text, "n: %d", value);
        expectKeyShows('n', text);
    }
    press('N');
    EXPECT_EQ(counterN, 0);
    EXPECT_STREQ(textPrinter.lastText, "n: 0");
    press('n');
    press('R');
    EXPECT_EQ(counterLowerB, 2);
    EXPECT_EQ(counterUpperB, 1);
    EXPECT_EQ(counterN, 0);
}

TEST_F(KeyCycleTest, PolygonModeCyclesThroughItsThreeMessages) {
    frameAt(commandMs);
    expectKeyShows('W', "PolyMode 2/3: Lines");
    expectKeyShows('W', "PolyMode 3/3: Points");
    EXPECT_EQ(settings.polygonMode, 2);
    expectKeyShows('w', "PolyMode 1/3: Polygons");
    EXPECT_EQ(settings.polygonMode, 0);

    // A mode set from outside the cycle has no name: it steps on and shows nothing.
    for (int mode : {-3, 3, 1000}) {
        settings.polygonMode = mode;
        textPrinter.lastText[0] = '\0';
        press('w');
        EXPECT_EQ(settings.polygonMode, mode + 1);
        EXPECT_STREQ(textPrinter.lastText, "");
    }
}

TEST_F(KeyCycleTest, CameraModeAlternatesWithItsTwoMessages) {
    frameAt(commandMs);
    expectKeyShows('v', "Camera 2: Manual Mouse/Arrow Key Control");
    expectKeyShows('V', "Camera 1: Auto");
    EXPECT_EQ(settings.cameraMode, 0);
}

TEST_F(KeyCycleTest, FieldOfViewStopsAt179And1AndStillShows) {
    frameAt(commandMs);
    cameraFieldOfView = 178.0f;
    expectKeyShows(',', "FOV: 179 Degrees\n");
    expectKeyShows(',', "FOV: 179 Degrees\n");
    EXPECT_EQ(cameraFieldOfView, 179.0f);
    EXPECT_EQ(settings.fieldOfView, 179);
    cameraFieldOfView = 2.0f;
    expectKeyShows('.', "FOV:   1 Degrees\n");
    expectKeyShows('.', "FOV:   1 Degrees\n");
    EXPECT_EQ(cameraFieldOfView, 1.0f);
    EXPECT_EQ(settings.fieldOfView, 1);
}

TEST_F(KeyCycleTest, TessellationStopsAt3And40AndStillShows) {
    frameAt(commandMs);
    settings.tessellation = 4;
    expectKeyShows('<', "Tesselation: 3\n");
    expectKeyShows('<', "Tesselation: 3\n");
    EXPECT_EQ(settings.tessellation, 3);
    settings.tessellation = 39;
    expectKeyShows('>', "Tesselation: 40\n");
    expectKeyShows('>', "Tesselation: 40\n");
    EXPECT_EQ(settings.tessellation, 40);
}

TEST_F(KeyCycleTest, DigitsPickTheImageAndIStepsANegativeIndexUp) {
    frameAt(commandMs);
    textPrinter.statusExpiry = 0.0;
    press('5');
    EXPECT_EQ(settings.imageIndex, 5);
    EXPECT_EQ(textPrinter.statusExpiry, 0.0);
    press('I');
    EXPECT_EQ(settings.imageIndex, 0);
    EXPECT_STREQ(textPrinter.lastText, "No Image Options");
    press('1');
    EXPECT_STREQ(textPrinter.lastText, "Image 1/1: ");
    settings.imageIndex = -2;
    settings.optionIndex = -1;
    textPrinter.lastText[0] = '\0';
    press('i');
    EXPECT_EQ(settings.imageIndex, -1);
    EXPECT_STREQ(textPrinter.lastText, "");
    press('o');
    EXPECT_EQ(settings.optionIndex, 0);
    EXPECT_STREQ(textPrinter.lastText, "No Options");
    press('o');
    EXPECT_EQ(settings.optionIndex, 0);
}

TEST_F(KeyCycleTest, QuickExitNeverLandsOnZero) {
    frameAt(5000);
    press(27);
    EXPECT_EQ(exitFadeStart, 5.0f);
    press('q');
    EXPECT_EQ(exitFadeStart, -5.0f);
    press('Q');
    EXPECT_EQ(exitFadeStart, -5.0f);
    press('R');
    frameAt(6000);
    press(27);
    press(27);
    EXPECT_EQ(exitFadeStart, 6.0f - 5.0f);
    press('r');
    EXPECT_EQ(exitFadeStart, 0.0f);
}

// Exit requests end the process, so each runs in a child.
class ExitKeyDeathTest : public ProgramTest {};

TEST_F(ExitKeyDeathTest, OnePressFadesOutAndExitsAfterTwoSeconds) {
    for (unsigned char key : {(unsigned char)27, (unsigned char)'q', (unsigned char)'Q'}) {
        SCOPED_TRACE((int)key);
        expectExitAtFrame(
            [key] {
                frameAt(3000);
                press(key);
                frameAt(4000);
                frameAt(5000);
            },
            5001);
    }
}

TEST_F(ExitKeyDeathTest, SecondPressExitsAtTheNextFrame) {
    const unsigned char pairs[][2] = {{27, 27}, {'q', 'q'}, {'Q', 'Q'}, {27, 'q'}};
    for (const auto& pair : pairs) {
        SCOPED_TRACE((int)pair[1]);
        expectExitAtFrame(
            [&pair] {
                frameAt(3000);
                press(pair[0]);
                frameAt(3100);
                press(pair[1]);
            },
            3117);
    }
}

TEST_F(ExitKeyDeathTest, QuickExitAtFiveSecondsStillExitsAtTheNextFrame) {
    expectExitAtFrame(
        [] {
            frameAt(5000);
            press(27);
            press(27);
        },
        5017);
}

TEST_F(ExitKeyDeathTest, ExitAskedForDuringTheFadeInWaitsForIt) {
    expectExitAtFrame(
        [] {
            frameAt(500);
            press(27);
            press(27);
            frameAt(1000);
            frameAt(1999);
        },
        2000);
    expectExitAtFrame(
        [] {
            frameAt(500);
            press('q');
            frameAt(2000);
            frameAt(2500);
        },
        2501);
}

TEST_F(ExitKeyDeathTest, ResetWithinTheFadeCancelsItAndFramesGoOn) {
    expectFramesRunOn([] {
        frameAt(3000);
        press(27);
        frameAt(4500);
        press('R');
        for (int ms = 4600; ms <= 12000; ms += 100) frameAt(ms);
    });
}

class ClearRequestTest : public ProgramTest {};

// With neither clearing nor trails, a red picture stays unless a frame clears it.
void keepRedPicture() {
    settings.clearEachFrame = 0;
    settings.blanking = 1.0f;
    fillWindow(1.0f, 0.0f, 0.0f);
}

// Pixels still red anywhere in the window.
int redPixels() {
    return countColor(capture(0, 0, testWindowWidth, testWindowHeight), 255, 0, 0, 40);
}

TEST_F(ClearRequestTest, AKeyAfterLWithdrawsTheClearOfTheNextFrame) {
    frameAt(commandMs);
    keepRedPicture();
    press('L');
    frameAt(commandMs + 20);
    EXPECT_EQ(redPixels(), 0);
    EXPECT_EQ(clearRequest, 0);

    keepRedPicture();
    press('L');
    press('x');
    EXPECT_EQ(clearRequest, 0);
    frameAt(commandMs + 40);
    EXPECT_GT(redPixels(), testWindowWidth * testWindowHeight / 4);  // the results draw over some

    press('R');
    EXPECT_EQ(clearRequest, 1);
    press(')');
    EXPECT_EQ(clearRequest, 0);
}

// The program's own frames run here, since they settle the window after each reshape.
class FullScreenTest : public ProgramTest {
protected:
    void SetUp() override {
        ProgramTest::SetUp();
        // The program's frames read the real clock: requests are timed by it too.
        elapsedMilliseconds = readElapsedMilliseconds();
        glutDisplayFunc(onDisplay);
    }
    void TearDown() override {
        fullScreen = 1;
        settings.cameraMode = 0;
        requestWindowSize(testWindowWidth, testWindowHeight);
        waitForWindowSize(testWindowWidth, testWindowHeight);
        glutDisplayFunc([] {});
    }

    // A size that holds: reached, and still there after the events that follow have settled.
    static void expectSizeHolds(int width, int height) {
        ASSERT_TRUE(waitForWindowSize(width, height))
            << "the window is " << glutGet(GLUT_WINDOW_WIDTH) << "x" << glutGet(GLUT_WINDOW_HEIGHT);
        for (int i = 0; i < 100; i++) {
            glutMainLoopEvent();
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        EXPECT_EQ(glutGet(GLUT_WINDOW_WIDTH), width);
        EXPECT_EQ(glutGet(GLUT_WINDOW_HEIGHT), height);
        EXPECT_EQ(windowWidth, width);
        EXPECT_EQ(windowHeight, height);
    }
};

TEST_F(FullScreenTest, LeavingFullScreenGivesA600By600WindowWithTheArrow) {
    int screenWidth = glutGet(GLUT_SCREEN_WIDTH);
    int screenHeight = glutGet(GLUT_SCREEN_HEIGHT);
    fullScreen = 0;  // the test window starts as a window
    glutSetCursor(GLUT_CURSOR_LEFT_ARROW);
    press('F');
    EXPECT_EQ(fullScreen, 1);
    EXPECT_EQ(clearRequest, 1);
    EXPECT_EQ(glutGet(GLUT_WINDOW_CURSOR), GLUT_CURSOR_NONE);
    expectSizeHolds(screenWidth, screenHeight);

    press('F');
    EXPECT_EQ(fullScreen, 0);
    EXPECT_EQ(clearRequest, 0);
    EXPECT_EQ(glutGet(GLUT_WINDOW_CURSOR), GLUT_CURSOR_LEFT_ARROW);
    expectSizeHolds(windowedSize, windowedSize);
}

// Quick presses settle where the last one asked, however they fall between frames ('.' is one
// pass of GLUT's events, as between two frames).
TEST_F(FullScreenTest, QuickPressesEndWhereTheLastPressAsked) {
    int screenWidth = glutGet(GLUT_SCREEN_WIDTH);
    int screenHeight = glutGet(GLUT_SCREEN_HEIGHT);
    for (std::string presses : {"FF", "F.F", "F..F", "FFF", "F.F.F", "FF.F"}) {
        SCOPED_TRACE(presses);
        fullScreen = 0;
        press('F');
        expectSizeHolds(screenWidth, screenHeight);
        for (char c : presses) c == '.' ? glutMainLoopEvent() : press('F');
        bool windowed = std::count(presses.begin(), presses.end(), 'F') % 2 == 1;
        EXPECT_EQ(fullScreen, windowed ? 0 : 1);
        EXPECT_EQ(glutGet(GLUT_WINDOW_CURSOR), windowed ? GLUT_CURSOR_LEFT_ARROW : GLUT_CURSOR_NONE);
        expectSizeHolds(windowed ? windowedSize : screenWidth, windowed ? windowedSize : screenHeight);
    }
}

TEST_F(FullScreenTest, CameraModeOneKeepsThePointerHiddenInTheWindow) {
    int screenWidth = glutGet(GLUT_SCREEN_WIDTH);
    int screenHeight = glutGet(GLUT_SCREEN_HEIGHT);
    fullScreen = 0;
    press('f');
    expectSizeHolds(screenWidth, screenHeight);
    press('v');
    EXPECT_EQ(settings.cameraMode, 1);
    press('f');
    EXPECT_EQ(fullScreen, 0);
    EXPECT_EQ(glutGet(GLUT_WINDOW_CURSOR), GLUT_CURSOR_NONE);
    expectSizeHolds(windowedSize, windowedSize);
}

class PointerTest : public ProgramTest {};

TEST_F(PointerTest, InFullScreenBothCameraModesKeepThePointerHidden) {
    fullScreen = 1;
    glutSetCursor(GLUT_CURSOR_LEFT_ARROW);
    press('V');
    EXPECT_EQ(settings.cameraMode, 1);
    EXPECT_EQ(glutGet(GLUT_WINDOW_CURSOR), GLUT_CURSOR_NONE);
    press('V');
    EXPECT_EQ(settings.cameraMode, 0);
    EXPECT_EQ(glutGet(GLUT_WINDOW_CURSOR), GLUT_CURSOR_NONE);
}

TEST_F(PointerTest, InAWindowModeZeroShowsTheArrowAndModeOneHidesIt) {
    fullScreen = 0;
    glutSetCursor(GLUT_CURSOR_LEFT_ARROW);
    press('v');
    EXPECT_EQ(glutGet(GLUT_WINDOW_CURSOR), GLUT_CURSOR_NONE);
    press('v');
    EXPECT_EQ(settings.cameraMode, 0);
    EXPECT_EQ(glutGet(GLUT_WINDOW_CURSOR), GLUT_CURSOR_LEFT_ARROW);
    fullScreen = 1;
    glutSetCursor(GLUT_CURSOR_NONE);
}
