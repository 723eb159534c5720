#include "text/textures.h"

#include <GL/gl.h>

#include <cmath>

#include "test/reaction_test.h"
#include "text/text_printer.h"

unsigned int textureNames[maxTextures];
int textureCount = 0;

namespace {

constexpr int glowCentre = 64;
constexpr float glowRadius = 64.0f;

// Uploads a 128 by 128 RGBA image as a new linear-filtered, colour-modulated texture; it stays bound.
unsigned int createTexture(const unsigned char* image) {
    unsigned int name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexEnvf(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, textureSize, textureSize, 0, GL_RGBA, GL_UNSIGNED_BYTE,
                 image);
    return name;
}

// A soft round spot, 255 at texel (64, 64) falling to 0 at 64 texels' distance.
void fillGlowImage(unsigned char* image) {
    for (int i = 0; i < textureSize; i++) {
        for (int j = 0; j < textureSize; j++) {
            int squares = (i - glowCentre) * (i - glowCentre) + (j - glowCentre) * (j - glowCentre);
            float f = (float)std::sqrt((double)squares) / glowRadius;
            if (f > 1.0f) f = 1.0f;
            f = f * f;
            unsigned char v = (unsigned char)(int)((1.0f - f) * 255.0f);
            unsigned char* pixel = image + (i * textureSize + j) * 4;
            pixel[0] = pixel[1] = pixel[2] = pixel[3] = v;
        }
    }
}

}  // namespace

// Adds a texture to the list that the exit clean-up deletes; the list never overflows.
void appendTexture(unsigned int name) {
    if (textureCount >= maxTextures) return;
    textureNames[textureCount] = name;
    textureCount += 1;
}

// Reads the pixel rows after the 54-byte header into the image, the file's first row at the top.
// Past the end of a short file every byte reads as 0xFF, so those pixels come out opaque white.
bool readBmpImage(std::FILE* file, unsigned char* image) {
    std::fseek(file, bmpPixelOffset, SEEK_SET);
    for (int row = textureSize - 1; row >= 0; row--) {
        for (int column = 0; column < textureSize; column++) {
            unsigned char* pixel = image + (row * textureSize + column) * 4;
            unsigned char blue = (unsigned char)std::fgetc(file);
            unsigned char green = (unsigned char)std::fgetc(file);
            unsigned char red = (unsigned char)std::fgetc(file);
            pixel[0] = red;
            pixel[1] = green;
            pixel[2] = blue;
            pixel[3] = (unsigned char)((red + green + blue) / 3);
        }
    }
    return !std::ferror(file);
}

// Loads a font sheet; 0 when the file cannot be opened or read, and start-up goes on without it.
unsigned int loadBmpTexture(const char* fileName) {
    std::FILE* file = std::fopen(fileName, "rb");
    if (!file) return 0;
    unsigned char image[imageBytes];
    bool readable = readBmpImage(file, image);
    std::fclose(file);
    if (!readable) return 0;
    return createTexture(image);
}

// Computes the glow and uploads it.
unsigned int makeGlowTexture() {
    unsigned char image[imageBytes];
    fillGlowImage(image);
    return createTexture(image);
}

// Makes the glow, lists it after the font and hands it to the reaction test.
void initTextures() {
    unsigned int glow = makeGlowTexture();
    appendTexture(glow);
    reactionTest.flashTexture = glow;
    textPrinter.useAlphaTest = 1;
    textPrinter.useBlend = 1;
}
