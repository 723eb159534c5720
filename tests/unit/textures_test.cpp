// Textures: the BMP reader's row order, colours and brightness alpha, short and odd files, the
// texture settings, the start-up font sheet with no ink where a neighbouring glyph samples, and
// the glow texture made at start-up, all read back from OpenGL.
#include "text/textures.h"

#include <GL/glut.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/frame.h"
#include "test/reaction_test.h"
#include "tests/support/gl_test.h"
#include "tests/support/screen.h"
#include "text/text_printer.h"

namespace {

constexpr int side = 128;
constexpr size_t headerBytes = 54;
constexpr size_t fileBytes = headerBytes + side * side * 3;  // 49,206

using Bytes = std::vector<unsigned char>;

// A texture's level 0, row 0 (the bottom) first.
Region texelsOf(GLuint name) {
    return textureImage(name, side, side);
}

Rgba texel(const Region& image, int row, int column) {
    return image.pixel(column, row);
}

bool sameTexel(Rgba p, int r, int g, int b, int a) {
    return p.r == r && p.g == g && p.b == b && p.a == a;
}

// Counts texels that are not exactly (r, g, b, a).
int texelsOtherThan(const Region& image, int r, int g, int b, int a) {
    int count = 0;
    for (int row = 0; row < side; row++)
        for (int column = 0; column < side; column++)
            if (!sameTexel(texel(image, row, column), r, g, b, a)) count++;
    return count;
}

// A whole file whose pixel data is one colour, given in the file's byte order.
Bytes solidFile(unsigned char blue, unsigned char green, unsigned char red) {
    Bytes file(fileBytes, 0);
    for (size_t i = headerBytes; i < fileBytes; i += 3) {
        file[i] = blue;
        file[i + 1] = green;
        file[i + 2] = red;
    }
    return file;
}

// The name glGenTextures hands out next; given back at once.
GLuint nextTextureName() {
    GLuint name = 0;
    glGenTextures(1, &name);
    glDeleteTextures(1, &name);
    return name;
}

GLint boundTexture() {
    return integerState(GL_TEXTURE_BINDING_2D);
}

class TextureTest : public ProgramTest {
protected:
    static void SetUpTestSuite() {
        char pattern[] = "/tmp/snapwit_textures_XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        folder = pattern;
    }

    static void TearDownTestSuite() { rmdir(folder.c_str()); }

    void TearDown() override {
        for (const std::string& path : files) unlink(path.c_str());
        for (GLuint name : made) glDeleteTextures(1, &name);
    }

    // Writes the bytes to a new file in the scratch folder and returns its path.
    std::string writeFile(const Bytes& bytes) {
        std::string path = folder + "/fontXXXXXX";
        int descriptor = mkstemp(&path[0]);
        EXPECT_GE(descriptor, 0);
        if (descriptor < 0) return path;
        files.push_back(path);
        size_t written = bytes.empty() ? 0 : (size_t)write(descriptor, bytes.data(), bytes.size());
        EXPECT_EQ(written, bytes.size());
        close(descriptor);
        return path;
    }

    // Loads a file as a texture; the test's textures are deleted when it ends.
    GLuint load(const std::string& path) {
        GLuint name = loadBmpTexture(path.c_str());
        if (name != 0) made.push_back(name);
        return name;
    }

    Region loadTexels(const Bytes& file) {
        GLuint name = load(writeFile(file));
        EXPECT_NE(name, 0u);
        return texelsOf(name);
    }

    static std::string folder;
    std::vector<std::string> files;
    std::vector<GLuint> made;
};

std::string TextureTest::folder;

}  // namespace

TEST_F(TextureTest, FirstStoredPixelLandsTopLeftAndLastBottomRightWithColoursSwapped) {
    Bytes file(fileBytes, 0);
    // The header is never read: fill it with nonsense.
    for (size_t i = 0; i < headerBytes; i++) file[i] = (unsigned char)(0xC3 + i);
    // Every other pixel says where it is stored: blue its file row, green its column.
    for (int fileRow = 0; fileRow < side; fileRow++) {
        for (int column = 0; column < side; column++) {
            size_t at = headerBytes + (size_t)(fileRow * side + column) * 3;
            file[at] = (unsigned char)fileRow;
            file[at + 1] = (unsigned char)column;
            file[at + 2] = (unsigned char)(200 + column % 50);
        }
    }
    file[54] = 0x10, file[55] = 0x20, file[56] = 0x30;
    file[49203] = 0x40, file[49204] = 0x50, file[49205] = 0x60;
    Region image = loadTexels(file);

    EXPECT_TRUE(sameTexel(texel(image, 127, 0), 0x30, 0x20, 0x10, 0x20));
    EXPECT_TRUE(sameTexel(texel(image, 0, 127), 0x60, 0x50, 0x40, 0x50));
    int misplaced = 0;
    for (int row = 0; row < side; row++) {
        for (int column = 0; column < side; column++) {
            if ((row == 127 && column == 0) || (row == 0 && column == 127)) continue;
            int red = 200 + column % 50, green = column, blue = 127 - row;
            if (!sameTexel(texel(image, row, column), red, green, blue, (red + green + blue) / 3))
                misplaced++;
        }
    }
    EXPECT_EQ(misplaced, 0);
}

TEST_F(TextureTest, AlphaIsTheTruncatedBrightness) {
    Region image = loadTexels(solidFile(91, 60, 30));
    EXPECT_TRUE(sameTexel(texel(image, 64, 64), 30, 60, 91, 60));
    EXPECT_EQ(texelsOtherThan(image, 30, 60, 91, 60), 0);

    Region black = loadTexels(solidFile(0, 0, 0));
    EXPECT_EQ(texelsOtherThan(black, 0, 0, 0, 0), 0);
    Region white = loadTexels(solidFile(255, 255, 255));
    EXPECT_EQ(texelsOtherThan(white, 255, 255, 255, 255), 0);
}

TEST_F(TextureTest, ShortFilesReadAsOpaqueWhitePastTheirEnd) {
    // 100 data bytes: 33 whole black pixels, then one with only its blue byte in the file.
    Bytes shortFile(headerBytes + 100, 0);
    Region image = loadTexels(shortFile);
    for (int column = 0; column < 33; column++)
        EXPECT_TRUE(sameTexel(texel(image, 127, column), 0, 0, 0, 0)) << "column " << column;
    EXPECT_TRUE(sameTexel(texel(image, 127, 33), 255, 255, 0, 170));
    int white = 0;
    for (int row = 0; row < side; row++)
        for (int column = 0; column < side; column++)
            if (sameTexel(texel(image, row, column), 255, 255, 255, 255)) white++;
    EXPECT_EQ(white, side * side - 34);

    Region empty = loadTexels(Bytes());
    EXPECT_EQ(texelsOtherThan(empty, 255, 255, 255, 255), 0);
    Region oneByte = loadTexels(Bytes(1, 0));
    EXPECT_EQ(texelsOtherThan(oneByte, 255, 255, 255, 255), 0);
    // Cut in the middle of the last row: only the tail of the bottom row turns white.
    Bytes almost = solidFile(0, 0, 0);
    almost.resize(fileBytes - 30);
    Region cut = loadTexels(almost);
    EXPECT_EQ(texelsOtherThan(cut, 0, 0, 0, 0), 10);
    EXPECT_TRUE(sameTexel(texel(cut, 0, 118), 255, 255, 255, 255));
    EXPECT_TRUE(sameTexel(texel(cut, 0, 117), 0, 0, 0, 0));
}

TEST_F(TextureTest, BytesAfterThePixelDataAreIgnored) {
    Bytes file = solidFile(0, 0, 0);
    file.insert(file.end(), 5000, 0xFF);
    Region image = loadTexels(file);
    EXPECT_EQ(texelsOtherThan(image, 0, 0, 0, 0), 0);
}

TEST_F(TextureTest, MissingFileOrFolderGivesNameZeroAndCreatesNoTexture) {
    GLuint kept = textureNames[1];
    glBindTexture(GL_TEXTURE_2D, kept);
    std::string folderLikeFile = folder + "/font.bmp";
    ASSERT_EQ(mkdir(folderLikeFile.c_str(), 0700), 0);

    GLuint before = nextTextureName();
    EXPECT_EQ(loadBmpTexture((folder + "/missing.bmp").c_str()), 0u);
    EXPECT_EQ(loadBmpTexture(folderLikeFile.c_str()), 0u);
    GLuint after = nextTextureName();
    GLuint control = nextTextureName();
    // Nothing was generated in between, so the names move on exactly as between two probes.
    EXPECT_EQ(after - before, control - after);
    EXPECT_EQ(boundTexture(), (GLint)kept);

    // The folder opens but cannot be read, and the reader says so.
    std::FILE* stream = std::fopen(folderLikeFile.c_str(), "rb");
    ASSERT_NE(stream, nullptr);
    static unsigned char image[side * side * 4];
    EXPECT_FALSE(readBmpImage(stream, image));
    std::fclose(stream);
    rmdir(folderLikeFile.c_str());
    glBindTexture(GL_TEXTURE_2D, 0);
}

TEST_F(TextureTest, TexturesAreLinearModulatedRgba128WithoutMipmapsAndStayBound) {
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    GLuint loaded = load(writeFile(solidFile(1, 2, 3)));
    ASSERT_NE(loaded, 0u);
    EXPECT_EQ(boundTexture(), (GLint)loaded);
    GLint envMode = 0, alignment = 0;
    glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &envMode);
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
    EXPECT_EQ(envMode, GL_MODULATE);
    EXPECT_EQ(alignment, 1);

    for (GLuint name : {loaded, textureNames[0], textureNames[1]}) {
        SCOPED_TRACE(testing::Message() << "texture " << name);
        glBindTexture(GL_TEXTURE_2D, name);
        GLint mag = 0, min = 0, wrapS = 0, wrapT = 0, width = 0, height = 0, format = 0;
        GLint nextLevelWidth = -1;
        glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, &mag);
        glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &min);
        glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, &wrapS);
        glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, &wrapT);
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &height);
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_INTERNAL_FORMAT, &format);
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 1, GL_TEXTURE_WIDTH, &nextLevelWidth);
        EXPECT_EQ(mag, GL_LINEAR);
        EXPECT_EQ(min, GL_LINEAR);
        EXPECT_EQ(wrapS, GL_REPEAT);
        EXPECT_EQ(wrapT, GL_REPEAT);
        EXPECT_EQ(width, 128);
        EXPECT_EQ(height, 128);
        EXPECT_EQ(format, GL_RGBA);
        EXPECT_EQ(nextLevelWidth, 0);
    }
    glBindTexture(GL_TEXTURE_2D, 0);
    EXPECT_EQ(glGetError(), (GLenum)GL_NO_ERROR);
}

TEST_F(TextureTest, StartUpLoadsFontBmpAsEntryZeroAndTheGlowAsEntryOne) {
    expectStartUpTextureList();

    // The font texture holds font.bmp from the working directory, first stored row on top.
    std::FILE* stream = std::fopen("font.bmp", "rb");
    ASSERT_NE(stream, nullptr);
    Bytes file(fileBytes, 0);
    ASSERT_EQ(std::fread(file.data(), 1, fileBytes, stream), fileBytes);
    std::fclose(stream);
    Region font = texelsOf(textureNames[0]);
    int different = 0, lit = 0, seenByNeighbour = 0;
    for (int fileRow = 0; fileRow < side; fileRow++) {
        for (int column = 0; column < side; column++) {
            const unsigned char* bgr = file.data() + headerBytes + (fileRow * side + column) * 3;
            int red = bgr[2], green = bgr[1], blue = bgr[0];
            if (!sameTexel(texel(font, 127 - fileRow, column), red, green, blue,
                           (red + green + blue) / 3))
                different++;
            if (red != 0) lit++;
            // Sampled 1.28 texels right and down, a glyph reads the two left columns of the
            // cell to its right and the two top rows of the cell below.
            if ((red | green | blue) != 0 && (column % 8 < 2 || fileRow % 16 < 2))
                seenByNeighbour++;
        }
    }
    EXPECT_EQ(different, 0);
    EXPECT_GT(lit, 1000);
    EXPECT_EQ(seenByNeighbour, 0);
    // So an "L" 20 by 40 from (100, 700) shows nothing of the "M" beside it right of its stem.
    beginScreenOverlay();
    textPrinter.printText("L", 100, 100, 40);
    EXPECT_GT(litPixels(capture(100, 716, 12, 24)), 40);
    EXPECT_EQ(litPixels(capture(112, 716, 16, 24)), 0);
}

TEST_F(TextureTest, GlowTexelsFallFrom255AtTheCentreToZeroAt64) {
    Region glow = texelsOf(textureNames[1]);
    auto value = [&](int row, int column) { return texel(glow, row, column).r; };
    EXPECT_TRUE(sameTexel(texel(glow, 64, 64), 255, 255, 255, 255));
    EXPECT_EQ(value(64, 65), 254);
    EXPECT_EQ(value(64, 63), 254);
    EXPECT_EQ(value(65, 64), 254);
    EXPECT_EQ(value(63, 64), 254);
    EXPECT_TRUE(sameTexel(texel(glow, 64, 96), 191, 191, 191, 191));
    EXPECT_EQ(value(96, 64), 191);
    EXPECT_EQ(value(32, 32), 127);
    EXPECT_EQ(value(64, 127), 7);
    EXPECT_EQ(value(127, 64), 7);
    EXPECT_TRUE(sameTexel(texel(glow, 0, 0), 0, 0, 0, 0));

    int nonZero = 0, litFarOut = 0, unequal = 0;
    for (int row = 0; row < side; row++) {
        for (int column = 0; column < side; column++) {
            Rgba p = texel(glow, row, column);
            if (p.g != p.r || p.b != p.r || p.a != p.r) unequal++;
            if (p.r != 0) nonZero++;
            int squares = (row - 64) * (row - 64) + (column - 64) * (column - 64);
            if (squares >= 64 * 64 && p.r != 0) litFarOut++;
        }
    }
    EXPECT_EQ(unequal, 0);
    EXPECT_EQ(nonZero, 12801);
    EXPECT_EQ(litFarOut, 0);
    for (int i = 0; i < side; i++) {
        EXPECT_EQ(value(0, i), 0) << "row 0, column " << i;
        EXPECT_EQ(value(i, 0), 0) << "column 0, row " << i;
    }
}

TEST_F(TextureTest, InitTexturesListsTheGlowAfterTheFontAndTurnsOnAlphaTestAndBlend) {
    int countBefore = textureCount;
    GLuint flashBefore = reactionTest.flashTexture;
    textPrinter.useAlphaTest = 0;
    textPrinter.useBlend = 0;
    initTextures();
    ASSERT_EQ(textureCount, countBefore + 1);
    GLuint added = textureNames[countBefore];
    made.push_back(added);
    EXPECT_EQ(reactionTest.flashTexture, added);
    EXPECT_EQ(textPrinter.useAlphaTest, 1);
    EXPECT_EQ(textPrinter.useBlend, 1);
    EXPECT_TRUE(texelsOf(added) == texelsOf(textureNames[1]));

    // The list holds 20 names and ignores any more.
    int firstFree = textureCount;
    for (int i = 0; i < 30; i++) appendTexture(1000u + (unsigned)i);
    EXPECT_EQ(textureCount, maxTextures);
    EXPECT_EQ(textureNames[maxTextures - 1], 1000u + (unsigned)(maxTextures - 1 - firstFree));

    for (int i = countBefore; i < maxTextures; i++) textureNames[i] = 0;
    textureCount = countBefore;
    reactionTest.flashTexture = flashBefore;
}
