// Child processes for the measuring code: started with their own environment, folder and log,
// ended with this process, read from through a pipe, and stopped with a grace time.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <string>
#include <vector>

using Clock = std::chrono::steady_clock;

// Seconds from a steady-clock reading to now.
double secondsSince(Clock::time_point start);
void sleepMs(int ms);

// Reads a file whole; empty when it cannot be read.
std::string readFile(const std::string& path);

// This process's environment, each entry given replacing the variable of its name; an entry
// without "=" only removes that variable.
std::vector<std::string> environmentWith(const std::vector<std::string>& entries);

struct ChildSpec {
    std::vector<std::string> command;      // found on the PATH unless it holds a slash
    std::vector<std::string> environment;  // the whole of it (environmentWith)
    std::string folder;                    // the working folder; empty: this one
    std::string outPath;                   // standard output; with errPath empty, also errors
    std::string errPath;
    int keepFd = -1;                       // left open; every other above 2 is closed
    uid_t user = 0;                        // run as this user and group when not 0
    gid_t group = 0;
};

// Starts the child, its input /dev/null, killed when this process ends; -1 when fork fails.
// `forkedAt`, when given, is read just before the fork: an upper bound of the child's age.
// A child that cannot start ends with 127 (exec), 126 (folder) or 125 (user).
pid_t spawn(const ChildSpec& child, Clock::time_point* forkedAt = nullptr);

// Reads up to the first line feed, waiting for data at most the timeout; the line without it.
bool readLine(int fd, double timeoutSeconds, std::string& line);

// True, with the wait status, once the child has ended (it is reaped then).
bool hasEnded(pid_t pid, int& status);
// Waits, bounded, for the child to end.
bool waitForEnd(pid_t pid, double timeoutSeconds, int& status);
// Sends the signal, then SIGKILL if the child has not ended after the grace time; reaps it and
// sets pid to -1. Nothing when pid is not above 0.
void stopChild(pid_t& pid, int signal, double graceSeconds);
