// recording_snapwit: the real Snapwit with its frames and scores written down, for bench/accuracy.
//
//   SNAPWIT_RECORDS=FILE recording_snapwit
//
// Start-up is the program's own startUp and every frame its own onDisplay; only the display
// callback is wrapped, to note around each frame the monotonic clock (steady_clock, the same
// CLOCK_MONOTONIC the robot reads; in the Windows build under Wine, QueryPerformanceCounter, which
// Wine takes from CLOCK_MONOTONIC_RAW), the frame that shows a flash, and every scored press, early
// click and miss. Lines go to FILE as they happen (a scored press or flash, after its frame) and
// the frame starts at exit, so that the frame path makes no heap allocation:
//
//   flash START_NS AFTER_SWAP_NS FLASH_START_S   the frame that drew a flash first: its swap put
//                                                the flash on screen
//   moved START_NS AFTER_SWAP_NS FLASH_START_S   the frame that moved the flash's time to its own
//                                                clock, the first one read after that swap
//   score START_NS AFTER_SWAP_NS TRIES SIXTIETHS  the frame that scored a press
//   early START_NS AFTER_SWAP_NS COUNT
//   miss START_NS AFTER_SWAP_NS COUNT
//   frame START_NS                                every frame, at exit
#include <GL/glut.h>
#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "app/window.h"
#include "test/reaction_test.h"

namespace {

constexpr int maxFrames = 1 << 20;  // over 15 minutes at 1,000 frames a second
constexpr int lineBytes = 160;

std::int64_t frameStarts[maxFrames];
int framesNoted = 0;
int recordsFile = -1;

// What a frame may change in the test.
struct TestState {
    double flashStart;
    int tries;
    int earlyClicks;
    int misses;
};

// Nanoseconds on the monotonic clock.
std::int64_t nowNanoseconds() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// The test's state now.
TestState testState() {
    return TestState{reactionTest.flashStart, reactionTest.tries, reactionTest.earlyClicks,
                     reactionTest.misses};
}

// Writes one line; a short write only loses the record, never the frame.
void writeLine(const char* line, int length) {
    if (recordsFile >= 0 && length > 0) {
        ssize_t written = write(recordsFile, line, (size_t)length);
        (void)written;
    }
}

// Writes what a frame changed in the test, each with the frame's start and its end after the swap.
void recordChanges(const TestState& before, std::int64_t start, std::int64_t end) {
    char line[lineBytes];
    if (before.flashStart == 0.0 && reactionTest.flashStart != 0.0)
        writeLine(line, std::snprintf(line, sizeof line, "flash %lld %lld %.6f\n", (long long)start,
                                      (long long)end, reactionTest.flashStart));
    if (before.flashStart != 0.0 && reactionTest.flashStart != 0.0 &&
        reactionTest.flashStart != before.flashStart)
        writeLine(line, std::snprintf(line, sizeof line, "moved %lld %lld %.6f\n", (long long)start,
                                      (long long)end, reactionTest.flashStart));
    if (reactionTest.tries != before.tries)
        writeLine(line, std::snprintf(line, sizeof line, "score %lld %lld %d %.6f\n",
                                      (long long)start, (long long)end, reactionTest.tries,
                                      (double)reactionTest.lastTime));
    if (reactionTest.earlyClicks != before.earlyClicks)
        writeLine(line, std::snprintf(line, sizeof line, "early %lld %lld %d\n", (long long)start,
                                      (long long)end, reactionTest.earlyClicks));
    if (reactionTest.misses != before.misses)
        writeLine(line, std::snprintf(line, sizeof line, "miss %lld %lld %d\n", (long long)start,
                                      (long long)end, reactionTest.misses));
}

// The program's own frame, with the clock noted before it and after its swap.
void recordedDisplay() {
    TestState before = testState();
    std::int64_t start = nowNanoseconds();
    if (framesNoted < maxFrames) frameStarts[framesNoted++] = start;
    onDisplay();
    recordChanges(before, start, nowNanoseconds());
}

// Writes every frame start; the program leaves through exit(0) after its fade-out.
void writeFrames() {
    char line[lineBytes];
    for (int i = 0; i < framesNoted; i++) {
        long long start = frameStarts[i];
        writeLine(line, std::snprintf(line, sizeof line, "frame %lld\n", start));
    }
    if (recordsFile >= 0) close(recordsFile);
    recordsFile = -1;
}

}  // namespace

// Snapwit's own start-up and main loop, with the recording display callback in place of its own.
int main(int argc, char** argv) {
    const char* path = std::getenv("SNAPWIT_RECORDS");
    if (path == nullptr) {
        std::fprintf(stderr, "recording_snapwit: set SNAPWIT_RECORDS to the file to write\n");
        return 2;
    }
    recordsFile = open(path, O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (recordsFile < 0) {
        std::perror(path);
        return 1;
    }
    std::atexit(writeFrames);
    startUp(&argc, argv);
    glutDisplayFunc(recordedDisplay);
    glutMainLoop();
    return 0;
}
