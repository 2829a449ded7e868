#pragma once
// The QSO in progress, owned by the station for the whole run and never persisted: the fields
// the log bar shows, the start time and the unsaved ("*") mark; saving it to the log, clearing
// it, and filling name and QTH from earlier QSOs with the same station.

#include <string>
#include <string_view>

#include "logbook/LogFile.h"
#include "logbook/QsoHost.h"
#include "logbook/WordPick.h"
#include "modem/Mode.h"

namespace tarnvel::logbook {

// The mode texts of the log for the operating mode numbers; other modes are "UNKN".
std::string logModeName(modem::Mode mode);

enum class SaveConfirmation { Ask, DontAsk };
enum class SaveOutcome { Saved, EmptyCall, Cancelled, Failed };

inline constexpr const char* kEmptyCallMessage = "Call field is empty.\nQSO data not saved.";
inline constexpr const char* kAlreadySavedQuestion = "QSO data is already saved.\nSave anyway?";
inline constexpr const char* kClearQuestion = "Clear QSO data?";

// What the station knows at save time.
struct SaveContext {
    modem::Mode operatingMode = modem::Mode::Bpsk31;
    double bandKilohertz = 0;  // the current band page's dial frequency
};

class QsoInProgress {
  public:
    QsoInProgress(const LogFile& log, QsoHost& host) : log_(log), host_(host) {}

    const std::string& field(QsoField which) const;
    UtcSeconds start() const { return start_; }
    bool hasUnsavedChanges() const { return changed_; }
    bool isEmpty() const;

    // An edit of a log bar field (the drop of text onto one as well): the QSO is stamped.
    void setField(QsoField which, std::string text);
    // A word from the receive window (putWordToLog).
    void putWordToLog(QsoField kind, std::string_view word);
    // "Add call": the call becomes "<call> and <word>", keeping the other fields.
    void addCall(std::string_view word);
    // Name and QTH from earlier QSOs with this call (the call field was left, Enter in it).
    void fillFromLog();
    // Anything else that changes the QSO (mode, band, details dialog): start := now, unsaved.
    void stamp();

    // The save command, with or without the confirmation of changed data.
    SaveOutcome save(SaveConfirmation confirmation, const SaveContext& context);
    // The record a save writes now.
    QsoRecord recordToSave(const SaveContext& context) const;
    // Empties the six fields (true when there was something to clear).
    bool clear();
    // Asks "Clear QSO data?" first when there is something to clear.
    bool clearAsking();

  private:
    template <class Qso>
    static auto& fieldOf(Qso& qso, QsoField which);
    std::string& fieldRef(QsoField which);
    void fillNameAndQth();
    void appendWord(std::string& field, std::string_view word);

    const LogFile& log_;
    QsoHost& host_;
    std::string call_, name_, qth_, rstReceived_, rstSent_, notes_;
    UtcSeconds start_ = 0;
    bool changed_ = false;
};

}  // namespace tarnvel::logbook
