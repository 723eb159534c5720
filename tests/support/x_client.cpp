#include "tests/support/x_client.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include <algorithm>
#include <cstring>

#include "tests/support/process.h"

namespace {

constexpr int litThreshold = 96;
constexpr int whiteThreshold = 180;
constexpr int connectPollMs = 20;
constexpr int frameDepth = 3;  // window managers put the program's window a few frames deep
int lastErrorCode = Success;

int keepXError(Display*, XErrorEvent* error) {
    lastErrorCode = error->error_code;
    return 0;
}

// The mapped window titled "Snapwit" at or below `parent`, at most `depth` levels down.
Window findSnapwitWindowBelow(Display* display, Window parent, int depth) {
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

}  // namespace

int brightness(Pixel p) {
    return std::max(p.r, std::max(p.g, p.b));
}

bool isLit(Pixel p) {
    return brightness(p) > litThreshold;
}

bool isWhite(Pixel p) {
    return p.r > whiteThreshold && p.g > whiteThreshold && p.b > whiteThreshold;
}

Display* connectTo(const std::string& name, double timeoutSeconds) {
    trapXErrors();
    Clock::time_point start = Clock::now();
    Display* display = nullptr;
    while (!(display = XOpenDisplay(name.c_str())) && secondsSince(start) < timeoutSeconds)
        sleepMs(connectPollMs);
    int eventBase, errorBase, major, minor;
    if (display && !XTestQueryExtension(display, &eventBase, &errorBase, &major, &minor)) {
        XCloseDisplay(display);
        display = nullptr;
    }
    return display;
}

XErrorHandler trapXErrors() {
    return XSetErrorHandler(keepXError);
}

int lastXError() {
    return lastErrorCode;
}

void clearXErrors(Display* display) {
    XSync(display, False);
    lastErrorCode = Success;
}

Window findSnapwitWindow(Display* display) {
    return findSnapwitWindowBelow(display, DefaultRootWindow(display), frameDepth);
}

Window topLevelOf(Display* display, Window window) {
    Window root, parent, *children = nullptr;
    unsigned count = 0;
    while (XQueryTree(display, window, &root, &parent, &children, &count)) {
        if (children) XFree(children);
        if (parent == root || parent == 0) return window;
        window = parent;
    }
    return 0;
}

bool property32(Display* display, Window window, const char* name, Atom type, long& value) {
    Atom actualType = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    bool found = XGetWindowProperty(display, window, XInternAtom(display, name, False), 0, 1, False,
                                    type, &actualType, &format, &count, &after, &data) == Success &&
                 data && actualType == type && format == 32 && count == 1;
    if (found) value = ((long*)data)[0];
    if (data) XFree(data);
    return found;
}

bool readScreen(Display* display, Rect area, std::vector<Pixel>& pixels) {
    return readWindow(display, DefaultRootWindow(display), area, pixels);
}

bool readWindow(Display* display, Window window, Rect area, std::vector<Pixel>& pixels) {
    pixels.assign((size_t)area.width * area.height, Pixel{0, 0, 0});
    XImage* image = XGetImage(display, window, area.x, area.y,
                              (unsigned)area.width, (unsigned)area.height, AllPlanes, ZPixmap);
    if (!image) return false;
    for (int y = 0; y < area.height; y++)
        for (int x = 0; x < area.width; x++) {
            unsigned long value = XGetPixel(image, x, y);
            pixels[(size_t)y * area.width + x] = Pixel{(int)((value & image->red_mask) >> 16),
                                                       (int)((value & image->green_mask) >> 8),
                                                       (int)(value & image->blue_mask)};
        }
    XDestroyImage(image);
    return true;
}

void pressKey(Display* display, Window window, KeySym keysym, unsigned modifiers) {
    KeyCode code = XKeysymToKeycode(display, keysym);
    int perCode = 0;
    KeySym* syms = code ? XGetKeyboardMapping(display, code, 1, &perCode) : nullptr;
    bool shift = syms && perCode > 1 && syms[0] != keysym && syms[1] == keysym;
    if (syms) XFree(syms);
    XSetInputFocus(display, window, RevertToPointerRoot, CurrentTime);
    std::vector<KeyCode> held;
    if (shift) held.push_back(XKeysymToKeycode(display, XK_Shift_L));
    if (modifiers & ControlMask) held.push_back(XKeysymToKeycode(display, XK_Control_L));
    for (KeyCode modifier : held) XTestFakeKeyEvent(display, modifier, True, CurrentTime);
    XTestFakeKeyEvent(display, code, True, CurrentTime);
    XTestFakeKeyEvent(display, code, False, CurrentTime);
    for (KeyCode modifier : held) XTestFakeKeyEvent(display, modifier, False, CurrentTime);
    XSync(display, False);
}

void fakeButton(Display* display, int number, bool down, Send send) {
    XTestFakeButtonEvent(display, (unsigned)number, down ? True : False, CurrentTime);
    send == Send::synced ? (void)XSync(display, False) : (void)XFlush(display);
}

void movePointer(Display* display, int x, int y) {
    XTestFakeMotionEvent(display, DefaultScreen(display), x, y, CurrentTime);
    XSync(display, False);
}

bool escapeTwice(Display* display, Window window, pid_t pid, double timeoutSeconds, int& status) {
    pressKey(display, window, XK_Escape);
    pressKey(display, window, XK_Escape);
    return waitForEnd(pid, timeoutSeconds, status);
}
