#pragma once
// The station's logbook: the log file in the data folder and the QSO in progress the log bar
// shows. The QSO's questions and messages go to the station's host; saving takes the mode and
// the band from the station at the moment of the save. The operator's log commands (save,
// clear, the receive window's words, ADIF import and export, merge, and the log window's
// edit, delete and write-to-file) are carried out here, so every front end behaves alike.

#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "logbook/LogFile.h"
#include "logbook/QsoHost.h"
#include "logbook/QsoInProgress.h"

namespace tarnvel::app {

class Station;
class StationHost;

// File dialogs of the log commands.
inline constexpr const char* kImportAdifTitle = "Import ADIF Log File";
inline constexpr const char* kExportAdifTitle = "Export ADIF Log File";
inline constexpr const char* kMergeLogTitle = "MERGE Log File";
inline constexpr const char* kAdifFilter = "ADIF log files (*.adi)|*.adi|All files (*.*)|*.*";
inline constexpr const char* kMergeFilter = "ADIF log files (*.log)|*.log|All files (*.*)|*.*";
inline constexpr const char* kDefaultAdifName = "Tarnvel.adi";
inline constexpr const char* kAdifExtension = ".adi";
// The log window's messages.
inline constexpr const char* kNothingSelectedMessage = "Nothing selected";
inline constexpr const char* kSelectSingleMessage = "Select single entry to edit";
inline constexpr const char* kDeleteOneQuestion = "Delete selected QSO?";
inline constexpr const char* kWriteFilePrompt = "Input file name for selected QSOs";
inline constexpr const char* kCannotCreateFileMessage = "Cannot create file ";

// The QSO details dialog: the edited QSO on OK, nothing on Cancel.
using QsoEditor = std::function<std::optional<logbook::QsoRecord>(const logbook::QsoRecord&)>;

class StationLog final : private logbook::QsoHost {
  public:
    StationLog(Station& station, StationHost& host, std::string logPath);
    StationLog(const StationLog&) = delete;
    StationLog& operator=(const StationLog&) = delete;

    logbook::LogFile& file() { return file_; }
    const logbook::LogFile& file() const { return file_; }
    logbook::QsoInProgress& qso() { return qso_; }
    const logbook::QsoInProgress& qso() const { return qso_; }

    // The save command ("<SAVEQSO>", the log bar's SAVE, Alt+A).
    logbook::SaveOutcome saveQso(logbook::SaveConfirmation confirmation);
    // What a save made now would write.
    logbook::SaveContext saveContext() const;

    // ---- the operator's QSO commands ----
    // The menu's and the bar's save: no confirmation, the focus goes to the transmit window.
    logbook::SaveOutcome saveCommand();
    // Alt+A: asks "Save QSO with <call> ?" when the data changed.
    logbook::SaveOutcome saveAsking();
    // The menu's and the bar's clear: at once. Alt+L asks "Clear QSO data?" first. Both send
    // the focus to the transmit window after clearing.
    void clearCommand();
    void clearAsking();
    // An edit of a log bar field (typing, a drop): the QSO is stamped.
    void setField(logbook::QsoField field, std::string text);
    // Words from the receive window (double-click, its menu); the focus goes to the transmit
    // window afterwards.
    void putWordToLog(logbook::QsoField field, std::string_view word);
    void addCall(std::string_view word);
    // Enter in the call field, or the call field left after an edit.
    void fillFromLog();
    // The QSO frequency as the log bar shows it: MHz with "LogPrecision" decimals.
    std::string frequencyDisplay() const;

    // ---- the File menu's exchanges, through the host's file dialogs ----
    void importAdif();
    void exportAdif();
    void mergeLog();

    // ---- the log window ----
    // The QSOs whose line contains text (upper-cased; "/" lists the whole log).
    logbook::SearchList search(std::string_view text) const;
    // Deletes the selected QSOs after the question; true when the log changed.
    bool deleteSelected(std::span<const logbook::QsoRecord> selected);
    // Edits the single selected QSO with the details dialog; the QSO as it now stands in the
    // log, or nothing when nothing changed.
    std::optional<logbook::QsoRecord> editSelected(std::span<const logbook::QsoRecord> selected,
                                                   const QsoEditor& editor);
    // Writes the selected QSOs to a text file the operator names; true when written.
    bool writeSelected(std::span<const logbook::QsoRecord> selected);

    // Whether the log bar is shown (the window tells; the View menu checks its item).
    bool barShown() const { return barShown_; }
    void setBarShown(bool shown) { barShown_ = shown; }

    // The last QSO command meant for the external program ("Save", "Remove") and how many
    // were given; the data link publishes it.
    // The command lives on the data link, which publishes it.
    const std::string& lastQsoCommand() const;
    int qsoCommandCount() const { return qsoCommandCount_; }

  private:
    // QsoHost.
    bool ask(std::string_view text, logbook::QsoButtons buttons, logbook::QsoIcon icon) override;
    void tell(std::string_view text, logbook::QsoIcon icon) override;
    void qsoCommand(std::string_view command) override;
    void qsoChanged() override;
    logbook::UtcSeconds utcNow() const override;

    void focusTransmitWindow();
    bool confirmOverwrite(const std::string& path);

    Station& station_;
    StationHost& host_;
    logbook::LogFile file_;
    logbook::QsoInProgress qso_;
    int qsoCommandCount_ = 0;
    bool barShown_ = false;
};

}  // namespace tarnvel::app
