// CPU accounting for the timing robot, from /proc.
#include "bench/cpu_use.h"

#include <dirent.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "tests/support/process.h"

namespace {

// The fields of /proc/PID/stat after the command's name, which may hold spaces; empty if gone.
std::string statFields(pid_t pid) {
    std::string stat = readFile("/proc/" + std::to_string(pid) + "/stat");
    size_t close = stat.rfind(')');
    return close == std::string::npos ? "" : stat.substr(close + 2);
}

// CPU seconds a process has used (user and system).
double cpuSeconds(pid_t pid) {
    std::istringstream fields(statFields(pid));
    std::string field;
    unsigned long long user = 0, system = 0;
    for (int i = 3; i <= 15 && fields >> field; i++) {
        if (i == 14) user = std::stoull(field);
        if (i == 15) system = std::stoull(field);
    }
    return (double)(user + system) / (double)sysconf(_SC_CLK_TCK);
}

// The robot's own CPU seconds so far.
double ownCpuSeconds() {
    rusage usage;
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// The machine's busy CPU seconds, all cores together, from /proc/stat.
double machineCpuSeconds() {
    std::ifstream stat("/proc/stat");
    std::string cpu;
    unsigned long long user, nice, system, idle, iowait, irq, softirq, steal;
    if (!(stat >> cpu >> user >> nice >> system >> idle >> iowait >> irq >> softirq >> steal))
        return 0;
    return (double)(user + nice + system + irq + softirq + steal) / (double)sysconf(_SC_CLK_TCK);
}

// The parent of a process, or 0.
pid_t parentOf(pid_t pid) {
    std::istringstream fields(statFields(pid));
    std::string state;
    pid_t parent = 0;
    fields >> state >> parent;
    return parent;
}

// Every process running now.
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

// The processes and all they started, such as the services a session bus starts.
std::vector<pid_t> withDescendants(std::vector<pid_t> family) {
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

}  // namespace

// The 1-minute load average, as /proc/loadavg has it.
double loadAverage() {
    double load = -1;
    std::ifstream("/proc/loadavg") >> load;
    return load;
}

// Reads every side's CPU seconds now; of the desktop, those of its processes still running.
CpuUse cpuUse(pid_t server, pid_t program, const std::vector<pid_t>& desktop) {
    double desktopSeconds = 0;
    for (pid_t pid : withDescendants(desktop)) desktopSeconds += cpuSeconds(pid);
    return CpuUse{ownCpuSeconds(), cpuSeconds(server), cpuSeconds(program), desktopSeconds,
                  machineCpuSeconds()};
}

// Turns two readings into cores busy, each side apart.
void noteCpu(Costs& costs, const CpuUse& from, const CpuUse& to, double seconds) {
    costs.robot = (to.robot - from.robot) / seconds;
    costs.server = (to.server - from.server) / seconds;
    costs.program = (to.program - from.program) / seconds;
    costs.desktop = (to.desktop - from.desktop) / seconds;
    costs.others = (to.machine - from.machine) / seconds - costs.robot - costs.server -
                   costs.program - costs.desktop;
}
