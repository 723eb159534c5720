// Preloaded into snapwit by startup_bench: at the first buffer swap, writes the monotonic clock
// (nanoseconds, 8 bytes) to the file descriptor named by FIRST_SWAP_FD, then swaps as usual.
#include <GL/glx.h>
#include <dlfcn.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <ctime>

namespace {
bool reported = false;
}

extern "C" void glXSwapBuffers(Display* display, GLXDrawable drawable) {
    using SwapFunction = void (*)(Display*, GLXDrawable);
    static SwapFunction realSwap = (SwapFunction)dlsym(RTLD_NEXT, "glXSwapBuffers");
    realSwap(display, drawable);
    if (reported) return;
    reported = true;
    const char* fd = std::getenv("FIRST_SWAP_FD");
    if (!fd) return;
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    std::int64_t nanoseconds = (std::int64_t)now.tv_sec * 1000000000 + now.tv_nsec;
    if (write(std::atoi(fd), &nanoseconds, sizeof nanoseconds) != sizeof nanoseconds) return;
}
