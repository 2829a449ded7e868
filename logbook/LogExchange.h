#pragma once
// Moving QSOs between the log and other files: ADIF import and export, and the merge of
// another log in the log line format. Import and merge rewrite the log through the safe
// protocol (backup ".bak"); a missing log is an empty log; every failure names its file and
// leaves the log as it was.

#include <string>

#include "logbook/LogFile.h"
#include "logbook/LogStatus.h"

namespace tarnvel::logbook {

inline constexpr const char* kAdifErrorFileName = "ERR.ADI";
inline constexpr const char* kAdifErrorMessage = "Some errors were found. See ERR.ADI.";

// Which file a failure concerns: callers that sort failures (exit codes) need it.
enum class ExchangeFailure { None, Log, Input, Output };

struct ImportResult {
    LogStatus status;
    ExchangeFailure failure = ExchangeFailure::None;
    size_t imported = 0;
    size_t duplicates = 0;
    size_t errors = 0;      // records written to the error file
    std::string errorFile;  // the log's folder + "/ERR.ADI" when errors > 0
};

struct ExportResult {
    LogStatus status;
    ExchangeFailure failure = ExchangeFailure::None;
    size_t exported = 0;
    size_t skipped = 0;  // log lines that do not parse
};

struct MergeResult {
    LogStatus status;
    ExchangeFailure failure = ExchangeFailure::None;
    size_t merged = 0;
    size_t duplicates = 0;
    size_t unreadable = 0;  // lines of the other log without a readable start (not merged)
};

ImportResult importAdif(const LogFile& log, const std::string& adifPath);
ExportResult exportAdif(const LogFile& log, const std::string& adifPath);
MergeResult mergeLog(const LogFile& log, const std::string& otherPath);

// True when path names the log or one of its working files (.tmp, .bak, .old), which must
// never be overwritten by an export.
bool isLogWorkingFile(const LogFile& log, const std::string& path);

}  // namespace tarnvel::logbook
