// make_font: draws Snapwit's font sheet "font.bmp" from a monospaced TrueType font.
//
//   make_font FONT.ttf OUT.bmp
//
// The sheet is 128 by 128 pixels, 24 bits, pixel data from byte 54, the first row of the file at the
// top of the picture. It holds 16 by 8 cells of 8 by 16 pixels for the codes 32 to 159, row 0 (codes
// 32 to 47) at the top; white glyphs on black, codes 127 to 159 left black. The header says "top-down"
// (negative height) so that image viewers show the sheet upright; Snapwit itself skips the header.
#include <ft2build.h>
#include FT_FREETYPE_H

#include <cmath>
#include <cstdio>
#include <cstring>

namespace {

constexpr int sheetSize = 128;
constexpr int cellWidth = 8;
constexpr int cellHeight = 16;
constexpr int cellsPerRow = 16;
constexpr int firstCode = 32;
constexpr int lastDrawnCode = 126;
constexpr int headerBytes = 54;

// Snapwit samples each cell shifted by 1.28 texels right and down, so ink keeps clear of the
// cell's left column and its two top rows; that leaves 7 by 14 pixels for a glyph.
constexpr int inkLeft = 1;
constexpr int inkRight = 8;
constexpr int inkTop = 2;
constexpr int inkBottom = 16;
constexpr int pixelHeight = 13;
constexpr double inkWidth = 7.0;

unsigned char sheet[sheetSize][sheetSize];  // brightness, row 0 at the top

// Little-endian fields of the BMP header.
void put16(unsigned char* at, int value) {
    at[0] = (unsigned char)(value & 0xFF);
    at[1] = (unsigned char)((value >> 8) & 0xFF);
}

void put32(unsigned char* at, long value) {
    unsigned long bits = (unsigned long)value;
    for (int i = 0; i < 4; i++) at[i] = (unsigned char)((bits >> (8 * i)) & 0xFF);
}

// Copies one rendered glyph into its cell, clipped to the cell's ink area.
void drawGlyph(const FT_GlyphSlot glyph, int code, int baselineRow) {
    int cell = code - firstCode;
    int cellX = (cell % cellsPerRow) * cellWidth;
    int cellY = (cell / cellsPerRow) * cellHeight;
    const FT_Bitmap& bitmap = glyph->bitmap;
    for (unsigned row = 0; row < bitmap.rows; row++) {
        for (unsigned column = 0; column < bitmap.width; column++) {
            int x = inkLeft + glyph->bitmap_left + (int)column;
            int y = baselineRow - glyph->bitmap_top + (int)row;
            if (x < inkLeft || x >= inkRight || y < inkTop || y >= inkBottom) continue;
            unsigned char value = bitmap.buffer[row * (unsigned)bitmap.pitch + column];
            unsigned char& pixel = sheet[cellY + y][cellX + x];
            if (value > pixel) pixel = value;
        }
    }
}

// Renders every printable ASCII code into the sheet; returns false if the font cannot be used.
bool renderSheet(const char* fontPath) {
    FT_Library library;
    FT_Face face;
    if (FT_Init_FreeType(&library) != 0) return false;
    if (FT_New_Face(library, fontPath, 0, &face) != 0) {
        FT_Done_FreeType(library);
        return false;
    }
    FT_Set_Pixel_Sizes(face, 0, pixelHeight);
    // Squeeze the font horizontally so that one advance fits the ink area's width.
    double advance = face->size->metrics.max_advance / 64.0;
    double squeeze = advance > inkWidth ? inkWidth / advance : 1.0;
    FT_Matrix matrix = {(FT_Fixed)std::lround(squeeze * 65536.0), 0, 0, 0x10000};
    FT_Set_Transform(face, &matrix, nullptr);
    // The baseline leaves just the font's descender below it.
    int descender = (int)std::lround(-face->size->metrics.descender / 64.0);
    int baselineRow = inkBottom - descender;
    for (int code = firstCode; code <= lastDrawnCode; code++) {
        if (FT_Load_Char(face, (FT_ULong)code, FT_LOAD_RENDER | FT_LOAD_TARGET_LIGHT) != 0) continue;
        drawGlyph(face->glyph, code, baselineRow);
    }
    FT_Done_Face(face);
    FT_Done_FreeType(library);
    return true;
}

bool writeSheet(const char* outPath) {
    unsigned char header[headerBytes] = {};
    long dataBytes = (long)sheetSize * sheetSize * 3;
    header[0] = 'B';
    header[1] = 'M';
    put32(header + 2, headerBytes + dataBytes);
    put32(header + 10, headerBytes);
    put32(header + 14, 40);
    put32(header + 18, sheetSize);
    put32(header + 22, -sheetSize);  // top-down rows
    put16(header + 26, 1);
    put16(header + 28, 24);
    put32(header + 34, dataBytes);
    put32(header + 38, 2835);
    put32(header + 42, 2835);
    FILE* file = std::fopen(outPath, "wb");
    if (!file) return false;
    bool ok = std::fwrite(header, 1, sizeof header, file) == sizeof header;
    for (int y = 0; y < sheetSize && ok; y++) {
        unsigned char row[sheetSize * 3];
        for (int x = 0; x < sheetSize; x++) std::memset(row + 3 * x, sheet[y][x], 3);
        ok = std::fwrite(row, 1, sizeof row, file) == sizeof row;
    }
    return std::fclose(file) == 0 && ok;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: make_font FONT.ttf OUT.bmp\n");
        return 2;
    }
    if (!renderSheet(argv[1])) {
        std::fprintf(stderr, "make_font: cannot read the font %s\n", argv[1]);
        return 1;
    }
    if (!writeSheet(argv[2])) {
        std::fprintf(stderr, "make_font: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
