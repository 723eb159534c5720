// The program's only GLX and X11 calls.
#include "app/platform.h"

#include <GL/glx.h>
#include <X11/Xatom.h>
#include <X11/extensions/Xcomposite.h>
#include <X11/extensions/Xinerama.h>
#include <X11/extensions/Xrandr.h>

#include <cstdio>
#include <cstring>

#include "app/swap_interval.h"

namespace {

using SwapIntervalExt = void (*)(Display*, GLXDrawable, int);
using SwapIntervalMesa = int (*)(unsigned int);

const char* displayName = nullptr;  // -display's name; null for the default, $DISPLAY
bool xErrorSeen = false;  // an X error came while errors were being caught
int fullScreenByWindowManager = -1;  // -1 until asked; then 1 or 0 for the program's whole run

// glXGetProcAddressARB with the shared look-up's types.
GlProc lookUpGlx(const char* name) {
    return glXGetProcAddressARB((const GLubyte*)name);
}

// Notes an error that the request being made may cause, instead of the default's exit.
int noteXError(Display*, XErrorEvent*) {
    xErrorSeen = true;
    return 0;
}

// RandR 1.5's monitors: the outputs in use, with the primary marked.
int readRandrMonitors(Display* display, Monitor* monitors) {
    int eventBase, errorBase, major = 0, minor = 0;
    if (!XRRQueryExtension(display, &eventBase, &errorBase) ||
        !XRRQueryVersion(display, &major, &minor) || major * 100 + minor < 105)
        return 0;
    int count = 0;
    XRRMonitorInfo* list = XRRGetMonitors(display, DefaultRootWindow(display), True, &count);
    if (list == nullptr) return 0;
    int kept = 0;
    for (int i = 0; i < count && kept < maxMonitors; i++)
        if (list[i].width > 0 && list[i].height > 0)
            monitors[kept++] = {{list[i].x, list[i].y, list[i].width, list[i].height},
                                list[i].primary != 0};
    XRRFreeMonitors(list);
    return kept;
}

// Xinerama's screens, in the order the window manager convention numbers monitors; no primary.
int readXineramaMonitors(Display* display, Monitor* monitors) {
    int count = 0;
    XineramaScreenInfo* list = XineramaIsActive(display) ? XineramaQueryScreens(display, &count)
                                                         : nullptr;
    if (list == nullptr) return 0;
    int kept = 0;
    for (int i = 0; i < count && kept < maxMonitors; i++)
        monitors[kept++] = {{list[i].x_org, list[i].y_org, list[i].width, list[i].height}, false};
    XFree(list);
    return kept;
}

// The monitors: RandR's, else Xinerama's, else the whole screen as one.
int readMonitors(Display* display, Monitor* monitors) {
    int count = readRandrMonitors(display, monitors);
    if (count == 0) count = readXineramaMonitors(display, monitors);
    if (count > 0) return count;
    int screen = DefaultScreen(display);
    monitors[0] = {{0, 0, DisplayWidth(display, screen), DisplayHeight(display, screen)}, true};
    return 1;
}

// The monitor chosen for a point, or for the pointer's place: on the window's connection, or
// before the window exists on one of its own.
ScreenArea chooseMonitorArea(bool atPointer, int x, int y) {
    Display* display = glXGetCurrentDisplay();
    Display* own = display != nullptr ? nullptr : XOpenDisplay(displayName);
    if (own != nullptr) display = own;
    if (display == nullptr) return {0, 0, 0, 0};
    Monitor monitors[maxMonitors];
    int count = readMonitors(display, monitors);
    bool known = true;
    if (atPointer) {
        Window root, child;
        int windowX, windowY;
        unsigned int buttons;
        // False when the pointer is on another screen of the display.
        known = XQueryPointer(display, DefaultRootWindow(display), &root, &child, &x, &y, &windowX,
                              &windowY, &buttons);
    }
    ScreenArea area = monitors[chooseMonitor(monitors, count, known, x, y)].area;
    if (own != nullptr) XCloseDisplay(own);
    return area;
}

// True when the window manager's list of what it supports, _NET_SUPPORTED, names the atom.
bool windowManagerSupports(Display* display, const char* name) {
    Atom wanted = XInternAtom(display, name, False);
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(display, DefaultRootWindow(display),
                           XInternAtom(display, "_NET_SUPPORTED", False), 0, 4096, False, XA_ATOM,
                           &type, &format, &count, &after, &data) != Success)
        return false;
    bool found = false;
    for (unsigned long i = 0; type == XA_ATOM && format == 32 && i < count; i++)
        if (((Atom*)data)[i] == wanted) found = true;
    if (data != nullptr) XFree(data);
    return found;
}

// The window that _NET_SUPPORTING_WM_CHECK names on a window, or None.
Window supportingWindow(Display* display, Window on) {
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    Window named = None;
    xErrorSeen = false;
    XErrorHandler previous = XSetErrorHandler(noteXError);  // the named window may be gone
    if (XGetWindowProperty(display, on, XInternAtom(display, "_NET_SUPPORTING_WM_CHECK", False), 0,
                           1, False, XA_WINDOW, &type, &format, &count, &after, &data) == Success &&
        type == XA_WINDOW && format == 32 && count == 1)
        named = ((Window*)data)[0];
    if (data != nullptr) XFree(data);
    XSync(display, False);
    XSetErrorHandler(previous);
    return xErrorSeen ? None : named;
}

// The Xinerama index of the screen with this area, which the window manager convention counts
// monitors by; -1 when there is none.
int xineramaIndex(Display* display, const ScreenArea& area) {
    Monitor screens[maxMonitors];
    int count = readXineramaMonitors(display, screens);
    for (int i = 0; i < count; i++) {
        const ScreenArea& s = screens[i].area;
        if (s.x == area.x && s.y == area.y && s.width == area.width && s.height == area.height)
            return i;
    }
    return -1;
}

// True when the X server is Xwayland: by its extension, or, before it had one, by the names of
// its outputs.
bool serverIsXwayland(Display* display) {
    int opcode, eventBase, errorBase;
    if (XQueryExtension(display, "XWAYLAND", &opcode, &eventBase, &errorBase)) return true;
    if (!XRRQueryExtension(display, &eventBase, &errorBase)) return false;
    XRRScreenResources* resources =
        XRRGetScreenResourcesCurrent(display, DefaultRootWindow(display));
    if (resources == nullptr) return false;
    bool found = false;
    for (int i = 0; i < resources->noutput && !found; i++) {
        XRROutputInfo* output = XRRGetOutputInfo(display, resources, resources->outputs[i]);
        if (output == nullptr) continue;
        found = std::strncmp(output->name, "XWAYLAND", 8) == 0;
        XRRFreeOutputInfo(output);
    }
    XRRFreeScreenResources(resources);
    return found;
}

// The window's ancestor that is a child of the root: a window manager's frame, or the window.
Window topLevelOf(Display* display, Window window) {
    for (;;) {
        Window root = None, parent = None, *children = nullptr;
        unsigned int count = 0;
        if (!XQueryTree(display, window, &root, &parent, &children, &count)) return window;
        if (children != nullptr) XFree(children);
        if (parent == root || parent == None) return window;
        window = parent;
    }
}

// True when a compositor has the window drawn off screen: only then does Composite name its
// pixmap; otherwise the request fails with BadMatch.
bool isRedirected(Display* display, Window window) {
    int eventBase, errorBase, major = 0, minor = 2;
    if (!XCompositeQueryExtension(display, &eventBase, &errorBase) ||
        !XCompositeQueryVersion(display, &major, &minor) || major * 100 + minor < 2)
        return false;
    XSync(display, False);
    xErrorSeen = false;
    XErrorHandler previous = XSetErrorHandler(noteXError);
    Pixmap pixmap = XCompositeNameWindowPixmap(display, window);
    XSync(display, False);
    bool redirected = !xErrorSeen;
    if (redirected) XFreePixmap(display, pixmap);
    XSync(display, False);
    XSetErrorHandler(previous);
    return redirected;
}

}  // namespace

// The extensions usable with the current window, not the client library's own list, which names
// extensions that the driver in use may not support.
void turnOffSwapWait() {
    Display* display = glXGetCurrentDisplay();
    if (display == nullptr) return;
    const char* extensions = glXQueryExtensionsString(display, DefaultScreen(display));
    GlProc setter = nullptr;
    switch (findSwapControl(extensions, glxSwapControls, lookUpGlx, setter)) {
        case 0: ((SwapIntervalExt)setter)(display, glXGetCurrentDrawable(), 0); break;  // EXT
        case 1: ((SwapIntervalMesa)setter)(0); break;  // MESA
        default: break;
    }
}

// The window manager convention _NET_WM_BYPASS_COMPOSITOR: 1 asks to bypass the compositor; no
// value leaves the choice to it, so that a window never stops the whole desktop's compositing.
void askCompositorBypass(bool fullScreen) {
    Display* display = glXGetCurrentDisplay();
    GLXDrawable window = glXGetCurrentDrawable();
    if (display == nullptr || window == 0) return;
    Atom hint = XInternAtom(display, "_NET_WM_BYPASS_COMPOSITOR", False);
    if (fullScreen) {
        long bypass = 1;
        XChangeProperty(display, window, hint, XA_CARDINAL, 32, PropModeReplace,
                        (unsigned char*)&bypass, 1);
    } else {
        XDeleteProperty(display, window, hint);
    }
    XFlush(display);
}

// The installed command (a shell script) chooses the folder on Linux.
void enterDataFolder() {}

// The last -display with a name after it wins, as in the toolkit.
void noteDisplayName(int argc, char** argv) {
    for (int i = 1; i + 1 < argc; i++)
        if (std::strcmp(argv[i], "-display") == 0) displayName = argv[i + 1];
}

ScreenArea monitorUnderPointer() {
    return chooseMonitorArea(true, 0, 0);
}

ScreenArea monitorAt(int x, int y) {
    return chooseMonitorArea(false, x, y);
}

// As freeglut decides once at start: a window manager that proves itself through
// _NET_SUPPORTING_WM_CHECK and lists full screen among its _NET_WM_STATE values.
bool windowManagerDoesFullScreen() {
    Display* display = glXGetCurrentDisplay();
    if (display == nullptr) return false;
    if (fullScreenByWindowManager < 0) {
        Window check = supportingWindow(display, DefaultRootWindow(display));
        fullScreenByWindowManager = check != None && supportingWindow(display, check) == check &&
                                    windowManagerSupports(display, "_NET_WM_STATE") &&
                                    windowManagerSupports(display, "_NET_WM_STATE_FULLSCREEN");
    }
    return fullScreenByWindowManager == 1;
}

// _NET_WM_FULLSCREEN_MONITORS, with the monitor as all four edges.
void askFullScreenOn(const ScreenArea& monitor) {
    Display* display = glXGetCurrentDisplay();
    GLXDrawable window = glXGetCurrentDrawable();
    if (display == nullptr || window == 0) return;
    if (!windowManagerSupports(display, "_NET_WM_FULLSCREEN_MONITORS")) return;
    int index = xineramaIndex(display, monitor);
    if (index < 0) return;
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display, "_NET_WM_FULLSCREEN_MONITORS", False);
    event.xclient.format = 32;
    for (int edge = 0; edge < 4; edge++) event.xclient.data.l[edge] = index;
    event.xclient.data.l[4] = 1;  // from an application
    XSendEvent(display, DefaultRootWindow(display), False,
               SubstructureRedirectMask | SubstructureNotifyMask, &event);
    XFlush(display);
}

// Viewable: the window and every window it is in are mapped.
bool windowIsViewable() {
    Display* display = glXGetCurrentDisplay();
    GLXDrawable window = glXGetCurrentDrawable();
    XWindowAttributes attributes;
    return display != nullptr && window != 0 &&
           XGetWindowAttributes(display, window, &attributes) && attributes.map_state == IsViewable;
}

// A compositing manager owns the selection _NET_WM_CM_S<screen>; some (KWin, Mutter, picom told
// to) stop redirecting a full-screen window, which then reaches the screen directly.
bool compositorDelaysPicture() {
    Display* display = glXGetCurrentDisplay();
    GLXDrawable window = glXGetCurrentDrawable();
    if (display == nullptr || window == 0) return false;
    if (serverIsXwayland(display)) return true;
    char selection[32];
    std::snprintf(selection, sizeof selection, "_NET_WM_CM_S%d", DefaultScreen(display));
    if (XGetSelectionOwner(display, XInternAtom(display, selection, False)) == None) return false;
    return isRedirected(display, topLevelOf(display, window));
}
