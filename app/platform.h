// The few things GLUT does not cover, one file per system: platform_x11.cpp (GLX and X11) and
// platform_windows.cpp (WGL and Win32). Both work on the window whose OpenGL context is current.
#pragma once

#include "app/monitors.h"

// Asks the driver for swap interval 0, so that buffer swaps do not wait for the display's retrace.
void turnOffSwapWait();

// Asks a compositing window manager to let the window reach the screen without its delay while
// it fills the screen, and to treat it like any other window again when it does not.
void askCompositorBypass(bool fullScreen);

// Makes the folder with the program's font.bmp the working folder where the system leaves that to
// the program: on Windows, the program's own folder when the current one has no font.bmp. On Linux
// the installed command does it, and this does nothing.
void enterDataFolder();

// Keeps the display the command line names (-display), which the toolkit opens instead of the
// default one, so that the monitors are read there before the window exists. Called before
// glutInit, which takes the option out.
void noteDisplayName(int argc, char** argv);

// The monitor under the pointer, else the primary one. Before the window exists too; an empty
// area when the display cannot be read.
ScreenArea monitorUnderPointer();

// The monitor that holds a point of the desktop, else the primary one.
ScreenArea monitorAt(int x, int y);

// True when a window manager carries out the toolkit's full-screen request; without one the
// program places the window on the monitor itself.
bool windowManagerDoesFullScreen();

// Asks the window manager to fill the monitor when the window is in full screen, where it takes
// such requests; it may choose the monitor the window is on otherwise. Where the system takes no
// such request, moves the window onto the monitor itself.
void askFullScreenOn(const ScreenArea& monitor);

// True when the window can be seen: not minimised, not on another workspace.
bool windowIsViewable();

// True when the full-screen window's picture still reaches the screen through a compositor,
// which shows it a refresh or two late: a compositing manager that keeps it redirected, or an X
// server that is a Wayland compositor's client.
bool compositorDelaysPicture();
