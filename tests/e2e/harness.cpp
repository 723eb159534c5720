#include "tests/e2e/harness.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>
#include <X11/extensions/XTest.h>
#include <X11/extensions/Xfixes.h>
#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <pwd.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <thread>

#include "tests/support/snapwit_window.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

constexpr double serverStartSeconds = 15.0;
constexpr double windowAppearSeconds = 20.0;
constexpr double killWaitSeconds = 5.0;
constexpr int litThreshold = 96;
constexpr int fontFileBytes = 49206;
constexpr int bmpHeaderBytes = 54;
constexpr long randomFontBytes = 10L * 1024 * 1024;
constexpr int minimumHoldMs = 40;

// Windows can vanish between a query and its use (menus, the program exiting): such errors are
// expected and must not end the test process, as Xlib's default handler would.
int ignoreXError(Display*, XErrorEvent*) {
    return 0;
}

// Seconds from one steady-clock reading to another.
double secondsBetween(Clock::time_point from, Clock::time_point to) {
    return std::chrono::duration<double>(to - from).count();
}

// Sleeps a few milliseconds between polls.
void sleepMs(int ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

// Writes a file whole, replacing it.
void writeBytes(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), (std::streamsize)bytes.size());
}

// The PNG chunks' CRC-32 (polynomial 0xEDB88320).
uint32_t crc32(const std::string& bytes) {
    uint32_t crc = 0xFFFFFFFFu;
    for (unsigned char c : bytes) {
        crc ^= c;
        for (int bit = 0; bit < 8; bit++) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

// Four bytes, most significant first, as PNG wants them.
std::string bigEndian(uint32_t value) {
    std::string out(4, '\0');
    for (int i = 0; i < 4; i++) out[i] = (char)((value >> (24 - 8 * i)) & 0xFF);
    return out;
}

// One PNG chunk: length, type, data and CRC.
std::string pngChunk(const std::string& type, const std::string& data) {
    return bigEndian((uint32_t)data.size()) + type + data + bigEndian(crc32(type + data));
}

// A valid 8 by 8 red RGB PNG, deflated with one stored block so that no library is needed.
std::string smallPng() {
    constexpr int side = 8;
    std::string raw;
    for (int y = 0; y < side; y++) {
        raw += '\0';  // filter type: none
        for (int x = 0; x < side; x++) raw += std::string("\xFF\x00\x00", 3);
    }
    uint32_t a = 1, b = 0;
    for (unsigned char c : raw) {
        a = (a + c) % 65521;
        b = (b + a) % 65521;
    }
    std::string deflated = std::string("\x78\x01", 2) + '\x01';
    uint16_t length = (uint16_t)raw.size();
    deflated += (char)(length & 0xFF);
    deflated += (char)(length >> 8);
    deflated += (char)(~length & 0xFF);
    deflated += (char)((uint16_t)~length >> 8);
    deflated += raw + bigEndian((b << 16) | a);
    std::string header = bigEndian(side) + bigEndian(side) + std::string("\x08\x02\x00\x00\x00", 5);
    return std::string("\x89PNG\r\n\x1a\n", 8) + pngChunk("IHDR", header) +
           pngChunk("IDAT", deflated) + pngChunk("IEND", "");
}

// True when the text holds any of the needles.
bool containsAny(const std::string& text, std::initializer_list<const char*> needles) {
    for (const char* needle : needles)
        if (text.find(needle) != std::string::npos) return true;
    return false;
}

}  // namespace

// Colour tests for what Snapwit draws; thresholds leave room for filtering and blending.
int brightness(Pixel p) {
    return std::max(p.r, std::max(p.g, p.b));
}
bool isWhite(Pixel p) {
    return p.r > 180 && p.g > 180 && p.b > 180;
}
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

// Reads a file whole; empty when it cannot be read.
std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
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
    int n = 0;
    for (Pixel p : pixels) n += brightness(p) > litThreshold ? 1 : 0;
    return n;
}

std::vector<bool> Picture::litMask() const {
    std::vector<bool> mask;
    for (Pixel p : pixels) mask.push_back(brightness(p) > litThreshold);
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
    XSetErrorHandler(ignoreXError);
    startXServer();
}

// Starts Xvfb on the first free display number it finds and connects to it.
void E2eTest::startXServer() {
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    std::string log = scratch + "/xvfb.log";
    std::string fdText = std::to_string(fds[1]);
    pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        close(fds[0]);
        int out = open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (out >= 0) {
            dup2(out, 1);
            dup2(out, 2);
        }
        execlp("Xvfb", "Xvfb", "-displayfd", fdText.c_str(), "-screen", "0", "1280x720x24",
               "-nolisten", "tcp", "-noreset", (char*)nullptr);
        _exit(127);
    }
    xvfbPid = pid;
    close(fds[1]);
    std::string number;
    Clock::time_point start = Clock::now();
    while (secondsBetween(start, Clock::now()) < serverStartSeconds &&
           number.find('\n') == std::string::npos) {
        pollfd readable{fds[0], POLLIN, 0};
        if (poll(&readable, 1, 100) > 0) {
            char buffer[16];
            ssize_t n = read(fds[0], buffer, sizeof buffer);
            if (n <= 0) break;
            number.append(buffer, (size_t)n);
        }
    }
    close(fds[0]);
    ASSERT_NE(number.find('\n'), std::string::npos)
        << "Xvfb gave no display number: " << readFile(log);
    displayName = ":" + number.substr(0, number.find('\n'));
    ASSERT_TRUE(waitFor([&] { return (display = XOpenDisplay(displayName.c_str())) != nullptr; },
                        serverStartSeconds, 20))
        << "cannot connect to " << displayName;
    int eventBase, errorBase, major, minor;
    ASSERT_TRUE(XTestQueryExtension(display, &eventBase, &errorBase, &major, &minor));
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
    if (xvfbPid > 0) {
        kill(xvfbPid, SIGTERM);
        Clock::time_point start = Clock::now();
        int status;
        while (waitpid(xvfbPid, &status, WNOHANG) == 0) {
            if (secondsBetween(start, Clock::now()) > killWaitSeconds) {
                kill(xvfbPid, SIGKILL);
                waitpid(xvfbPid, &status, 0);
                break;
            }
            sleepMs(10);
        }
    }
    std::error_code ignored;
    std::filesystem::remove_all(scratch, ignored);
}

// Puts the wanted kind of "font.bmp" into the scratch folder.
void E2eTest::writeFont(FontFile font) {
    std::string path = scratch + "/font.bmp";
    std::error_code error;
    switch (font) {
        case FontFile::good:
        case FontFile::unreadable:
            std::filesystem::copy_file(SNAPWIT_FONT, path, error);
            ASSERT_FALSE(error) << "cannot copy " << SNAPWIT_FONT;
            if (font == FontFile::unreadable) chmod(path.c_str(), 0);
            break;
        case FontFile::missing: break;
        case FontFile::empty: writeBytes(path, ""); break;
        case FontFile::oneByte: writeBytes(path, "B"); break;
        case FontFile::headerOnly: writeBytes(path, std::string(bmpHeaderBytes, 'B')); break;
        case FontFile::zeros: writeBytes(path, std::string(fontFileBytes, '\0')); break;
        case FontFile::random10MB: {
            std::mt19937 generator(12345);
            std::string bytes((size_t)randomFontBytes, '\0');
            for (char& c : bytes) c = (char)(generator() & 0xFF);
            writeBytes(path, bytes);
            break;
        }
        case FontFile::png: writeBytes(path, smallPng()); break;
        case FontFile::folder: ASSERT_TRUE(std::filesystem::create_directory(path)); break;
    }
}

// Spawns snapwit in the scratch folder on the private display and waits for its window.
void E2eTest::startSnapwit(FontFile font) {
    writeFont(font);
    if (HasFatalFailure()) return;
    // Root reads any file, so the unreadable case runs the program as nobody when it can, from a
    // copy in the scratch folder: nobody may not be allowed into the folders of the checkout.
    std::string binary = SNAPWIT_BINARY;
    uid_t dropTo = 0;
    gid_t dropGroup = 0;
    if (font == FontFile::unreadable && geteuid() == 0) {
        passwd* nobody = getpwnam("nobody");
        ASSERT_NE(nobody, nullptr) << "no user nobody to run as";
        dropTo = nobody->pw_uid;
        dropGroup = nobody->pw_gid;
        binary = scratch + "/snapwit";
        std::error_code error;
        std::filesystem::copy_file(SNAPWIT_BINARY, binary, error);
        ASSERT_FALSE(error) << "cannot copy " << SNAPWIT_BINARY;
        ASSERT_EQ(chmod(binary.c_str(), 0755), 0);
    }

    std::vector<std::string> environment;
    for (char** entry = environ; *entry; entry++) {
        std::string text = *entry;
        if (text.rfind("DISPLAY=", 0) == 0 || text.rfind("ASAN_OPTIONS=", 0) == 0 ||
            text.rfind("UBSAN_OPTIONS=", 0) == 0)
            continue;
        environment.push_back(text);
    }
    environment.push_back("DISPLAY=" + displayName);
    // Mesa's driver memory cannot be told apart from leaks; the program allocates nothing.
    environment.push_back("ASAN_OPTIONS=detect_leaks=0:halt_on_error=1" + extraAsanOptions);
    environment.push_back("UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1");
    environment.insert(environment.end(), extraEnvironment.begin(), extraEnvironment.end());
    std::vector<char*> envp;
    for (std::string& text : environment) envp.push_back(text.data());
    envp.push_back(nullptr);
    std::vector<std::string> words = command.empty() ? std::vector<std::string>{binary} : command;
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);
    std::string outPath = scratch + "/stdout.txt", errPath = scratch + "/stderr.txt";
    int out = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ASSERT_GE(out, 0);
    ASSERT_GE(err, 0);

    spawnTime = Clock::now();
    pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        if (chdir(scratch.c_str()) != 0) _exit(126);
        dup2(out, 1);
        dup2(err, 2);
        if (dropTo != 0) {
            if (setgroups(0, nullptr) != 0 || setgid(dropGroup) != 0 || setuid(dropTo) != 0)
                _exit(125);
        }
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        execvpe(argv[0], argv.data(), envp.data());
        _exit(127);
    }
    close(out);
    close(err);
    snapwitPid = pid;

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
    return secondsBetween(spawnTime, Clock::now());
}

// Seconds since its window appeared.
double E2eTest::sinceWindow() const {
    return secondsBetween(windowTime, Clock::now());
}

// Waits until the program clock has reached at least this many seconds.
void E2eTest::waitUntilSinceWindow(double seconds) {
    while (sinceWindow() < seconds) sleepMs(2);
}

// A bounded poll: true as soon as the condition holds, false once the timeout has passed.
bool E2eTest::waitFor(const std::function<bool()>& condition, double timeoutSeconds, int pollMs) {
    Clock::time_point start = Clock::now();
    while (true) {
        if (condition()) return true;
        if (secondsBetween(start, Clock::now()) > timeoutSeconds) return false;
        sleepMs(pollMs);
    }
}

// Reads a rectangle of the screen (the root window, so menus and all) into plain pixels.
Picture E2eTest::grab(Rect area) {
    Picture picture;
    picture.area = area;
    picture.pixels.assign((size_t)area.width * area.height, Pixel{0, 0, 0});
    XImage* image = XGetImage(display, DefaultRootWindow(display), area.x, area.y,
                              (unsigned)area.width, (unsigned)area.height, AllPlanes, ZPixmap);
    if (!image) {
        ADD_FAILURE() << "XGetImage failed";
        return picture;
    }
    for (int y = 0; y < area.height; y++)
        for (int x = 0; x < area.width; x++) {
            unsigned long value = XGetPixel(image, x, y);
            picture.pixels[(size_t)y * area.width + x] = Pixel{
                (int)((value & image->red_mask) >> 16), (int)((value & image->green_mask) >> 8),
                (int)(value & image->blue_mask)};
        }
    XDestroyImage(image);
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
    KeyCode code = XKeysymToKeycode(display, keysym);
    ASSERT_NE(code, 0) << "no key for keysym " << keysym;
    int perCode = 0;
    KeySym* syms = XGetKeyboardMapping(display, code, 1, &perCode);
    bool shift = syms && perCode > 1 && syms[0] != keysym && syms[1] == keysym;
    if (syms) XFree(syms);
    XSetInputFocus(display, snapwitWindow, RevertToPointerRoot, CurrentTime);
    std::vector<KeyCode> held;
    if (shift) held.push_back(XKeysymToKeycode(display, XK_Shift_L));
    if (modifiers & ControlMask) held.push_back(XKeysymToKeycode(display, XK_Control_L));
    for (KeyCode modifier : held) XTestFakeKeyEvent(display, modifier, True, CurrentTime);
    XTestFakeKeyEvent(display, code, True, CurrentTime);
    XTestFakeKeyEvent(display, code, False, CurrentTime);
    for (KeyCode modifier : held) XTestFakeKeyEvent(display, modifier, False, CurrentTime);
    XSync(display, False);
}

// Types one printable character.
void E2eTest::character(char c) {
    key((unsigned long)(unsigned char)c);
}

// Moves the pointer to a screen position.
void E2eTest::moveTo(int x, int y) {
    XTestFakeMotionEvent(display, DefaultScreen(display), x, y, CurrentTime);
    XSync(display, False);
}

// Presses or releases a mouse button where the pointer is.
void E2eTest::button(int number, bool down) {
    XTestFakeButtonEvent(display, (unsigned)number, down ? True : False, CurrentTime);
    XSync(display, False);
}

// Holds the left button across frames until the screen shows the click.
bool E2eTest::clickUntil(const std::function<bool()>& seen, double timeoutSeconds) {
    button(1, true);
    Clock::time_point pressed = Clock::now();
    bool shown = waitFor(seen, timeoutSeconds, 1);
    double held = secondsBetween(pressed, Clock::now()) * 1000.0;
    if (held < minimumHoldMs) sleepMs(minimumHoldMs - (int)held);
    button(1, false);
    return shown;
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
    ASSERT_TRUE(startDesktop(name, displayName, folder, serverStartSeconds, desktop, error))
        << error;
}

long E2eTest::bypassHint() {
    Atom hint = XInternAtom(display, "_NET_WM_BYPASS_COMPOSITOR", False);
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    long value = -1;
    if (XGetWindowProperty(display, snapwitWindow, hint, 0, 1, False, XA_CARDINAL, &type, &format,
                           &count, &after, &data) == Success &&
        data && format == 32 && count == 1)
        value = ((long*)data)[0];
    if (data) XFree(data);
    return value;
}

void WindowE2e::SetUp() {
    E2eTest::SetUp();
    if (!HasFatalFailure()) useDesktop(GetParam());
}

std::string desktopName(const ::testing::TestParamInfo<const char*>& info) {
    std::string name = info.param;
    name[0] = (char)std::toupper((unsigned char)name[0]);
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
    if (exited) return false;
    int status;
    if (waitpid(snapwitPid, &status, WNOHANG) == snapwitPid) {
        exited = true;
        exitStatus = status;
        return false;
    }
    return true;
}

// Waits, bounded, for snapwit to end.
bool E2eTest::waitForExit(double timeoutSeconds, int& status) {
    bool ended = waitFor([&] { return !alive(); }, timeoutSeconds, 2);
    status = exitStatus;
    return ended;
}

// Expects snapwit to end by itself, with exit status 0, within the timeout.
void E2eTest::expectExitStatusZero(double timeoutSeconds) {
    int status = 0;
    ASSERT_TRUE(waitForExit(timeoutSeconds, status)) << "snapwit did not end";
    EXPECT_TRUE(WIFEXITED(status))
        << "ended by signal " << WTERMSIG(status) << "\n" << stderrText();
    if (WIFEXITED(status)) {
        EXPECT_EQ(WEXITSTATUS(status), 0);
    }
}

void E2eTest::quickExit() {
    // The quick exit acts only once the start-up fade-in is over.
    waitUntilSinceWindow(2.1);
    key(XK_Escape);
    key(XK_Escape);
    expectExitStatusZero(responseSeconds);
}

// What snapwit wrote to standard error so far.
std::string E2eTest::stderrText() const {
    return readFile(scratch + "/stderr.txt");
}
