// The program's only WGL and Win32 calls.
#include "app/platform.h"

#include <windows.h>

#include <GL/gl.h>

#include <cwchar>

#include "app/swap_interval.h"
#include "text/textures.h"

namespace {

using GetExtensionsStringArb = const char*(WINAPI*)(HDC);
using GetExtensionsStringExt = const char*(WINAPI*)();
using SwapIntervalExt = BOOL(WINAPI*)(int);

// wglGetProcAddress with the shared look-up's types. Some drivers answer a name they do not know
// with a small number instead of null.
GlProc lookUpWgl(const char* name) {
    INT_PTR address = (INT_PTR)wglGetProcAddress(name);
    if (address >= -1 && address <= 3) return nullptr;
    return (GlProc)address;
}

// The WGL extensions of the current device: from wglGetExtensionsStringARB, which takes the
// device, else from wglGetExtensionsStringEXT.
const char* wglExtensions(HDC device) {
    if (auto arb = (GetExtensionsStringArb)lookUpWgl("wglGetExtensionsStringARB")) return arb(device);
    if (auto ext = (GetExtensionsStringExt)lookUpWgl("wglGetExtensionsStringEXT")) return ext();
    return nullptr;
}

// The whole area of a monitor, as the full-screen window covers it.
ScreenArea areaOf(HMONITOR monitor) {
    MONITORINFO info;
    info.cbSize = sizeof info;
    if (!GetMonitorInfoW(monitor, &info)) return {0, 0, 0, 0};
    const RECT& r = info.rcMonitor;
    return {(int)r.left, (int)r.top, (int)(r.right - r.left), (int)(r.bottom - r.top)};
}

}  // namespace

// Interval 0 through WGL_EXT_swap_control, the one WGL way; a debugger (or Wine with
// WINEDEBUG=+debugstr) sees whether it was there.
void turnOffSwapWait() {
    HDC device = wglGetCurrentDC();
    if (device == nullptr) return;
    GlProc setter = nullptr;
    bool set = findSwapControl(wglExtensions(device), wglSwapControls, lookUpWgl, setter) == 0 &&
               ((SwapIntervalExt)setter)(0);
    OutputDebugStringA(set ? "snapwit: swap interval 0\n" : "snapwit: no swap interval 0\n");
}

// Windows' compositor takes no such request from a window; whether a window that covers the
// whole screen skips it is the driver's choice.
void askCompositorBypass(bool) {}

// A shortcut or a command prompt may start the program in any folder: without a font sheet there,
// it runs in its own folder, which holds the one it came with.
void enterDataFolder() {
    if (GetFileAttributesA(fontFileName) != INVALID_FILE_ATTRIBUTES) return;
    wchar_t path[MAX_PATH];
    DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return;
    wchar_t* lastSeparator = std::wcsrchr(path, L'\\');
    if (lastSeparator == nullptr) return;
    *lastSeparator = L'\0';
    SetCurrentDirectoryW(path);
}

// freeglut on Windows opens no display.
void noteDisplayName(int, char**) {}

ScreenArea monitorUnderPointer() {
    POINT pointer = {0, 0};  // the primary's corner, if the pointer cannot be told
    GetCursorPos(&pointer);
    return areaOf(MonitorFromPoint(pointer, MONITOR_DEFAULTTOPRIMARY));
}

ScreenArea monitorAt(int x, int y) {
    return areaOf(MonitorFromPoint(POINT{x, y}, MONITOR_DEFAULTTOPRIMARY));
}

// freeglut fills the monitor the window is on itself.
bool windowManagerDoesFullScreen() {
    return true;
}

// Windows takes no request for a monitor, so the window goes there: decorated, before full screen,
// its corner onto the monitor's, since freeglut's full screen fills the monitor the window is most
// on; undecorated, in full screen, onto the whole monitor.
void askFullScreenOn(const ScreenArea& monitor) {
    HWND window = WindowFromDC(wglGetCurrentDC());
    if (window == nullptr) return;
    bool decorated = (GetWindowLongW(window, GWL_STYLE) & WS_CAPTION) != 0;
    SetWindowPos(window, nullptr, monitor.x, monitor.y, monitor.width, monitor.height,
                 SWP_NOZORDER | SWP_NOACTIVATE | (decorated ? SWP_NOSIZE : 0));
}

bool windowIsViewable() {
    HWND window = WindowFromDC(wglGetCurrentDC());
    return window != nullptr && IsWindowVisible(window) && !IsIconic(window);
}

// Whether Windows' compositor shows a full-screen window directly is the driver's choice, which
// the program cannot see.
bool compositorDelaysPicture() {
    return false;
}
