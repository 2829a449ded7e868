#pragma once
// Merging QSOs into the log by start time. The incoming QSOs are sorted first (many loggers
// export newest first); each goes in before the first log line that starts later, so a sorted
// log stays sorted. Log lines that do not parse stay where they are. An incoming QSO is a
// duplicate when a QSO already in the log, or taken in before it, has the same start and the
// same call, and the same band when both have a band.

#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "logbook/BandTable.h"
#include "logbook/LogTime.h"

namespace tarnvel::logbook {

struct MergeItem {
    UtcSeconds start = 0;
    std::string call;            // upper case
    const Band* band = nullptr;  // none when the frequency is 0 or off the bands
    std::string line;            // the log line to write, without its line feed
};

// The duplicate test's view of a log line: start and call, band when the line parses whole.
std::optional<MergeItem> mergeItemOfLine(const std::string& line);

struct MergeOutcome {
    std::vector<std::string> lines;
    size_t added = 0;
    size_t duplicates = 0;
};

// The log lines with the incoming items merged in (incoming is sorted here, stably).
MergeOutcome mergeByStart(std::vector<std::string> logLines, std::vector<MergeItem> incoming);

}  // namespace tarnvel::logbook
