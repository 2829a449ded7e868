// The settings file on any bytes: every line survives a read and a rewrite as it was (only
// the CR of CR LF ends goes, and a last line gains its line feed), the rewrite reads back
// the same, and setting one key changes that key alone, in memory and in the file.

#include <algorithm>
#include <vector>

#include "FuzzSupport.h"
#include "app/IniDocument.h"
#include "app/SettingsStore.h"

using namespace tarnvel;
using app::IniDocument;

namespace {

struct Entry {
    std::string section;
    std::string key;
    std::optional<std::string> value;  // as find() gives it
};

// The text a rewrite must give back: the same lines, each ended by one line feed, or by CR
// LF where the line without its line end still ends in a CR.
std::string normalised(std::string_view text) {
    std::string out;
    while (!text.empty()) {
        const size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        out.append(line);
        out += !line.empty() && line.back() == '\r' ? "\r\n" : "\n";
    }
    return out;
}

std::vector<Entry> entriesOf(const IniDocument& doc) {
    std::vector<Entry> entries;
    std::string section;
    for (const IniDocument::Line& line : doc.lines()) {
        if (line.kind == IniDocument::LineKind::Section) section = line.section;
        if (line.kind == IniDocument::LineKind::Entry && line.inSection)
            entries.push_back({section, line.key, doc.find(section, line.key)});
    }
    return entries;
}

bool sameName(const Entry& a, std::string_view section, std::string_view key) {
    return app::equalsIgnoringAsciiCase(a.section, section) &&
           app::equalsIgnoringAsciiCase(a.key, key);
}

// A value the store can hold: one line, no NUL, no edge spaces (those are trimmed on reading).
std::string valueFrom(std::string_view text) {
    std::string value;
    for (char c : text.substr(text.size() > 24 ? text.size() - 24 : 0))
        if (c != '\r' && c != '\n' && c != '\0') value += c;
    while (!value.empty() && value.front() == ' ') value.erase(value.begin());
    while (!value.empty() && value.back() == ' ') value.pop_back();
    return value;
}

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

void checkRewriteKeepsEveryLine(std::string_view text, const IniDocument& doc) {
    const std::string written = doc.serialize();
    const bool marked = text.substr(0, kByteOrderMark.size()) == kByteOrderMark;
    FUZZ_CHECK(written == (marked ? std::string(kByteOrderMark) : std::string()) +
                              normalised(text.substr(marked ? kByteOrderMark.size() : 0)));
    const IniDocument again = IniDocument::parse(written);
    FUZZ_CHECK(again.serialize() == written);
    FUZZ_CHECK(again.lines().size() == doc.lines().size());
    for (size_t i = 0; i < doc.lines().size(); ++i)
        FUZZ_CHECK(again.lines()[i].kind == doc.lines()[i].kind);
    FUZZ_CHECK(again.malformedLineCount() == doc.malformedLineCount());
}

void checkSetChangesOneKey(IniDocument doc, std::string_view section, std::string_view key,
                           const std::string& value) {
    const std::vector<Entry> before = entriesOf(doc);
    doc.set(section, key, value);
    FUZZ_CHECK(doc.find(section, key) == value);
    const IniDocument reread = IniDocument::parse(doc.serialize());
    FUZZ_CHECK(reread.find(section, key) == value);
    for (const Entry& e : before) {
        if (sameName(e, section, key)) continue;
        FUZZ_CHECK(doc.find(e.section, e.key) == e.value);
        FUZZ_CHECK(reread.find(e.section, e.key) == e.value);
    }
}

// The store reads the same file, writes one key through its safe rewrite, and a fresh store
// finds the value and every other line as it was.
void checkStoreRoundTrip(std::string_view text, std::string_view section, std::string_view key,
                         const std::string& value) {
    const std::string path = fuzz::scratch() / "settings.ini";
    fuzz::writeFile(path, text);
    std::string expected;
    {
        app::SettingsStore store(path);
        FUZZ_CHECK(store.isReadable());
        FUZZ_CHECK(store.malformedLineCount() == IniDocument::parse(text).malformedLineCount());
        // A stray CR inside a name reads, but the store writes no line breaks or NULs.
        const std::string_view unwritable("\r\n\0", 3);
        const bool nameFits = section.find_first_of(unwritable) == std::string_view::npos &&
                              key.find_first_of(unwritable) == std::string_view::npos;
        if (!store.writeString(section, key, value)) {
            FUZZ_CHECK(!nameFits);
            FUZZ_CHECK(!store.lastError().empty());
            return;
        }
        FUZZ_CHECK(store.getString(section, key, "absent") == value);
        // A value the key already holds leaves the file as it is; otherwise it is rewritten.
        IniDocument doc = IniDocument::parse(text);
        expected = doc.set(section, key, value) ? doc.serialize() : std::string(text);
    }
    FUZZ_CHECK(fuzz::readFile(path) == expected);
    const app::SettingsStore reread(path);
    FUZZ_CHECK(reread.getString(section, key, "absent") == value);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text = fuzz::asText(data, size);
    const IniDocument doc = IniDocument::parse(text);
    checkRewriteKeepsEveryLine(text, doc);

    // An existing key (to take the replace path) or a new one in a new section.
    const std::vector<Entry> entries = entriesOf(doc);
    std::string section = "Fuzz", key = "Value";
    if (!entries.empty()) {
        const Entry& chosen = entries[size % entries.size()];
        section = chosen.section;
        key = chosen.key;
    }
    const std::string value = valueFrom(text);
    checkSetChangesOneKey(doc, section, key, value);
    checkSetChangesOneKey(doc, "Fuzz", "Value", value);
    checkStoreRoundTrip(text, section, key, value);
    return 0;
}
