#include "tests/e2e/harness.h"

#include <X11/Xatom.h>
#include <X11/extensions/Xfixes.h>
#include <pwd.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstring>
#include <filesystem>

namespace {

constexpr double serverStartSeconds = 15.0;
constexpr double waylandStartSeconds = 30.0;  // Mutter's Xwayland was seen to take 2.6 s under load
constexpr double windowAppearSeconds = 20.0;
constexpr double killWaitSeconds = 5.0;
constexpr int minimumHoldMs = 40;
constexpr int reactionMs = 100;  // no person presses sooner after a flash
// Lit pixels of a line of text (the count lines, the status line): glyphs light about 300 of
// either, solid blocks thousands.
constexpr int textLitAtLeast = 60;
constexpr int textLitBelow = 1500;
constexpr int blocksLitAbove = 3000;

// True when the text holds any of the needles.
bool containsAny(const std::string& text, std::initializer_list<const char*> needles) {
    for (const char* needle : needles)
        if (text.find(needle) != std::string::npos) return true;
    return false;
}

}  // namespace

// Colour tests for what Snapwit draws; thresholds leave room for filtering and blending.
bool isRed(Pixel p) {
    return p.r > 180 && p.g < 60 && p.b < 60;
}
bool isGreen(Pixel p) {
    return p.g > 180 && p.r < 60 && p.b < 60;
}
bool isYellow(Pixel p) {
    return p.r > 200 && p.g > 200 && p.b < 80;
}
bool isMarkerRed(Pixel p) {
    return p.r > 100 && p.g < 60 && p.b < 60;
}
bool isDark(Pixel p) {
    return brightness(p) < 30;
}

bool drawnAsText(int lit) {
    return lit > textLitAtLeast && lit < textLitBelow;
}
bool drawnAsBlocks(int lit) {
    return lit > blocksLitAbove;
}

// The pixel at a screen position inside the picture.
Pixel Picture::at(int x, int y) const {
    return pixels[(size_t)(y - area.y) * area.width + (x - area.x)];
}

int Picture::count(const std::function<bool(Pixel)>& test) const {
    int n = 0;
    for (Pixel p : pixels) n += test(p) ? 1 : 0;
    return n;
}

int Picture::maxBrightness() const {
    int most = 0;
    for (Pixel p : pixels) most = std::max(most, brightness(p));
    return most;
}

int Picture::lit() const {
    return count(isLit);
}

std::vector<bool> Picture::litMask() const {
    std::vector<bool> mask;
    for (Pixel p : pixels) mask.push_back(isLit(p));
    return mask;
}

// Pixels whose lit state differs; all of them when the sizes differ.
int maskDifference(const Picture& a, const Picture& b) {
    std::vector<bool> ma = a.litMask(), mb = b.litMask();
    if (ma.size() != mb.size()) return (int)std::max(ma.size(), mb.size());
    int differing = 0;
    for (size_t i = 0; i < ma.size(); i++) differing += ma[i] != mb[i] ? 1 : 0;
    return differing;
}

// A scratch folder and a private X server for each test.
void E2eTest::SetUp() {
    char pattern[] = "/tmp/snapwit-e2e-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr) << std::strerror(errno);
    scratch = pattern;
    // Another user must reach the folder for the unreadable-font case run as nobody.
    chmod(scratch.c_str(), 0755);
    std::string error;
    bool started = waylandSession.empty()
                       ? startXServer(xServerCommand(), scratch + "/xserver.log",
                                      serverStartSeconds, server, error)
                       : startWaylandSession(waylandSession, scratch, screenWidth, screenHeight,
                                             waylandStartSeconds, desktop, server, error);
    ASSERT_TRUE(started) << error;
    display = connectTo(server.name, serverStartSeconds);
    ASSERT_NE(display, nullptr) << "cannot connect to " << server.name << " (or no XTest)";
}

std::vector<std::string> E2eTest::xServerCommand() {
    return xvfbCommand(screenWidth, screenHeight);
}

// Ends whatever still runs and checks what snapwit wrote: nothing on stdout, no sanitizer report.
void E2eTest::TearDown() {
    if (snapwitPid > 0 && !exited) {
        kill(snapwitPid, SIGKILL);
        int status;
        waitForExit(killWaitSeconds, status);
    }
    if (snapwitPid > 0) {
        std::string out = readFile(scratch + "/stdout.txt");
        std::string err = stderrText();
        EXPECT_EQ(out, "") << "snapwit wrote to standard output";
        EXPECT_FALSE(containsAny(err, {"runtime error", "AddressSanitizer", "ERROR:"}))
            << "sanitizer report:\n" << err;
        if (HasFailure() && !err.empty()) std::cerr << "snapwit stderr:\n" << err << "\n";
    }
    if (display) XCloseDisplay(display);
    display = nullptr;
    stopDesktop(desktop);
    stopXServer(server);
    std::error_code ignored;
    std::filesystem::remove_all(scratch, ignored);
}

// Spawns snapwit in its working folder on the private display and waits for its window.
void E2eTest::startSnapwit(FontFile font) {
    if (workingFolder.empty()) workingFolder = scratch;
    std::string error;
    ASSERT_TRUE(writeFontFile(font, workingFolder, error)) << error;
    // Root reads any file, so the unreadable case runs the program as nobody when it can, from a
    // copy in the scratch folder: nobody may not be allowed into the folders of the checkout.
    ChildSpec child{command.empty() ? std::vector<std::string>{SNAPWIT_BINARY} : command,
                    {}, workingFolder, scratch + "/stdout.txt", scratch + "/stderr.txt"};
    if (displayOption) child.command.insert(child.command.end(), {"-display", server.name});
    if (font == FontFile::unreadable && geteuid() == 0) {
        passwd* nobody = getpwnam("nobody");
        ASSERT_NE(nobody, nullptr) << "no user nobody to run as";
        child.user = nobody->pw_uid;
        child.group = nobody->pw_gid;
        child.command = {scratch + "/snapwit"};
        std::error_code error;
        std::filesystem::copy_file(SNAPWIT_BINARY, child.command[0], error);
        ASSERT_FALSE(error) << "cannot copy " << SNAPWIT_BINARY;
        ASSERT_EQ(chmod(child.command[0].c_str(), 0755), 0);
    }
    // Mesa's driver memory cannot be told apart from leaks; the program allocates nothing.
    std::vector<std::string> entries = {
        displayOption ? "DISPLAY" : "DISPLAY=" + server.name,
        "ASAN_OPTIONS=detect_leaks=0:halt_on_error=1" + extraAsanOptions,
        "UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1"};
    entries.insert(entries.end(), extraEnvironment.begin(), extraEnvironment.end());
    child.environment = environmentWith(entries);
    snapwitPid = spawn(child, &spawnTime);
    ASSERT_GE(snapwitPid, 0);

    // The window is the top-level one titled "Snapwit" that is mapped.
    auto found = [&] {
        snapwitWindow = findSnapwitWindow(display);
        return snapwitWindow != 0;
    };
    ASSERT_TRUE(waitFor(found, windowAppearSeconds, 5))
        << "no window titled Snapwit; stderr:\n" << stderrText();
    windowTime = Clock::now();
}

// Seconds since snapwit was spawned.
double E2eTest::sinceSpawn() const {
    return secondsSince(spawnTime);
}

// Seconds since its window appeared.
double E2eTest::sinceWindow() const {
    return secondsSince(windowTime);
}

// Waits until the program clock has reached at least this many seconds.
void E2eTest::waitUntilSinceWindow(double seconds) {
    while (sinceWindow() < seconds) sleepMs(2);
}

void E2eTest::waitPastFadeIn(double margin) {
    waitUntilSinceWindow(fadeInSeconds + margin);
}

// A bounded poll: true as soon as the condition holds, false once the timeout has passed.
bool E2eTest::waitFor(const std::function<bool()>& condition, double timeoutSeconds, int pollMs) {
    Clock::time_point start = Clock::now();
    while (true) {
        if (condition()) return true;
        if (secondsSince(start) > timeoutSeconds) return false;
        sleepMs(pollMs);
    }
}

// Reads a rectangle of the screen (the root window, so menus and all) into plain pixels. Xwayland
// keeps no picture of the root: there the window's own pixels are read.
Picture E2eTest::grab(Rect area) {
    Picture picture;
    picture.area = area;
    int width, height, x = 0, y = 0;
    bool read = waylandSession.empty()
                    ? readScreen(display, area, picture.pixels)
                    : windowSize(width, height, x, y) &&
                          readWindow(display, snapwitWindow,
                                     {area.x - x, area.y - y, area.width, area.height},
                                     picture.pixels);
    if (!read) ADD_FAILURE() << "XGetImage failed";
    return picture;
}

// The first glow point alone, for tight polls of its colour.
Pixel E2eTest::glowPixel() {
    return grab(Rect{layout::glowPoints[0][0], layout::glowPoints[0][1], 1, 1}).pixels[0];
}

bool E2eTest::glowIs(bool (*colour)(Pixel)) {
    Picture samples = grab(layout::glowSamples);
    for (const auto& point : layout::glowPoints)
        if (!colour(samples.at(point[0], point[1]))) return false;
    return true;
}

// True while any glow lights all the glow points.
bool E2eTest::glowShows() {
    return glowIs([](Pixel p) { return !isDark(p); });
}

Picture E2eTest::grabQuiet(Rect area) {
    // Checked before and after, so that no glow came and went in between.
    Picture picture;
    bool quiet = waitFor(
        [&] {
            if (glowShows()) return false;
            picture = grab(area);
            return !glowShows();
        },
        5.0);
    EXPECT_TRUE(quiet) << "the glow never went away";
    return picture;
}

// Presses and releases the key for a keysym on the focused snapwit window.
void E2eTest::key(unsigned long keysym, unsigned modifiers) {
    ASSERT_NE(XKeysymToKeycode(display, keysym), 0) << "no key for keysym " << keysym;
    pressKey(display, snapwitWindow, keysym, modifiers);
}

// Types one printable character.
void E2eTest::character(char c) {
    key((unsigned long)(unsigned char)c);
}

// Moves the pointer to a screen position.
void E2eTest::moveTo(int x, int y) {
    movePointer(display, x, y);
}

// Presses or releases a mouse button where the pointer is.
void E2eTest::button(int number, bool down) {
    fakeButton(display, number, down);
}

// Holds the left button across frames until the screen shows the click.
bool E2eTest::clickUntil(const std::function<bool()>& seen, double timeoutSeconds) {
    // A press sooner after the flash may reach the program before the frame that times it: early.
    if (glowIs(isWhite)) sleepMs(reactionMs);
    button(1, true);
    Clock::time_point pressed = Clock::now();
    bool shown = waitFor(seen, timeoutSeconds, 1);
    double held = secondsSince(pressed) * 1000.0;
    if (held < minimumHoldMs) sleepMs(minimumHoldMs - (int)held);
    button(1, false);
    return shown;
}

void E2eTest::pickMenuEntry(int entry, int x, int y, Rect* placed) {
    moveTo(x, y);
    button(3, true);
    Window menu = 0;
    bool opened = waitFor([&] { return (menu = findMenuWindow()) != 0; }, responseSeconds, 5);
    button(3, false);
    ASSERT_TRUE(opened) << "no menu window at " << x << "," << y;
    XWindowAttributes area;
    ASSERT_TRUE(XGetWindowAttributes(display, menu, &area));
    Rect menuArea{area.x, area.y, area.width, area.height};
    if (placed) *placed = menuArea;
    // The menu draws itself once the pointer moves over it.
    moveTo(area.x + area.width / 2, area.y + area.height * (2 * entry + 1) / (2 * menuEntries));
    EXPECT_TRUE(waitFor([&] { return grab(menuArea).lit() > 200; }, responseSeconds, 5))
        << "the menu stays black";
    button(1, true);
    button(1, false);
    EXPECT_TRUE(waitFor([&] { return findMenuWindow() == 0; }, responseSeconds, 5))
        << "the menu stays";
}

// Waits for the white flash to light the glow points.
bool E2eTest::waitForWhiteFlash(double timeoutSeconds) {
    return waitFor([&] { return glowIs(isWhite); }, timeoutSeconds, 3);
}

// Yellow pixels in the histogram band one count high.
int E2eTest::yellowInBars() {
    return grab(layout::histogramBars).count(isYellow);
}

// Red pixels where the history graph's first point goes.
int E2eTest::redMarkerPixels() {
    return grab(layout::graphMarkers).count(isMarkerRed);
}

// The tallest run of yellow rows up from the histogram base, right of the caption.
int E2eTest::barHeight() {
    constexpr int tallestChecked = 300;
    int left = layout::barsClearOfCaption;
    Rect columns{left, layout::histogramBase - tallestChecked,
                 layout::histogramBars.x + layout::histogramBars.width - left, tallestChecked + 1};
    Picture picture = grab(columns);
    int tallest = 0;
    for (int x = columns.x; x < columns.x + columns.width; x++) {
        int rows = 0;
        for (int y = layout::histogramBase; y >= columns.y && isYellow(picture.at(x, y)); y--)
            rows++;
        tallest = std::max(tallest, rows);
    }
    return tallest;
}

void E2eTest::useDesktop(const std::string& name) {
    std::string error;
    std::string folder = scratch + "/desktop";
    ASSERT_EQ(mkdir(folder.c_str(), 0700), 0);
    ASSERT_TRUE(startDesktop(name, server.name, folder, serverStartSeconds, desktop, error))
        << error;
}

long E2eTest::bypassHint() {
    long value = -1;
    return property32(display, snapwitWindow, "_NET_WM_BYPASS_COMPOSITOR", XA_CARDINAL, value)
               ? value : -1;
}

// Monitors of Xorg's dummy driver, set with xrandr; the pointer goes onto a 1280 by 720 one that
// (but for Wine's) does not hold (0, 0) and is not the primary, so that the layout rectangles hold
// there too.
struct MonitorLayout {
    const char* name;
    std::vector<std::string> xrandr;
    int pointerX, pointerY;
    Rect monitor;
};
const MonitorLayout monitorLayouts[] = {
    {"two",  // side by side, the pointer on the right one
     {"--fb", "2560x720", "--output", "DUMMY0", "--mode", "1280x720", "--pos", "0x0", "--primary",
      "--output", "DUMMY1", "--mode", "1280x720", "--pos", "1280x0"},
     1500, 300, {1280, 0, 1280, 720}},
    {"mixed",  // beside a 1920 by 1080 primary, bottoms aligned: the screen is larger than either
     {"--fb", "3200x1080", "--output", "DUMMY0", "--mode", "1280x720", "--pos", "0x360",
      "--output", "DUMMY1", "--mode", "1920x1080", "--pos", "1280x0", "--primary"},
     600, 500, {0, 360, 1280, 720}},
    {"left",  // left of the primary: Wine puts the primary at Windows' (0, 0), this one at -1280
     {"--fb", "2560x720", "--output", "DUMMY0", "--mode", "1280x720", "--pos", "0x0", "--output",
      "DUMMY1", "--mode", "1280x720", "--pos", "1280x0", "--primary"},
     300, 300, {0, 0, 1280, 720}},
};
const char* const dummyConfig = R"(Section "Device"
    Identifier "dummy"
    Driver "dummy"
    VideoRam 256000
EndSection
Section "Monitor"
    Identifier "monitor"
    HorizSync 5.0-1000.0
    VertRefresh 5.0-200.0
    Modeline "1280x720" 74.25 1280 1390 1430 1650 720 725 730 750 +hsync +vsync
    Modeline "1920x1080" 148.5 1920 2008 2052 2200 1080 1084 1089 1125 +hsync +vsync
EndSection
Section "Screen"
    Identifier "screen"
    Device "dummy"
    Monitor "monitor"
    DefaultDepth 24
    SubSection "Display"
        Depth 24
        Virtual 3200 1080
        Modes "1280x720" "1920x1080"
    EndSubSection
EndSection
Section "ServerFlags"
    Option "AutoAddDevices" "false"
EndSection
)";

namespace {

// Runs xrandr on the display; true when it ended with status 0.
bool xrandr(const std::string& displayName, std::vector<std::string> arguments,
            const std::string& log) {
    arguments.insert(arguments.begin(), "xrandr");
    pid_t pid = spawn({arguments, environmentWith({"DISPLAY=" + displayName}), "", log, ""});
    int status = 0;
    return pid > 0 && waitForEnd(pid, 10.0, status) && WIFEXITED(status) &&
           WEXITSTATUS(status) == 0;
}

}  // namespace

void WindowE2e::SetUp() {
    std::string param = GetParam(), desktopPart = param.substr(0, param.find_first_of("@ "));
    variant = param.find(' ') == std::string::npos ? "" : param.substr(param.find(' ') + 1);
    displayOption = variant == "-display";
    param = param.substr(0, param.find(' '));
    for (const MonitorLayout& known : monitorLayouts)
        if (param == desktopPart + "@" + known.name) layout = &known;
    if (isWaylandSession(desktopPart)) waylandSession = desktopPart;
    E2eTest::SetUp();
    if (HasFatalFailure()) return;
    if (layout) {
        std::string name = DisplayString(display), log = scratch + "/xrandr.log";
        for (const char* output : {"DUMMY0", "DUMMY1"})
            for (const char* mode : {"1280x720", "1920x1080"})
                xrandr(name, {"--addmode", output, mode}, log);  // fails where it is known
        ASSERT_TRUE(xrandr(name, layout->xrandr, log)) << readFile(log);
        // Polled, as Wine does not, the dummy outputs read as connected to it too.
        ASSERT_TRUE(xrandr(name, {"--query"}, log)) << readFile(log);
        monitor = layout->monitor;
    }
    if (waylandSession.empty()) useDesktop(desktopPart);
    if (layout && !HasFatalFailure()) moveTo(layout->pointerX, layout->pointerY);
}

// Xorg with the dummy driver, configured in the scratch folder, where a layout is asked for.
std::vector<std::string> WindowE2e::xServerCommand() {
    if (!layout) return E2eTest::xServerCommand();
    std::string config = scratch + "/xorg.conf";
    FILE* file = std::fopen(config.c_str(), "w");
    if (file) {
        std::fputs(dummyConfig, file);
        std::fclose(file);
    }
    return {"Xorg", "-config", config, "-noreset", "-nolisten", "tcp", "-logfile",
            scratch + "/xorg.log"};
}

Rect WindowE2e::onMonitor(Rect area) const {
    return {monitor.x + area.x, monitor.y + area.y, area.width, area.height};
}

::testing::AssertionResult WindowE2e::waitForFullScreen(double timeoutSeconds) {
    int w = 0, h = 0, x = 0, y = 0;
    if (waitFor(
            [&] {
                return windowSize(w, h, x, y) && w == monitor.width && h == monitor.height &&
                       x == monitor.x && y == monitor.y;
            },
            timeoutSeconds, 5))
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "window " << w << "x" << h << "+" << x << "+" << y;
}

// The parameter as a test name: "openbox-picom@two" as "OpenboxPicomTwo".
std::string desktopName(const ::testing::TestParamInfo<const char*>& info) {
    std::string name;
    bool upper = true;
    for (const char* c = info.param; *c; c++) {
        bool letter = std::isalnum((unsigned char)*c);
        if (letter) name += upper ? (char)std::toupper((unsigned char)*c) : *c;
        upper = !letter;
    }
    return name;
}

// The window's size and its position on the screen.
bool E2eTest::windowSize(int& width, int& height, int& x, int& y) {
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(display, snapwitWindow, &attributes)) return false;
    width = attributes.width;
    height = attributes.height;
    Window child;
    XTranslateCoordinates(display, snapwitWindow, DefaultRootWindow(display), 0, 0, &x, &y,
                          &child);
    return true;
}

// Waits until the window has the size.
bool E2eTest::waitForWindowSize(int width, int height, double timeoutSeconds) {
    return waitFor(
        [&] {
            int w, h, x, y;
            return windowSize(w, h, x, y) && w == width && h == height;
        },
        timeoutSeconds, 5);
}

// The pop-up menu: a mapped override-redirect top-level window other than snapwit.
Window E2eTest::findMenuWindow() {
    Window root, parent, *children = nullptr, menu = 0;
    unsigned count = 0;
    if (!XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count))
        return 0;
    for (unsigned i = 0; i < count && !menu; i++) {
        XWindowAttributes attributes;
        if (children[i] != snapwitWindow &&
            XGetWindowAttributes(display, children[i], &attributes) &&
            attributes.override_redirect && attributes.map_state == IsViewable)
            menu = children[i];
    }
    if (children) XFree(children);
    return menu;
}

// True when the cursor image the server shows has no visible pixel.
bool E2eTest::cursorIsInvisible() {
    XFixesCursorImage* image = XFixesGetCursorImage(display);
    if (!image) return false;
    bool invisible = true;
    for (int i = 0; i < image->width * image->height; i++)
        if ((image->pixels[i] >> 24) & 0xFF) invisible = false;
    XFree(image);
    return invisible;
}

// True while snapwit runs; reaps it and keeps its status once it has ended.
bool E2eTest::alive() {
    if (!exited) exited = hasEnded(snapwitPid, exitStatus);
    return !exited;
}

// Waits, bounded, for snapwit to end.
bool E2eTest::waitForExit(double timeoutSeconds, int& status) {
    if (!exited) exited = waitForEnd(snapwitPid, timeoutSeconds, exitStatus);
    status = exitStatus;
    return exited;
}

// Expects snapwit to end by itself, with exit status 0, within the timeout.
void E2eTest::expectExitStatusZero(double timeoutSeconds) {
    int status = 0;
    expectEndedWithZero(waitForExit(timeoutSeconds, status), status);
}

void E2eTest::expectEndedWithZero(bool ended, int status) {
    ASSERT_TRUE(ended) << "snapwit did not end";
    EXPECT_TRUE(WIFEXITED(status))
        << "ended by signal " << WTERMSIG(status) << "\n" << stderrText();
    if (WIFEXITED(status)) {
        EXPECT_EQ(WEXITSTATUS(status), 0);
    }
}

// The quick exit acts only once the start-up fade-in is over.
void E2eTest::quickExit() {
    waitPastFadeIn();
    if (!exited) exited = escapeTwice(display, snapwitWindow, snapwitPid, responseSeconds, exitStatus);
    expectEndedWithZero(exited, exitStatus);
}

// What snapwit wrote to standard error so far.
std::string E2eTest::stderrText() const {
    return readFile(scratch + "/stderr.txt");
}
