// accuracy_robot: how far a recorded reaction time is from the true one, measured from outside.
//
//   accuracy_robot [--desktop NAME] [--vsync LIBRARY] [--records FILE] PROGRAM FONT_BMP
//                  WIDTH HEIGHT [FLASHES [DELAY_MS [POLL_SLEEP_US]]]
//   accuracy_robot --analyse FILE
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
// Both sides' records go to one file (bench/accuracy_records.h), kept as FILE when --records names
// it; --analyse prints again what the records alone tell of such a file, without running anything.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/extensions/Xcomposite.h>
#include <X11/keysym.h>
#include <fcntl.h>
#include <poll.h>
#include <sched.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "bench/accuracy_analysis.h"
#include "bench/accuracy_records.h"
#include "bench/accuracy_report.h"
#include "bench/cpu_use.h"
#include "bench/robot_clock.h"
#include "bench/statistics.h"
#include "tests/support/desktop.h"
#include "tests/support/snapwit_window.h"

extern char** environ;

namespace {

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
constexpr double refreshMs = 1000.0 / 60;   // the refresh period the presses are spread over
constexpr int delaySteps = 8;               // the default 40 flashes and 24 are whole cycles

// --- processes ---------------------------------------------------------------------------------

struct Run {
    std::string scratch;
    std::string records;  // both sides' records; in the scratch folder unless --records names it
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

// Starts the program in the scratch folder on the robot's display, writing the records file.
void startProgram(Run& run, const char* binary, const std::string& displayName) {
    std::string display = "DISPLAY=" + displayName;
    std::string records = "SNAPWIT_RECORDS=" + run.records;
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

struct Session {
    std::int64_t watching = 0;  // from here on every flash should have been seen
    std::vector<Press> presses;
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

// Reads every side's CPU seconds now.
CpuUse cpuUseNow(const Run& run) {
    return cpuUse(run.xvfb, run.program, run.desktop.pids);
}

// Takes the test on a fresh X server and writes both sides' records, noting what else it saw in
// the facts; returns the records file.
std::string measure(Run& run, const Options& options, Poller& poller, RunFacts& facts) {
    run.scratch = makeScratch(options.font);
    if (run.records.empty()) run.records = run.scratch + "/records.txt";
    run.deadline = now() + fromSeconds(serverStartSeconds + desktopStartSeconds +
                                       windowAppearSeconds + watchFromSeconds +
                                       options.flashes * runSecondsPerFlash);
    Costs& costs = facts.costs;
    costs.loadBefore = loadAverage();
    std::int64_t watchStart = prepare(run, options.binary.c_str());
    facts.compositedFirst = windowComposited(run);
    costs.realTime = runPromptly();
    CpuUse before = cpuUseNow(run);
    Session session = takeTest(run, poller, options.flashes, options.delayMs);
    double watchedSeconds = (now() - watchStart) / (double)nsPerSecond;
    noteCpu(costs, before, cpuUseNow(run), watchedSeconds);
    costs.loadAfter = loadAverage();
    facts.compositedLast = windowComposited(run);
    sleepFor((std::int64_t)(lastScoreSettleMs * nsPerMs));
    if (!endProgram(run)) fail(run, "Escape twice did not end the program with status 0");
    if (!appendRobotRecords(run.records, session.watching, session.presses, programClockOffset()))
        fail(run, "cannot write the robot's records");
    return run.records;
}

// True when startDesktop knows the name.
bool knownDesktop(const std::string& name) {
    for (int i = 0; i < desktopCount; i++)
        if (name == desktopNames[i]) return true;
    return false;
}


// Prints what a saved records file tells; 0 when it held presses and all of them fit.
int analyseSaved(const char* path) {
    Records records = readRecords(path);
    if (records.presses.empty()) {
        std::fprintf(stderr, "accuracy_robot: no presses in %s\n", path);
        return 1;
    }
    Analysis analysis = analyze(records);
    printAnalysis(analysis);
    return clean(analysis) ? 0 : 1;
}

// Says how to call it.
int usage() {
    std::fprintf(stderr, "usage: accuracy_robot [--desktop NAME] [--vsync LIBRARY] [--records FILE] "
                         "PROGRAM FONT_BMP WIDTH HEIGHT [FLASHES [DELAY_MS [POLL_SLEEP_US]]]\n"
                         "       accuracy_robot --analyse FILE\n  NAME:");
    for (int i = 0; i < desktopCount; i++) std::fprintf(stderr, " %s", desktopNames[i]);
    std::fprintf(stderr, "\n");
    return 2;
}

}  // namespace

// Takes the test on one screen size and desktop, prints the figures, and exits 0 if every flash
// was paired; or analyses a saved records file.
int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "--analyse") == 0) return analyseSaved(argv[2]);
    Run run;
    for (; argc > 2 && std::strncmp(argv[1], "--", 2) == 0; argc -= 2, argv += 2) {
        if (std::strcmp(argv[1], "--desktop") == 0) run.desktopName = argv[2];
        else if (std::strcmp(argv[1], "--vsync") == 0)
            run.vsyncLibrary = std::filesystem::absolute(argv[2]).string();
        else if (std::strcmp(argv[1], "--records") == 0)
            run.records = std::filesystem::absolute(argv[2]).string();
        else break;
    }
    if (argc < 5 || !knownDesktop(run.desktopName) || std::strncmp(argv[1], "--", 2) == 0)
        return usage();
    // The program starts in the scratch folder, so its path must not be relative.
    Options options{std::filesystem::absolute(argv[1]).string(), argv[2],
                    argument(argc, argv, 5, defaultFlashes),
                    argc > 6 ? std::atof(argv[6]) : defaultDelayMs,
                    argument(argc, argv, 7, defaultPollSleepUs)};
    run.width = std::atoi(argv[3]);
    run.height = std::atoi(argv[4]);
    Poller poller{(std::int64_t)options.pollSleepUs * 1000, {}, {}, 0};
    poller.intervalsMs.reserve(1 << 20);
    poller.roundTripsMs.reserve(1 << 20);
    RunFacts facts;
    Analysis analysis = analyze(readRecords(measure(run, options, poller, facts)));

    facts.desktop = run.desktopName;
    facts.vsync = !run.vsyncLibrary.empty();
    facts.width = run.width;
    facts.height = run.height;
    facts.desktopSeconds = run.desktop.secondsToReady;
    facts.flashesAsked = options.flashes;
    facts.delayMs = options.delayMs;
    facts.spreadMs = refreshMs;
    facts.spreadSteps = delaySteps;
    facts.pollSleepUs = options.pollSleepUs;
    facts.pollIntervals = summarize(poller.intervalsMs);
    facts.roundTrips = summarize(poller.roundTripsMs);
    printReport(facts, analysis);
    bool complete = (int)analysis.pairs.size() == options.flashes && clean(analysis);
    cleanUp(run, !complete);
    if (!complete)
        std::fprintf(stderr, "accuracy_robot: incomplete run, logs in %s\n", run.scratch.c_str());
    return complete ? 0 : 1;
}
