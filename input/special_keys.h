// Function keys, Page Up and Down, Home and End: the main speed, fog range, blanking and factors.
#pragma once

void onSpecialKey(int key, int x, int y);
