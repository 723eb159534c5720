// The installed program, started as a desktop and a terminal start it: from the package's desktop
// entry (its Path= and Exec=), from an empty folder, from a folder with a font sheet of its own,
// and from the prefix that cmake --install filled. The package test unpacked and installed it.
#include "tests/e2e/harness.h"

#include <filesystem>
#include <sstream>

namespace {

constexpr double lookSeconds = 20.0;  // a slow start may take long to show both lines
constexpr int lookEveryMs = 200;

struct Start {
    const char* name;
    const char* tree;      // "root": the unpacked package; "prefix": the installed build
    bool fromEntry;        // in the entry's Path= with its Exec=; else the tree's games/snapwit
    FontFile folderSheet;  // what font.bmp the scratch folder holds, when not from the entry
    bool blocks;           // the text drawn as blocks (a sheet of whole white cells)
};

// One key's value in a desktop entry.
std::string entryValue(const std::string& entry, const std::string& key) {
    std::istringstream lines(readFile(entry));
    for (std::string line; std::getline(lines, line);)
        if (line.rfind(key + "=", 0) == 0) return line.substr(key.size() + 1);
    return "";
}

// Split at spaces, as a desktop splits an Exec= line without field codes.
std::vector<std::string> words(const std::string& line) {
    std::istringstream in(line);
    std::vector<std::string> out;
    for (std::string word; in >> word;) out.push_back(word);
    return out;
}

void PrintTo(const Start& start, std::ostream* out) {
    *out << start.name;
}

class InstalledE2e : public E2eTest, public ::testing::WithParamInterface<Start> {};

TEST_P(InstalledE2e, StartsInItsFolderDrawsItsTextFromTheRightSheetAndEndsOnEscapeTwice) {
    const Start& start = GetParam();
    std::string tree = std::string(SNAPWIT_INSTALL_SCRATCH) + "/" + start.tree;
    bool packaged = std::string(start.tree) == "root";
    std::string usr = packaged ? tree + "/usr" : tree;
    std::string program = usr + "/libexec/snapwit/snapwit";
    FontFile sheet = start.folderSheet;
    if (start.fromEntry) {
        std::string entry = usr + "/share/applications/snapwit.desktop";
        workingFolder = tree + entryValue(entry, "Path");
        command = words(entryValue(entry, "Exec"));
        ASSERT_FALSE(command.empty()) << "no Exec= in " << entry;
        command[0] = tree + command[0];
        sheet = FontFile::missing;  // the folder's own, the installed one
    } else {
        command = {usr + "/games/snapwit"};
    }
    startSnapwit(sheet);
    ASSERT_FALSE(HasFatalFailure());
    std::error_code error;
    EXPECT_EQ(std::filesystem::read_symlink("/proc/" + std::to_string(snapwitPid) + "/exe", error),
              std::filesystem::canonical(program, error))
        << "the command did not end up running " << program;

    // Looked at once the fade-in is over. The greeting lasts only the first 3 seconds, which a
    // slow start can miss, so the key - shows a message of its own ("Rotate Speed: 0.90", then
    // smaller, one length): it is pressed before each look until both lines show.
    waitPastFadeIn();
    auto drawnAs = [&](int lit) { return start.blocks ? drawnAsBlocks(lit) : drawnAsText(lit); };
    int counts = 0, message = 0;
    bool shown = waitFor(
        [&] {
            character('-');
            counts = grab(layout::countLines).lit();
            message = grab(layout::statusLine).lit();
            return drawnAs(counts) && drawnAs(message);
        },
        lookSeconds, lookEveryMs);
    std::cout << start.name << ": lit pixels in the count lines " << counts << ", in the status line "
              << message << "\n";
    EXPECT_TRUE(shown) << "count lines " << counts << " lit, status line " << message
                       << ", not drawn as " << (start.blocks ? "blocks" : "text");
    EXPECT_EQ(grab(layout::rightOfCountLines).lit(), 0) << "lit where nothing is drawn";
    quickExit();
}

std::string startName(const ::testing::TestParamInfo<Start>& info) {
    return info.param.name;
}

INSTANTIATE_TEST_SUITE_P(
    Starts, InstalledE2e,
    ::testing::Values(Start{"FromTheDesktopEntry", "root", true, FontFile::missing, false},
                      Start{"FromAnEmptyFolder", "root", false, FontFile::missing, false},
                      Start{"FromAFolderWithItsOwnSheet", "root", false, FontFile::whiteCells, true},
                      Start{"InstalledPrefixFromAnEmptyFolder", "prefix", false, FontFile::missing,
                            false}),
    startName);

}  // namespace
