#include "app/clock.h"

#include <GL/glut.h>

int elapsedMilliseconds = 0;
float elapsedSeconds = 0.0f;
double previousFrameSeconds = 0.0;
float frameSeconds = 0.0f;

namespace {
constexpr double reseedChance = 0.01;  // about one frame in a hundred reseeds from the clock
unsigned generatorState = 1;
}  // namespace

// Reads GLUT's milliseconds since start-up.
int readElapsedMilliseconds() {
    return glutGet(GLUT_ELAPSED_TIME);
}

// Turns the latest millisecond reading into this frame's clock and frame length.
void advanceClock() {
    if (randomValue(1.0) < reseedChance) lcg::srand((unsigned)elapsedMilliseconds);
    double seconds = elapsedMilliseconds * 0.001;
    elapsedSeconds = (float)seconds;
    frameSeconds = (float)(seconds - previousFrameSeconds);
    if (frameSeconds > stallLimitSeconds) frameSeconds = stallFrameSeconds;
    previousFrameSeconds = elapsedSeconds;
}

// A uniform value in [0, scale): 32768 equally spaced steps, never scale itself.
double randomValue(double scale) {
    return lcg::rand() / (lcg::randMax + 1.0) * scale;
}

namespace lcg {

// Next value, 0 to 32767: bits 16 to 30 of the advanced 32-bit state.
int rand() {
    generatorState = generatorState * 214013u + 2531011u;
    return (int)((generatorState >> 16) & 0x7FFF);
}

// Starts the sequence again from a seed.
void srand(unsigned seed) {
    generatorState = seed;
}

}  // namespace lcg
