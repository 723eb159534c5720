// The few things GLUT does not cover, one file per system: platform_x11.cpp (GLX and X11) and
// platform_windows.cpp (WGL and Win32). Both work on the window whose OpenGL context is current.
#pragma once

// Asks the driver for swap interval 0, so that buffer swaps do not wait for the display's retrace.
void turnOffSwapWait();

// Asks a compositing window manager to let the window reach the screen without its delay while
// it fills the screen, and to treat it like any other window again when it does not.
void askCompositorBypass(bool fullScreen);

// Makes the folder with the program's font.bmp the working folder where the system leaves that to
// the program: on Windows, the program's own folder when the current one has no font.bmp. On Linux
// the installed command does it, and this does nothing.
void enterDataFolder();
