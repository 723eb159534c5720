// startup_bench: time from process start to Snapwit's first swapped frame, over repeated runs.
//
//   startup_bench SNAPWIT_BINARY PRELOAD_LIBRARY FOLDER [RUNS]
//
// Each run forks, notes the clock, and execs snapwit in FOLDER (which holds font.bmp) with the
// first-swap clock preloaded; the child is killed once it has reported. DISPLAY must be set.
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ctime>

#include "bench/statistics.h"

namespace {

constexpr int maxRuns = 100;
constexpr int reportTimeoutMs = 10000;

std::int64_t monotonicNanoseconds() {
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return (std::int64_t)now.tv_sec * 1000000000 + now.tv_nsec;
}

// One start: milliseconds from fork to the first swap, or a negative value on failure.
double timeOneStart(const char* binary, const char* preload, const char* folder) {
    int channel[2];
    if (pipe(channel) != 0) return -1;
    std::int64_t start = monotonicNanoseconds();
    pid_t child = fork();
    if (child == 0) {
        close(channel[0]);
        char fd[16];
        std::snprintf(fd, sizeof fd, "%d", channel[1]);
        setenv("FIRST_SWAP_FD", fd, 1);
        setenv("LD_PRELOAD", preload, 1);
        if (chdir(folder) != 0) _exit(127);
        execl(binary, binary, (char*)nullptr);
        _exit(127);
    }
    close(channel[1]);
    std::int64_t swapped = 0;
    pollfd ready = {channel[0], POLLIN, 0};
    bool got = poll(&ready, 1, reportTimeoutMs) == 1 &&
               read(channel[0], &swapped, sizeof swapped) == sizeof swapped;
    close(channel[0]);
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
    return got ? (swapped - start) / 1e6 : -1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: startup_bench SNAPWIT PRELOAD FOLDER [RUNS]\n");
        return 2;
    }
    int runs = std::min(argc > 4 ? std::atoi(argv[4]) : 20, maxRuns);
    double times[maxRuns];
    int good = 0;
    for (int i = 0; i < runs; i++) {
        double ms = timeOneStart(argv[1], argv[2], argv[3]);
        if (ms >= 0) times[good++] = ms;
    }
    if (good == 0) {
        std::fprintf(stderr, "startup_bench: no run reported a swap\n");
        return 1;
    }
    double middle = median(times, good);  // sorted now
    std::printf("start-up to first swap: median %.1f ms, min %.1f ms, max %.1f ms over %d runs\n",
                middle, times[0], times[good - 1], good);
    return 0;
}
