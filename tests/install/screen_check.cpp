// screen_check: reads the pictures the package test and tools/record_screenshot.sh look at.
//
//   screen_check lit SHOT.xwd LEFT TOP RIGHT BOTTOM   prints how many pixels of the box are lit (whitish)
//   screen_check icon ICON.png SIZE                   checks the icon; prints what is wrong, if anything
//
// The box counts rows from the top of the screen, right and bottom edges excluded. The icon is decoded
// with zlib, independently of the hand-written encoder that made it.
#include <zlib.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

// A pixel is lit when every channel is above this: white text and the white flash are, the green
// and red feedback glows and the yellow graph are not.
constexpr int litLevel = 128;

// The whole file, or standard input for "-"; empty if it cannot be opened.
std::vector<unsigned char> readFile(const char* path) {
    std::vector<unsigned char> bytes;
    FILE* file = std::strcmp(path, "-") == 0 ? stdin : std::fopen(path, "rb");
    if (!file) return bytes;
    unsigned char chunk[65536];
    for (size_t got; (got = std::fread(chunk, 1, sizeof chunk, file)) > 0;)
        bytes.insert(bytes.end(), chunk, chunk + got);
    if (file != stdin) std::fclose(file);
    return bytes;
}

// Both formats store their header fields most significant byte first.
unsigned long big32(const unsigned char* at) {
    return ((unsigned long)at[0] << 24) | ((unsigned long)at[1] << 16) | ((unsigned long)at[2] << 8) | at[3];
}

// How far a colour mask is shifted up from bit 0.
int lowestBit(unsigned long mask) {
    int shift = 0;
    while (mask && !(mask & 1)) {
        mask >>= 1;
        shift++;
    }
    return shift;
}

// Counts the lit pixels of a box in an xwd dump of a 32-bit TrueColor screen; -1 if unreadable.
long countLit(const std::vector<unsigned char>& xwd, int left, int top, int right, int bottom) {
    if (xwd.size() < 100) return -1;
    unsigned long headerSize = big32(&xwd[0]);
    unsigned long format = big32(&xwd[8]);
    unsigned long width = big32(&xwd[16]);
    unsigned long height = big32(&xwd[20]);
    unsigned long byteOrder = big32(&xwd[28]);
    unsigned long bitsPerPixel = big32(&xwd[44]);
    unsigned long bytesPerLine = big32(&xwd[48]);
    unsigned long masks[3] = {big32(&xwd[56]), big32(&xwd[60]), big32(&xwd[64])};
    unsigned long colours = big32(&xwd[76]);
    const unsigned long zPixmap = 2;
    const unsigned long xwdColourBytes = 12;
    unsigned long start = headerSize + colours * xwdColourBytes;
    if (format != zPixmap || bitsPerPixel != 32 || start + height * bytesPerLine > xwd.size()) return -1;
    long lit = 0;
    for (int y = top; y < bottom; y++) {
        for (int x = left; x < right; x++) {
            if (x < 0 || y < 0 || (unsigned long)x >= width || (unsigned long)y >= height) continue;
            const unsigned char* p = &xwd[start + y * bytesPerLine + x * 4];
            unsigned long pixel = byteOrder == 0
                ? p[0] | (p[1] << 8) | (p[2] << 16) | ((unsigned long)p[3] << 24) : big32(p);
            bool isLit = true;
            for (unsigned long mask : masks) isLit = isLit && ((pixel & mask) >> lowestBit(mask)) > litLevel;
            if (isLit) lit++;
        }
    }
    return lit;
}

// Walks the PNG's chunks, checks every CRC and the header, and inflates the image data into rgba.
const char* decodePng(const std::vector<unsigned char>& png, int size, std::vector<unsigned char>& rgba) {
    static const unsigned char signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    if (png.size() < 8 || std::memcmp(png.data(), signature, 8) != 0) return "no PNG signature";
    std::vector<unsigned char> compressed;
    bool headerSeen = false;
    bool endSeen = false;
    for (size_t at = 8; at + 12 <= png.size() && !endSeen; ) {
        unsigned long length = big32(&png[at]);
        if (at + 12 + length > png.size()) return "a chunk runs past the end of the file";
        const unsigned char* type = &png[at + 4];
        const unsigned char* data = type + 4;
        if (crc32(0, type, (uInt)(4 + length)) != big32(data + length)) return "a chunk's CRC is wrong";
        if (std::memcmp(type, "IHDR", 4) == 0) {
            if (length != 13 || big32(data) != (unsigned long)size || big32(data + 4) != (unsigned long)size)
                return "the header gives the wrong size";
            if (data[8] != 8 || data[9] != 6 || data[10] || data[11] || data[12])
                return "the header is not 8-bit RGBA, deflate, no interlace";
            headerSeen = true;
        }
        if (std::memcmp(type, "IDAT", 4) == 0) compressed.insert(compressed.end(), data, data + length);
        endSeen = std::memcmp(type, "IEND", 4) == 0;
        at += 12 + length;
    }
    if (!headerSeen || !endSeen) return "the header or end chunk is missing";
    size_t stride = 1 + 4 * (size_t)size;
    std::vector<unsigned char> raw(stride * size + 1);
    uLongf rawLength = (uLongf)raw.size();
    if (uncompress(raw.data(), &rawLength, compressed.data(), (uLong)compressed.size()) != Z_OK)
        return "the image data does not inflate (or its Adler-32 is wrong)";
    if (rawLength != stride * size) return "the image data has the wrong length";
    rgba.clear();
    for (int y = 0; y < size; y++) {
        if (raw[y * stride] != 0) return "a row uses a filter";
        rgba.insert(rgba.end(), &raw[y * stride + 1], &raw[y * stride + stride]);
    }
    return nullptr;
}

// The icon must be the program's glow: white, alpha 255 at the centre texel falling to 0 at the
// radius, with the texture's row 0 (its bottom) as the picture's bottom row.
const char* checkGlow(const std::vector<unsigned char>& rgba, int size) {
    int centre = size / 2;
    auto alphaAt = [&](int i, int j) { return (int)rgba[((size - 1 - i) * size + j) * 4 + 3]; };
    long visible = 0;
    for (int p = 0; p < size * size; p++) {
        if (rgba[p * 4] != 255 || rgba[p * 4 + 1] != 255 || rgba[p * 4 + 2] != 255) return "a pixel is not white";
        if (rgba[p * 4 + 3] != 0) visible++;
    }
    if (alphaAt(centre, centre) != 255) return "the centre is not opaque";
    if (alphaAt(centre, centre + size / 4) != 191) return "alpha at a quarter of the size off centre is not 191";
    if (alphaAt(0, 0) != 0 || alphaAt(0, centre) != 0 || alphaAt(centre, 0) != 0)
        return "the bottom row or left column is not transparent";
    if (size == 128) {
        if (alphaAt(32, 32) != 127 || alphaAt(64, 127) != 7) return "alpha at (32, 32) or (64, 127) is wrong";
        if (visible != 12801) return "the glow does not have 12801 visible pixels";
    }
    return nullptr;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 7 && std::strcmp(argv[1], "lit") == 0) {
        long lit = countLit(readFile(argv[2]), std::atoi(argv[3]), std::atoi(argv[4]), std::atoi(argv[5]),
                            std::atoi(argv[6]));
        if (lit < 0) {
            std::fprintf(stderr, "screen_check: %s is not a 32-bit xwd picture\n", argv[2]);
            return 1;
        }
        std::printf("%ld\n", lit);
        return 0;
    }
    if (argc == 4 && std::strcmp(argv[1], "icon") == 0) {
        int size = std::atoi(argv[3]);
        std::vector<unsigned char> rgba;
        const char* fault = decodePng(readFile(argv[2]), size, rgba);
        if (!fault) fault = checkGlow(rgba, size);
        if (fault) {
            std::fprintf(stderr, "screen_check: %s: %s\n", argv[2], fault);
            return 1;
        }
        return 0;
    }
    std::fprintf(stderr, "usage: screen_check lit SHOT.xwd LEFT TOP RIGHT BOTTOM\n"
                         "       screen_check icon ICON.png SIZE\n");
    return 2;
}
