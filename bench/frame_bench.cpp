// snapwit_bench: renders Snapwit's heaviest steady frame against a clear-and-swap floor frame.
//
//   snapwit_bench frames WIDTH HEIGHT FRAMES ROUNDS   median frame times, heavy against floor
//   snapwit_bench cpu FRAMES                          heavy frames only, for callgrind
//   snapwit_bench heap FRAMES                         heap allocations while heavy frames draw
//   snapwit_bench parts WIDTH HEIGHT FRAMES ROUNDS    the heavy frame with one layer off at a time
//   snapwit_bench pixels FILE                         the heavy frames' pixels, to compare builds
//   snapwit_bench flash WIDTH HEIGHT FRAMES           a round's frame with and without the flash
//
// The window is opened at the given size; the clock is set by the benchmark, 16 ms per frame.
#include <GL/freeglut.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "app/clock.h"
#include "app/frame.h"
#include "app/settings.h"
#include "app/window.h"
#include "bench/heap_count.h"
#include "bench/statistics.h"
#include "test/reaction_test.h"
#include "text/text_printer.h"

namespace {

constexpr int frameMilliseconds = 16;
constexpr int steadyStartMilliseconds = 20000;  // after the intro title and the fade-in
constexpr int recordedTimes = 35;                // more than the history holds: it has scrolled
constexpr int maxRounds = 64;

int clockMilliseconds = steadyStartMilliseconds;

void noDisplay() {}

void openWindow(int width, int height) {
    int argc = 1;
    char name[] = "snapwit_bench";
    char* argv[] = {name, nullptr};
    glutInit(&argc, argv);
    glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
    glutInitWindowPosition(0, 0);
    glutInitWindowSize(width, height);
    glutCreateWindow("Snapwit");
    glutReshapeFunc(onReshape);
    glutDisplayFunc(noDisplay);
    // Waits for the X server to map the window at its size, not on program time.
    for (int i = 0; i < 1000 && windowWidth != width; i++) glutMainLoopEvent();
    initGraphics();
}

// Fills the test with recorded times spread over the histogram, scrolled, with no flash due.
void fillReactionTest() {
    float now = clockMilliseconds * 0.001f;
    for (int k = 0; k < recordedTimes; k++) {
        reactionTest.flashStart = now;
        float sixtieths = 4.0f + (k * 7) % 25;
        reactionTest.click(now + sixtieths * 0.0166667f);
    }
    reactionTest.waitStart = now;
    reactionTest.waitDelay = 1.0e9f;
}

// Every layer on: status message, frame-rate line, help screen, glow; trails if asked.
void enterHeaviestState(bool trails) {
    elapsedMilliseconds = clockMilliseconds;
    elapsedSeconds = clockMilliseconds * 0.001f;
    resetSettings();
    fillReactionTest();
    textPrinter.showStatus("Main Speed: %4.2f\n", 3.333333);
    textPrinter.statusExpiry = 1.0e12;
    settings.showFps = 1;
    showHelp = 1;
    reactionTest.flashColor[0] = 0.0f;
    reactionTest.flashColor[1] = 1.0f;
    reactionTest.flashColor[2] = 0.0f;
    if (trails) {
        settings.clearEachFrame = 0;
        settings.blanking = 0.75f;
    }
}

void heavyFrame() {
    clockMilliseconds += frameMilliseconds;
    elapsedMilliseconds = clockMilliseconds;
    reactionTest.flashColorTime = clockMilliseconds * 0.001f;  // the glow shows in every frame
    drawFrame();
    glutSwapBuffers();
}

void floorFrame() {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glutSwapBuffers();
}

// Microseconds per frame over a run of frames, finished on the GPU side before the clock stops.
double timeFrames(void (*frame)(), int frames) {
    glFinish();
    auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < frames; i++) frame();
    glFinish();
    auto end = std::chrono::steady_clock::now();
    return std::chrono::duration<double, std::micro>(end - start).count() / frames;
}

// Alternates rounds of heavy and floor frames so that both see the same machine load.
void compareWithFloor(bool trails, int frames, int rounds) {
    double heavy[maxRounds], floor[maxRounds];
    enterHeaviestState(trails);
    for (int i = 0; i < frames / 4 + 1; i++) heavyFrame();  // warm-up
    for (int round = 0; round < rounds; round++) {
        heavy[round] = timeFrames(heavyFrame, frames);
        floor[round] = timeFrames(floorFrame, frames);
        glutMainLoopEvent();
    }
    double heavyUs = median(heavy, rounds), floorUs = median(floor, rounds);
    std::printf("%-7s %4dx%-4d heavy %8.1f us/frame %7.1f fps | floor %8.1f us/frame %7.1f fps "
                "| ratio %.3f\n",
                trails ? "trails" : "cleared", windowWidth, windowHeight, heavyUs, 1e6 / heavyUs,
                floorUs, 1e6 / floorUs, heavyUs / floorUs);
}

// Writes the back buffer of heavy frames, as raw RGBA: cleared, trails, line mode with letterbox
// bars, point mode with the largest bars, and the white and the red glow (with bars).
int dumpPixels(const char* path) {
    constexpr int variants = 6;
    static unsigned char pixels[variants][1280 * 720 * 4];
    openWindow(1280, 720);
    for (int variant = 0; variant < variants; variant++) {
        enterHeaviestState(variant == 1);
        settings.polygonMode = variant == 2 || variant == 3 ? variant - 1 : 0;
        settings.letterbox = variant == 2 || variant == 5 ? 3 : variant == 3 ? 6 : 0;
        if (variant >= 4) {
            float white[3] = {1.0f, 1.0f, 1.0f}, red[3] = {1.0f, 0.0f, 0.0f};
            std::memcpy(reactionTest.flashColor, variant == 4 ? white : red, sizeof white);
        }
        for (int i = 0; i < 3; i++) heavyFrame();
        clockMilliseconds += frameMilliseconds;
        elapsedMilliseconds = clockMilliseconds;
        reactionTest.flashColorTime = clockMilliseconds * 0.001f;
        drawFrame();
        glReadBuffer(GL_BACK);
        glReadPixels(0, 0, 1280, 720, GL_RGBA, GL_UNSIGNED_BYTE, pixels[variant]);
        glutSwapBuffers();
    }
    std::FILE* file = std::fopen(path, "wb");
    if (!file) return 1;
    bool ok = std::fwrite(pixels, sizeof pixels, 1, file) == 1;
    return std::fclose(file) == 0 && ok ? 0 : 1;
}

// The counter must see an allocation made here, or a count of 0 would prove nothing.
bool heapCounterWorks() {
    void* (*volatile allocate)(std::size_t) = std::malloc;
    startCountingHeap();
    void* block = allocate(16);
    HeapCounts counts = stopCountingHeap();
    std::free(block);
    return counts.fromProgram == 1;
}

void heavyFrameWithoutGlow() {
    clockMilliseconds += frameMilliseconds;
    elapsedMilliseconds = clockMilliseconds;
    reactionTest.flashColorTime = -1.0f;
    drawFrame();
    glutSwapBuffers();
}

// Where the time goes: each layer of the heaviest frame taken away in turn.
void timeParts(int frames, int rounds) {
    struct Part {
        const char* name;
        void (*frame)();
        void (*change)();
    };
    const Part parts[] = {
        {"all layers", heavyFrame, [] {}},
        {"no glow", heavyFrameWithoutGlow, [] {}},
        {"no help screen", heavyFrame, [] { showHelp = 0; }},
        {"no status, fps", heavyFrame, [] { textPrinter.statusExpiry = 0.0; settings.showFps = 0; }},
        {"no results", heavyFrame, [] { reactionTest.reset(elapsedSeconds); reactionTest.waitDelay = 1e9f; }},
        {"trails", heavyFrame, [] { settings.clearEachFrame = 0; }},
    };
    double floor[maxRounds];
    for (int round = 0; round < rounds; round++) floor[round] = timeFrames(floorFrame, frames);
    double floorUs = median(floor, rounds);
    std::printf("%4dx%-4d floor %8.1f us/frame\n", windowWidth, windowHeight, floorUs);
    for (const Part& part : parts) {
        double times[maxRounds];
        enterHeaviestState(false);
        part.change();
        for (int i = 0; i < 20; i++) part.frame();
        for (int round = 0; round < rounds; round++) times[round] = timeFrames(part.frame, frames);
        double us = median(times, rounds);
        std::printf("  %-16s %8.1f us/frame, %8.1f above the floor\n", part.name, us, us - floorUs);
    }
}

// A round under way as the timing benchmark sees it: twelve times recorded, no message, no help.
void enterRoundState() {
    elapsedMilliseconds = clockMilliseconds;
    elapsedSeconds = clockMilliseconds * 0.001f;
    resetSettings();
    float now = elapsedSeconds;
    for (int k = 0; k < 12; k++) {
        reactionTest.flashStart = now;
        reactionTest.click(now + (11 + k % 3) * 0.0166667f);
    }
    reactionTest.waitStart = now;
    reactionTest.waitDelay = 1.0e9f;
    textPrinter.statusExpiry = 0.0;
    reactionTest.flashColor[0] = reactionTest.flashColor[1] = reactionTest.flashColor[2] = 1.0f;
}

// The median time from a frame's start to after its swap, with the white glow or without: the
// flash frame's drawing and the period of the frames that wait for a click.
void timeFlashFrame(int frames) {
    constexpr int maxFrames = 4096;
    static double times[maxFrames];
    frames = std::min(frames, maxFrames);
    enterRoundState();
    for (bool glow : {false, true}) {
        for (int i = 0; i < frames; i++) {
            clockMilliseconds += frameMilliseconds;
            elapsedMilliseconds = clockMilliseconds;
            reactionTest.flashColorTime = glow ? clockMilliseconds * 0.001f : -1.0f;
            glFinish();
            auto start = std::chrono::steady_clock::now();
            drawFrame();
            glutSwapBuffers();
            glFinish();
            times[i] = std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() -
                                                                 start).count();
        }
        std::printf("%4dx%-4d %-12s %8.1f us from the frame's start to after its swap (median)\n",
                    windowWidth, windowHeight, glow ? "flash frame" : "round frame",
                    median(times, frames));
    }
}

int argument(int argc, char** argv, int index, int fallback) {
    return argc > index ? std::atoi(argv[index]) : fallback;
}

}  // namespace

int main(int argc, char** argv) {
    const char* mode = argc > 1 ? argv[1] : "frames";
    if (std::strcmp(mode, "frames") == 0) {
        int rounds = std::min(argument(argc, argv, 5, 7), maxRounds);
        openWindow(argument(argc, argv, 2, 1280), argument(argc, argv, 3, 720));
        compareWithFloor(false, argument(argc, argv, 4, 200), rounds);
        compareWithFloor(true, argument(argc, argv, 4, 200), rounds);
    } else if (std::strcmp(mode, "cpu") == 0) {
        openWindow(1280, 720);
        enterHeaviestState(false);
        for (int i = 0; i < argument(argc, argv, 2, 100); i++) heavyFrame();
    } else if (std::strcmp(mode, "heap") == 0) {
        int frames = argument(argc, argv, 2, 10000);
        if (!heapCounterWorks()) {
            std::fprintf(stderr, "heap: the counter missed a known allocation\n");
            return 1;
        }
        openWindow(1280, 720);
        enterHeaviestState(false);
        for (int i = 0; i < 10; i++) heavyFrame();
        startCountingHeap();
        for (int i = 0; i < frames / 2; i++) heavyFrame();
        enterHeaviestState(true);
        for (int i = 0; i < frames - frames / 2; i++) heavyFrame();
        HeapCounts counts = stopCountingHeap();
        std::printf("heap: %d frames, %ld allocations from Snapwit's code, %ld in all (GL driver "
                    "and libraries included)\n",
                    frames, counts.fromProgram, counts.total);
        return counts.fromProgram == 0 ? 0 : 1;
    } else if (std::strcmp(mode, "parts") == 0) {
        openWindow(argument(argc, argv, 2, 1280), argument(argc, argv, 3, 720));
        timeParts(argument(argc, argv, 4, 200), std::min(argument(argc, argv, 5, 5), maxRounds));
    } else if (std::strcmp(mode, "flash") == 0) {
        openWindow(argument(argc, argv, 2, 1280), argument(argc, argv, 3, 720));
        timeFlashFrame(argument(argc, argv, 4, 400));
    } else if (std::strcmp(mode, "pixels") == 0 && argc > 2) {
        return dumpPixels(argv[2]);
    } else {
        std::fprintf(stderr, "usage: snapwit_bench frames|cpu|heap|parts|pixels|flash ...\n");
        return 2;
    }
    return 0;
}
