// The keyboard: a first stage of commands, then the digits and the letters b, B, e, E and n.
#pragma once

extern int fullScreen;     // the window fills the screen
extern int letterboxStep;  // position in the cycle 0..6..1; letterbox is its absolute value
extern int counterLowerB;
extern int counterUpperB;
extern int counterN;

constexpr int windowedSize = 600;  // the window's width and height out of full screen

void onKeyboard(unsigned char key, int x, int y);
void handleExtraKeys(unsigned char key);
