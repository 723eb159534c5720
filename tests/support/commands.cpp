#include "tests/support/commands.h"

#include <gtest/gtest.h>

#include <cstring>

#include "app/clock.h"
#include "app/frame.h"
#include "app/settings.h"
#include "input/keyboard.h"
#include "tests/support/gl_test.h"
#include "tests/support/screen.h"
#include "text/text_printer.h"

namespace {

constexpr int statusTop = 25;  // glyph bottoms sit this far below the window's top
constexpr int statusGlyphHeight = 20;
constexpr int minStatusPixels = 20;  // even "b: 3" lights far more than this

}  // namespace

std::string settingsBytes() {
    const char* first = reinterpret_cast<const char*>(&settings.fieldOfView);
    const char* end = reinterpret_cast<const char*>(&settings.blanking + 1);
    return std::string(first, end);
}

int statusPixels() {
    return litPixels(capture(0, testWindowHeight - statusTop, testWindowWidth, statusGlyphHeight));
}

int allPixels() {
    return litPixels(capture(0, 0, testWindowWidth, testWindowHeight));
}

void prepareCommand() {
    resetProgram();
    frameAt(commandMs);
    clearToBlack();
    std::strcpy(textPrinter.lastText, untouchedText);
    textPrinter.statusExpiry = untouchedExpiry;
}

void expectShown(Shown how, const char* text, double now) {
    switch (how) {
        case Shown::drawn:
            EXPECT_STREQ(textPrinter.lastText, text);
            EXPECT_DOUBLE_EQ(textPrinter.statusExpiry, now + statusShownSeconds);
            EXPECT_GT(statusPixels(), minStatusPixels);
            break;
        case Shown::set:
            EXPECT_STREQ(textPrinter.lastText, text);
            EXPECT_DOUBLE_EQ(textPrinter.statusExpiry, now + statusShownSeconds);
            EXPECT_EQ(allPixels(), 0);
            break;
        case Shown::none:
            EXPECT_STREQ(textPrinter.lastText, untouchedText);
            EXPECT_EQ(textPrinter.statusExpiry, untouchedExpiry);
            EXPECT_EQ(allPixels(), 0);
            break;
    }
}

void expectCommandShows(Shown how, void (*command)(int), int code, const char* text) {
    clearToBlack();
    textPrinter.lastText[0] = '\0';
    textPrinter.statusExpiry = 0.0;
    double now = elapsedSeconds;
    command(code);
    expectShown(how, text, now);
}

void prepareStateForReset() {
    settings.tessellation = 20;
    settings.blanking = 0.5f;
    exitFadeStart = 4.0f;
    mouseButtonDown = 1;
    counterLowerB = 5;
    showHelp = 1;
}

void expectResetDone() {
    EXPECT_EQ(settings.tessellation, 10);
    EXPECT_EQ(settings.blanking, 0.75f);
    EXPECT_EQ(exitFadeStart, 0.0f);
    EXPECT_EQ(mouseButtonDown, 0);
    EXPECT_EQ(counterLowerB, 2);
    EXPECT_EQ(showHelp, 1);
}
