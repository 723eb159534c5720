// The program's window on an X server; x_client.h has it with the rest of the client side.
#pragma once

#include <X11/Xlib.h>

Window findSnapwitWindow(Display* display);
