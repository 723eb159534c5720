#include "tests/support/x_server.h"

#include <signal.h>
#include <unistd.h>

#include "tests/support/process.h"

namespace {
constexpr double stopGraceSeconds = 5.0;
}

std::vector<std::string> xvfbCommand(int width, int height) {
    std::string screen = std::to_string(width) + "x" + std::to_string(height) + "x24";
    return {"Xvfb", "-screen", "0", screen, "-nolisten", "tcp", "-noreset"};
}

bool startXServer(const std::vector<std::string>& command, const std::string& logPath,
                  double timeoutSeconds, XServer& server, std::string& error) {
    server = XServer{};
    int fds[2];
    if (pipe(fds) != 0) {
        error = "no pipe for the display number";
        return false;
    }
    ChildSpec child{command, environmentWith({}), "", logPath, "", fds[1]};
    child.command.push_back("-displayfd");
    child.command.push_back(std::to_string(fds[1]));
    server.pid = spawn(child);
    close(fds[1]);
    std::string number;
    bool named = server.pid > 0 && readLine(fds[0], timeoutSeconds, number);
    close(fds[0]);
    if (named) {
        server.name = ":" + number;
        return true;
    }
    error = command[0] + " gave no display number: " + readFile(logPath);
    stopXServer(server);
    return false;
}

void stopXServer(XServer& server) {
    stopChild(server.pid, SIGTERM, stopGraceSeconds);
}
