// The window: start-up of the graphics, the frame-loop callbacks and the exit clean-up.
#pragma once

extern int windowWidth;   // drawable size as last reported to onReshape
extern int windowHeight;

constexpr int pointerStartX = 450;
constexpr int pointerStartY = 350;

void initGraphics();
void onDisplay();
void onIdle();
void onReshape(int width, int height);
void deleteTextures();
void requestWindowSize(int width, int height);
