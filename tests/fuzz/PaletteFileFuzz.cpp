// Palette files on any bytes: reading stops at the first bad line with one of the three
// messages, anchors after it keep their values, and whatever was read saves to a file that
// reads back to the same anchors.

#include "FuzzSupport.h"
#include "display/PaletteFile.h"

using namespace tarnvel;
using display::PaletteAnchors;

namespace {

// Anchors no file line gives (their upper byte is not a colour), so that one taken from the
// file and one left alone can be told apart.
PaletteAnchors untouchedAnchors() {
    PaletteAnchors anchors{};
    for (size_t i = 0; i < anchors.size(); ++i) anchors[i] = 0xAB000000u + static_cast<uint32_t>(i);
    return anchors;
}

void checkSaveRoundTrip(const PaletteAnchors& anchors) {
    const std::string path = fuzz::scratch() / "copy.pal";
    FUZZ_CHECK(display::savePaletteFile(path, anchors).ok);
    const std::string bytes = fuzz::readFile(path);
    PaletteAnchors reread = untouchedAnchors();
    const display::PaletteFileResult r = display::loadPaletteFile(path, reread);
    FUZZ_CHECK(r.ok && r.anchorsRead == display::kPaletteAnchorCount && r.message.empty());
    FUZZ_CHECK(reread == anchors);
    FUZZ_CHECK(display::savePaletteFile(path, reread).ok);
    FUZZ_CHECK(fuzz::readFile(path) == bytes);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string path = fuzz::scratch() / "input.pal";
    fuzz::writeFile(path, fuzz::asText(data, size));
    PaletteAnchors working = untouchedAnchors();
    const display::PaletteFileResult r = display::loadPaletteFile(path, working);
    FUZZ_CHECK(r.anchorsRead >= 0 && r.anchorsRead <= display::kPaletteAnchorCount);
    FUZZ_CHECK(r.ok == (r.anchorsRead == display::kPaletteAnchorCount));
    if (!r.ok) {
        FUZZ_CHECK(r.message == "Error reading " + path || r.message == "Wrong format of " + path);
    }
    const PaletteAnchors untouched = untouchedAnchors();
    for (int k = 0; k < display::kPaletteAnchorCount; ++k) {
        const bool read = k < r.anchorsRead;
        FUZZ_CHECK((working[k] >> 24 == 0) == read);
        if (!read) FUZZ_CHECK(working[k] == untouched[k]);
    }
    if (r.ok) checkSaveRoundTrip(working);
    return 0;
}
