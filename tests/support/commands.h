// Shared ground for the input tests: a command (a key, a special key or a menu entry) given at
// 10 s over a black window and a marked status message, and what it leaves in the status line.
#pragma once

#include <string>

constexpr int commandMs = 10000;  // past the fade-in and the title, so only the status line draws
constexpr float commandSeconds = 10.0f;
constexpr double statusShownSeconds = 3.0;  // how long a status message stays
inline constexpr char untouchedText[] = "untouched";
constexpr double untouchedExpiry = 1.25;

// How a command shows its status text: drawn at once, only set for the next frames, or not at all.
enum class Shown { drawn, set, none };

// A float setting times a decimal factor, worked in double and stored back.
inline float times(float value, double factor) {
    return (float)(value * factor);
}

// Every field of settings as bytes, from the first field to the end of the last.
std::string settingsBytes();

// Lit pixels in the status line's band below the window top.
int statusPixels();
// Lit pixels anywhere in the window.
int allPixels();

// A reset, a frame at 10 s, then a black buffer and the marked status message.
void prepareCommand();

// The remembered text and timer after a command given at `now`, and whether the line was drawn
// at once; for Shown::none, the marked message is still there and nothing was drawn.
void expectShown(Shown how, const char* text, double now = commandSeconds);

// Clears the window, forgets the status text, gives the command at the current clock and expects
// the text drawn or set as `how` says.
void expectCommandShows(Shown how, void (*command)(int), int code, const char* text);

// Settings away from their reset values, a fade running, the button held, help open.
void prepareStateForReset();
// Everything back to its reset value; the help screen stays open.
void expectResetDone();
