// The kinds of "font.bmp" the end-to-end cases start the program with.
#pragma once

#include <ostream>
#include <string>

enum class FontFile {
    good,          // the build's sheet
    missing,
    empty,
    oneByte,
    headerOnly,    // 54 bytes
    zeros,         // exactly 49,206 bytes of zeros
    random10MB,
    png,           // a valid 8 by 8 red PNG (red8.png)
    folder,
    unreadable,    // the good sheet with no read permission
    whiteCells,    // 49,206 bytes of 0xFF: every glyph cell lit whole
};

// For GoogleTest's parameter printing and the test names.
void PrintTo(FontFile font, std::ostream* out);

// Puts that kind of font.bmp into the folder; false, with the reason, when it cannot.
bool writeFontFile(FontFile font, const std::string& folder, std::string& error);
