// The program clock, read once per frame, and its random numbers.
#pragma once

// GLUT's milliseconds since start-up, read by initGraphics and every onDisplay. GLUT counts in an
// int, which wraps after 24.8 days; the program counts on from each reading in 64 bits.
extern long long elapsedMilliseconds;
extern int lastGlutMilliseconds;     // GLUT's own count at that reading
// The program's "now", advanced once per frame: in double, so that a clock reading keeps its
// millisecond exactly after any run length and a time between two of them is exact to the
// millisecond.
extern double elapsedSeconds;
extern double previousFrameSeconds;  // elapsedSeconds of the frame before
extern float frameSeconds;           // length of the last frame, capped against stalls

// Frames longer than this count as stallFrameSeconds, so one stall cannot jolt the fades and trails.
constexpr float stallLimitSeconds = 0.1f;
constexpr float stallFrameSeconds = 0.05f;

long long readElapsedMilliseconds();
long long countOnFrom(int glutMilliseconds);
void advanceClock();
double randomValue(double scale);

// The 15-bit linear congruential generator every random number comes from; private so that the
// sequence is the same on every platform.
namespace lcg {
constexpr int randMax = 32767;
int rand();
void srand(unsigned seed);
}  // namespace lcg
