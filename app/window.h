// The window: start-up of the graphics, the frame-loop callbacks and the exit clean-up.
#pragma once

extern int windowWidth;   // drawable size as last reported to onReshape
extern int windowHeight;

// The size GLUT gives when asked, for everything drawn: asked once per frame (and at start-up)
// and set by every reshape, because each question is a round trip to the X server, far too slow
// for the eighty-odd lines of text in a frame.
extern int frameWidth;
extern int frameHeight;

constexpr int pointerStartX = 450;
constexpr int pointerStartY = 350;

void startUp(int* argc, char** argv);
void askWindowSize();
void initGraphics();
void onDisplay();
void onIdle();
void onReshape(int width, int height);
void deleteTextures();
void requestFullScreen();
void requestWindowSize(int width, int height);
