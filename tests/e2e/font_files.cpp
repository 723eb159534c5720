#include "tests/e2e/font_files.h"

#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <random>

namespace {

constexpr int fontFileBytes = 49206;
constexpr int bmpHeaderBytes = 54;
constexpr long randomFontBytes = 10L * 1024 * 1024;
constexpr unsigned randomSeed = 12345;

// Writes a file whole, replacing it.
bool writeBytes(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), (std::streamsize)bytes.size());
    return (bool)out;
}

bool copyFile(const char* from, const std::string& to, std::string& error) {
    std::error_code failed;
    std::filesystem::copy_file(from, to, failed);
    if (failed) error = std::string("cannot copy ") + from;
    return !failed;
}

}  // namespace

void PrintTo(FontFile font, std::ostream* out) {
    static const char* const names[] = {"Good",       "Missing", "Empty",  "OneByte",
                                        "Header54",   "Zeros49206", "Random10MB",
                                        "Png",        "Folder",  "Unreadable", "WhiteCells"};
    *out << names[(int)font];
}

bool writeFontFile(FontFile font, const std::string& folder, std::string& error) {
    std::string path = folder + "/font.bmp";
    switch (font) {
        case FontFile::good: return copyFile(SNAPWIT_FONT, path, error);
        case FontFile::unreadable:
            return copyFile(SNAPWIT_FONT, path, error) && chmod(path.c_str(), 0) == 0;
        case FontFile::missing: return true;
        case FontFile::empty: return writeBytes(path, "");
        case FontFile::oneByte: return writeBytes(path, "B");
        case FontFile::headerOnly: return writeBytes(path, std::string(bmpHeaderBytes, 'B'));
        case FontFile::zeros: return writeBytes(path, std::string(fontFileBytes, '\0'));
        case FontFile::whiteCells: return writeBytes(path, std::string(fontFileBytes, '\xFF'));
        case FontFile::random10MB: {
            std::mt19937 generator(randomSeed);
            std::string bytes((size_t)randomFontBytes, '\0');
            for (char& c : bytes) c = (char)(generator() & 0xFF);
            return writeBytes(path, bytes);
        }
        case FontFile::png: return copyFile(SNAPWIT_SMALL_PNG, path, error);
        case FontFile::folder: return std::filesystem::create_directory(path);
    }
    return false;
}
