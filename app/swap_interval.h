// Frames back to back on every driver: the buffer swap must not wait for the display's retrace,
// or every click would be rounded to the refresh period.
#pragma once

// Which GLX extension set the swap interval.
enum class SwapIntervalSetter { none, ext, mesa };

// Finds a GLX function by name, as glXGetProcAddressARB does.
using GlxLookup = void (*(*)(const unsigned char* name))();

// Asks for swap interval 0 through the first of GLX_EXT_swap_control and GLX_MESA_swap_control
// that the space-separated extension list names and the look-up finds. GLX_SGI_swap_control
// cannot set 0, so it is never used.
SwapIntervalSetter requestSwapIntervalZero(const char* extensions, GlxLookup lookup);

// The same with the current window's GLX extensions and glXGetProcAddressARB.
void turnOffSwapWait();
