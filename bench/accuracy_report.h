// The timing robot's report: the error and its parts, the frame period, the robot's polling, the
// cores busy, and one row for bench/RESULTS.md's tables.
#pragma once

#include <string>

#include "bench/accuracy_analysis.h"
#include "bench/cpu_use.h"
#include "bench/statistics.h"

// What a live run knows besides its records.
struct RunFacts {
    std::string desktop;
    bool vsync = false;
    int width = 0, height = 0;
    double desktopSeconds = 0;  // from the desktop's start to ready
    int flashesAsked = 0;
    double delayMs = 0, spreadMs = 0;  // presses due DELAY_MS plus up to spreadMs after a flash
    int spreadSteps = 0;
    double pollSleepUs = 0;
    Summary pollIntervals, roundTrips;  // ms
    bool compositedFirst = false;  // the window went through a compositor when watching began
    bool compositedLast = false;   // and after the last press
    Costs costs;
};

// What the records alone tell: the breakdown, the frames and what did not fit.
void printAnalysis(const Analysis& analysis);

// Everything, in the order bench/accuracy reads it.
void printReport(const RunFacts& run, const Analysis& analysis);
