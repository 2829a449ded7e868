// Macro files on any bytes: a load either takes all 48 lines or reports which file failed;
// whatever was loaded saves as exactly 48 lines that load back to the same texts, and labels
// lose nothing but their line breaks.

#include <algorithm>

#include "FuzzSupport.h"
#include "macros/MacroFile.h"

using namespace tarnvel;
using macros::MacroKeySet;
using macros::MacroSet;

namespace {

constexpr MacroKeySet kSets[] = {MacroKeySet::F, MacroKeySet::Ctrl};

void checkSaveRoundTrip(const MacroSet& loaded) {
    const std::string text = macros::formatMacroFile(loaded);
    FUZZ_CHECK(std::count(text.begin(), text.end(), '\n') == macros::kMacroFileLines);
    FUZZ_CHECK(text.find('\r') == std::string::npos);

    const std::string path = fuzz::scratch() / "copy.mac";
    FUZZ_CHECK(macros::saveMacroFile(path, loaded).ok);
    FUZZ_CHECK(fuzz::readFile(path) == text);
    MacroSet again;
    FUZZ_CHECK(macros::loadMacroFile(path, again).ok);
    for (MacroKeySet set : kSets) {
        for (int key = 1; key <= macros::kMacroKeysPerSet; ++key) {
            const macros::Macro& was = loaded.at(set, key);
            const macros::Macro& now = again.at(set, key);
            FUZZ_CHECK(now.text == was.text);
            FUZZ_CHECK(now.label.size() == was.label.size());
            for (size_t i = 0; i < was.label.size(); ++i) {
                const bool lineBreak = was.label[i] == '\r' || was.label[i] == '\n';
                FUZZ_CHECK(now.label[i] == (lineBreak ? ' ' : was.label[i]));
            }
        }
    }
    FUZZ_CHECK(macros::formatMacroFile(again) == text);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string path = fuzz::scratch() / "input.mac";
    fuzz::writeFile(path, fuzz::asText(data, size));
    MacroSet loaded;
    const macros::MacroFileResult r = macros::loadMacroFile(path, loaded);
    if (!r.ok) {
        FUZZ_CHECK(r.message == std::string(macros::kErrorReadingMacroFile) + path);
        // Fewer than 48 lines: there is no 48th line to have taken.
        FUZZ_CHECK(loaded.at(MacroKeySet::Ctrl, macros::kMacroKeysPerSet).text.empty());
    }
    checkSaveRoundTrip(loaded);
    return 0;
}
