// The mouse: the left button takes the test, the right one opens the pop-up menu.
#pragma once

void onMouseButton(int button, int state, int x, int y);
void createMenu();
void onMenu(int value);
void showImageLabel();
void showOptionLabel();
