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
#include <X11/extensions/Xcomposite.h>
#include <X11/keysym.h>
#include <sched.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/accuracy_analysis.h"
#include "bench/accuracy_records.h"
#include "bench/accuracy_report.h"
#include "bench/cpu_use.h"
#include "bench/robot_clock.h"
#include "bench/statistics.h"
#include "tests/support/desktop.h"
#include "tests/support/process.h"
#include "tests/support/x_client.h"
#include "tests/support/x_server.h"

namespace {

constexpr int defaultFlashes = 40;
constexpr double defaultDelayMs = 200.0;
// With 1 ms the poll that showed a flash waited far longer for the X server's answer (1.6 ms
// against 0.3 at 1280 by 720), for 0.02 of a core less.
constexpr int defaultPollSleepUs = 500;
// Every channel above it: the white flash. The value bench/RESULTS.md's figures were measured
// with; the X library's isWhite takes a lower one.
constexpr int whiteThreshold = 200;
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

// --- processes and X ---------------------------------------------------------------------------

struct Run {
    std::string scratch;
    std::string records;  // both sides' records; in the scratch folder unless --records names it
    std::string desktopName = "bare";
    std::string vsyncLibrary;  // preloaded into the program when not empty
    Desktop desktop;
    XServer server;
    pid_t program = -1;
    Display* display = nullptr;
    Window window = 0;
    int width = 0, height = 0;
    std::int64_t deadline = 0;  // the whole run's bound
};

void fail(Run& run, const char* what);

// Starts Xvfb on the first free display, as the end-to-end tests do, and connects to it.
void startServer(Run& run) {
    std::string error;
    if (!startXServer(xvfbCommand(run.width, run.height), run.scratch + "/xvfb.log",
                      serverStartSeconds, run.server, error))
        fail(run, error.c_str());
    run.display = connectTo(run.server.name, serverStartSeconds);
    if (!run.display) fail(run, "cannot connect to the new X server, or it has no XTest");
}

// Starts the desktop on the robot's display and waits until it is ready; a bare server has none.
void startDesktopFor(Run& run) {
    std::string folder = run.scratch + "/desktop", error;
    mkdir(folder.c_str(), 0700);
    if (!startDesktop(run.desktopName, run.server.name, folder, desktopStartSeconds, run.desktop,
                      error))
        fail(run, error.c_str());
}

// Starts the program in the scratch folder on the robot's display, writing the records file.
void startProgram(Run& run, const std::string& binary) {
    ChildSpec child;
    child.command = {binary};
    child.environment = environmentWith(
        {"DISPLAY=" + run.server.name, "SNAPWIT_RECORDS=" + run.records,
         run.vsyncLibrary.empty() ? "LD_PRELOAD" : "LD_PRELOAD=" + run.vsyncLibrary});
    child.folder = run.scratch;
    child.outPath = run.scratch + "/program.log";
    run.program = spawn(child);
    if (run.program < 0) fail(run, "cannot fork the program");
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

// Ends the program, the desktop and the X server, and removes the scratch folder.
void cleanUp(Run& run, bool keepScratch) {
    stopChild(run.program, SIGKILL, exitSeconds);
    if (run.display) XCloseDisplay(run.display);
    run.display = nullptr;
    stopDesktop(run.desktop);
    stopXServer(run.server);
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

// --- the screen --------------------------------------------------------------------------------

// True when the pixel read is white: the flash, not the yellow graph line or the red markers.
bool isFlashWhite(const Pixel& p) {
    return p.r > whiteThreshold && p.g > whiteThreshold && p.b > whiteThreshold;
}

// True when a compositor redirects the program's window now, so that its frames reach the screen
// through the compositor. Naming the window's pixmap fails with BadMatch when it is not redirected.
// Asked rarely: asking often can keep Mutter compositing a full-screen window.
bool windowComposited(Run& run) {
    int eventBase, errorBase;
    if (!XCompositeQueryExtension(run.display, &eventBase, &errorBase)) return false;
    Window top = topLevelOf(run.display, run.window);
    if (top == 0) return false;
    clearXErrors(run.display);
    Pixmap pixmap = XCompositeNameWindowPixmap(run.display, top);
    XSync(run.display, False);
    bool redirected = lastXError() == Success;
    if (redirected) XFreePixmap(run.display, pixmap);
    XSync(run.display, False);
    return redirected;
}

struct Poller {
    std::int64_t sleepNs;
    std::vector<double> intervalsMs;   // from one poll's start to the next, while watching
    std::vector<double> roundTripsMs;  // one XGetImage
    std::int64_t lastStart = 0;
    std::vector<Pixel> centre;  // the last one read
};

// Polls the centre, with a short sleep between polls, until it is (or is no longer) white.
// Returns the time just after the reply that showed it, or 0 on timeout.
std::int64_t pollUntil(Run& run, Poller& poller, bool white, double timeoutSeconds) {
    std::int64_t until = std::min(now() + fromSeconds(timeoutSeconds), run.deadline);
    poller.lastStart = 0;
    while (true) {
        std::int64_t start = now();
        bool read = readScreen(run.display, Rect{run.width / 2, run.height / 2, 1, 1},
                               poller.centre);
        bool seen = (read && isFlashWhite(poller.centre[0])) == white;
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
        fakeButton(run.display, 1, true, Send::flushed);
        press.sent = now();
        sleepUntil(press.sent + (std::int64_t)(holdMs * nsPerMs));
        fakeButton(run.display, 1, false, Send::flushed);
        presses.push_back(press);
        if (!pollUntil(run, poller, false, flashTimeoutSeconds)) break;
    }
    return session;
}

// Escape twice, the quick exit; true when the program then ended with status 0.
bool endProgram(Run& run) {
    int status = 0;
    if (!escapeTwice(run.display, run.window, run.program, exitSeconds, status)) return false;
    run.program = -1;
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
std::int64_t prepare(Run& run, const std::string& binary) {
    startServer(run);
    startDesktopFor(run);
    startProgram(run, binary);
    std::int64_t appeared = waitForWindow(run);
    sleepUntil(appeared + fromSeconds(keySettleSeconds));
    for (int i = 0; i < speedUpPresses; i++) pressKey(run.display, run.window, XK_Page_Down);
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
    return cpuUse(run.server.pid, run.program, run.desktop.pids);
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
    std::int64_t watchStart = prepare(run, options.binary);
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
    Poller poller{(std::int64_t)options.pollSleepUs * 1000, {}, {}, 0, {}};
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
