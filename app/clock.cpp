#include "app/clock.h"

#include <GL/glut.h>

long long elapsedMilliseconds = 0;
int lastGlutMilliseconds = 0;
double elapsedSeconds = 0.0;
double previousFrameSeconds = 0.0;
float frameSeconds = 0.0f;

namespace {
constexpr double reseedChance = 0.01;  // about one frame in a hundred reseeds from the clock
unsigned generatorState = 1;
}  // namespace

// Reads GLUT's milliseconds since start-up.
long long readElapsedMilliseconds() {
    return countOnFrom(glutGet(GLUT_ELAPSED_TIME));
}

// The count after a new GLUT reading: what the reading moved on since the last, told modulo 2^32,
// so that its wrap changes nothing. GLUT's clock never goes back: a step back is no time.
long long countOnFrom(int glutMilliseconds) {
    int step = (int)((unsigned)glutMilliseconds - (unsigned)lastGlutMilliseconds);
    lastGlutMilliseconds = glutMilliseconds;
    return elapsedMilliseconds + (step > 0 ? step : 0);
}

// Turns the latest millisecond reading into this frame's clock and frame length.
void advanceClock() {
    if (randomValue(1.0) < reseedChance) lcg::srand((unsigned)elapsedMilliseconds);
    elapsedSeconds = elapsedMilliseconds / 1000.0;
    frameSeconds = (float)(elapsedSeconds - previousFrameSeconds);
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
