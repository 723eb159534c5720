// End-to-end ground: the built snapwit binary on a private Xvfb screen, driven by XTest input and
// checked by reading the screen back. Every test gets its own X server and scratch folder, so tests
// can run in parallel. Coordinates are X's: origin top-left, y downward.
#pragma once

// GoogleTest first: Xlib defines macros (None, Bool) that clash with its names.
#include <gtest/gtest.h>
#include <X11/Xlib.h>
#include <sys/types.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "tests/e2e/font_files.h"
#include "tests/support/desktop.h"
#include "tests/support/process.h"
#include "tests/support/x_client.h"
#include "tests/support/x_server.h"

constexpr int screenWidth = 1280;
constexpr int screenHeight = 720;
// How long the screen may take to show the effect of an input. Generous: frames slow down when
// tests run side by side, and a wait that succeeds returns at once.
constexpr double responseSeconds = 3.0;
constexpr double fadeInSeconds = 2.0;  // the start-up fade-in; the quick exit acts after it
constexpr int windowedSize = 600;      // F's window, 600 by 600
constexpr int pageDownPresses = 10;    // main speed 3 s x 0.9^10: waits of about 1 to 2 s
constexpr int oneCountHigh = 17;       // a bar grows by its width, 17 pixels on a 1280-wide screen
constexpr int menuEntries = 9;
constexpr int menuExitEntry = 8;

// Colours besides x_client.h's lit and white.
bool isRed(Pixel p);
bool isGreen(Pixel p);
bool isYellow(Pixel p);
bool isMarkerRed(Pixel p);  // the graph's glow dots, red fading to black
bool isDark(Pixel p);

// Where Snapwit draws on a 1280 by 720 screen (y from the top).
namespace layout {
// The glow is a disc of 0.7 H radius round the centre (640, 360). It is sampled at points below
// the diagonal that the sliding title follows and below all text, so that nothing drawn over the
// glow can hide it.
constexpr int glowPoints[][2] = {{600, 400}, {530, 400}, {670, 440}, {600, 460}, {560, 440}};
constexpr Rect glowSamples{530, 400, 141, 61};
constexpr Rect countLines{955, 18, 140, 64};    // "# Tries", "# Early", "# Misses" from x = 0.75 W
constexpr Rect leftOfCountLines{900, 18, 52, 64};
constexpr Rect rightOfCountLines{1100, 18, 180, 64};  // nothing is drawn there
constexpr Rect triesNumber{1040, 22, 56, 17};
constexpr Rect earlyNumber{1040, 42, 56, 17};
constexpr Rect missesNumber{1040, 62, 56, 17};
constexpr Rect statusLine{10, 6, 250, 19};      // the greeting and other status messages
constexpr Rect pastGreeting{270, 6, 130, 19};   // where only longer messages reach
constexpr Rect frameRateLine{1160, 6, 120, 19};
constexpr Rect helpText{100, 80, 190, 145};     // clear of the graph labels, the time line and,
                                                 // from 2 s on, the sliding title
// Bars one count high, below the caption and above the empty-bin strips.
constexpr Rect histogramBars{128, 635, 1004, 9};
constexpr int histogramBase = 647;               // lowest row of a bar
constexpr int barsClearOfCaption = 140;          // the caption may reach bin 0's left half
constexpr Rect graphMarkers{150, 40, 22, 580};  // the first point of the history graph
}  // namespace layout

// One rectangle of the screen as read by XGetImage.
class Picture {
public:
    Rect area{0, 0, 0, 0};
    std::vector<Pixel> pixels;

    Pixel at(int x, int y) const;  // screen coordinates
    int count(const std::function<bool(Pixel)>& test) const;
    int maxBrightness() const;
    int lit() const;  // isLit pixels
    std::vector<bool> litMask() const;
};

// How many pixels differ between the lit patterns of two pictures of the same rectangle.
int maskDifference(const Picture& a, const Picture& b);

// How a line of text is drawn, told from its lit pixels: glyph strokes light a small share of
// it; without a usable sheet, or from one of whole white cells, every character is a solid block.
bool drawnAsText(int lit);
bool drawnAsBlocks(int lit);

class E2eTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    // The X server to start, once the scratch folder exists: Xvfb's one 1280 by 720 screen.
    virtual std::vector<std::string> xServerCommand();
    std::string waylandSession;  // when set before SetUp, its Xwayland instead (desktop.h)

    // Prepares font.bmp in the working folder (the scratch folder unless set) and starts snapwit
    // there; returns once its window exists.
    void startSnapwit(FontFile font = FontFile::good);

    // Time since the spawn (an upper bound of the program's clock) and since its window appeared
    // (a lower bound, since the clock starts before the window is created).
    double sinceSpawn() const;
    double sinceWindow() const;
    void waitUntilSinceWindow(double seconds);
    void waitPastFadeIn(double margin = 0.1);  // until fadeInSeconds + margin since the window

    // Polls the condition until it holds or the timeout passes; never sleeps longer than needed.
    bool waitFor(const std::function<bool()>& condition, double timeoutSeconds, int pollMs = 2);

    Picture grab(Rect area);  // on Wayland, only what the program's window covers
    Pixel glowPixel();  // the first glow point
    // A picture taken while no glow shows, so that flashes do not disturb it.
    Picture grabQuiet(Rect area);

    // Input.
    void key(unsigned long keysym, unsigned modifiers = 0);  // Shift added when the keysym needs it
    void character(char c);
    void moveTo(int x, int y);
    void button(int number, bool down);
    // Holds the left button until the condition shows on screen (at least 40 ms); false on timeout.
    bool clickUntil(const std::function<bool()>& seen, double timeoutSeconds);
    // Opens the menu with a right press at (x, y) and picks an entry with the left button once the
    // menu has drawn itself; `placed`, when given, gets where the menu opened.
    void pickMenuEntry(int entry, int x, int y, Rect* placed = nullptr);

    // Reaction-test shortcuts.
    // True when every glow point has the colour.
    bool glowIs(bool (*colour)(Pixel));
    bool glowShows();
    bool waitForWhiteFlash(double timeoutSeconds);
    int yellowInBars();
    int redMarkerPixels();
    int barHeight();  // rows of the tallest bar, counted up from its base

    // Starts a desktop (a window manager) on the test's X server; bare: none.
    void useDesktop(const std::string& name);

    // Window state.
    bool windowSize(int& width, int& height, int& x, int& y);
    // The window's _NET_WM_BYPASS_COMPOSITOR as the X server has it; -1 when it is not set.
    long bypassHint();
    bool waitForWindowSize(int width, int height, double timeoutSeconds);
    Window findMenuWindow();  // a viewable override-redirect window, or 0
    bool cursorIsInvisible();  // the cursor shown now has no visible pixel

    // Process state.
    bool alive();
    // Waits for the program to end; true with its wait status when it did within the timeout.
    bool waitForExit(double timeoutSeconds, int& status);
    void expectExitStatusZero(double timeoutSeconds);
    void quickExit();  // Escape twice, then status 0 expected at once
    std::string stderrText() const;

    std::string extraAsanOptions;  // appended to the child's ASAN_OPTIONS, each after a colon
    // Another way to start the program (wine and the .exe, say) than the built binary, found on
    // the PATH, and entries for its environment; another working folder than the scratch one.
    std::vector<std::string> command;
    std::vector<std::string> extraEnvironment;
    std::string workingFolder;
    bool displayOption = false;  // the X server named by GLUT's -display, with DISPLAY unset

    Display* display = nullptr;
    Window snapwitWindow = 0;
    pid_t snapwitPid = -1;
    std::string scratch;

private:
    void expectEndedWithZero(bool ended, int status);
    XServer server;
    Desktop desktop;
    std::chrono::steady_clock::time_point spawnTime, windowTime;
    bool exited = false;
    int exitStatus = 0;
};

struct MonitorLayout;

// The window cases, run on the bare server and under a window manager: "DESKTOP" on Xvfb's one
// screen, or "DESKTOP@LAYOUT" on Xorg's dummy monitors with the pointer moved onto one of them;
// then, after a space, a variant of the case ("-display": displayOption).
class WindowE2e : public E2eTest, public ::testing::WithParamInterface<const char*> {
protected:
    void SetUp() override;
    std::string variant;
    std::vector<std::string> xServerCommand() override;
    const MonitorLayout* layout = nullptr;   // none: Xvfb
    Rect monitor{0, 0, screenWidth, screenHeight};  // the pointer's monitor, 1280 by 720
    Rect onMonitor(Rect area) const;                // a layout rectangle, moved onto the monitor
    // Until the window is the monitor, place and size; the failure says where it is.
    ::testing::AssertionResult waitForFullScreen(double timeoutSeconds);
};
std::string desktopName(const ::testing::TestParamInfo<const char*>& info);
