// How the end-to-end tests and the timing robot find the program's window on their X server.
#pragma once

#include <X11/Xlib.h>

#include <cstring>

// The mapped window titled "Snapwit" at or below `parent`: a top-level window on a bare server,
// a child of its frame under a reparenting window manager.
inline Window findSnapwitWindowBelow(Display* display, Window parent, int depth) {
    Window root, grandparent, *children = nullptr, found = 0;
    unsigned count = 0;
    if (depth < 0 || !XQueryTree(display, parent, &root, &grandparent, &children, &count)) return 0;
    for (unsigned i = 0; i < count && !found; i++) {
        char* name = nullptr;
        XWindowAttributes attributes;
        if (XFetchName(display, children[i], &name) && name) {
            if (std::strcmp(name, "Snapwit") == 0 &&
                XGetWindowAttributes(display, children[i], &attributes) &&
                attributes.map_state == IsViewable)
                found = children[i];
            XFree(name);
        }
        if (!found) found = findSnapwitWindowBelow(display, children[i], depth - 1);
    }
    if (children) XFree(children);
    return found;
}

// The program's window, or 0; window managers put it at most a few frames deep.
inline Window findSnapwitWindow(Display* display) {
    constexpr int frameDepth = 3;
    return findSnapwitWindowBelow(display, DefaultRootWindow(display), frameDepth);
}
