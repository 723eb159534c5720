// Preloaded into the program by accuracy_robot --vsync: a display that waits for its retrace.
// Llvmpipe on Xvfb never waits, so each swap here finishes the frame's drawing, sleeps until the
// next refresh of a 60 Hz display (the next multiple of 1/60 s on CLOCK_MONOTONIC), and only
// then swaps, so that the picture reaches the X server at a refresh.
#include <GL/gl.h>
#include <GL/glx.h>
#include <dlfcn.h>

#include <cerrno>
#include <cstdint>
#include <ctime>

namespace {

constexpr std::int64_t nsPerSecond = 1000000000;
constexpr std::int64_t refreshesPerSecond = 60;

// The first refresh strictly after a time, in nanoseconds on the monotonic clock.
std::int64_t nextRefresh(std::int64_t ns) {
    std::int64_t refresh = ns * refreshesPerSecond / nsPerSecond + 1;
    return refresh * nsPerSecond / refreshesPerSecond;
}

// Sleeps until an absolute monotonic time, however many signals interrupt it.
void sleepUntil(std::int64_t when) {
    timespec t{(time_t)(when / nsPerSecond), (long)(when % nsPerSecond)};
    while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &t, nullptr) == EINTR) {
    }
}

}  // namespace

extern "C" void glXSwapBuffers(Display* display, GLXDrawable drawable) {
    using SwapFunction = void (*)(Display*, GLXDrawable);
    static SwapFunction realSwap = (SwapFunction)dlsym(RTLD_NEXT, "glXSwapBuffers");
    glFinish();
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    sleepUntil(nextRefresh((std::int64_t)now.tv_sec * nsPerSecond + now.tv_nsec));
    realSwap(display, drawable);
}
