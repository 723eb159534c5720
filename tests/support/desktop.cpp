#include "tests/support/desktop.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>

#include "tests/support/process.h"
#include "tests/support/x_client.h"

const char* const desktopNames[] = {"bare",  "openbox", "openbox-picom", "openbox-picom-unredir",
                                    "kwin",  "mutter",  "xfwm4",         "xfwm4-nocomp"};
const int desktopCount = sizeof desktopNames / sizeof desktopNames[0];

namespace {

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

// The window manager owns WM_S0 and the root's _NET_SUPPORTING_WM_CHECK names a window that names
// itself. The root property alone outlives a window manager, and X hands out its ids again.
bool windowManagerReady(Display* display) {
    if (XGetSelectionOwner(display, XInternAtom(display, "WM_S0", False)) == None) return false;
    const char* check = "_NET_SUPPORTING_WM_CHECK";
    long child = 0, self = 0;
    if (!property32(display, DefaultRootWindow(display), check, XA_WINDOW, child) || child == 0)
        return false;
    return property32(display, (Window)child, check, XA_WINDOW, self) && self == child;
}

bool compositorReady(Display* display) {
    return XGetSelectionOwner(display, XInternAtom(display, "_NET_WM_CM_S0", False)) != None;
}

bool ready(Display* display, const Recipe& recipe) {
    return (!recipe.needsWindowManager || windowManagerReady(display)) &&
           (!recipe.needsCompositor || compositorReady(display));
}

// A private session bus, so that nothing starts one of its own that outlives the test; its
// address comes back through a pipe.
bool startBus(Desktop& desktop, const std::string& scratch,
              const std::vector<std::string>& environment, std::string& address) {
    int fds[2];
    if (pipe(fds) != 0) return false;
    pid_t pid = spawn({{"dbus-daemon", "--session", "--nofork", "--nopidfile",
                        "--address=unix:path=" + scratch + "/bus",
                        "--print-address=" + std::to_string(fds[1])},
                       environment, "", scratch + "/dbus.log", "", fds[1]});
    close(fds[1]);
    if (pid > 0) desktop.pids.push_back(pid);
    bool read = readLine(fds[0], busStartSeconds, address);
    close(fds[0]);
    return read;
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
    recipe.environment.push_back("DISPLAY=" + displayName);
    std::vector<std::string> environment = environmentWith(recipe.environment);
    if (recipe.needsBus) {
        std::string address;
        if (!startBus(desktop, scratch, environment, address)) {
            error = "no session bus (see " + scratch + "/dbus.log)";
            stopDesktop(desktop);
            return false;
        }
        recipe.environment.push_back("DBUS_SESSION_BUS_ADDRESS=" + address);
        environment = environmentWith(recipe.environment);
    }
    Display* display = XOpenDisplay(displayName.c_str());
    if (display == nullptr) {
        error = "cannot connect to " + displayName;
        stopDesktop(desktop);
        return false;
    }
    XErrorHandler previous = trapXErrors();  // the window the check names can be gone
    // A compositor comes after the window manager, so that it starts on the frames.
    for (size_t i = 0; i < recipe.commands.size(); i++) {
        while (i > 0 && !windowManagerReady(display) && secondsSince(start) < timeoutSeconds)
            sleepMs(10);
        const Command& command = recipe.commands[i];
        pid_t pid = spawn({command, environment, "", scratch + "/" + command[0] + ".log", ""});
        if (pid > 0) desktop.pids.push_back(pid);
    }
    bool isReady = false, ended = false;
    while (!isReady && !ended && secondsSince(start) < timeoutSeconds) {
        isReady = ready(display, recipe);
        for (pid_t pid : desktop.pids) {
            int status;
            ended = ended || (!isReady && hasEnded(pid, status));
        }
        if (!isReady && !ended) sleepMs(10);
    }
    XCloseDisplay(display);
    XSetErrorHandler(previous);
    desktop.secondsToReady = secondsSince(start);
    if (isReady) return true;
    error = name + (ended ? " ended before it was ready" : " was not ready in time") +
            " (logs in " + scratch + ")";
    stopDesktop(desktop);
    return false;
}

void stopDesktop(Desktop& desktop) {
    for (auto pid = desktop.pids.rbegin(); pid != desktop.pids.rend(); ++pid)
        stopChild(*pid, SIGTERM, stopGraceSeconds);
    desktop.pids.clear();
}
