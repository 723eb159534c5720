// The client side of the measuring code: connecting, finding the program's window, reading
// properties and the screen, and input through XTest. Coordinates are X's: origin top-left.
#pragma once

#include <X11/Xlib.h>
#include <sys/types.h>

#include <string>
#include <vector>

struct Pixel {
    int r, g, b;
};

// The measuring code's brightness rules: lit, bright enough to be part of a glyph; white, every
// channel high, as the flash is and the yellow graph line and the red markers are not.
int brightness(Pixel p);  // the brightest channel
bool isLit(Pixel p);
bool isWhite(Pixel p);

struct Rect {
    int x, y, width, height;
};

// Connects, retrying until the timeout, with XTest required and X errors trapped; null if not.
Display* connectTo(const std::string& name, double timeoutSeconds);

// Windows can vanish between a query and its use (menus, the program exiting): X errors are kept,
// not fatal as with Xlib's default handler. The code of the last one, Success before any.
// trapXErrors returns the handler it replaced.
XErrorHandler trapXErrors();
int lastXError();
// Sends what is queued and forgets earlier errors, so that the next lastXError is the requests'.
void clearXErrors(Display* display);

// The mapped window titled "Snapwit": a top-level one on a bare server, a child of its frame
// under a reparenting window manager; 0 if there is none.
Window findSnapwitWindow(Display* display);
// The root's child that holds a window: its window manager's frame, or the window itself; 0 once
// the window is gone.
Window topLevelOf(Display* display, Window window);

// One 32-bit property of the type, as the X server has it; false when unset or the window gone.
bool property32(Display* display, Window window, const char* name, Atom type, long& value);

// The root window's pixels of a rectangle (menus and compositors' output included), row by row.
bool readScreen(Display* display, Rect area, std::vector<Pixel>& pixels);
// The same of one window, the rectangle in its own coordinates: Xwayland keeps no root picture.
bool readWindow(Display* display, Window window, Rect area, std::vector<Pixel>& pixels);

// Input, through XTest. A key goes to the window, which gets the focus first; Shift is added when
// the keysym needs it. Synced: the server has it on return. A press only flushed has left for the
// server but is not waited for, so its sending time is close to the request's.
enum class Send { synced, flushed };
void pressKey(Display* display, Window window, KeySym keysym, unsigned modifiers = 0);
void fakeButton(Display* display, int number, bool down, Send send = Send::synced);
void movePointer(Display* display, int x, int y);

// Escape twice, the quick exit: true, with the wait status, when the program ended in time.
bool escapeTwice(Display* display, Window window, pid_t pid, double timeoutSeconds, int& status);
