// The page of instructions and keys drawn over the running test.
#pragma once

void drawHelpScreen();
