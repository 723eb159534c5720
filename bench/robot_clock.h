// The timing robot's clock: nanoseconds on CLOCK_MONOTONIC, the clock the program's steady_clock
// reads, so that both sides' times can be compared directly.
#pragma once

#include <cstdint>

constexpr std::int64_t nsPerMs = 1000000;
constexpr std::int64_t nsPerSecond = 1000000000;

// Nanoseconds on the monotonic clock.
std::int64_t now();

// How far the robot's clock is ahead of the program's: nothing, unless SNAPWIT_PROGRAM_CLOCK=raw
// says the program reads CLOCK_MONOTONIC_RAW (Wine's QueryPerformanceCounter).
std::int64_t programClockOffset();

// Sleeps until an absolute monotonic time, however many signals interrupt it.
void sleepUntil(std::int64_t when);
// Sleeps for a span from now.
void sleepFor(std::int64_t ns);

// Seconds as nanoseconds.
std::int64_t fromSeconds(double seconds);
// Nanoseconds as milliseconds.
double toMs(std::int64_t ns);
