#include "tests/support/desktop.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <thread>

extern char** environ;

const char* const desktopNames[] = {"bare",  "openbox", "openbox-picom", "openbox-picom-unredir",
                                    "kwin",  "mutter",  "xfwm4",         "xfwm4-nocomp"};
const int desktopCount = sizeof desktopNames / sizeof desktopNames[0];

namespace {

using Clock = std::chrono::steady_clock;
using Command = std::vector<std::string>;

constexpr double busStartSeconds = 10.0;
constexpr double stopGraceSeconds = 3.0;

// What a desktop runs and what makes it ready.
struct Recipe {
    std::vector<Command> commands;  // each after the one before is ready as a window manager
    std::vector<std::string> environment;
    bool needsWindowManager = true;
    bool needsCompositor = false;
    bool needsBus = false;
};

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

int ignoreXError(Display*, XErrorEvent*) {
    return 0;
}

// One WINDOW property of a window, or 0, also when the window is gone.
Window windowProperty(Display* display, Window window, Atom property) {
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    Window value = 0;
    if (XGetWindowProperty(display, window, property, 0, 1, False, XA_WINDOW, &type, &format,
                           &count, &after, &data) == Success &&
        data && type == XA_WINDOW && format == 32 && count == 1)
        value = (Window)((unsigned long*)data)[0];
    if (data) XFree(data);
    return value;
}

// The window manager owns WM_S0 and the root's _NET_SUPPORTING_WM_CHECK names a window that names
// itself. The root property alone outlives a window manager, and X hands out its ids again.
bool windowManagerReady(Display* display) {
    if (XGetSelectionOwner(display, XInternAtom(display, "WM_S0", False)) == None) return false;
    Atom check = XInternAtom(display, "_NET_SUPPORTING_WM_CHECK", False);
    Window child = windowProperty(display, DefaultRootWindow(display), check);
    if (child == 0) return false;
    XSync(display, False);
    XErrorHandler previous = XSetErrorHandler(ignoreXError);
    Window self = windowProperty(display, child, check);
    XSync(display, False);
    XSetErrorHandler(previous);
    return self == child;
}

bool compositorReady(Display* display) {
    return XGetSelectionOwner(display, XInternAtom(display, "_NET_WM_CM_S0", False)) != None;
}

bool ready(Display* display, const Recipe& recipe) {
    return (!recipe.needsWindowManager || windowManagerReady(display)) &&
           (!recipe.needsCompositor || compositorReady(display));
}

// This process's environment with DISPLAY and the entries given in place of their own.
std::vector<std::string> environmentFor(const std::string& displayName,
                                        const std::vector<std::string>& entries) {
    std::vector<std::string> environment;
    for (char** entry = environ; *entry; entry++) {
        std::string text = *entry;
        std::string key = text.substr(0, text.find('=') + 1);
        bool replaced = key == "DISPLAY=";
        for (const std::string& given : entries) replaced = replaced || given.rfind(key, 0) == 0;
        if (!replaced) environment.push_back(text);
    }
    environment.push_back("DISPLAY=" + displayName);
    environment.insert(environment.end(), entries.begin(), entries.end());
    return environment;
}

// Starts a command found on the PATH, its output in a log, ended with this process.
pid_t spawn(const Command& command, const std::vector<std::string>& environment,
            const std::string& logPath, int keepFd = -1) {
    std::vector<char*> argv, envp;
    for (const std::string& word : command) argv.push_back(const_cast<char*>(word.c_str()));
    argv.push_back(nullptr);
    for (const std::string& entry : environment) envp.push_back(const_cast<char*>(entry.c_str()));
    envp.push_back(nullptr);
    pid_t pid = fork();
    if (pid == 0) {
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        int out = open(logPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        int in = open("/dev/null", O_RDONLY);
        if (out >= 0) dup2(out, 1), dup2(out, 2);
        if (in >= 0) dup2(in, 0);
        for (int fd = 3; fd < 256; fd++)
            if (fd != keepFd) close(fd);
        execvpe(argv[0], argv.data(), envp.data());
        _exit(127);
    }
    return pid;
}

// A private session bus, so that nothing starts one of its own that outlives the test; its
// address comes back through a pipe.
bool startBus(Desktop& desktop, const std::string& scratch,
              const std::vector<std::string>& environment, std::string& address) {
    int fds[2];
    if (pipe(fds) != 0) return false;
    pid_t pid = spawn({"dbus-daemon", "--session", "--nofork", "--nopidfile",
                       "--address=unix:path=" + scratch + "/bus",
                       "--print-address=" + std::to_string(fds[1])},
                      environment, scratch + "/dbus.log", fds[1]);
    close(fds[1]);
    if (pid > 0) desktop.pids.push_back(pid);
    Clock::time_point start = Clock::now();
    while (secondsSince(start) < busStartSeconds && address.find('\n') == std::string::npos) {
        pollfd readable{fds[0], POLLIN, 0};
        if (poll(&readable, 1, 100) <= 0) continue;
        char buffer[256];
        ssize_t n = read(fds[0], buffer, sizeof buffer);
        if (n <= 0) break;
        address.append(buffer, (size_t)n);
    }
    close(fds[0]);
    if (address.find('\n') == std::string::npos) return false;
    address.erase(address.find('\n'));
    return true;
}

// Openbox's stock configuration names a menu file that only a menu package installs.
std::string writeOpenboxConfiguration(const std::string& scratch) {
    std::string menu = scratch + "/openbox-menu.xml", rc = scratch + "/openbox-rc.xml";
    if (FILE* file = std::fopen(menu.c_str(), "w")) {
        std::fputs("<openbox_menu xmlns=\"http://openbox.org/3.4/menu\">"
                   "<menu id=\"root-menu\" label=\"Openbox\"/></openbox_menu>\n", file);
        std::fclose(file);
    }
    if (FILE* file = std::fopen(rc.c_str(), "w")) {
        std::fprintf(file, "<openbox_config xmlns=\"http://openbox.org/3.4/rc\">"
                           "<menu><file>%s</file></menu></openbox_config>\n", menu.c_str());
        std::fclose(file);
    }
    return rc;
}

// How each desktop is started. KWin's and Mutter's own defaults composite with OpenGL; xfwm4's
// settings come through the session bus.
bool recipeFor(const std::string& name, const std::string& scratch, Recipe& recipe) {
    Command openbox = {"openbox", "--sm-disable", "--config-file", ""};
    Command picom = {"picom", "--backend", "xrender", "--config", "/dev/null"};
    if (name.rfind("openbox", 0) == 0) openbox[3] = writeOpenboxConfiguration(scratch);
    if (name == "openbox") {
        recipe.commands = {openbox};
    } else if (name == "openbox-picom" || name == "openbox-picom-unredir") {
        if (name == "openbox-picom-unredir") picom.push_back("--unredir-if-possible");
        recipe.commands = {openbox, picom};
        recipe.needsCompositor = true;
    } else if (name == "kwin") {
        recipe.commands = {{"kwin_x11"}};
        recipe.environment = {"KWIN_COMPOSE=O2"};
        recipe.needsCompositor = recipe.needsBus = true;
    } else if (name == "mutter") {
        recipe.commands = {{"mutter", "--x11", "--sm-disable"}};
        recipe.needsCompositor = recipe.needsBus = true;
    } else if (name == "xfwm4" || name == "xfwm4-nocomp") {
        bool on = name == "xfwm4";
        recipe.commands = {{"xfwm4", on ? "--compositor=on" : "--compositor=off",
                            "--sm-client-disable"}};
        recipe.needsCompositor = on;
        recipe.needsBus = true;
    } else {
        return false;
    }
    // Private XDG folders, so that nothing is written into the home folder; quiet Qt and GTK.
    static const char* const folders[][2] = {{"XDG_RUNTIME_DIR", "xdg-runtime"},
                                             {"XDG_CONFIG_HOME", "xdg-config"},
                                             {"XDG_CACHE_HOME", "xdg-cache"},
                                             {"XDG_DATA_HOME", "xdg-data"}};
    for (const auto& folder : folders) {
        std::string path = scratch + "/" + folder[1];
        mkdir(path.c_str(), 0700);
        recipe.environment.push_back(std::string(folder[0]) + "=" + path);
    }
    recipe.environment.push_back("NO_AT_BRIDGE=1");
    recipe.environment.push_back(
        "QT_LOGGING_RULES=*.debug=false;*.info=false;*.warning=false;qt.qpa.*=false");
    return true;
}

}  // namespace

bool startDesktop(const std::string& name, const std::string& displayName,
                  const std::string& scratch, double timeoutSeconds, Desktop& desktop,
                  std::string& error) {
    desktop = Desktop{};
    desktop.name = name;
    if (name == "bare") return true;
    Recipe recipe;
    if (!recipeFor(name, scratch, recipe)) {
        error = "unknown desktop " + name;
        return false;
    }
    Clock::time_point start = Clock::now();
    std::vector<std::string> environment = environmentFor(displayName, recipe.environment);
    if (recipe.needsBus) {
        std::string address;
        if (!startBus(desktop, scratch, environment, address)) {
            error = "no session bus (see " + scratch + "/dbus.log)";
            stopDesktop(desktop);
            return false;
        }
        recipe.environment.push_back("DBUS_SESSION_BUS_ADDRESS=" + address);
        environment = environmentFor(displayName, recipe.environment);
    }
    Display* display = XOpenDisplay(displayName.c_str());
    if (display == nullptr) {
        error = "cannot connect to " + displayName;
        stopDesktop(desktop);
        return false;
    }
    // A compositor comes after the window manager, so that it starts on the frames.
    for (size_t i = 0; i < recipe.commands.size(); i++) {
        while (i > 0 && !windowManagerReady(display) && secondsSince(start) < timeoutSeconds)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        const Command& command = recipe.commands[i];
        pid_t pid = spawn(command, environment, scratch + "/" + command[0] + ".log");
        if (pid > 0) desktop.pids.push_back(pid);
    }
    bool isReady = false, ended = false;
    while (!isReady && !ended && secondsSince(start) < timeoutSeconds) {
        isReady = ready(display, recipe);
        for (pid_t pid : desktop.pids) {
            int status;
            ended = ended || (!isReady && waitpid(pid, &status, WNOHANG) == pid);
        }
        if (!isReady && !ended) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    XCloseDisplay(display);
    desktop.secondsToReady = secondsSince(start);
    if (isReady) return true;
    error = name + (ended ? " ended before it was ready" : " was not ready in time") +
            " (logs in " + scratch + ")";
    stopDesktop(desktop);
    return false;
}

void stopDesktop(Desktop& desktop) {
    for (auto pid = desktop.pids.rbegin(); pid != desktop.pids.rend(); ++pid) {
        kill(*pid, SIGTERM);
        Clock::time_point start = Clock::now();
        int status;
        while (waitpid(*pid, &status, WNOHANG) == 0) {
            if (secondsSince(start) > stopGraceSeconds) {
                kill(*pid, SIGKILL);
                waitpid(*pid, &status, 0);
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }
    desktop.pids.clear();
}
