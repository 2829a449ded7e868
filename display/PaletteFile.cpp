#include "display/PaletteFile.h"

#include <cstdio>
#include <fstream>

namespace tarnvel::display {

namespace {

PaletteFileResult failure(const char* text, const std::string& path, int read) {
    return {false, text + path, read};
}

}  // namespace

PaletteFileResult loadPaletteFile(const std::string& path, PaletteAnchors& working) {
    std::ifstream in(path);
    if (!in) return failure("Cannot open ", path, 0);
    for (int k = 0; k < kPaletteAnchorCount; ++k) {
        std::string line;
        if (!std::getline(in, line)) return failure("Error reading ", path, k);
        int red = 0, green = 0, blue = 0;
        if (std::sscanf(line.c_str(), "%3i;%3i;%3i", &red, &green, &blue) != 3)
            return failure("Wrong format of ", path, k);
        working[static_cast<size_t>(k)] = rgb(red, green, blue);
    }
    return {true, {}, kPaletteAnchorCount};
}

PaletteFileResult savePaletteFile(const std::string& path, const PaletteAnchors& anchors) {
    std::FILE* f = std::fopen(path.c_str(), "w");
    if (f == nullptr) return failure("Cannot create ", path, 0);
    bool written = true;
    for (Colour c : anchors)
        written = std::fprintf(f, "%3i;%3i;%3i\n", redOf(c), greenOf(c), blueOf(c)) > 0 && written;
    // A short write (a full disk) must not pass for a saved palette.
    written = std::fclose(f) == 0 && written;
    if (!written) return failure("Cannot create ", path, 0);
    return {true, {}, kPaletteAnchorCount};
}

}  // namespace tarnvel::display
