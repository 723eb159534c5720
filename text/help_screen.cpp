#include "text/help_screen.h"

#include "app/window.h"
#include "text/text_printer.h"

namespace {

constexpr double topShare = 0.1;  // the title sits a tenth of the height below the top
constexpr short titleX = 60;
constexpr float titleSize = 30.0f;
constexpr short lineX = 70;
constexpr float lineSize = 18.0f;
constexpr int lineStep = 16;
constexpr int titleGap = (int)(1.4 * lineStep);
constexpr int groupGap = (int)(0.3 * lineStep);
constexpr int linesBeforeGroupGap = 4;  // the gap falls between the keys r and c

const char* const helpLines[] = {
    "Click when you see the flash, it's OK to skip flashes.",
    " <PageUp/Down>  Adjust Main Speed: Seconds Delay",
    "             e  Erase: Remove Last Snapwit Time",
    "             r  Reset: Start Another Round",
    "             c  Clock: Toggle Frame-Per-Seconds",
    "             f  FullScreen/Window Toggle",
    "    <ESC> or q  EXIT after fade, hit twice for quick exit",
    "   -------------------------------------------------------- ",
    "   Snapwit times each click from the flash, in 60ths.",
    "   Scores live only until you quit; nothing is saved.",
    "   <?> to return",
};

}  // namespace

// Prints the help page at fixed places below the window's top edge.
void drawHelpScreen() {
    textPrinter.rememberLast = 0;
    short top = (short)(int)(windowHeight * topShare);
    textPrinter.beginText();
    textPrinter.drawText("Snapwit", titleX, top, titleSize);
    int y = top + titleGap;
    int index = 0;
    for (const char* line : helpLines) {
        if (index == linesBeforeGroupGap) y += groupGap;
        textPrinter.drawText(line, lineX, (short)y, lineSize);
        y += lineStep;
        index += 1;
    }
    textPrinter.endText();
    textPrinter.rememberLast = 1;
}
