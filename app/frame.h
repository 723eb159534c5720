// One frame: the letterboxed reaction test below, text and fades over the whole window above.
#pragma once

extern int framesCounted;      // frames since the last frame-rate update
extern double nextFpsUpdate;   // clock time of the next frame-rate update
extern int framesPerSecond;    // frames drawn in the last counted second
extern int clearRequest;       // clear the colour buffer once, in the next frame
extern double exitFadeStart;   // 0: no exit asked for; else when the fade-out began
extern int showHelp;           // draw the help screen
extern double trailSecondsOwed;   // frame time not yet taken off the trails
extern long long trailSlot;       // the clock's 1/60-second slot of the last darkening

// Trails: at the reference rate of 60 frames a second each frame darkens the picture by
// blanking x trailStrength / 60 (0.5 at the reset blanking); at any other frame rate the picture
// is darkened at most that often, by what the time since the last darkening takes off at 60.
constexpr double trailStrength = 40.0;
constexpr int trailReferenceFramesPerSecond = 60;
constexpr double letterboxStepShare = 0.05;  // each letterbox unit, top and bottom, of the height
constexpr float introTitleSeconds = 10.0f;
constexpr double introTitlePathSeconds = 8.0;
constexpr float introTitleSize = 60.0f;
constexpr float fadeInSeconds = 2.0f;
constexpr float fadeOutSeconds = 2.0f;

void drawFrame();
void setupView();
void beginScreenOverlay();
void drawFadeQuad(float alpha);
