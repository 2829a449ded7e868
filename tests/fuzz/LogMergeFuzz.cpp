// Merging logs on any bytes (the log before the first NUL, the other log after it): every
// line of the log stays, in its order; every incoming QSO is taken in or counted as a
// duplicate; a sorted log stays sorted; and merging the same QSOs again adds nothing.

#include <algorithm>
#include <vector>

#include "FuzzSupport.h"
#include "logbook/LogLine.h"
#include "logbook/LogMerge.h"

using namespace tarnvel;
using logbook::MergeItem;

namespace {

std::vector<std::string> linesOf(std::string_view text) {
    std::vector<std::string> lines;
    while (!text.empty()) {
        const size_t end = text.find('\n');
        lines.emplace_back(text.substr(0, end));
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    }
    return lines;
}

bool isSubsequence(const std::vector<std::string>& part, const std::vector<std::string>& whole) {
    size_t next = 0;
    for (const std::string& line : whole)
        if (next < part.size() && line == part[next]) ++next;
    return next == part.size();
}

bool sortedByStart(const std::vector<std::string>& lines) {
    std::optional<logbook::UtcSeconds> last;
    for (const std::string& line : lines) {
        const auto start = logbook::parseLogStart(logbook::withoutCarriageReturn(line));
        if (!start) continue;
        if (last && *start < *last) return false;
        last = start;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text = fuzz::asText(data, size);
    const size_t split = std::min(text.find('\0'), text.size());
    const std::vector<std::string> log = linesOf(text.substr(0, split));
    std::vector<MergeItem> incoming;
    for (const std::string& line : linesOf(text.substr(std::min(split + 1, text.size())))) {
        auto item = logbook::mergeItemOfLine(line);
        if (!item) continue;
        FUZZ_CHECK(item->line == line);
        FUZZ_CHECK(item->call == logbook::toUpperAscii(item->call));
        incoming.push_back(std::move(*item));
    }

    const logbook::MergeOutcome merged = logbook::mergeByStart(log, incoming);
    FUZZ_CHECK(merged.added + merged.duplicates == incoming.size());
    FUZZ_CHECK(merged.lines.size() == log.size() + merged.added);
    FUZZ_CHECK(isSubsequence(log, merged.lines));
    if (sortedByStart(log)) FUZZ_CHECK(sortedByStart(merged.lines));

    // Everything incoming is in the log now, so a second merge finds only duplicates.
    const logbook::MergeOutcome again = logbook::mergeByStart(merged.lines, incoming);
    FUZZ_CHECK(again.added == 0);
    FUZZ_CHECK(again.duplicates == incoming.size());
    FUZZ_CHECK(again.lines == merged.lines);
    return 0;
}
