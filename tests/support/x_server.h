// A private X server for each test or measurement: started from a command that is told where to
// write its display number (-displayfd), so that no display number is raced for. Xvfb is the
// usual command; Xorg with a configuration takes -displayfd the same way. A Wayland compositor's
// Xwayland, which names no display through a descriptor, fills the same XServer (desktop.h).
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

struct XServer {
    pid_t pid = -1;    // -1 for a Wayland session's Xwayland, which its compositor runs
    std::string name;  // ":N"
};

// Xvfb with one screen of the size, no TCP, and -noreset: the server stays up when its last
// client goes, as a test's does between the program and the checks.
std::vector<std::string> xvfbCommand(int width, int height);

// Starts the command with "-displayfd FD" added and waits until it names its display. False,
// with the reason and the server stopped, when it does not within the timeout.
bool startXServer(const std::vector<std::string>& command, const std::string& logPath,
                  double timeoutSeconds, XServer& server, std::string& error);

// SIGTERM, then SIGKILL after a grace time.
void stopXServer(XServer& server);
