// accuracy_robot: how far a recorded reaction time is from the true one, measured from outside.
//
//   accuracy_robot [--desktop NAME] [--vsync LIBRARY] PROGRAM FONT_BMP WIDTH HEIGHT
//                  [FLASHES [DELAY_MS [POLL_SLEEP_US]]]
//
// Starts its own Xvfb screen of WIDTH by HEIGHT, the desktop NAME on it (tests/support/desktop.h;
// default "bare", no window manager), then PROGRAM (the recording build of Snapwit) in a scratch
// folder that holds FONT_BMP, with LIBRARY (libvirtual_vsync.so, a 60 Hz vertical sync) preloaded
// if given, and takes the test like a person with perfectly steady reactions: it watches the
// centre pixel through the X server, and a set delay after it first sees the white flash there it
// presses the left button through XTest (and lets go 40 ms later). The delays step evenly through
// one refresh above DELAY_MS, so that the presses fall at every point of a 60 Hz cycle.
// The program writes down the clock of every frame and every scored press, so each recorded time
// can be split into where its error comes from. Both sides read CLOCK_MONOTONIC (a program under
// Wine reads CLOCK_MONOTONIC_RAW: its records are moved onto the robot's clock). The robot reads
// the root window, which holds what a compositor painted, so a compositor's delay is measured too.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/extensions/Xcomposite.h>
#include <X11/keysym.h>
#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <sched.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/desktop.h"
#include "tests/support/snapwit_window.h"

extern char** environ;

namespace {

constexpr std::int64_t nsPerMs = 1000000;
constexpr std::int64_t nsPerSecond = 1000000000;
constexpr int defaultFlashes = 40;
constexpr double defaultDelayMs = 200.0;
// With 1 ms the poll that showed a flash waited far longer for the X server's answer (1.6 ms
// against 0.3 at 1280 by 720), for 0.02 of a core less.
constexpr int defaultPollSleepUs = 500;
constexpr int whiteThreshold = 200;        // every channel above it: the white flash, not the
                                           // yellow graph line or the red markers
constexpr double holdMs = 40.0;            // how long the button stays down
constexpr double watchFromSeconds = 10.5;  // after the sliding title and the fade-in
constexpr int speedUpPresses = 10;         // Page Down: shortest wait 3 s x 0.9^10 = 1.05 s
constexpr double keySettleSeconds = 0.5;   // before the first key: the window is up and mapped
constexpr double serverStartSeconds = 15.0;
constexpr double desktopStartSeconds = 30.0;
constexpr double windowAppearSeconds = 20.0;
constexpr double flashTimeoutSeconds = 15.0;
constexpr double runSecondsPerFlash = 5.0;  // the whole run's bound, besides the warm-up
constexpr double exitSeconds = 5.0;
constexpr double lastScoreSettleMs = 300.0;
constexpr double flashShowsMs = 100.0;      // the white glow lasts 0.1 s of program time
constexpr double flashPairSlackMs = 50.0;
constexpr double msPerSixtieth = 16.66666;  // as the program shows its times
constexpr double refreshMs = 1000.0 / 60;   // the refresh period the presses are spread over
constexpr int delaySteps = 8;               // the default 40 flashes and 24 are whole cycles

// --- clock -------------------------------------------------------------------------------------

// Nanoseconds on the monotonic clock, the one the program's steady_clock reads.
std::int64_t now() {
    timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return (std::int64_t)t.tv_sec * nsPerSecond + t.tv_nsec;
}

// How far the robot's clock is ahead of the program's: nothing, unless SNAPWIT_PROGRAM_CLOCK=raw
// says the program reads CLOCK_MONOTONIC_RAW (Wine's QueryPerformanceCounter), from which NTP's
// corrections have moved CLOCK_MONOTONIC by a near-constant offset.
std::int64_t programClockOffset() {
    const char* clock = std::getenv("SNAPWIT_PROGRAM_CLOCK");
    if (clock == nullptr || std::strcmp(clock, "raw") != 0) return 0;
    timespec raw;
    clock_gettime(CLOCK_MONOTONIC_RAW, &raw);
    return now() - ((std::int64_t)raw.tv_sec * nsPerSecond + raw.tv_nsec);
}

// Sleeps until an absolute monotonic time, however many signals interrupt it.
void sleepUntil(std::int64_t when) {
    timespec t{(time_t)(when / nsPerSecond), (long)(when % nsPerSecond)};
    while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &t, nullptr) == EINTR) {
    }
}

// Sleeps for a span from now.
void sleepFor(std::int64_t ns) {
    sleepUntil(now() + ns);
}

// Seconds as nanoseconds.
std::int64_t fromSeconds(double seconds) {
    return (std::int64_t)(seconds * nsPerSecond);
}

// Nanoseconds as milliseconds.
double toMs(std::int64_t ns) {
    return ns / (double)nsPerMs;
}

// --- statistics --------------------------------------------------------------------------------

struct Summary {
    int count = 0;
    double mean = 0, sd = 0, min = 0, max = 0, median = 0;
};

// Mean, sample standard deviation, extremes and median of a list.
Summary summarize(std::vector<double> values) {
    Summary s;
    s.count = (int)values.size();
    if (values.empty()) return s;
    std::sort(values.begin(), values.end());
    double sum = 0;
    for (double v : values) sum += v;
    s.mean = sum / s.count;
    double squares = 0;
    for (double v : values) squares += (v - s.mean) * (v - s.mean);
    s.sd = s.count > 1 ? std::sqrt(squares / (s.count - 1)) : 0.0;
    s.min = values.front();
    s.max = values.back();
    int mid = s.count / 2;
    s.median = s.count % 2 ? values[mid] : 0.5 * (values[mid - 1] + values[mid]);
    return s;
}

// One line of a breakdown table, in milliseconds.
void printRow(const char* label, const Summary& s) {
    std::printf("  %-50s %7.2f %6.2f %7.2f %7.2f %7.2f\n", label, s.mean, s.sd, s.min, s.max,
                s.median);
}

// --- processes ---------------------------------------------------------------------------------

struct Run {
    std::string scratch;
    std::string desktopName = "bare";
    std::string vsyncLibrary;  // preloaded into the program when not empty
    Desktop desktop;
    pid_t xvfb = -1;
    pid_t program = -1;
    Display* display = nullptr;
    Window window = 0;
    int width = 0, height = 0;
    std::int64_t deadline = 0;  // the whole run's bound
};

void fail(Run& run, const char* what);

// Reads a file whole; empty when it cannot be read.
std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// Points a child's standard output and error at a file in the scratch folder.
void redirectOutput(const std::string& path) {
    int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0) return;
    dup2(fd, 1);
    dup2(fd, 2);
    close(fd);
}

// Reads the display number Xvfb writes to the pipe once it is ready.
std::string readDisplayNumber(int fd) {
    std::string number;
    std::int64_t until = now() + fromSeconds(serverStartSeconds);
    while (now() < until && number.find('\n') == std::string::npos) {
        pollfd readable{fd, POLLIN, 0};
        if (poll(&readable, 1, 100) <= 0) continue;
        char buffer[16];
        ssize_t n = read(fd, buffer, sizeof buffer);
        if (n <= 0) break;
        number.append(buffer, (size_t)n);
    }
    return number.find('\n') == std::string::npos ? "" : ":" + number.substr(0, number.find('\n'));
}

// The code of the last X error; errors are expected, not fatal.
int lastXError = Success;

// Notes an X error instead of ending the robot: under a window manager the window search can meet
// a window that has just gone, and a window that is not redirected answers BadMatch.
int noteXError(Display*, XErrorEvent* error) {
    lastXError = error->error_code;
    return 0;
}

// Starts Xvfb on the first free display, as the end-to-end tests do, and connects to it.
std::string startXServer(Run& run) {
    int fds[2];
    if (pipe(fds) != 0) fail(run, "pipe");
    std::string fd = std::to_string(fds[1]);
    std::string screen = std::to_string(run.width) + "x" + std::to_string(run.height) + "x24";
    run.xvfb = fork();
    if (run.xvfb == 0) {
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        close(fds[0]);
        redirectOutput(run.scratch + "/xvfb.log");
        execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", screen.c_str(),
               "-nolisten", "tcp", "-noreset", (char*)nullptr);
        _exit(127);
    }
    close(fds[1]);
    std::string name = readDisplayNumber(fds[0]);
    close(fds[0]);
    if (name.empty()) fail(run, "Xvfb gave no display number");
    run.display = XOpenDisplay(name.c_str());
    if (!run.display) fail(run, "cannot connect to the new X server");
    XSetErrorHandler(noteXError);
    int eventBase, errorBase, major, minor;
    if (!XTestQueryExtension(run.display, &eventBase, &errorBase, &major, &minor))
        fail(run, "the X server has no XTest");
    return name;
}

// Starts the desktop on the robot's display and waits until it is ready; a bare server has none.
void startDesktopFor(Run& run, const std::string& displayName) {
    std::string folder = run.scratch + "/desktop", error;
    mkdir(folder.c_str(), 0700);
    if (!startDesktop(run.desktopName, displayName, folder, desktopStartSeconds, run.desktop,
                      error))
        fail(run, error.c_str());
}

// Starts the program in the scratch folder on the robot's display, its records in the folder.
void startProgram(Run& run, const char* binary, const std::string& displayName) {
    std::string display = "DISPLAY=" + displayName;
    std::string records = "SNAPWIT_RECORDS=" + run.scratch + "/records.txt";
    std::string preload = "LD_PRELOAD=" + run.vsyncLibrary;
    std::vector<char*> environment;
    for (char** entry = environ; *entry; entry++)
        if (std::strncmp(*entry, "DISPLAY=", 8) != 0 && std::strncmp(*entry, "LD_PRELOAD=", 11))
            environment.push_back(*entry);
    environment.push_back(display.data());
    environment.push_back(records.data());
    if (!run.vsyncLibrary.empty()) environment.push_back(preload.data());
    environment.push_back(nullptr);
    run.program = fork();
    if (run.program == 0) {
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (chdir(run.scratch.c_str()) != 0) _exit(126);
        redirectOutput(run.scratch + "/program.log");
        char* argv[] = {(char*)binary, nullptr};
        execve(binary, argv, environment.data());
        _exit(127);
    }
}

// Waits for the program's window; returns when it appeared.
std::int64_t waitForWindow(Run& run) {
    std::int64_t until = now() + fromSeconds(windowAppearSeconds);
    while (now() < until) {
        run.window = findSnapwitWindow(run.display);
        if (run.window) return now();
        sleepFor(5 * nsPerMs);
    }
    fail(run, "no window titled Snapwit");
    return 0;
}

// True once the program has ended; keeps its wait status.
bool programEnded(Run& run, int& status) {
    if (run.program <= 0) return true;
    if (waitpid(run.program, &status, WNOHANG) != run.program) return false;
    run.program = -1;
    return true;
}

// Ends a child: politely, then for sure.
void stopChild(pid_t& pid, int signal) {
    if (pid <= 0) return;
    kill(pid, signal);
    std::int64_t until = now() + fromSeconds(exitSeconds);
    int status;
    while (waitpid(pid, &status, WNOHANG) == 0) {
        if (now() > until) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            break;
        }
        sleepFor(10 * nsPerMs);
    }
    pid = -1;
}

// Ends the program, the desktop and the X server, and removes the scratch folder.
void cleanUp(Run& run, bool keepScratch) {
    stopChild(run.program, SIGKILL);
    if (run.display) XCloseDisplay(run.display);
    run.display = nullptr;
    stopDesktop(run.desktop);
    stopChild(run.xvfb, SIGTERM);
    std::error_code ignored;
    if (!keepScratch) std::filesystem::remove_all(run.scratch, ignored);
}

// Gives up: says why, keeps the scratch folder with the logs, and exits with status 1.
void fail(Run& run, const char* what) {
    std::fprintf(stderr, "accuracy_robot: %s (logs kept in %s)\n", what, run.scratch.c_str());
    std::string log = readFile(run.scratch + "/program.log");
    if (!log.empty()) std::fprintf(stderr, "program output:\n%s\n", log.c_str());
    cleanUp(run, true);
    std::exit(1);
}

// --- input and screen --------------------------------------------------------------------------

// Presses and releases one key on the program's window.
void pressKey(Run& run, KeySym keysym) {
    KeyCode code = XKeysymToKeycode(run.display, keysym);
    XSetInputFocus(run.display, run.window, RevertToPointerRoot, CurrentTime);
    XTestFakeKeyEvent(run.display, code, True, CurrentTime);
    XTestFakeKeyEvent(run.display, code, False, CurrentTime);
    XSync(run.display, False);
}

// Presses or releases the left button and makes sure the request has left for the server.
void leftButton(Run& run, bool down) {
    XTestFakeButtonEvent(run.display, 1, down ? True : False, CurrentTime);
    XFlush(run.display);
}

// True when the centre pixel of the screen is white, read through the X server.
bool centreIsWhite(Run& run) {
    XImage* image = XGetImage(run.display, DefaultRootWindow(run.display), run.width / 2,
                              run.height / 2, 1, 1, AllPlanes, ZPixmap);
    if (!image) return false;
    unsigned long value = XGetPixel(image, 0, 0);
    int red = (int)((value & image->red_mask) >> 16);
    int green = (int)((value & image->green_mask) >> 8);
    int blue = (int)(value & image->blue_mask);
    XDestroyImage(image);
    return red > whiteThreshold && green > whiteThreshold && blue > whiteThreshold;
}

// The root's child that holds a window: its window manager's frame, or the window itself.
Window topLevelOf(Display* display, Window window) {
    Window root, parent, *children = nullptr;
    unsigned count = 0;
    while (XQueryTree(display, window, &root, &parent, &children, &count)) {
        if (children) XFree(children);
        if (parent == root || parent == 0) return window;
        window = parent;
    }
    return 0;
}

// True when a compositor redirects the program's window now, so that its frames reach the screen
// through the compositor. Naming the window's pixmap fails with BadMatch when it is not redirected.
// Asked rarely: asking often can keep Mutter compositing a full-screen window.
bool windowComposited(Run& run) {
    int eventBase, errorBase;
    if (!XCompositeQueryExtension(run.display, &eventBase, &errorBase)) return false;
    Window top = topLevelOf(run.display, run.window);
    if (top == 0) return false;
    XSync(run.display, False);
    lastXError = Success;
    Pixmap pixmap = XCompositeNameWindowPixmap(run.display, top);
    XSync(run.display, False);
    bool redirected = lastXError == Success;
    if (redirected) XFreePixmap(run.display, pixmap);
    XSync(run.display, False);
    return redirected;
}

struct Poller {
    std::int64_t sleepNs;
    std::vector<double> intervalsMs;   // from one poll's start to the next, while watching
    std::vector<double> roundTripsMs;  // one XGetImage
    std::int64_t lastStart = 0;
};

// Polls the centre, with a short sleep between polls, until it is (or is no longer) white.
// Returns the time just after the reply that showed it, or 0 on timeout.
std::int64_t pollUntil(Run& run, Poller& poller, bool white, double timeoutSeconds) {
    std::int64_t until = std::min(now() + fromSeconds(timeoutSeconds), run.deadline);
    poller.lastStart = 0;
    while (true) {
        std::int64_t start = now();
        bool seen = centreIsWhite(run) == white;
        std::int64_t end = now();
        if (poller.lastStart != 0) poller.intervalsMs.push_back(toMs(start - poller.lastStart));
        poller.roundTripsMs.push_back(toMs(end - start));
        poller.lastStart = start;
        if (seen) return end;
        if (end > until) return 0;
        sleepFor(poller.sleepNs);
    }
}

// --- the test, taken ---------------------------------------------------------------------------

struct Press {
    std::int64_t asked;  // the robot sent the poll that showed the flash
    std::int64_t seen;   // its answer came
    std::int64_t delay;  // this press's delay
    std::int64_t due;    // seen + delay
    std::int64_t sent;   // the press had been flushed to the server
};

struct Session {
    std::int64_t watching = 0;  // from here on every flash should have been seen
    std::vector<Press> presses;
    bool compositedFirst = false;  // the window went through a compositor when watching began
    bool compositedLast = false;   // and after the last press
};

// The delay of the press after flash I: DELAY_MS plus the middle of one of delaySteps equal
// parts of a refresh, in turn, so that their mean is DELAY_MS plus half a refresh.
std::int64_t pressDelay(double delayMs, int i) {
    double step = ((i % delaySteps) + 0.5) / delaySteps;
    return (std::int64_t)((delayMs + step * refreshMs) * nsPerMs);
}

// Waits for each flash, presses its delay after seeing it, and lets go; stops at a timeout.
Session takeTest(Run& run, Poller& poller, int flashes, double delayMs) {
    Session session;
    std::vector<Press>& presses = session.presses;
    // A flash may be on when watching starts: its first frames were not seen.
    session.watching = pollUntil(run, poller, false, flashTimeoutSeconds);
    if (!session.watching) return session;
    while ((int)presses.size() < flashes) {
        Press press{};
        press.seen = pollUntil(run, poller, true, flashTimeoutSeconds);
        if (!press.seen) {
            std::fprintf(stderr, "accuracy_robot: no flash seen in time after flash %zu\n",
                         presses.size());
            break;
        }
        press.asked = poller.lastStart;
        press.delay = pressDelay(delayMs, (int)presses.size());
        press.due = press.seen + press.delay;
        sleepUntil(press.due);
        leftButton(run, true);
        press.sent = now();
        sleepUntil(press.sent + (std::int64_t)(holdMs * nsPerMs));
        leftButton(run, false);
        presses.push_back(press);
        if (!pollUntil(run, poller, false, flashTimeoutSeconds)) break;
    }
    return session;
}

// Escape twice, the quick exit; true when the program then ended with status 0.
bool endProgram(Run& run) {
    pressKey(run, XK_Escape);
    pressKey(run, XK_Escape);
    std::int64_t until = now() + fromSeconds(exitSeconds);
    int status = 0;
    while (!programEnded(run, status)) {
        if (now() > until) return false;
        sleepFor(10 * nsPerMs);
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// --- the program's records ---------------------------------------------------------------------

struct Event {
    std::int64_t start, end;  // the frame's start, and its end after the swap
    double value;             // seconds of a flash, sixtieths of a score
};

struct Records {
    std::vector<Event> flashes, moves, scores, earlies, misses;
    std::vector<std::int64_t> frames;
};

// Reads the lines the recording build wrote, its clock moved onto the robot's. Words are split at
// any white space, so the Windows build's line ends (\r\n, written in text mode) read the same.
Records readRecords(const std::string& path) {
    Records records;
    std::ifstream in(path);
    std::string kind;
    std::int64_t offset = programClockOffset();
    while (in >> kind) {
        long long start = 0, end = 0;
        double value = 0;
        int count = 0;
        if (kind == "frame") {
            in >> start;
            records.frames.push_back(start + offset);
        } else if (kind == "flash" || kind == "moved") {
            in >> start >> end >> value;
            (kind == "flash" ? records.flashes : records.moves)
                .push_back(Event{start + offset, end + offset, value});
        } else if (kind == "score") {
            in >> start >> end >> count >> value;
            records.scores.push_back(Event{start + offset, end + offset, value});
        } else if (kind == "early" || kind == "miss") {
            in >> start >> end >> count;
            (kind == "early" ? records.earlies : records.misses)
                .push_back(Event{start + offset, end + offset, 0});
        }
    }
    std::sort(records.frames.begin(), records.frames.end());
    return records;
}

// --- analysis ----------------------------------------------------------------------------------

// One flash as both sides saw it: the error and its parts, in milliseconds.
struct Pairing {
    double error;        // recorded - delay
    double drawing;      // the flash's clock -> after its frame's swap: below 0 when the
                         // program times the flash from the frame after it
    double toSeen;       // after the swap -> the robot saw it
    double toAsked;      // after the swap -> the robot's poll that showed it
    double answer;       // that poll's round trip
    double overshoot;    // the robot's press due -> sent
    double toFrame;      // sent -> start of the frame that scored it
    double clockSteps;   // recorded - (scoring frame start - the flash's clock)
    double program;      // recorded - (press sent - after swap): the robot's own parts left out
    bool nextFrame;      // scored by the first frame that started after the press
};

// The last event that started at or before a time, or -1.
int lastAtOrBefore(const std::vector<Event>& events, std::int64_t time) {
    int found = -1;
    for (int i = 0; i < (int)events.size() && events[i].start <= time; i++) found = i;
    return found;
}

// The first event that started after a time, or -1.
int firstAfter(const std::vector<Event>& events, std::int64_t time) {
    for (int i = 0; i < (int)events.size(); i++)
        if (events[i].start > time) return i;
    return -1;
}

// Frames that started strictly between two times.
int framesBetween(const std::vector<std::int64_t>& frames, std::int64_t from, std::int64_t to) {
    auto first = std::upper_bound(frames.begin(), frames.end(), from);
    auto last = std::lower_bound(frames.begin(), frames.end(), to);
    return last > first ? (int)(last - first) : 0;
}

struct Analysis {
    std::vector<Pairing> pairs;
    int unpaired = 0;       // presses with no flash frame or no score that fits
    int unseenFlashes = 0;  // flashes after watching began that the robot never saw
    int earlyClicks = 0;
    int misses = 0;
    double framePeriodMs = 0;
    int framesCounted = 0;
};

// The start of the frame whose clock the flash is timed from: the frame after the flash's own if
// that one moved the time (it moves it only when its millisecond clock differs), else the flash's.
std::int64_t flashClock(const Event& flash, const Records& records) {
    int move = firstAfter(records.moves, flash.start);
    if (move >= 0 && framesBetween(records.frames, flash.start, records.moves[move].start) == 0)
        return records.moves[move].start;
    return flash.start;
}

// Pairs each press with the flash frame just before the robot saw it and the score after it.
Pairing pairPress(const Press& press, const Event& flash, const Event& score,
                  const Records& records) {
    Pairing p;
    double recordedMs = score.value * msPerSixtieth;
    std::int64_t clock = flashClock(flash, records);
    p.error = recordedMs - toMs(press.delay);
    p.drawing = toMs(flash.end - clock);
    p.toSeen = toMs(press.seen - flash.end);
    p.toAsked = toMs(press.asked - flash.end);
    p.answer = toMs(press.seen - press.asked);
    p.overshoot = toMs(press.sent - press.due);
    p.toFrame = toMs(score.start - press.sent);
    p.clockSteps = recordedMs - toMs(score.start - clock);
    p.program = recordedMs - toMs(press.sent - flash.end);
    p.nextFrame = framesBetween(records.frames, press.sent, score.start) == 0;
    return p;
}

// Matches the robot's presses to the program's records and counts whatever does not fit.
Analysis analyze(const std::vector<Press>& presses, const Records& records,
                 std::int64_t watchStart) {
    Analysis a;
    std::vector<bool> flashSeen(records.flashes.size(), false);
    for (const Press& press : presses) {
        int flash = lastAtOrBefore(records.flashes, press.seen);
        int score = firstAfter(records.scores, press.sent);
        bool fits = flash >= 0 && score >= 0 && !flashSeen[flash] &&
                    toMs(press.seen - records.flashes[flash].start) <
                        flashShowsMs + flashPairSlackMs;
        int nextFlash = flash + 1;
        if (fits && nextFlash < (int)records.flashes.size())
            fits = records.scores[score].start <= records.flashes[nextFlash].start;
        if (!fits) {
            a.unpaired++;
            continue;
        }
        flashSeen[flash] = true;
        a.pairs.push_back(pairPress(press, records.flashes[flash], records.scores[score], records));
    }
    for (size_t i = 0; i < records.flashes.size(); i++)
        if (!flashSeen[i] && records.flashes[i].start > watchStart && !presses.empty() &&
            records.flashes[i].start < presses.back().sent)
            a.unseenFlashes++;
    for (const Event& e : records.earlies) a.earlyClicks += e.start > watchStart;
    // A miss ends the flash before it; it counts against the robot only if the robot saw it.
    for (const Event& e : records.misses) {
        int flash = lastAtOrBefore(records.flashes, e.start);
        a.misses += flash >= 0 && flashSeen[flash];
    }
    return a;
}

// The median frame period from the first press's flash to the last score.
void measureFrames(Analysis& a, const Records& records, std::int64_t from, std::int64_t to) {
    std::vector<double> periods;
    for (size_t i = 1; i < records.frames.size(); i++)
        if (records.frames[i - 1] >= from && records.frames[i] <= to)
            periods.push_back(toMs(records.frames[i] - records.frames[i - 1]));
    Summary s = summarize(periods);
    a.framePeriodMs = s.median;
    a.framesCounted = s.count;
}

// The 1-minute load average, as /proc/loadavg has it.
double loadAverage() {
    double load = -1;
    std::ifstream("/proc/loadavg") >> load;
    return load;
}

// CPU seconds a process has used, from /proc (user and system).
double cpuSeconds(pid_t pid) {
    std::string stat = readFile("/proc/" + std::to_string(pid) + "/stat");
    size_t close = stat.rfind(')');
    if (close == std::string::npos) return 0;
    std::istringstream fields(stat.substr(close + 2));
    std::string field;
    unsigned long long user = 0, system = 0;
    for (int i = 3; i <= 15 && fields >> field; i++) {
        if (i == 14) user = std::stoull(field);
        if (i == 15) system = std::stoull(field);
    }
    return (double)(user + system) / (double)sysconf(_SC_CLK_TCK);
}

// A list of one part of every pairing.
std::vector<double> part(const std::vector<Pairing>& pairs, double Pairing::*field) {
    std::vector<double> values;
    for (const Pairing& p : pairs) values.push_back(p.*field);
    return values;
}

// The robot's own CPU seconds so far.
double ownCpuSeconds() {
    rusage usage;
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// CPU seconds used so far: by the robot, the X server, the program, the desktop, and the whole
// machine.
struct CpuUse {
    double robot, server, program, desktop, machine;
};

// The machine's busy CPU seconds, all cores together, from /proc/stat.
double machineCpuSeconds() {
    std::ifstream stat("/proc/stat");
    std::string cpu;
    unsigned long long user, nice, system, idle, iowait, irq, softirq, steal;
    if (!(stat >> cpu >> user >> nice >> system >> idle >> iowait >> irq >> softirq >> steal))
        return 0;
    return (double)(user + nice + system + irq + softirq + steal) / (double)sysconf(_SC_CLK_TCK);
}

// The parent of a process, from /proc, or 0.
pid_t parentOf(pid_t pid) {
    std::string stat = readFile("/proc/" + std::to_string(pid) + "/stat");
    size_t close = stat.rfind(')');
    if (close == std::string::npos) return 0;
    std::istringstream fields(stat.substr(close + 2));
    std::string state;
    pid_t parent = 0;
    fields >> state >> parent;
    return parent;
}

// Every process running now, from /proc.
std::vector<pid_t> allProcesses() {
    std::vector<pid_t> pids;
    DIR* proc = opendir("/proc");
    if (!proc) return pids;
    while (dirent* entry = readdir(proc)) {
        pid_t pid = (pid_t)std::atoi(entry->d_name);
        if (pid > 0) pids.push_back(pid);
    }
    closedir(proc);
    return pids;
}

// The desktop's processes and all they started, such as the services a session bus starts.
std::vector<pid_t> desktopProcesses(const Desktop& desktop) {
    std::vector<pid_t> family = desktop.pids;
    if (family.empty()) return family;
    std::vector<pid_t> others = allProcesses();
    for (bool grew = true; grew;) {
        grew = false;
        for (pid_t& pid : others) {
            bool child = pid > 0 && std::find(family.begin(), family.end(), parentOf(pid)) !=
                                        family.end();
            if (!child) continue;
            family.push_back(pid);
            pid = 0;
            grew = true;
        }
    }
    return family;
}

// CPU seconds the desktop's processes have used, those that are still running.
double desktopCpuSeconds(const Desktop& desktop) {
    double seconds = 0;
    for (pid_t pid : desktopProcesses(desktop)) seconds += cpuSeconds(pid);
    return seconds;
}

// Reads every side's CPU seconds now.
CpuUse cpuUse(const Run& run) {
    return CpuUse{ownCpuSeconds(), cpuSeconds(run.xvfb), cpuSeconds(run.program),
                  desktopCpuSeconds(run.desktop), machineCpuSeconds()};
}

// Cores kept busy on average while the robot watched, each side apart; "others" is everything
// else on the machine: other people's builds and tests.
struct Costs {
    bool realTime = false;
    double robot = 0, server = 0, program = 0, desktop = 0, others = 0;
    double loadBefore = 0, loadAfter = 0;
};

// Turns two readings into cores busy, each side apart.
void noteCpu(Costs& costs, const CpuUse& from, const CpuUse& to, double seconds) {
    costs.robot = (to.robot - from.robot) / seconds;
    costs.server = (to.server - from.server) / seconds;
    costs.program = (to.program - from.program) / seconds;
    costs.desktop = (to.desktop - from.desktop) / seconds;
    costs.others = (to.machine - from.machine) / seconds - costs.robot - costs.server -
                   costs.program - costs.desktop;
}

// The error and its parts, which add up to it flash by flash, and the error without the robot.
void printBreakdown(const std::vector<Pairing>& pairs) {
    struct Line {
        const char* label;
        double Pairing::*field;
    };
    const Line lines[] = {
        {"recorded time - robot's delay", &Pairing::error},
        {"= the flash's clock -> after its frame's swap", &Pairing::drawing},
        {"+ after swap -> the robot's poll that showed it", &Pairing::toAsked},
        {"+ that poll's round trip through the X server", &Pairing::answer},
        {"+ robot's sleep overshoot (due -> press sent)", &Pairing::overshoot},
        {"+ press sent -> clock of the frame scoring it", &Pairing::toFrame},
        {"+ program clock's whole milliseconds", &Pairing::clockSteps},
        {"robot left out: recorded - (sent - after swap)", &Pairing::program},
    };
    std::printf("  %-50s %7s %6s %7s %7s %7s\n", "ms", "mean", "sd", "min", "max", "median");
    for (const Line& line : lines) printRow(line.label, summarize(part(pairs, line.field)));
}

// Prints the figures: the error, its parts, the frame period, the robot's polling and the load.
void report(const Run& run, const Analysis& a, const Poller& poller, const Costs& costs,
            const Session& session, int flashesAsked, double delayMs) {
    const std::vector<Pairing>& pairs = a.pairs;
    Summary error = summarize(part(pairs, &Pairing::error));
    Summary interval = summarize(poller.intervalsMs);
    Summary roundTrip = summarize(poller.roundTripsMs);
    int nextFrame = 0;
    for (const Pairing& p : pairs) nextFrame += p.nextFrame;

    const char* composited = session.compositedFirst
                                 ? (session.compositedLast ? "yes" : "at first")
                                 : (session.compositedLast ? "at last" : "no");
    std::printf("== %s%s %dx%d: %d of %d flashes paired; robot delay %.1f ms + 0 to %.1f in %d "
                "steps, poll sleep %.0f us, %s scheduling\n",
                run.desktopName.c_str(), run.vsyncLibrary.empty() ? "" : ", 60 Hz sync",
                run.width, run.height, (int)pairs.size(), flashesAsked, delayMs, refreshMs,
                delaySteps, poller.sleepNs / 1000.0, costs.realTime ? "real-time" : "normal");
    std::printf("  desktop ready %.2f s after its start; window composited when watching began: "
                "%s, after the last press: %s\n",
                run.desktop.secondsToReady, session.compositedFirst ? "yes" : "no",
                session.compositedLast ? "yes" : "no");
    printBreakdown(pairs);
    std::printf("  frames: median period %.2f ms over %d; the first frame after a press scored it "
                "%d times of %d\n",
                a.framePeriodMs, a.framesCounted, nextFrame, (int)pairs.size());
    std::printf("  robot: poll interval median %.3f ms (min %.3f, max %.3f), round trip median "
                "%.3f ms (max %.3f)\n",
                interval.median, interval.min, interval.max, roundTrip.median, roundTrip.max);
    std::printf("  cores busy: program %.2f, X server %.2f, desktop %.2f, robot %.3f, other work "
                "%.2f; load average %.2f before, %.2f after\n",
                costs.program, costs.server, costs.desktop, costs.robot, costs.others,
                costs.loadBefore, costs.loadAfter);
    std::printf("  not paired %d, flashes the robot missed %d, early clicks %d, misses %d\n",
                a.unpaired, a.unseenFlashes, a.earlyClicks, a.misses);
    auto mean = [&](double Pairing::*field) { return summarize(part(pairs, field)).mean; };
    std::printf("| %s%s | %d by %d | %d | %.2f | %.2f | %.2f | %.2f | %.2f | %.2f | %.2f | %.2f | "
                "%.2f | %.2f | %s | %.2f | %.2f | %.2f |\n",
                run.desktopName.c_str(), run.vsyncLibrary.empty() ? "" : ", 60 Hz sync", run.width,
                run.height, error.count, error.mean, error.sd,
                error.min, error.max, a.framePeriodMs, mean(&Pairing::drawing),
                mean(&Pairing::toSeen), mean(&Pairing::toFrame), mean(&Pairing::program),
                interval.median, composited, costs.desktop, costs.others,
                std::max(costs.loadBefore, costs.loadAfter));
}

// Copies the font sheet into a new scratch folder.
std::string makeScratch(const char* font) {
    char pattern[] = "/tmp/snapwit-accuracy-XXXXXX";
    if (!mkdtemp(pattern)) {
        std::perror("mkdtemp");
        std::exit(1);
    }
    std::error_code error;
    std::filesystem::copy_file(font, std::string(pattern) + "/font.bmp", error);
    if (error) {
        std::fprintf(stderr, "accuracy_robot: cannot copy %s\n", font);
        std::exit(1);
    }
    return pattern;
}

// Asks for real-time scheduling once the children run (they keep the normal kind), so that the
// robot's wake-ups come on time on a busy machine; it sleeps between polls and so takes little.
bool runPromptly() {
    sched_param param{};
    param.sched_priority = 1;
    return sched_setscheduler(0, SCHED_FIFO, &param) == 0;
}

// Starts everything, speeds the waits up, and waits out the title and the fade-in.
std::int64_t prepare(Run& run, const char* binary) {
    std::string name = startXServer(run);
    startDesktopFor(run, name);
    startProgram(run, binary, name);
    std::int64_t appeared = waitForWindow(run);
    sleepUntil(appeared + fromSeconds(keySettleSeconds));
    for (int i = 0; i < speedUpPresses; i++) pressKey(run, XK_Page_Down);
    sleepUntil(appeared + fromSeconds(watchFromSeconds));
    return now();
}

// A numeric argument, or its default when it is not given.
int argument(int argc, char** argv, int index, int fallback) {
    return argc > index ? std::atoi(argv[index]) : fallback;
}

struct Options {
    std::string binary;
    const char* font;
    int flashes;
    double delayMs;
    int pollSleepUs;
};

// Takes the test on a fresh X server and returns what the program recorded, with the costs.
Records measure(Run& run, const Options& options, Poller& poller, Session& session, Costs& costs) {
    run.scratch = makeScratch(options.font);
    run.deadline = now() + fromSeconds(serverStartSeconds + desktopStartSeconds +
                                       windowAppearSeconds + watchFromSeconds +
                                       options.flashes * runSecondsPerFlash);
    costs.loadBefore = loadAverage();
    std::int64_t watchStart = prepare(run, options.binary.c_str());
    bool compositedFirst = windowComposited(run);
    costs.realTime = runPromptly();
    CpuUse before = cpuUse(run);
    session = takeTest(run, poller, options.flashes, options.delayMs);
    double watchedSeconds = (now() - watchStart) / (double)nsPerSecond;
    noteCpu(costs, before, cpuUse(run), watchedSeconds);
    costs.loadAfter = loadAverage();
    session.compositedFirst = compositedFirst;
    session.compositedLast = windowComposited(run);
    sleepFor((std::int64_t)(lastScoreSettleMs * nsPerMs));
    if (!endProgram(run)) fail(run, "Escape twice did not end the program with status 0");
    return readRecords(run.scratch + "/records.txt");
}

// True when startDesktop knows the name.
bool knownDesktop(const std::string& name) {
    for (int i = 0; i < desktopCount; i++)
        if (name == desktopNames[i]) return true;
    return false;
}

}  // namespace

// Takes the test on one screen size and desktop, prints the figures, and exits 0 if every flash
// was paired.
int main(int argc, char** argv) {
    std::string desktopName = "bare", vsyncLibrary;
    for (; argc > 2 && std::strncmp(argv[1], "--", 2) == 0; argc -= 2, argv += 2) {
        if (std::strcmp(argv[1], "--desktop") == 0) desktopName = argv[2];
        else if (std::strcmp(argv[1], "--vsync") == 0)
            vsyncLibrary = std::filesystem::absolute(argv[2]).string();
        else break;
    }
    if (argc < 5 || !knownDesktop(desktopName) || std::strncmp(argv[1], "--", 2) == 0) {
        std::fprintf(stderr, "usage: accuracy_robot [--desktop NAME] [--vsync LIBRARY] PROGRAM "
                             "FONT_BMP WIDTH HEIGHT [FLASHES [DELAY_MS [POLL_SLEEP_US]]]\n  NAME:");
        for (int i = 0; i < desktopCount; i++) std::fprintf(stderr, " %s", desktopNames[i]);
        std::fprintf(stderr, "\n");
        return 2;
    }
    // The program starts in the scratch folder, so its path must not be relative.
    Options options{std::filesystem::absolute(argv[1]).string(), argv[2],
                    argument(argc, argv, 5, defaultFlashes),
                    argc > 6 ? std::atof(argv[6]) : defaultDelayMs,
                    argument(argc, argv, 7, defaultPollSleepUs)};
    Run run;
    run.desktopName = desktopName;
    run.vsyncLibrary = vsyncLibrary;
    run.width = std::atoi(argv[3]);
    run.height = std::atoi(argv[4]);
    Poller poller{(std::int64_t)options.pollSleepUs * 1000, {}, {}, 0};
    poller.intervalsMs.reserve(1 << 20);
    poller.roundTripsMs.reserve(1 << 20);
    Session session;
    Costs costs{};
    Records records = measure(run, options, poller, session, costs);

    const std::vector<Press>& presses = session.presses;
    Analysis analysis = analyze(presses, records, session.watching);
    if (!presses.empty())
        measureFrames(analysis, records, presses.front().seen - fromSeconds(0.1),
                      presses.back().sent + fromSeconds(0.1));
    report(run, analysis, poller, costs, session, options.flashes, options.delayMs);
    bool complete = (int)analysis.pairs.size() == options.flashes && analysis.unpaired == 0 &&
                    analysis.unseenFlashes == 0 && analysis.earlyClicks == 0 &&
                    analysis.misses == 0;
    cleanUp(run, !complete);
    if (!complete)
        std::fprintf(stderr, "accuracy_robot: incomplete run, logs in %s\n", run.scratch.c_str());
    return complete ? 0 : 1;
}
