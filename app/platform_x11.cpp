// The program's only GLX and X11 calls.
#include "app/platform.h"

#include <GL/glx.h>
#include <X11/Xatom.h>

#include "app/swap_interval.h"

namespace {

using SwapIntervalExt = void (*)(Display*, GLXDrawable, int);
using SwapIntervalMesa = int (*)(unsigned int);

// glXGetProcAddressARB with the shared look-up's types.
GlProc lookUpGlx(const char* name) {
    return glXGetProcAddressARB((const GLubyte*)name);
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
