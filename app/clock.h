// The program clock, read once per frame, and its random numbers.
#pragma once

extern int elapsedMilliseconds;      // raw GLUT counter, read by initGraphics and every onDisplay
extern float elapsedSeconds;         // the program's "now", advanced once per frame
extern double previousFrameSeconds;  // elapsedSeconds of the frame before
extern float frameSeconds;           // length of the last frame, capped against stalls

// Frames longer than this count as stallFrameSeconds, so one stall cannot jolt the fades and trails.
constexpr float stallLimitSeconds = 0.1f;
constexpr float stallFrameSeconds = 0.05f;

int readElapsedMilliseconds();
void advanceClock();
double randomValue(double scale);

// The 15-bit linear congruential generator every random number comes from; private so that the
// sequence is the same on every platform.
namespace lcg {
constexpr int randMax = 32767;
int rand();
void srand(unsigned seed);
}  // namespace lcg
