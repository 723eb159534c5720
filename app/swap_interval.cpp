// The program's only GLX code.
#include "app/swap_interval.h"

#include <GL/glx.h>

#include <cstring>

namespace {

using SwapIntervalExt = void (*)(Display*, GLXDrawable, int);
using SwapIntervalMesa = int (*)(unsigned int);

// True when the space-separated list names the extension as a whole word.
bool listsExtension(const char* extensions, const char* name) {
    size_t length = std::strlen(name);
    for (const char* at = extensions; (at = std::strstr(at, name)) != nullptr; at += length) {
        bool starts = at == extensions || at[-1] == ' ';
        bool ends = at[length] == ' ' || at[length] == '\0';
        if (starts && ends) return true;
    }
    return false;
}

// The function the look-up gives for a name, if the list names its extension.
void (*offered(const char* extensions, const char* extension, GlxLookup lookup,
               const char* function))() {
    if (!listsExtension(extensions, extension)) return nullptr;
    return lookup((const unsigned char*)function);
}

}  // namespace

// Asks the first extension that can set interval 0 to set it.
SwapIntervalSetter requestSwapIntervalZero(const char* extensions, GlxLookup lookup) {
    if (extensions == nullptr) return SwapIntervalSetter::none;
    if (auto ext = (SwapIntervalExt)offered(extensions, "GLX_EXT_swap_control", lookup,
                                            "glXSwapIntervalEXT")) {
        ext(glXGetCurrentDisplay(), glXGetCurrentDrawable(), 0);
        return SwapIntervalSetter::ext;
    }
    if (auto mesa = (SwapIntervalMesa)offered(extensions, "GLX_MESA_swap_control", lookup,
                                              "glXSwapIntervalMESA")) {
        mesa(0);
        return SwapIntervalSetter::mesa;
    }
    return SwapIntervalSetter::none;
}

// The extensions usable with the current window, not the client library's own list, which names
// extensions that the driver in use may not support.
void turnOffSwapWait() {
    Display* display = glXGetCurrentDisplay();
    if (display == nullptr) return;
    requestSwapIntervalZero(glXQueryExtensionsString(display, DefaultScreen(display)),
                            glXGetProcAddressARB);
}
