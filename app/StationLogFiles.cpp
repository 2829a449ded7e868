// The log commands that work on whole files: the File menu's ADIF import and export and the
// merge of another log, and the log window's search, edit, delete and write-to-file.

#include <sys/stat.h>

#include <cstdio>

#include "app/Station.h"
#include "app/StationLog.h"
#include "logbook/LogExchange.h"
#include "logbook/QsoText.h"

namespace tarnvel::app {
namespace {

// The wait cursor while a whole log is read and written.
class BusyScope {
  public:
    explicit BusyScope(StationHost& host) : host_(host) { host_.logBusy(true); }
    ~BusyScope() { host_.logBusy(false); }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

  private:
    StationHost& host_;
};

// A name typed without an extension gets the dialog's default one.
std::string withDefaultExtension(std::string path, std::string_view extension) {
    const size_t slash = path.rfind('/');
    const size_t dot = path.rfind('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) path += extension;
    return path;
}

bool fileExists(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0;
}

// The merge's failures keep their old numbers: 1 the log, 2 the other log or the temporary
// file; the reason follows on the next line.
std::string mergeErrorText(const logbook::MergeResult& result) {
    const int code = result.failure == logbook::ExchangeFailure::Log ? 1 : 2;
    char text[32];
    std::snprintf(text, sizeof text, "Error %i", code);
    return std::string(text) + "\n" + result.status.error;
}

}  // namespace

// ---- the File menu --------------------------------------------------------------------------

void StationLog::importAdif() {
    const auto adif = host_.chooseOpenFile(kImportAdifTitle, kAdifFilter, "");
    if (!adif) return;
    logbook::ImportResult result;
    {
        BusyScope busy(host_);
        result = logbook::importAdif(file_, *adif);
    }
    if (!result.status)
        host_.showMessage(result.status.error, "", MessageKind::Error);
    else if (result.errors > 0)
        host_.showMessage(logbook::kAdifErrorMessage, "", MessageKind::Warning);
}

void StationLog::exportAdif() {
    const auto chosen = host_.chooseSaveFile(kExportAdifTitle, kAdifFilter, kDefaultAdifName);
    if (!chosen) return;
    const std::string adif = withDefaultExtension(*chosen, kAdifExtension);
    logbook::ExportResult result;
    {
        BusyScope busy(host_);
        result = logbook::exportAdif(file_, adif);
    }
    if (!result.status) host_.showMessage(result.status.error, "", MessageKind::Error);
}

void StationLog::mergeLog() {
    const auto other = host_.chooseOpenFile(kMergeLogTitle, kMergeFilter, "");
    if (!other) return;
    logbook::MergeResult result;
    {
        BusyScope busy(host_);
        result = logbook::mergeLog(file_, *other);
    }
    if (!result.status) host_.showMessage(mergeErrorText(result), "", MessageKind::Error);
}

// ---- the log window -------------------------------------------------------------------------

logbook::SearchList StationLog::search(std::string_view text) const {
    BusyScope busy(host_);
    return file_.searchAll(text);
}

bool StationLog::deleteSelected(std::span<const logbook::QsoRecord> selected) {
    if (selected.empty()) {
        host_.showMessage(kNothingSelectedMessage, "", MessageKind::Info);
        return false;
    }
    std::string question = kDeleteOneQuestion;
    if (selected.size() > 1) {
        char text[64];
        std::snprintf(text, sizeof text, "Delete %i lines from the log?",
                      static_cast<int>(selected.size()));
        question = text;
    }
    if (!host_.askYesNo(question, "")) return false;
    logbook::RewriteResult result;
    {
        BusyScope busy(host_);
        result = file_.deleteRecords(selected, logbook::BackupName::Old);
    }
    if (!result.status) host_.showMessage(result.status.error, "", MessageKind::Error);
    return result.changed > 0;
}

std::optional<logbook::QsoRecord> StationLog::editSelected(
    std::span<const logbook::QsoRecord> selected, const QsoEditor& editor) {
    if (selected.size() != 1) {
        host_.showMessage(kSelectSingleMessage, "", MessageKind::Info);
        return std::nullopt;
    }
    const std::optional<logbook::QsoRecord> edited = editor(selected.front());
    if (!edited || *edited == selected.front()) return std::nullopt;
    logbook::RewriteResult result;
    {
        BusyScope busy(host_);
        result = file_.replaceRecord(selected.front(), *edited, logbook::BackupName::Old);
    }
    if (!result.status) {
        host_.showMessage(result.status.error, "", MessageKind::Error);
        return std::nullopt;
    }
    return edited;
}

bool StationLog::confirmOverwrite(const std::string& path) {
    return !fileExists(path) ||
           host_.askYesNo("The file " + path + " already exists.\nReplace it?", "");
}

bool StationLog::writeSelected(std::span<const logbook::QsoRecord> selected) {
    if (selected.empty()) {
        host_.showMessage(kNothingSelectedMessage, "", MessageKind::Info);
        return false;
    }
    const auto name = host_.prompt(kWriteFilePrompt, logbook::kDefaultTextExportName);
    if (!name || name->empty()) return false;
    if (logbook::isLogWorkingFile(file_, *name)) {
        host_.showMessage(kCannotCreateFileMessage + *name + ": it is the log's own file", "",
                          MessageKind::Warning);
        return false;
    }
    if (!confirmOverwrite(*name)) return false;
    const logbook::LogStatus written = logbook::writeTextExport(file_, *name, selected);
    if (!written) host_.showMessage(written.error, "", MessageKind::Warning);
    return written.ok;
}

}  // namespace tarnvel::app
