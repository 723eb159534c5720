// One frame: the letterboxed reaction test below, text and fades over the whole window above.
#pragma once

extern int framesCounted;      // frames since the last frame-rate update
extern double nextFpsUpdate;   // clock time of the next frame-rate update
extern int framesPerSecond;    // frames drawn in the last counted second
extern int clearRequest;       // clear the colour buffer once, in the next frame
extern float exitFadeStart;    // 0: no exit asked for; else when the fade-out began
extern int showHelp;           // draw the help screen

constexpr double trailStrength = 40.0;      // trail quad alpha per second of frame, times blanking
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
