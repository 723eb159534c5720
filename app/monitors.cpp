#include "app/monitors.h"

namespace {

// True when the point lies on the area; its right and bottom edges belong to the next one.
bool holds(const ScreenArea& area, int x, int y) {
    return x >= area.x && x < area.x + area.width && y >= area.y && y < area.y + area.height;
}

}  // namespace

// A point on no monitor (in a gap of an uneven layout, or off screen) is treated as unknown.
int chooseMonitor(const Monitor* monitors, int count, bool pointKnown, int x, int y) {
    for (int i = 0; pointKnown && i < count; i++)
        if (holds(monitors[i].area, x, y)) return i;
    for (int i = 0; i < count; i++)
        if (monitors[i].primary) return i;
    return 0;
}
