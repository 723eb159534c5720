// Real desktops on a private X server, for the end-to-end tests and the timing robot: a window
// manager, and a compositor where the desktop has one, started and waited for until ready.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

#include "tests/support/x_server.h"

// What start() started, to be stopped in reverse order.
struct Desktop {
    std::string name;
    std::vector<pid_t> pids;
    double secondsToReady = 0;
};

// The desktops known: "bare" (nothing), "openbox", "openbox-picom" (picom --backend xrender on
// Openbox), "openbox-picom-unredir" (the same with --unredir-if-possible), "kwin" (kwin_x11,
// compositing with OpenGL), "mutter" (mutter --x11), "xfwm4" (compositing on), "xfwm4-nocomp".
extern const char* const desktopNames[];
extern const int desktopCount;

// Starts the desktop on the display and waits until its window manager owns WM_S0 and names
// itself through _NET_SUPPORTING_WM_CHECK, and its compositor owns _NET_WM_CM_S0. `scratch` is an
// existing private folder for logs, XDG folders and the session bus that KWin, Mutter and xfwm4
// want. False, with the reason, after stopping whatever it started.
bool startDesktop(const std::string& name, const std::string& displayName,
                  const std::string& scratch, double timeoutSeconds, Desktop& desktop,
                  std::string& error);

// Ends what startDesktop started, newest first: SIGTERM, then SIGKILL after a grace time.
void stopDesktop(Desktop& desktop);

// The Wayland sessions, headless with one output of the size: "mutter-wayland" (mutter --wayland
// --headless) and "kwin-wayland" (kwin_wayland --virtual --xwayland). Their Xwayland is the X
// server for the test, and the compositor its window manager.
bool isWaylandSession(const std::string& name);

// Starts the session in `scratch` as startDesktop does and waits until its Xwayland takes
// clients and a window manager runs there; `server` then names that display, without a pid of
// its own. XAUTHORITY is set in this process's environment, for its connections and children.
bool startWaylandSession(const std::string& name, const std::string& scratch, int width,
                         int height, double timeoutSeconds, Desktop& desktop, XServer& server,
                         std::string& error);
