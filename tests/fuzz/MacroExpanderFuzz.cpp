// Macro expansion on any macro text, with a recording station and a scratch folder of
// included files (cycles, a chain deeper than the include limit, tags inside files). The
// macro's "/" become "_", so a file tag can only name files of that folder. An expansion
// repeats exactly, a text without tags passes unchanged, and neither the text nor the
// station's calls grow without bound.

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>

#include "FuzzSupport.h"
#include "macros/MacroExpander.h"
#include "macros/RecordingContext.h"

using namespace tarnvel;
using macros::testing::RecordingContext;

namespace {

// The text of a file beside the folder. A macro cannot type it, since its "/" become "_",
// nor can a removed tag join it together.
constexpr std::string_view kOutsideMarker = "OUTSIDE/THE/SCRATCH/FOLDER";
constexpr size_t kLongestValue = 64;  // no field, time, constant or readout here is longer

// Files of the folder the expansion runs in; the longest is kept short on purpose.
size_t prepareFolder() {
    static size_t longestFile = 0;
    static bool ready = false;
    if (ready) return longestFile;
    const std::filesystem::path root = fuzz::scratch().path();
    const std::filesystem::path inner = root / "macros";
    std::filesystem::create_directory(inner);
    fuzz::writeFile((root / "outside.txt").string(), kOutsideMarker);
    const std::pair<const char*, std::string> files[] = {
        {"a.txt", "A <MYCALL> <FILE:b.txt> <CLEARRX>\n"},
        {"b.txt", "B <FILE:a.txt><TX><RST>\r\n"},
        {"self.txt", "<FILE:self.txt>S<TIME>"},
        {"tags.txt", "<CALL><NAME><BAND:20m><TXTOGGLE><LOOKUP><IMD><DATE><CWID><FILE>"},
        {"d1", "1<FILE:d2>"}, {"d2", "2<FILE:d3>"}, {"d3", "3<FILE:d4>"},
        {"d4", "4<FILE:d5>"}, {"d5", "5<FILE:d6>"}, {"d6", "6<FILE:d7>"},
        {"d7", "7<FILE:d8>"}, {"d8", "8<FILE:d9>"}, {"d9", "9<FILE:d10>"},
        {"d10", "10<FILE:outside.txt>"},
    };
    for (const auto& [name, text] : files) {
        fuzz::writeFile((inner / name).string(), text);
        longestFile = std::max(longestFile, text.size());
    }
    ready = true;
    return longestFile;
}

// Runs the expansion inside the scratch folder, so relative file names resolve there, and
// goes back after (libFuzzer reads its corpus by names relative to where it started).
class InsideFolder {
  public:
    InsideFolder() : back_(::open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {
        const std::string inner = fuzz::scratch() / "macros";
        if (back_ < 0 || ::chdir(inner.c_str()) != 0)
            fuzz::fail("cannot enter the scratch folder", __FILE__, __LINE__);
    }
    ~InsideFolder() {
        if (::fchdir(back_) != 0) fuzz::fail("cannot leave the scratch folder", __FILE__, __LINE__);
        ::close(back_);
    }
    InsideFolder(const InsideFolder&) = delete;
    InsideFolder& operator=(const InsideFolder&) = delete;

  private:
    int back_;
};

// A station whose fields hold tags and control characters: they must come out as values.
void fillStation(RecordingContext& station, uint8_t options) {
    using macros::MacroField;
    station.fields[MacroField::Call] = "<TX>\x01" "dl1abc;";
    station.fields[MacroField::Name] = "<FILE:a.txt>";
    station.fields[MacroField::Qth] = "\r\n<CLEARTX>";
    station.fields[MacroField::Notes] = "<BAND:40m>";
    station.fields[MacroField::CwIdText] = "DE N0CALL";
    if (options & 1) station.fields[MacroField::RstSent] = "599";
    station.currentState = static_cast<macros::MacroStationState>((options >> 1) % 3);
    station.cwIdOn = options & 8;
    station.utc = options & 16;
    station.clock = std::chrono::system_clock::time_point(std::chrono::seconds(1'700'000'000));
    if (options & 32) station.imd = "-25 dB";
    station.promptAnswer = (options & 64) ? std::optional<std::string>("579") : std::nullopt;
    station.chosenFile = (options & 128) ? std::optional<std::string>("a.txt") : std::nullopt;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const size_t longestFile = prepareFolder();
    if (size == 0) return 0;
    std::string macro(fuzz::asText(data + 1, size - 1));
    std::replace(macro.begin(), macro.end(), '/', '_');

    RecordingContext first, second;
    fillStation(first, data[0]);
    fillStation(second, data[0]);
    std::string out, repeated;
    {
        const InsideFolder inside;
        out = macros::MacroExpander(first).expand(macro);
        repeated = macros::MacroExpander(second).expand(macro);
    }
    FUZZ_CHECK(out == repeated);
    FUZZ_CHECK(first.calls == second.calls);
    FUZZ_CHECK(out.find(kOutsideMarker) == std::string::npos);

    if (macro.find('<') == std::string::npos) {
        FUZZ_CHECK(out == macro);
        FUZZ_CHECK(first.calls.empty());
    }
    // Each level substitutes tags of at least three characters by values of bounded size,
    // and includes at most one file.
    const size_t levels = macros::kMaxIncludeDepth + 1;
    const size_t bound = (macro.size() + levels * longestFile) * (kLongestValue + 1);
    FUZZ_CHECK(out.size() <= bound);
    FUZZ_CHECK(first.calls.size() <= levels * 2 * macros::macroTags().size());
    return 0;
}
