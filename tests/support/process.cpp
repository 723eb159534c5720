#include "tests/support/process.h"

#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <sstream>
#include <thread>

extern char** environ;

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

void sleepMs(int ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

std::vector<std::string> environmentWith(const std::vector<std::string>& entries) {
    std::vector<std::string> environment;
    auto nameOf = [](const std::string& entry) { return entry.substr(0, entry.find('=')); };
    for (char** entry = environ; *entry; entry++) {
        bool replaced = false;
        for (const std::string& given : entries) replaced = replaced || nameOf(given) == nameOf(*entry);
        if (!replaced) environment.push_back(*entry);
    }
    for (const std::string& given : entries)
        if (given.find('=') != std::string::npos) environment.push_back(given);
    return environment;
}

pid_t spawn(const ChildSpec& child, Clock::time_point* forkedAt) {
    std::vector<char*> argv, envp;
    for (const std::string& word : child.command) argv.push_back(const_cast<char*>(word.c_str()));
    argv.push_back(nullptr);
    for (const std::string& entry : child.environment) envp.push_back(const_cast<char*>(entry.c_str()));
    envp.push_back(nullptr);
    if (forkedAt) *forkedAt = Clock::now();
    pid_t pid = fork();
    if (pid != 0) return pid;
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    int in = open("/dev/null", O_RDONLY);
    int out = open(child.outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    int err = child.errPath.empty() ? out : open(child.errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (in >= 0) dup2(in, 0);
    if (out >= 0) dup2(out, 1);
    if (err >= 0) dup2(err, 2);
    for (int fd = 3; fd < 256; fd++)
        if (fd != child.keepFd) close(fd);
    if (!child.folder.empty() && chdir(child.folder.c_str()) != 0) _exit(126);
    if (child.user != 0 &&
        (setgroups(0, nullptr) != 0 || setgid(child.group) != 0 || setuid(child.user) != 0))
        _exit(125);
    execvpe(argv[0], argv.data(), envp.data());
    _exit(127);
}

bool readLine(int fd, double timeoutSeconds, std::string& line) {
    std::string text;
    Clock::time_point start = Clock::now();
    while (secondsSince(start) < timeoutSeconds && text.find('\n') == std::string::npos) {
        pollfd readable{fd, POLLIN, 0};
        if (poll(&readable, 1, 100) <= 0) continue;
        char buffer[256];
        ssize_t n = read(fd, buffer, sizeof buffer);
        if (n <= 0) break;
        text.append(buffer, (size_t)n);
    }
    if (text.find('\n') == std::string::npos) return false;
    line = text.substr(0, text.find('\n'));
    return true;
}

bool hasEnded(pid_t pid, int& status) {
    return waitpid(pid, &status, WNOHANG) == pid;
}

bool waitForEnd(pid_t pid, double timeoutSeconds, int& status) {
    Clock::time_point start = Clock::now();
    while (!hasEnded(pid, status)) {
        if (secondsSince(start) > timeoutSeconds) return false;
        sleepMs(2);
    }
    return true;
}

void stopChild(pid_t& pid, int signal, double graceSeconds) {
    if (pid <= 0) return;
    kill(pid, signal);
    int status;
    if (!waitForEnd(pid, graceSeconds, status)) {
        kill(pid, SIGKILL);
        waitpid(pid, &status, 0);
    }
    pid = -1;
}
