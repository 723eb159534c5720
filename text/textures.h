// The two textures: the font sheet read from a BMP file and the glow computed in memory.
#pragma once

#include <cstdio>

constexpr int maxTextures = 20;
constexpr int textureSize = 128;                           // both textures are square
constexpr int imageBytes = textureSize * textureSize * 4;  // RGBA, row 0 at the bottom
constexpr long bmpPixelOffset = 54;
constexpr char fontFileName[] = "font.bmp";  // read from the working folder

extern unsigned int textureNames[maxTextures];  // font first, then the glow
extern int textureCount;

void appendTexture(unsigned int name);
unsigned int loadBmpTexture(const char* fileName);
unsigned int makeGlowTexture();
void initTextures();

// The reader's half without OpenGL, so that it can be checked and fuzzed on its own; false when
// the stream reports a read error (a folder, say).
bool readBmpImage(std::FILE* file, unsigned char* image);
