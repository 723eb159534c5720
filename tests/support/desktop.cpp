#include "tests/support/desktop.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>

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
    std::string xwaylandMarker;  // a Wayland session's: what its log says before the display
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

// Private XDG folders, so that nothing is written into the home folder; quiet Qt and GTK.
void addPrivateFolders(const std::string& scratch, Recipe& recipe) {
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
    addPrivateFolders(scratch, recipe);
    return true;
}

// Mutter names its Xwayland in its log. KWin names it to the program it starts, here a script
// that writes it into KWin's log. Debian gives kwin_wayland the capability cap_sys_resource, and
// exec refuses a file whose capabilities the bounding set cannot grant, as in containers; a copy
// has none and runs the same.
bool waylandRecipeFor(const std::string& name, const std::string& scratch, int width, int height,
                      Recipe& recipe) {
    if (name == "mutter-wayland") {
        recipe.commands = {{"mutter", "--wayland", "--headless", "--sm-disable",
                            "--virtual-monitor",
                            std::to_string(width) + "x" + std::to_string(height)}};
        recipe.xwaylandMarker = "Using public X11 display ";
    } else if (name == "kwin-wayland") {
        std::string kwin = scratch + "/kwin_wayland", script = scratch + "/tell-display";
        std::error_code error;
        std::filesystem::copy_file("/usr/bin/kwin_wayland", kwin, error);
        if (FILE* file = std::fopen(script.c_str(), "w")) {
            std::fputs("#!/bin/sh\necho \"Xwayland display $DISPLAY\"\n", file);
            std::fclose(file);
        }
        chmod(script.c_str(), 0755);
        recipe.commands = {{kwin, "--virtual", "--xwayland", "--width", std::to_string(width),
                            "--height", std::to_string(height), script}};
        recipe.xwaylandMarker = "Xwayland display ";
    } else {
        return false;
    }
    recipe.needsBus = true;
    addPrivateFolders(scratch, recipe);
    return true;
}

std::string logPath(const std::string& scratch, const Command& command) {
    return scratch + "/" + std::filesystem::path(command[0]).filename().string() + ".log";
}

// The Xwayland display once the compositor's log names it, and Mutter's authority file for it.
bool xwaylandNamed(const Recipe& recipe, const std::string& scratch, std::string& display,
                   std::string& authority) {
    std::string log = readFile(logPath(scratch, recipe.commands[0]));
    size_t at = log.find(recipe.xwaylandMarker);
    if (at == std::string::npos) return false;
    at += recipe.xwaylandMarker.size();
    display = log.substr(at, log.find_first_not_of(":0123456789", at) - at);
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(scratch + "/xdg-runtime", error))
        if (entry.path().filename().string().rfind(".mutter-Xwaylandauth.", 0) == 0)
            authority = entry.path().string();
    return true;
}

// The desktop's environment, with a private session bus where it wants one. False, with the
// reason, after stopping what it started.
bool sessionEnvironment(Recipe& recipe, const std::string& scratch, Desktop& desktop,
                        std::vector<std::string>& environment, std::string& error) {
    environment = environmentWith(recipe.environment);
    if (!recipe.needsBus) return true;
    std::string address;
    if (!startBus(desktop, scratch, environment, address)) {
        error = "no session bus (see " + scratch + "/dbus.log)";
        stopDesktop(desktop);
        return false;
    }
    recipe.environment.push_back("DBUS_SESSION_BUS_ADDRESS=" + address);
    environment = environmentWith(recipe.environment);
    return true;
}

void spawnInto(Desktop& desktop, const Command& command,
               const std::vector<std::string>& environment, const std::string& scratch) {
    pid_t pid = spawn({command, environment, "", logPath(scratch, command), ""});
    if (pid > 0) desktop.pids.push_back(pid);
}

// Polls until the desktop is ready, one of its processes has ended or the timeout has passed.
// False, with the reason, after stopping what it started.
bool waitUntilReady(const std::function<bool()>& isReady, const std::string& scratch,
                    Clock::time_point start, double timeoutSeconds, Desktop& desktop,
                    std::string& error) {
    bool ready = false, ended = false;
    XErrorHandler previous = trapXErrors();  // the window a check names can be gone
    while (!ready && !ended && secondsSince(start) < timeoutSeconds) {
        ready = isReady();
        for (pid_t pid : desktop.pids) {
            int status;
            ended = ended || (!ready && hasEnded(pid, status));
        }
        if (!ready && !ended) sleepMs(10);
    }
    XSetErrorHandler(previous);
    desktop.secondsToReady = secondsSince(start);
    if (ready) return true;
    error = desktop.name + (ended ? " ended before it was ready" : " was not ready in time") +
            " (logs in " + scratch + ")";
    stopDesktop(desktop);
    return false;
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
    std::vector<std::string> environment;
    if (!sessionEnvironment(recipe, scratch, desktop, environment, error)) return false;
    Display* display = XOpenDisplay(displayName.c_str());
    if (display == nullptr) {
        error = "cannot connect to " + displayName;
        stopDesktop(desktop);
        return false;
    }
    // A compositor comes after the window manager, so that it starts on the frames.
    XErrorHandler previous = trapXErrors();
    for (size_t i = 0; i < recipe.commands.size(); i++) {
        while (i > 0 && !windowManagerReady(display) && secondsSince(start) < timeoutSeconds)
            sleepMs(10);
        spawnInto(desktop, recipe.commands[i], environment, scratch);
    }
    XSetErrorHandler(previous);
    bool up = waitUntilReady([&] { return ready(display, recipe); }, scratch, start,
                             timeoutSeconds, desktop, error);
    XCloseDisplay(display);
    return up;
}

bool isWaylandSession(const std::string& name) {
    return name == "mutter-wayland" || name == "kwin-wayland";
}

bool startWaylandSession(const std::string& name, const std::string& scratch, int width,
                         int height, double timeoutSeconds, Desktop& desktop, XServer& server,
                         std::string& error) {
    desktop = Desktop{};
    desktop.name = name;
    server = XServer{};
    Recipe recipe;
    if (!waylandRecipeFor(name, scratch, width, height, recipe)) {
        error = "unknown Wayland session " + name;
        return false;
    }
    Clock::time_point start = Clock::now();
    recipe.environment.push_back("DISPLAY");  // nor any WAYLAND_DISPLAY of this process's
    recipe.environment.push_back("WAYLAND_DISPLAY");
    std::vector<std::string> environment;
    if (!sessionEnvironment(recipe, scratch, desktop, environment, error)) return false;
    spawnInto(desktop, recipe.commands[0], environment, scratch);
    Display* display = nullptr;
    auto isReady = [&] {
        std::string named, authority;
        if (display == nullptr && xwaylandNamed(recipe, scratch, named, authority)) {
            if (authority.empty()) unsetenv("XAUTHORITY");
            else setenv("XAUTHORITY", authority.c_str(), 1);
            if ((display = XOpenDisplay(named.c_str()))) server.name = named;
        }
        return display != nullptr && windowManagerReady(display);
    };
    bool up = waitUntilReady(isReady, scratch, start, timeoutSeconds, desktop, error);
    if (display) XCloseDisplay(display);
    return up;
}

void stopDesktop(Desktop& desktop) {
    for (auto pid = desktop.pids.rbegin(); pid != desktop.pids.rend(); ++pid)
        stopChild(*pid, SIGTERM, stopGraceSeconds);
    desktop.pids.clear();
}
