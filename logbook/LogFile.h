#pragma once
// The log file: one QSO per line (LogLine.h), read from the top for every operation, nothing
// cached. A missing log is an empty log. Every rewrite goes through SafeFile, so a failure or
// a crash leaves the log as it was or as it should become; lines that do not parse are copied
// through unchanged.

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "logbook/LogStatus.h"
#include "logbook/QsoRecord.h"

namespace tarnvel::logbook {

inline constexpr const char* kLogFileName = "Tarnvel.log";
inline constexpr const char* kWholeLogSearch = "/";  // the search text that lists every QSO

// The previous log kept by a rewrite: ".bak", or ".old" for the log window's edit and delete.
enum class BackupName { Bak, Old };

struct LogLines {
    LogStatus status;
    bool exists = false;
    std::vector<std::string> lines;  // without their line feeds
};

// Splits text at line feeds; a final line without one is a line too.
std::vector<std::string> splitLines(std::string_view text);

enum class SearchStep {
    Found,       // record holds the matching QSO
    Unreadable,  // a matching line that does not parse: the plain search stops here
    End,
    Failed  // the log could not be read: error says why
};

struct SearchHit {
    SearchStep step = SearchStep::End;
    QsoRecord record;
    std::string line;       // the matching line as it stands in the log
    size_t lineNumber = 0;  // from 1
    std::string error;
};

struct SearchList {
    LogStatus status;
    std::vector<QsoRecord> records;  // the matching QSOs in file order
    size_t unreadable = 0;           // matching lines that do not parse (skipped)
};

// Name and QTH of the last earlier QSOs with a call that left them non-empty.
struct EarlierQso {
    LogStatus status;
    size_t matches = 0;
    std::string name;
    std::string qth;
};

struct RewriteResult {
    LogStatus status;
    size_t changed = 0;  // lines replaced or deleted
};

class LogFile {
  public:
    explicit LogFile(std::string path) : path_(std::move(path)) {}

    const std::string& path() const { return path_; }
    std::string tempPath() const { return path_ + ".tmp"; }
    std::string backupPath(BackupName name = BackupName::Bak) const;
    std::string folder() const;  // where the log lies ("." for a bare name)

    LogLines readLines() const;

    // Adds the QSO's line at the end, creating the log when missing.
    LogStatus append(const QsoRecord& record) const;

    // The first QSO with the key's number, start, call and mode.
    std::optional<QsoRecord> findRecord(const QsoRecord& key, LogStatus& status) const;

    // Lines whose upper-cased text contains the upper-cased text, one per call; search starts
    // again from the top. After Unreadable, searchNext goes on with the next line.
    SearchHit search(std::string_view text);
    SearchHit searchNext();
    // Every match at once (kWholeLogSearch lists the whole log), unreadable matches counted.
    SearchList searchAll(std::string_view text) const;

    // Earlier QSOs whose call field equals call (compared in upper case, exactly).
    EarlierQso findEarlier(std::string_view call) const;

    // The first line with the key's start, end, call and mode becomes the replacement's line.
    // A key that matches no line leaves the log untouched and is reported.
    RewriteResult replaceRecord(const QsoRecord& key, const QsoRecord& replacement,
                                BackupName backup = BackupName::Bak) const;

    // Each key removes one line with its start, call and mode, wherever it lies; keys that
    // match nothing are reported after the others are deleted.
    RewriteResult deleteRecords(std::span<const QsoRecord> keys,
                                BackupName backup = BackupName::Bak) const;

    // Rewrites the log with these lines (each gets a line feed) through the safe protocol.
    LogStatus rewrite(const std::vector<std::string>& lines, BackupName backup) const;

  private:
    std::string path_;
    std::vector<std::string> searchLines_;
    std::string searchText_;
    size_t searchAt_ = 0;
};

}  // namespace tarnvel::logbook
