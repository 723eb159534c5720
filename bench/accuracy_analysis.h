// The timing robot's analysis: the robot's presses matched to the program's records, each
// recorded time's error split into where it comes from. Pure functions of a records file.
#pragma once

#include <vector>

#include "bench/accuracy_records.h"

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

struct Analysis {
    std::vector<Pairing> pairs;
    int unpaired = 0;       // presses with no flash frame or no score that fits
    int unseenFlashes = 0;  // flashes after watching began that the robot never saw
    int earlyClicks = 0;
    int misses = 0;
    double framePeriodMs = 0;  // the median, from the first press's flash to the last score
    int framesCounted = 0;
};

// Matches the presses to the program's records, counts whatever does not fit, and measures the
// frame period while the presses went on.
Analysis analyze(const Records& records);

// True when every press was paired and nothing else happened: no flash unseen, no early click,
// no miss.
bool clean(const Analysis& analysis);

// One part of every pairing.
std::vector<double> part(const std::vector<Pairing>& pairs, double Pairing::*field);
