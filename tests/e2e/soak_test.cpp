// A minute of random input against the sanitizer build: every key byte, the special keys, clicks,
// menu picks and window sizes down to 1 by 1. The program must keep drawing, report nothing, still
// end cleanly on Escape and leave no block that its own code allocated unfreed.
#include "tests/e2e/harness.h"

#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <random>
#include <thread>

namespace {

constexpr double stormSeconds = 62.0;
constexpr double probeEverySeconds = 10.0;
constexpr unsigned defaultSeed = 20240607;

struct KeyStroke {
    unsigned long keysym;
    unsigned modifiers;
};

class SoakE2e : public E2eTest {
protected:
    std::mt19937 random{defaultSeed};
    KeyCode spareKeycode = 0;

    int uniform(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); }

    // Every byte a key can produce, except those that end the program or leave full screen.
    std::vector<KeyStroke> keyBytes() {
        std::vector<KeyStroke> keys;
        for (int c = 0x20; c <= 0x7E; c++)
            if (c != 'q' && c != 'Q' && c != 'f' && c != 'F') keys.push_back({(unsigned long)c, 0});
        for (int c = 0xA0; c <= 0xFF; c++) keys.push_back({(unsigned long)c, 0});  // Latin-1
        for (int c = 'a'; c <= 'z'; c++) keys.push_back({(unsigned long)c, ControlMask});  // 1..26
        for (unsigned long sym : {XK_BackSpace, XK_Tab, XK_Linefeed, XK_Return, XK_Delete})
            keys.push_back({sym, 0});
        return keys;
    }

    std::vector<unsigned long> specialKeys() {
        std::vector<unsigned long> keys;
        for (unsigned long sym = XK_F1; sym <= XK_F12; sym++) keys.push_back(sym);
        for (unsigned long sym : {XK_Prior, XK_Next, XK_Home, XK_End, XK_Left, XK_Up, XK_Right,
                                  XK_Down, XK_Insert})
            keys.push_back(sym);
        return keys;
    }

    // A keycode with nothing on it, to carry the keysyms the keyboard map lacks.
    void findSpareKeycode() {
        int low, high, perCode;
        XDisplayKeycodes(display, &low, &high);
        KeySym* map = XGetKeyboardMapping(display, (KeyCode)low, high - low + 1, &perCode);
        for (int code = high; code >= low && !spareKeycode; code--) {
            bool empty = true;
            for (int i = 0; i < perCode; i++)
                if (map[(code - low) * perCode + i] != NoSymbol) empty = false;
            if (empty) spareKeycode = (KeyCode)code;
        }
        XFree(map);
        ASSERT_NE(spareKeycode, 0) << "no free keycode";
    }

    // Keysyms the map lacks go on the spare keycode first. Xlib's cached map does not learn of
    // that, so that keycode is pressed directly.
    void strike(const KeyStroke& stroke) {
        if (XKeysymToKeycode(display, stroke.keysym) != 0) {
            key(stroke.keysym, stroke.modifiers);
            return;
        }
        KeySym sym = stroke.keysym;
        XChangeKeyboardMapping(display, spareKeycode, 1, &sym, 1);
        XSetInputFocus(display, snapwitWindow, RevertToPointerRoot, CurrentTime);
        XTestFakeKeyEvent(display, spareKeycode, True, CurrentTime);
        XTestFakeKeyEvent(display, spareKeycode, False, CurrentTime);
        XSync(display, False);
    }

    void restoreFullSize() {
        XResizeWindow(display, snapwitWindow, screenWidth, screenHeight);
        XSync(display, False);
        EXPECT_TRUE(waitForWindowSize(screenWidth, screenHeight, responseSeconds));
    }

    // A right press opens the menu; any entry but Exit is picked with the left button.
    void pickFromMenu() {
        restoreFullSize();
        // freeglut opens no menu for a press at window x or y 0.
        int x = uniform(1, screenWidth - 200), y = uniform(1, screenHeight - 260);
        pickMenuEntry(uniform(0, menuExitEntry - 1), x, y);
    }

    void resizeRandomly() {
        int choice = uniform(0, 3);
        int width = choice == 0 ? 1 : uniform(1, screenWidth);
        int height = choice == 0 ? 1 : uniform(1, screenHeight);
        if (choice == 3) {
            width = screenWidth;
            height = screenHeight;
        }
        XResizeWindow(display, snapwitWindow, (unsigned)width, (unsigned)height);
        XSync(display, False);
    }

    void leftClick() {
        moveTo(uniform(0, screenWidth - 1), uniform(0, screenHeight - 1));
        button(1, true);
        std::this_thread::sleep_for(std::chrono::milliseconds(uniform(0, 60)));
        button(1, false);
    }

    // Back at full size, with clearing on again after a reset (the storm may have left trails that
    // keep everything ever drawn), once the count lines show at their full-screen place: until the
    // program has drawn at the new size the window shows what the server left there.
    void settle() {
        restoreFullSize();
        character('r');
        EXPECT_TRUE(waitFor([&] { return grab(layout::countLines).lit() > 200; }, responseSeconds))
            << "no count lines at full size";
    }

    // The program still draws: the help screen toggles.
    void expectDrawing() {
        settle();
        Picture before = grabQuiet(layout::helpText);
        character('?');
        EXPECT_TRUE(waitFor([&] { return maskDifference(before, grab(layout::helpText)) > 50; },
                            responseSeconds, 10))
            << "the screen stopped changing";
    }
};

// The blocks of LeakSanitizer's exit report that the program's own code allocated: unsymbolised,
// every frame names its module, and the program's is its executable. The driver's window buffers,
// leaked inside a driver that has unloaded itself by then, have no such frame.
std::vector<std::string> programLeaks(const std::string& report) {
    std::vector<std::string> leaks;
    const std::string ownFrame = std::string("(") + SNAPWIT_BINARY + "+0x";
    for (size_t at = report.find(" leak of "); at != std::string::npos;
         at = report.find(" leak of ", at + 1)) {
        size_t start = report.rfind('\n', at) + 1;
        std::string block = report.substr(start, report.find("\n\n", at) - start);
        if (block.find(ownFrame) != std::string::npos) leaks.push_back(block);
    }
    return leaks;
}

TEST_F(SoakE2e, AMinuteOfRandomInputLeavesItDrawingSilentAndWithoutLeaksThenEscapeEndsIt) {
    if (const char* seed = std::getenv("SNAPWIT_SOAK_SEED")) random.seed((unsigned)std::atol(seed));
    findSpareKeycode();
    // Leaks are told by LeakSanitizer at exit, which neither load nor the sanitizer's own
    // bookkeeping moves as they move resident memory. Its exit status is left 0 so that the
    // driver's leaks do not fail the exit; a sanitizer error still shows on stderr.
    extraAsanOptions = ":detect_leaks=1:exitcode=0:symbolize=0";
    startSnapwit();
    ASSERT_TRUE(waitForWindowSize(screenWidth, screenHeight, 10.0));
    std::vector<KeyStroke> keys = keyBytes();
    std::vector<unsigned long> specials = specialKeys();
    std::shuffle(keys.begin(), keys.end(), random);
    size_t nextKey = 0;

    double nextProbe = probeEverySeconds;
    int actions = 0;
    while (sinceWindow() < stormSeconds) {
        int action = uniform(0, 99);
        if (action < 55) {
            strike(keys[nextKey]);  // in turn, so that every byte comes up
            nextKey = (nextKey + 1) % keys.size();
        } else if (action < 75) {
            key(specials[(size_t)uniform(0, (int)specials.size() - 1)]);
        } else if (action < 89) {
            leftClick();
        } else if (action < 91) {
            pickFromMenu();
        } else {
            resizeRandomly();
        }
        actions++;
        ASSERT_TRUE(alive()) << "ended during the storm after " << actions << " actions\n"
                             << stderrText();
        if (HasFatalFailure()) return;
        if (sinceWindow() >= nextProbe) {
            expectDrawing();
            nextProbe += probeEverySeconds;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(uniform(0, 12)));
    }

    expectDrawing();
    EXPECT_EQ(stderrText(), "") << "stderr after " << actions << " actions";
    key(XK_Escape);
    expectExitStatusZero(responseSeconds + 2.0);
    std::string report = stderrText();
    for (const char* error : {"ERROR: AddressSanitizer", "runtime error", "fatal error"})
        EXPECT_EQ(report.find(error), std::string::npos) << report;
    std::vector<std::string> leaks = programLeaks(report);
    for (const std::string& leak : leaks) ADD_FAILURE() << "the program leaked: " << leak;
    // Judged here: the tear-down's look at stderr is for reports nobody expected.
    std::ofstream(scratch + "/stderr.txt", std::ios::trunc);
    std::cout << actions << " actions; " << leaks.size() << " leaks of the program's own, in:\n"
              << report;
}

}  // namespace
