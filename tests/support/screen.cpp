#include "tests/support/screen.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "text/text_printer.h"

namespace {

constexpr int darkThreshold = 24;
constexpr int sheetSide = 128;

// Expects a window rectangle to lie inside a region, so that nothing is counted that was not read.
bool covers(const Region& region, int x, int y, int width, int height) {
    bool inside = width <= 0 || height <= 0 ||
                  (region.contains(x, y) && region.contains(x + width - 1, y + height - 1));
    if (!inside)
        ADD_FAILURE() << "rectangle " << x << "," << y << " " << width << "x" << height
                      << " is not inside the region " << region.x << "," << region.y << " "
                      << region.width << "x" << region.height;
    return inside;
}

}  // namespace

bool Region::contains(int px, int py) const {
    return px >= x && px < x + width && py >= y && py < y + height;
}

const unsigned char* Region::at(int px, int py) const {
    return rgba.data() + ((size_t)(py - y) * width + (px - x)) * 4;
}

Rgba Region::pixel(int px, int py) const {
    const unsigned char* p = at(px, py);
    return Rgba{p[0], p[1], p[2], p[3]};
}

bool Region::lit(int px, int py) const {
    const unsigned char* p = at(px, py);
    return p[0] > darkThreshold || p[1] > darkThreshold || p[2] > darkThreshold;
}

bool operator==(const Region& a, const Region& b) {
    return a.x == b.x && a.y == b.y && a.width == b.width && a.height == b.height &&
           a.rgba == b.rgba;
}

bool operator!=(const Region& a, const Region& b) {
    return !(a == b);
}

void PrintTo(const Region& region, std::ostream* out) {
    *out << "region " << region.x << "," << region.y << " " << region.width << "x"
         << region.height << " with " << litPixels(region) << " lit pixels";
}

void fillWindow(float red, float green, float blue) {
    glClearColor(red, green, blue, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
}

bool isColor(Rgba p, int r, int g, int b, int tolerance) {
    return std::abs(p.r - r) <= tolerance && std::abs(p.g - g) <= tolerance &&
           std::abs(p.b - b) <= tolerance;
}

bool isBlack(Rgba p, int tolerance) {
    return isColor(p, 0, 0, 0, tolerance);
}

Region capture(int x, int y, int width, int height) {
    width = std::max(width, 0);  // an empty rectangle reads nothing
    height = std::max(height, 0);
    Region region{x, y, width, height, std::vector<unsigned char>((size_t)width * height * 4)};
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(x, y, width, height, GL_RGBA, GL_UNSIGNED_BYTE, region.rgba.data());
    return region;
}

Rgba pixelAt(int x, int y) {
    return capture(x, y, 1, 1).pixel(x, y);
}

Region textureImage(GLuint name, int width, int height) {
    Region image{0, 0, width, height, std::vector<unsigned char>((size_t)width * height * 4, 0xAA)};
    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    glBindTexture(GL_TEXTURE_2D, name);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, image.rgba.data());
    glBindTexture(GL_TEXTURE_2D, (GLuint)bound);
    return image;
}

int litPixels(const Region& region) {
    return litPixels(region, region.x, region.y, region.width, region.height);
}

int litPixels(const Region& region, int x, int y, int width, int height) {
    if (!covers(region, x, y, width, height)) return -1;
    int count = 0;
    for (int py = y; py < y + height; py++)
        for (int px = x; px < x + width; px++)
            if (region.lit(px, py)) count++;
    return count;
}

int countColor(const Region& region, int r, int g, int b, int tolerance) {
    int count = 0;
    for (int py = region.y; py < region.y + region.height; py++)
        for (int px = region.x; px < region.x + region.width; px++)
            if (isColor(region.pixel(px, py), r, g, b, tolerance)) count++;
    return count;
}

int differingPixels(const Region& a, const Region& b, int tolerance) {
    return differingPixels(a, b, a.x, a.y, a.width, a.height, tolerance);
}

int differingPixels(const Region& a, const Region& b, int x, int y, int width, int height,
                    int tolerance) {
    if (!covers(a, x, y, width, height) || !covers(b, x, y, width, height)) return -1;
    int count = 0;
    for (int py = y; py < y + height; py++) {
        for (int px = x; px < x + width; px++) {
            const unsigned char* p = a.at(px, py);
            const unsigned char* q = b.at(px, py);
            for (int c = 0; c < 3; c++) {
                if (std::abs(p[c] - q[c]) > tolerance) {
                    count++;
                    break;
                }
            }
        }
    }
    return count;
}

GLuint whiteSheet() {
    static GLuint name = 0;
    if (name == 0) {
        static unsigned char white[sheetSide * sheetSide * 4];
        std::memset(white, 255, sizeof white);
        glGenTextures(1, &name);
        glBindTexture(GL_TEXTURE_2D, name);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
        glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, sheetSide, sheetSide, 0, GL_RGBA, GL_UNSIGNED_BYTE,
                     white);
        glBindTexture(GL_TEXTURE_2D, 0);
    }
    return name;
}

WhiteFont::WhiteFont() : saved(textPrinter.fontTexture) {
    textPrinter.fontTexture = whiteSheet();
}

WhiteFont::~WhiteFont() {
    textPrinter.fontTexture = saved;
}
