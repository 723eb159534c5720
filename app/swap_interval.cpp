#include "app/swap_interval.h"

#include <cstring>

namespace {

// True when the space-separated list names the extension as a whole word.
bool listsExtension(const char* extensions, const char* name) {
    size_t length = std::strlen(name);
    for (const char* at = extensions; (at = std::strstr(at, name)) != nullptr; at += length) {
        bool starts = at == extensions || at[-1] == ' ';
        bool ends = at[length] == ' ' || at[length] == '\0';
        if (starts && ends) return true;
    }
    return false;
}

}  // namespace

// Walks the ways in order of preference and takes the first that is both listed and found.
int findSwapControl(const char* extensions, const SwapControl* ways, int count, GlProcLookup lookup,
                    GlProc& setter) {
    setter = nullptr;
    if (extensions == nullptr) return -1;
    for (int i = 0; i < count; i++) {
        if (!listsExtension(extensions, ways[i].extension)) continue;
        setter = lookup(ways[i].setter);
        if (setter != nullptr) return i;
    }
    return -1;
}
