// CPU accounting for the timing robot: the cores each side kept busy while the robot watched,
// from /proc, so that a figure taken on a loaded machine says so.
#pragma once

#include <sys/types.h>

#include <vector>

// CPU seconds used so far: by the robot, the X server, the program, the desktop, and the whole
// machine.
struct CpuUse {
    double robot, server, program, desktop, machine;
};

// Cores kept busy on average while the robot watched, each side apart; "others" is everything
// else on the machine: other people's builds and tests.
struct Costs {
    bool realTime = false;
    double robot = 0, server = 0, program = 0, desktop = 0, others = 0;
    double loadBefore = 0, loadAfter = 0;
};

// The 1-minute load average, as /proc/loadavg has it.
double loadAverage();

// Reads every side's CPU seconds now; the desktop's are its processes' and all they started.
CpuUse cpuUse(pid_t server, pid_t program, const std::vector<pid_t>& desktop);

// Turns two readings into cores busy, each side apart.
void noteCpu(Costs& costs, const CpuUse& from, const CpuUse& to, double seconds);
