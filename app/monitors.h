// The monitors of a desktop and the one the full-screen window fills: the same choice on every
// system that lists them.
#pragma once

// A rectangle of the desktop in pixels, from the top-left corner of the whole screen.
struct ScreenArea {
    int x;
    int y;
    int width;
    int height;
};

struct Monitor {
    ScreenArea area;
    bool primary;
};

constexpr int maxMonitors = 16;  // more are left out

// The index of the first monitor that holds the point, when the point is known; else of the
// primary; else 0. The list holds at least one monitor.
int chooseMonitor(const Monitor* monitors, int count, bool pointKnown, int x, int y);
