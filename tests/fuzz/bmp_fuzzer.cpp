// Feeds arbitrary bytes to the BMP reader, once from memory and once as a file through the whole
// texture load, and checks the image against the file layout the reader promises.
#include <GL/gl.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>  // mkstemp
#include <cstring>
#include <unistd.h>

#include "tests/fuzz/fuzz_window.h"
#include "text/textures.h"

namespace {

constexpr int bytesPerPixel = 4;
constexpr unsigned char pastEndByte = 0xFF;  // what a read past the end of the file stores

unsigned char expected[imageBytes];
unsigned char image[imageBytes];
unsigned char texels[imageBytes];
// A name of our own for the file each input is written to; the file lives only during one load,
// so that neither the end of a run nor a crash leaves it behind.
char scratchPath[] = "/tmp/snapwit_fuzz_bmp_XXXXXX";

// The image as the layout defines it: BGR rows from byte 54, the file's first row at the top,
// alpha the truncated mean, and every byte past the end 0xFF.
void fillExpectedImage(const uint8_t* data, size_t size) {
    for (int row = 0; row < textureSize; row++) {
        int fileRow = textureSize - 1 - row;
        for (int column = 0; column < textureSize; column++) {
            size_t at = (size_t)bmpPixelOffset + ((size_t)fileRow * textureSize + column) * 3;
            unsigned char bgr[3];
            for (int k = 0; k < 3; k++) bgr[k] = at + k < size ? data[at + k] : pastEndByte;
            unsigned char* pixel = expected + (row * textureSize + column) * bytesPerPixel;
            pixel[0] = bgr[2];
            pixel[1] = bgr[1];
            pixel[2] = bgr[0];
            pixel[3] = (unsigned char)((bgr[0] + bgr[1] + bgr[2]) / 3);
        }
    }
}

void readFromMemory(const uint8_t* data, size_t size) {
    // Some C libraries refuse an empty memory stream; the file pass still covers that input.
    std::FILE* stream = fmemopen(const_cast<uint8_t*>(data), size, "rb");
    if (!stream) return;
    std::memset(image, 0x5A, sizeof image);
    bool readable = readBmpImage(stream, image);
    std::fclose(stream);
    require(readable, "readBmpImage reported a read error for a memory stream");
    require(std::memcmp(image, expected, sizeof image) == 0,
            "readBmpImage image differs from the file layout");
}

void requireTextureInteger(GLenum parameter, GLint wanted, const char* what) {
    GLint value = 0;
    glGetTexParameteriv(GL_TEXTURE_2D, parameter, &value);
    require(value == wanted, what);
}

void loadFromFile(const uint8_t* data, size_t size) {
    std::FILE* file = std::fopen(scratchPath, "wb");
    require(file != nullptr, "cannot write the scratch file");
    require(size == 0 || std::fwrite(data, 1, size, file) == size, "cannot write the scratch file");
    require(std::fclose(file) == 0, "cannot write the scratch file");

    // State the load must set for itself, whatever came before.
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);

    GLuint name = loadBmpTexture(scratchPath);
    unlink(scratchPath);
    require(name != 0, "loadBmpTexture gave no texture for a readable file");
    requireNoGlError("loadBmpTexture");
    GLint mode = 0, alignment = 0;
    glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &mode);
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
    require(mode == GL_MODULATE, "texture environment is not modulate after the load");
    require(alignment == 1, "unpack alignment is not 1 after the load");
    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    require((GLuint)bound == name, "the new texture is not left bound");
    GLint width = 0, height = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &height);
    require(width == textureSize && height == textureSize, "texture is not 128 by 128");
    requireTextureInteger(GL_TEXTURE_MAG_FILTER, GL_LINEAR, "magnification filter not linear");
    requireTextureInteger(GL_TEXTURE_MIN_FILTER, GL_LINEAR, "minification filter not linear");
    requireTextureInteger(GL_TEXTURE_WRAP_S, GL_REPEAT, "s wrap is not the default repeat");
    requireTextureInteger(GL_TEXTURE_WRAP_T, GL_REPEAT, "t wrap is not the default repeat");

    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels);
    require(std::memcmp(texels, expected, sizeof texels) == 0,
            "texture from loadBmpTexture differs from the file layout");

    glBindTexture(GL_TEXTURE_2D, 0);
    glDeleteTextures(1, &name);
    requireNoGlError("reading back the texture");
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    openFuzzWindow();
    int descriptor = mkstemp(scratchPath);
    require(descriptor >= 0, "cannot make the scratch file");
    close(descriptor);
    unlink(scratchPath);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fillExpectedImage(data, size);
    readFromMemory(data, size);
    loadFromFile(data, size);
    return 0;
}
