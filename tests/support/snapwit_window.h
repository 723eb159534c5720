// How the end-to-end tests and the timing robot find the program's window on their X server.
#pragma once

#include <X11/Xlib.h>

#include <cstring>

// The mapped top-level window titled "Snapwit", or 0.
inline Window findSnapwitWindow(Display* display) {
    Window root, parent, *children = nullptr, found = 0;
    unsigned count = 0;
    if (!XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count))
        return 0;
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
    }
    if (children) XFree(children);
    return found;
}
