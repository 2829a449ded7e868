#include "logbook/LogExchange.h"

#include <sys/stat.h>

#include <optional>

#include "logbook/AdifReader.h"
#include "logbook/AdifWriter.h"
#include "logbook/LogLine.h"
#include "logbook/LogMerge.h"
#include "logbook/SafeFile.h"

namespace tarnvel::logbook {

namespace {

bool sameFile(const std::string& a, const std::string& b) {
    struct stat sa {
    }, sb{};
    if (::stat(a.c_str(), &sa) != 0 || ::stat(b.c_str(), &sb) != 0) return false;
    return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

std::string withLineEnd(std::string text) {
    if (!text.empty() && text.back() != '\n') text += '\n';
    return text;
}

struct AdifIntake {
    std::vector<MergeItem> items;
    std::string errorText;
    size_t errors = 0;
};

AdifIntake takeAdifRecords(std::string_view text) {
    AdifIntake intake;
    for (const AdifRecord& adif : readAdifRecords(text)) {
        const AdifQso qso = parseAdifRecord(adif);
        if (!qso.record) {
            intake.errorText += withLineEnd(adif.raw);
            ++intake.errors;
            continue;
        }
        std::string line = formatLogLine(*qso.record);
        line.pop_back();
        intake.items.push_back({qso.record->start, qso.record->call,
                                bandOfFrequency(qso.record->frequency()), std::move(line)});
    }
    return intake;
}

// Reads the file to take in and the log itself; false, with the failure in result, when
// either cannot be read (a missing input is a failure, a missing log an empty one).
template <class Result>
bool readInputs(const LogFile& log, const std::string& inputPath, Result& result, FileText& input,
                LogLines& own) {
    input = readWholeFile(inputPath);
    if (!input.status || !input.exists) {
        result.status = input.exists
                            ? input.status
                            : LogStatus::failure("Can't open " + inputPath + ": no such file");
        result.failure = ExchangeFailure::Input;
        return false;
    }
    own = log.readLines();
    if (!own.status) {
        result.status = own.status;
        result.failure = ExchangeFailure::Log;
        return false;
    }
    return true;
}

// Writes the merged log when anything was added; the number added, or nothing (the failure in
// result) when the log could not be rewritten.
template <class Result>
std::optional<size_t> rewriteMerged(const LogFile& log, const MergeOutcome& merged, Result& result) {
    result.duplicates = merged.duplicates;
    if (merged.added > 0) {
        result.status = log.rewrite(merged.lines, BackupName::Bak);
        if (!result.status) {
            result.failure = ExchangeFailure::Log;
            return std::nullopt;
        }
    }
    return merged.added;
}

}  // namespace

bool isLogWorkingFile(const LogFile& log, const std::string& path) {
    for (const std::string& name : {log.path(), log.tempPath(), log.backupPath(BackupName::Bak),
                                    log.backupPath(BackupName::Old)})
        if (path == name || sameFile(path, name)) return true;
    return false;
}

ImportResult importAdif(const LogFile& log, const std::string& adifPath) {
    ImportResult result;
    FileText adif;
    LogLines own;
    if (!readInputs(log, adifPath, result, adif, own)) return result;
    AdifIntake intake = takeAdifRecords(adif.text);
    result.errors = intake.errors;
    if (intake.errors > 0) {
        // Written first: should it fail, the log is not touched and the records are not lost.
        result.errorFile = log.folder() + "/" + kAdifErrorFileName;
        if (LogStatus written = replaceFile(result.errorFile, intake.errorText, std::nullopt);
            !written) {
            result.status = written;
            result.failure = ExchangeFailure::Output;
            return result;
        }
    }
    if (const auto added =
            rewriteMerged(log, mergeByStart(std::move(own.lines), std::move(intake.items)), result))
        result.imported = *added;
    return result;
}

ExportResult exportAdif(const LogFile& log, const std::string& adifPath) {
    ExportResult result;
    if (isLogWorkingFile(log, adifPath)) {
        result.status = LogStatus::failure("Won't export over the log's own file " + adifPath);
        result.failure = ExchangeFailure::Output;
        return result;
    }
    const LogLines own = log.readLines();
    if (!own.status) {
        result.status = own.status;
        result.failure = ExchangeFailure::Log;
        return result;
    }
    std::string text(kAdifHeader);
    for (const std::string& line : own.lines) {
        if (const auto record = parseLogLine(withoutCarriageReturn(line))) {
            text += formatAdifRecord(*record);
            ++result.exported;
        } else if (!withoutCarriageReturn(line).empty()) {
            ++result.skipped;
        }
    }
    result.status = replaceFile(adifPath, text, std::nullopt);
    if (!result.status) {
        result.failure = ExchangeFailure::Output;
        result.exported = 0;
    }
    return result;
}

MergeResult mergeLog(const LogFile& log, const std::string& otherPath) {
    MergeResult result;
    FileText other;
    LogLines own;
    if (!readInputs(log, otherPath, result, other, own)) return result;
    std::vector<MergeItem> incoming;
    for (const std::string& line : splitLines(other.text)) {
        if (auto item = mergeItemOfLine(line))
            incoming.push_back(std::move(*item));
        else if (!withoutCarriageReturn(line).empty())
            ++result.unreadable;
    }
    if (const auto added =
            rewriteMerged(log, mergeByStart(std::move(own.lines), std::move(incoming)), result))
        result.merged = *added;
    return result;
}

}  // namespace tarnvel::logbook
