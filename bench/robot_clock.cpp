// The timing robot's clock.
#include "bench/robot_clock.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>

// Nanoseconds on the monotonic clock, the one the program's steady_clock reads.
std::int64_t now() {
    timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return (std::int64_t)t.tv_sec * nsPerSecond + t.tv_nsec;
}

// NTP's corrections have moved CLOCK_MONOTONIC from CLOCK_MONOTONIC_RAW by a near-constant offset.
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
