// make_font: draws Snapwit's font sheet "font.bmp" from a monospaced TrueType font, and its icon.
//
//   make_font FONT.ttf OUT.bmp
//   make_font --icon OUT.png SIZE
//   make_font --windows-icon OUT.ico
//
// The sheet is 128 by 128 pixels, 24 bits, pixel data from byte 54, the first row of the file at the
// top of the picture. It holds 16 by 8 cells of 8 by 16 pixels for the codes 32 to 159, row 0 (codes
// 32 to 47) at the top; white glyphs on black, codes 127 to 159 left black. The header says "top-down"
// (negative height) so that image viewers show the sheet upright; Snapwit itself skips the header.
//
// The icon is the glow Snapwit flashes, SIZE by SIZE pixels: white, with the glow's brightness as
// its alpha. It is written as a PNG with stored (uncompressed) deflate blocks, so the tool needs no
// image or compression library. The Windows icon holds the same PNGs at the sizes Windows asks for
// most, in an ICO file (PNG entries are read by Windows Vista and later).
#include <ft2build.h>
#include FT_FREETYPE_H

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr int sheetSize = 128;
constexpr int cellWidth = 8;
constexpr int cellHeight = 16;
constexpr int cellsPerRow = 16;
constexpr int firstCode = 32;
constexpr int lastDrawnCode = 126;
constexpr int headerBytes = 54;

// Snapwit samples each cell shifted by 1.28 texels right and down with linear filtering, so a
// glyph's right edge reads the two left columns of the next cell and its bottom edge the two top
// rows of the cell below. Ink keeps clear of both, which leaves 6 by 14 pixels for a glyph.
constexpr int inkLeft = 2;
constexpr int inkRight = 8;
constexpr int inkTop = 2;
constexpr int inkBottom = 16;
constexpr int pixelHeight = 13;
constexpr double inkWidth = inkRight - inkLeft;

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
    // Squeeze the font horizontally, by a narrower pixel width rather than a transform, so that
    // the hinter snaps the stems of the narrow glyphs to whole pixels and one advance fills the
    // ink area's width.
    double advance = face->size->metrics.max_advance / 64.0;
    if (advance > inkWidth) {
        FT_UInt squeezedWidth = (FT_UInt)std::lround(pixelHeight * inkWidth / advance);
        FT_Set_Pixel_Sizes(face, squeezedWidth, pixelHeight);
    }
    // The baseline leaves just the font's descender below it.
    int descender = (int)std::lround(-face->size->metrics.descender / 64.0);
    int baselineRow = inkBottom - descender;
    constexpr FT_Int32 loadFlags = FT_LOAD_RENDER | FT_LOAD_TARGET_NORMAL | FT_LOAD_FORCE_AUTOHINT;
    for (int code = firstCode; code <= lastDrawnCode; code++) {
        if (FT_Load_Char(face, (FT_ULong)code, loadFlags) != 0) continue;
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

constexpr int smallestIcon = 16;
constexpr int largestIcon = 256;
constexpr int iconRowBytes = 1 + 4 * largestIcon;        // filter byte, then RGBA
constexpr int storedBlockBytes = 65535;                  // the most one stored block holds
constexpr int iconDataBytes = largestIcon * iconRowBytes;
constexpr int zlibBytes = 2 + iconDataBytes + 5 * (iconDataBytes / storedBlockBytes + 1) + 4;

unsigned char iconData[iconDataBytes];  // PNG scanlines, top row first
unsigned char zlibStream[zlibBytes];

// Big-endian fields of the PNG chunks.
void putBig32(unsigned char* at, unsigned long value) {
    for (int i = 0; i < 4; i++) at[i] = (unsigned char)((value >> (24 - 8 * i)) & 0xFF);
}

// CRC-32 as PNG chunks use it (reflected polynomial 0xEDB88320), continued from an earlier value.
unsigned long crc32(unsigned long crc, const unsigned char* data, long length) {
    crc ^= 0xFFFFFFFFUL;
    for (long i = 0; i < length; i++) {
        crc ^= data[i];
        for (int bit = 0; bit < 8; bit++) crc = (crc >> 1) ^ (0xEDB88320UL & (0UL - (crc & 1)));
    }
    return crc ^ 0xFFFFFFFFUL;
}

// Adler-32, the checksum that closes a zlib stream.
unsigned long adler32(const unsigned char* data, long length) {
    constexpr unsigned long modulus = 65521;
    unsigned long a = 1;
    unsigned long b = 0;
    for (long i = 0; i < length; i++) {
        a = (a + data[i]) % modulus;
        b = (b + a) % modulus;
    }
    return (b << 16) | a;
}

// Fills the scanlines with the glow Snapwit computes: v = (1 - f * f) * 255, f = distance / radius,
// centred on pixel (size / 2, size / 2) counted from the bottom left, as the texture is drawn.
void fillIcon(int size) {
    int centre = size / 2;
    float radius = (float)centre;
    for (int y = 0; y < size; y++) {
        unsigned char* row = iconData + y * (1 + 4 * size);
        row[0] = 0;  // no filter
        int i = size - 1 - y;
        for (int j = 0; j < size; j++) {
            int squares = (i - centre) * (i - centre) + (j - centre) * (j - centre);
            float f = (float)std::sqrt((double)squares) / radius;
            if (f > 1.0f) f = 1.0f;
            f = f * f;
            unsigned char* pixel = row + 1 + 4 * j;
            std::memset(pixel, 255, 3);
            pixel[3] = (unsigned char)(int)((1.0f - f) * 255.0f);
        }
    }
}

// Wraps the scanlines in a zlib stream of stored blocks; returns its length.
long storeZlib(long dataBytes) {
    long at = 0;
    zlibStream[at++] = 0x78;  // deflate, 32 KiB window
    zlibStream[at++] = 0x01;  // no preset dictionary; makes the header a multiple of 31
    for (long done = 0; done < dataBytes;) {
        long block = dataBytes - done < storedBlockBytes ? dataBytes - done : storedBlockBytes;
        bool last = done + block == dataBytes;
        zlibStream[at++] = last ? 1 : 0;
        put16(zlibStream + at, (int)block);
        put16(zlibStream + at + 2, (int)(~block & 0xFFFF));
        std::memcpy(zlibStream + at + 4, iconData + done, (size_t)block);
        at += 4 + block;
        done += block;
    }
    putBig32(zlibStream + at, adler32(iconData, dataBytes));
    return at + 4;
}

// One PNG chunk: length, type, data and the CRC over type and data.
bool writeChunk(FILE* file, const char* type, const unsigned char* data, long length) {
    unsigned char field[4];
    putBig32(field, (unsigned long)length);
    bool ok = std::fwrite(field, 1, 4, file) == 4 && std::fwrite(type, 1, 4, file) == 4;
    if (length > 0) ok = ok && std::fwrite(data, 1, (size_t)length, file) == (size_t)length;
    unsigned long crc = crc32(crc32(0, (const unsigned char*)type, 4), data, length);
    putBig32(field, crc);
    return ok && std::fwrite(field, 1, 4, file) == 4;
}

// The bytes of the PNG writeIcon writes for a size.
long pngBytes(int size) {
    constexpr long signatureAndChunks = 8 + (12 + 13) + 12 + 12;  // IHDR, IDAT and IEND framing
    return signatureAndChunks + storeZlib((long)size * (1 + 4 * size));
}

// Writes the glow as a SIZE by SIZE RGBA PNG: signature, header, one data chunk, end.
bool writePng(FILE* file, int size) {
    static const unsigned char signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    unsigned char header[13] = {};
    putBig32(header, (unsigned long)size);
    putBig32(header + 4, (unsigned long)size);
    header[8] = 8;  // bits per sample
    header[9] = 6;  // RGBA
    fillIcon(size);
    long zlibLength = storeZlib((long)size * (1 + 4 * size));
    return std::fwrite(signature, 1, sizeof signature, file) == sizeof signature &&
           writeChunk(file, "IHDR", header, sizeof header) &&
           writeChunk(file, "IDAT", zlibStream, zlibLength) && writeChunk(file, "IEND", nullptr, 0);
}

bool writeIcon(const char* outPath, int size) {
    FILE* file = std::fopen(outPath, "wb");
    if (!file) return false;
    bool ok = writePng(file, size);
    return std::fclose(file) == 0 && ok;
}

// An ICO file: a directory of the images (little-endian), then each image as a PNG.
bool writeWindowsIcon(const char* outPath) {
    static const int sizes[] = {16, 32, 48, 256};
    constexpr int count = sizeof sizes / sizeof sizes[0];
    constexpr int directoryEntryBytes = 16;
    unsigned char directory[6 + count * directoryEntryBytes] = {};
    put16(directory + 2, 1);  // an icon, not a cursor
    put16(directory + 4, count);
    long offset = sizeof directory;
    for (int i = 0; i < count; i++) {
        unsigned char* entry = directory + 6 + i * directoryEntryBytes;
        entry[0] = entry[1] = (unsigned char)(sizes[i] & 0xFF);  // 256 is written as 0
        put16(entry + 4, 1);   // colour planes
        put16(entry + 6, 32);  // bits per pixel
        long bytes = pngBytes(sizes[i]);
        put32(entry + 8, bytes);
        put32(entry + 12, offset);
        offset += bytes;
    }
    FILE* file = std::fopen(outPath, "wb");
    if (!file) return false;
    bool ok = std::fwrite(directory, 1, sizeof directory, file) == sizeof directory;
    for (int i = 0; i < count && ok; i++) ok = writePng(file, sizes[i]);
    return std::fclose(file) == 0 && ok;
}

// make_font --icon OUT.png SIZE
int iconCommand(const char* outPath, const char* sizeText) {
    int size = std::atoi(sizeText);
    if (size < smallestIcon || size > largestIcon) {
        std::fprintf(stderr, "make_font: the icon size must be %d to %d\n", smallestIcon, largestIcon);
        return 2;
    }
    if (!writeIcon(outPath, size)) {
        std::fprintf(stderr, "make_font: cannot write %s\n", outPath);
        return 1;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::strcmp(argv[1], "--icon") == 0) return iconCommand(argv[2], argv[3]);
    if (argc == 3 && std::strcmp(argv[1], "--windows-icon") == 0) {
        if (writeWindowsIcon(argv[2])) return 0;
        std::fprintf(stderr, "make_font: cannot write %s\n", argv[2]);
        return 1;
    }
    if (argc != 3) {
        std::fprintf(stderr, "usage: make_font FONT.ttf OUT.bmp\n       make_font --icon OUT.png SIZE\n"
                             "       make_font --windows-icon OUT.ico\n");
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
