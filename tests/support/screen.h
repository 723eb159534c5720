// Pixels read back from OpenGL as whole rectangles, compared and counted, and a font sheet that
// turns every glyph into a solid quad, so that glyph geometry can be measured exactly.
#pragma once

#include <GL/gl.h>

#include <ostream>
#include <vector>

struct Rgba {
    int r, g, b, a;
};
// Within the tolerance of (r, g, b) in every channel.
bool isColor(Rgba p, int r, int g, int b, int tolerance = 40);
bool isBlack(Rgba p, int tolerance = 8);

// A rectangle of RGBA pixels, bottom row first, addressed in the coordinates it was read from.
struct Region {
    int x, y, width, height;
    std::vector<unsigned char> rgba;

    bool contains(int px, int py) const;
    const unsigned char* at(int px, int py) const;
    Rgba pixel(int px, int py) const;
    // Not black: some channel above a dark threshold.
    bool lit(int px, int py) const;
};

// Same rectangle, same bytes.
bool operator==(const Region& a, const Region& b);
bool operator!=(const Region& a, const Region& b);
// What a failed comparison shows: the rectangle and how much of it is lit, not every byte.
void PrintTo(const Region& region, std::ostream* out);

// Fills the colour buffer with one opaque colour and leaves the clear colour black.
void fillWindow(float red, float green, float blue);

// A rectangle of the back buffer, in window coordinates, (0, 0) at the bottom left; one pixel.
Region capture(int x, int y, int width, int height);
Rgba pixelAt(int x, int y);
// Level 0 of a texture of the given size, texel (0, 0) first; bytes GL leaves alone stay 0xAA.
Region textureImage(GLuint name, int width, int height);

// Lit pixels of the whole region, or of a window rectangle inside it.
int litPixels(const Region& region);
int litPixels(const Region& region, int x, int y, int width, int height);
// Pixels of the region whose colour is within the tolerance of (r, g, b) in every channel.
int countColor(const Region& region, int r, int g, int b, int tolerance = 40);

// Pixels whose colour differs by more than the tolerance in some channel, over the whole of
// two captures of one rectangle, or over a window rectangle inside both.
int differingPixels(const Region& a, const Region& b, int tolerance = 0);
int differingPixels(const Region& a, const Region& b, int x, int y, int width, int height,
                    int tolerance = 0);

// A 128 by 128 texture that is white in every cell, so every glyph fills its whole quad.
GLuint whiteSheet();

// Swaps the white sheet in as the font for one scope and puts the real font back after.
class WhiteFont {
public:
    WhiteFont();
    ~WhiteFont();
    WhiteFont(const WhiteFont&) = delete;
    WhiteFont& operator=(const WhiteFont&) = delete;

private:
    GLuint saved;
};
