// What both fuzzers share: one real freeglut window with the program's start-up done in it, and
// checks that end the run with a message libFuzzer records as a crash.
#pragma once

constexpr int fuzzWindowWidth = 320;   // small, so that huge glyphs cost little to fill
constexpr int fuzzWindowHeight = 240;

// Creates the window and runs initGraphics, as main does; DISPLAY must name an X server.
void openFuzzWindow();

// Ends the run when a condition a caller relies on does not hold.
void require(bool condition, const char* what);

// Ends the run when OpenGL holds an error; every call under test must leave none.
void requireNoGlError(const char* where);
