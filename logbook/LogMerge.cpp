#include "logbook/LogMerge.h"

#include <algorithm>

#include "logbook/LogLine.h"

namespace tarnvel::logbook {

namespace {

struct SeenQso {
    std::string call;
    const Band* band;
};

class DuplicateIndex {
  public:
    bool contains(const MergeItem& item) const {
        const auto [first, last] = seen_.equal_range(item.start);
        return std::any_of(first, last, [&](const auto& entry) {
            const SeenQso& seen = entry.second;
            return seen.call == item.call && (!seen.band || !item.band || seen.band == item.band);
        });
    }
    void add(const MergeItem& item) { seen_.emplace(item.start, SeenQso{item.call, item.band}); }

  private:
    std::unordered_multimap<UtcSeconds, SeenQso> seen_;
};

std::string callField(std::string_view line) {
    const size_t first = line.find(';');
    if (first == std::string_view::npos) return {};
    const size_t second = line.find(';', first + 1);
    return toUpperAscii(line.substr(first + 1, second - first - 1));
}

}  // namespace

std::optional<MergeItem> mergeItemOfLine(const std::string& line) {
    const std::string_view text = withoutCarriageReturn(line);
    const auto start = parseLogStart(text);
    if (!start) return std::nullopt;
    MergeItem item{*start, callField(text), nullptr, line};
    if (const auto record = parseLogLine(text)) item.band = bandOfFrequency(record->frequency());
    return item;
}

MergeOutcome mergeByStart(std::vector<std::string> logLines, std::vector<MergeItem> incoming) {
    std::stable_sort(incoming.begin(), incoming.end(),
                     [](const MergeItem& a, const MergeItem& b) { return a.start < b.start; });
    std::vector<std::optional<MergeItem>> own;
    own.reserve(logLines.size());
    DuplicateIndex index;
    for (const std::string& line : logLines) {
        own.push_back(mergeItemOfLine(line));
        if (own.back()) index.add(*own.back());
    }

    MergeOutcome out;
    out.lines.reserve(logLines.size() + incoming.size());
    auto next = incoming.begin();
    auto takeIncomingBefore = [&](std::optional<UtcSeconds> limit) {
        for (; next != incoming.end() && (!limit || next->start < *limit); ++next) {
            if (index.contains(*next)) {
                ++out.duplicates;
                continue;
            }
            index.add(*next);
            out.lines.push_back(std::move(next->line));
            ++out.added;
        }
    };
    for (size_t i = 0; i < logLines.size(); ++i) {
        if (own[i]) takeIncomingBefore(own[i]->start);
        out.lines.push_back(std::move(logLines[i]));
    }
    takeIncomingBefore(std::nullopt);
    return out;
}

}  // namespace tarnvel::logbook
