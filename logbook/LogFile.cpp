#include "logbook/LogFile.h"

#include <algorithm>

#include "logbook/LogLine.h"
#include "logbook/SafeFile.h"

namespace tarnvel::logbook {

namespace {

bool lineContains(std::string_view line, std::string_view upperText) {
    return toUpperAscii(line).find(upperText) != std::string::npos;
}

bool sameForReplace(const QsoRecord& line, const QsoRecord& key) {
    return line.start == key.start && line.end == key.end && line.call == key.call &&
           line.mode == key.mode;
}

bool sameForDelete(const QsoRecord& line, const QsoRecord& key) {
    return line.start == key.start && line.call == key.call && line.mode == key.mode;
}

std::string qsoText(const QsoRecord& r) {
    return r.call + " at " + formatStart(r.start);
}

}  // namespace

std::vector<std::string> splitLines(std::string_view text) {
    std::vector<std::string> lines;
    size_t from = 0;
    while (from < text.size()) {
        size_t end = text.find('\n', from);
        if (end == std::string_view::npos) end = text.size();
        lines.emplace_back(text.substr(from, end - from));
        from = end + 1;
    }
    return lines;
}

std::string LogFile::backupPath(BackupName name) const {
    return path_ + (name == BackupName::Old ? ".old" : ".bak");
}

std::string LogFile::folder() const {
    const size_t slash = path_.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path_.substr(0, slash);
}

LogLines LogFile::readLines() const {
    FileText file = readWholeFile(path_);
    LogLines result{file.status, file.exists, {}};
    if (file.status) result.lines = splitLines(file.text);
    return result;
}

LogStatus LogFile::rewrite(const std::vector<std::string>& lines, BackupName backup) const {
    size_t size = 0;
    for (const std::string& line : lines) size += line.size() + 1;
    std::string text;
    text.reserve(size);
    for (const std::string& line : lines) {
        text += line;
        text += '\n';
    }
    return replaceFile(path_, text, backupPath(backup));
}

LogStatus LogFile::append(const QsoRecord& record) const {
    return appendToFile(path_, formatLogLine(record));
}

std::optional<QsoRecord> LogFile::findRecord(const QsoRecord& key, LogStatus& status) const {
    const LogLines log = readLines();
    status = log.status;
    for (const std::string& line : log.lines) {
        const auto record = parseLogLine(withoutCarriageReturn(line));
        if (record && record->number == key.number && record->start == key.start &&
            record->call == key.call && record->mode == key.mode)
            return record;
    }
    return std::nullopt;
}

SearchHit LogFile::search(std::string_view text) {
    const LogLines log = readLines();
    searchText_ = toUpperAscii(text);
    searchLines_ = log.lines;
    searchAt_ = 0;
    if (!log.status) {
        searchLines_.clear();
        return {SearchStep::Failed, {}, {}, 0, log.status.error};
    }
    return searchNext();
}

SearchHit LogFile::searchNext() {
    while (searchAt_ < searchLines_.size()) {
        const std::string& line = searchLines_[searchAt_++];
        if (!lineContains(line, searchText_)) continue;
        SearchHit hit{SearchStep::Unreadable, {}, line, searchAt_, {}};
        if (const auto record = parseLogLine(withoutCarriageReturn(line))) {
            hit.step = SearchStep::Found;
            hit.record = *record;
        }
        return hit;
    }
    return {};
}

SearchList LogFile::searchAll(std::string_view text) const {
    const LogLines log = readLines();
    SearchList result{log.status, {}, 0};
    const bool wholeLog = text == kWholeLogSearch;
    const std::string upper = toUpperAscii(text);
    for (const std::string& line : log.lines) {
        if (!wholeLog && !lineContains(line, upper)) continue;
        if (const auto record = parseLogLine(withoutCarriageReturn(line)))
            result.records.push_back(*record);
        else if (!line.empty())
            ++result.unreadable;
    }
    return result;
}

EarlierQso LogFile::findEarlier(std::string_view call) const {
    EarlierQso result;
    const std::string wanted = toUpperAscii(call);
    if (wanted.empty()) return result;
    const LogLines log = readLines();
    result.status = log.status;
    for (const std::string& line : log.lines) {
        if (!lineContains(line, wanted)) continue;  // cheap test before parsing
        const auto record = parseLogLine(withoutCarriageReturn(line));
        if (!record || toUpperAscii(record->call) != wanted) continue;
        ++result.matches;
        if (!record->name.empty()) result.name = record->name;
        if (!record->qth.empty()) result.qth = record->qth;
    }
    return result;
}

RewriteResult LogFile::replaceRecord(const QsoRecord& key, const QsoRecord& replacement,
                                     BackupName backup) const {
    LogLines log = readLines();
    if (!log.status) return {log.status, 0};
    for (std::string& line : log.lines) {
        const auto record = parseLogLine(withoutCarriageReturn(line));
        if (!record || !sameForReplace(*record, key)) continue;
        std::string text = formatLogLine(replacement);
        text.pop_back();  // rewrite adds the line feed
        line = std::move(text);
        return {rewrite(log.lines, backup), 1};
    }
    return {
        LogStatus::failure("QSO " + qsoText(key) + " not found in " + path_ + "; nothing changed"),
        0};
}

RewriteResult LogFile::deleteRecords(std::span<const QsoRecord> keys, BackupName backup) const {
    LogLines log = readLines();
    if (!log.status) return {log.status, 0};
    std::vector<QsoRecord> pending(keys.begin(), keys.end());
    std::vector<std::string> kept;
    kept.reserve(log.lines.size());
    for (std::string& line : log.lines) {
        const auto record =
            pending.empty() ? std::nullopt : parseLogLine(withoutCarriageReturn(line));
        if (record) {
            const auto key = std::find_if(pending.begin(), pending.end(), [&](const QsoRecord& k) {
                return sameForDelete(*record, k);
            });
            if (key != pending.end()) {
                pending.erase(key);
                continue;
            }
        }
        kept.push_back(std::move(line));
    }
    const size_t deleted = keys.size() - pending.size();
    if (deleted == 0) {
        if (keys.empty()) return {LogStatus::success(), 0};
        return {LogStatus::failure("No selected QSO was found in " + path_ + "; nothing deleted"),
                0};
    }
    if (LogStatus written = rewrite(kept, backup); !written) return {written, 0};
    RewriteResult result{LogStatus::success(), deleted};
    if (!pending.empty())
        result.status = LogStatus::failure(std::to_string(pending.size()) +
                                           " of the selected QSOs were not found in " + path_ +
                                           " (the others were deleted)");
    return result;
}

}  // namespace tarnvel::logbook
