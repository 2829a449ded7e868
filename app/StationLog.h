#pragma once
// The station's logbook: the log file in the data folder and the QSO in progress the log bar
// shows. The QSO's questions and messages go to the station's host; saving takes the mode and
// the band from the station at the moment of the save.

#include <string>
#include <string_view>

#include "logbook/LogFile.h"
#include "logbook/QsoHost.h"
#include "logbook/QsoInProgress.h"

namespace tarnvel::app {

class Station;
class StationHost;

class StationLog final : private logbook::QsoHost {
  public:
    StationLog(Station& station, StationHost& host, std::string logPath);
    StationLog(const StationLog&) = delete;
    StationLog& operator=(const StationLog&) = delete;

    logbook::LogFile& file() { return file_; }
    const logbook::LogFile& file() const { return file_; }
    logbook::QsoInProgress& qso() { return qso_; }
    const logbook::QsoInProgress& qso() const { return qso_; }

    // The save command ("<SAVEQSO>", the log bar's SAVE, Alt+S).
    logbook::SaveOutcome saveQso(logbook::SaveConfirmation confirmation);
    // What a save made now would write.
    logbook::SaveContext saveContext() const;

    // The last QSO command meant for the external program ("Save", "Remove") and how many
    // were given; the data link publishes it.
    const std::string& lastQsoCommand() const { return lastQsoCommand_; }
    int qsoCommandCount() const { return qsoCommandCount_; }

  private:
    // QsoHost.
    bool ask(std::string_view text, logbook::QsoButtons buttons, logbook::QsoIcon icon) override;
    void tell(std::string_view text, logbook::QsoIcon icon) override;
    void qsoCommand(std::string_view command) override;
    void qsoChanged() override;
    logbook::UtcSeconds utcNow() const override;

    Station& station_;
    StationHost& host_;
    logbook::LogFile file_;
    logbook::QsoInProgress qso_;
    std::string lastQsoCommand_;
    int qsoCommandCount_ = 0;
};

}  // namespace tarnvel::app
