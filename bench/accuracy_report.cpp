// The timing robot's report.
#include "bench/accuracy_report.h"

#include <algorithm>
#include <cstdio>

namespace {

// One line of a breakdown table, in milliseconds.
void printRow(const char* label, const Summary& s) {
    std::printf("  %-50s %7.2f %6.2f %7.2f %7.2f %7.2f\n", label, s.mean, s.sd, s.min, s.max,
                s.median);
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

// The median frame period, and how often the first frame after a press scored it.
void printFrames(const Analysis& a) {
    int nextFrame = 0;
    for (const Pairing& p : a.pairs) nextFrame += p.nextFrame;
    std::printf("  frames: median period %.2f ms over %d; the first frame after a press scored it "
                "%d times of %d\n",
                a.framePeriodMs, a.framesCounted, nextFrame, (int)a.pairs.size());
}

// What did not fit.
void printMisfits(const Analysis& a) {
    std::printf("  not paired %d, flashes the robot missed %d, early clicks %d, misses %d\n",
                a.unpaired, a.unseenFlashes, a.earlyClicks, a.misses);
}

// The run's one row: the error, its main parts' means, the polling, compositing and load.
void printTableRow(const RunFacts& run, const Analysis& a) {
    const std::vector<Pairing>& pairs = a.pairs;
    Summary error = summarize(part(pairs, &Pairing::error));
    auto mean = [&](double Pairing::*field) { return summarize(part(pairs, field)).mean; };
    const char* composited = run.compositedFirst ? (run.compositedLast ? "yes" : "at first")
                                                 : (run.compositedLast ? "at last" : "no");
    const Costs& costs = run.costs;
    std::printf("| %s%s | %d by %d | %d | %.2f | %.2f | %.2f | %.2f | %.2f | %.2f | %.2f | %.2f | "
                "%.2f | %.2f | %s | %.2f | %.2f | %.2f |\n",
                run.desktop.c_str(), run.vsync ? ", 60 Hz sync" : "", run.width, run.height,
                error.count, error.mean, error.sd, error.min, error.max, a.framePeriodMs,
                mean(&Pairing::drawing), mean(&Pairing::toSeen), mean(&Pairing::toFrame),
                mean(&Pairing::program), run.pollIntervals.median, composited, costs.desktop,
                costs.others, std::max(costs.loadBefore, costs.loadAfter));
}

}  // namespace

// What the records alone tell.
void printAnalysis(const Analysis& a) {
    printBreakdown(a.pairs);
    printFrames(a);
    printMisfits(a);
}

// Everything, in the order bench/accuracy reads it.
void printReport(const RunFacts& run, const Analysis& a) {
    const Costs& costs = run.costs;
    std::printf("== %s%s %dx%d: %d of %d flashes paired; robot delay %.1f ms + 0 to %.1f in %d "
                "steps, poll sleep %.0f us, %s scheduling\n",
                run.desktop.c_str(), run.vsync ? ", 60 Hz sync" : "", run.width, run.height,
                (int)a.pairs.size(), run.flashesAsked, run.delayMs, run.spreadMs, run.spreadSteps,
                run.pollSleepUs, costs.realTime ? "real-time" : "normal");
    std::printf("  desktop ready %.2f s after its start; window composited when watching began: "
                "%s, after the last press: %s\n",
                run.desktopSeconds, run.compositedFirst ? "yes" : "no",
                run.compositedLast ? "yes" : "no");
    printBreakdown(a.pairs);
    printFrames(a);
    std::printf("  robot: poll interval median %.3f ms (min %.3f, max %.3f), round trip median "
                "%.3f ms (max %.3f)\n",
                run.pollIntervals.median, run.pollIntervals.min, run.pollIntervals.max,
                run.roundTrips.median, run.roundTrips.max);
    std::printf("  cores busy: program %.2f, X server %.2f, desktop %.2f, robot %.3f, other work "
                "%.2f; load average %.2f before, %.2f after\n",
                costs.program, costs.server, costs.desktop, costs.robot, costs.others,
                costs.loadBefore, costs.loadAfter);
    printMisfits(a);
    printTableRow(run, a);
}
