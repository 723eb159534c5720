// Frames back to back on every driver: the buffer swap must not wait for the display's retrace,
// or every click would be rounded to the refresh period. Each system offers the swap interval
// through extensions of its own; which one to use is chosen here, the same way on every system.
#pragma once

// One way to set the swap interval: the extension that offers it and the name of its setter.
struct SwapControl {
    const char* extension;
    const char* setter;
};

// The ways that can set interval 0, best first. GLX_SGI_swap_control cannot, so it is not one.
constexpr SwapControl glxSwapControls[] = {{"GLX_EXT_swap_control", "glXSwapIntervalEXT"},
                                           {"GLX_MESA_swap_control", "glXSwapIntervalMESA"}};
constexpr SwapControl wglSwapControls[] = {{"WGL_EXT_swap_control", "wglSwapIntervalEXT"}};

// An OpenGL function as a look-up returns it, and the look-up (glXGetProcAddressARB,
// wglGetProcAddress).
using GlProc = void (*)();
using GlProcLookup = GlProc (*)(const char* name);

// The index of the first way whose extension the space-separated list names as a whole word and
// whose setter the look-up finds, with that setter; -1 when there is none.
int findSwapControl(const char* extensions, const SwapControl* ways, int count, GlProcLookup lookup,
                    GlProc& setter);

template <int count>
int findSwapControl(const char* extensions, const SwapControl (&ways)[count], GlProcLookup lookup,
                    GlProc& setter) {
    return findSwapControl(extensions, ways, count, lookup, setter);
}
