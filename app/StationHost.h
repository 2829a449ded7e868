#pragma once
// The narrow window interface of the station: everything Station asks of whatever shows it to
// the operator. The desktop frame implements it with message boxes and views; the command-line
// tool prints messages to standard error; tests script it.
//
// Every call comes on the station's thread. showMessage and the prompts are modal: they return
// when the operator has answered (a desktop host keeps pumping the station meanwhile, so audio
// goes on while a message box is open).

#include <optional>
#include <string>
#include <string_view>

#include "app/StationData.h"

namespace tarnvel::app {

enum class CommandId;

enum class MessageKind { Error, Warning, Info };

// What a save does with a file that exists: replaces it, or adds to its end.
enum class SaveTarget { Replace, Append };

enum class OperatingState : int { Stopped = 0, Receiving = 1, Transmitting = 2 };

class StationHost {
  public:
    virtual ~StationHost() = default;

    // A message box: text, caption (may be empty) and icon.
    virtual void showMessage(std::string_view text, std::string_view caption, MessageKind kind) = 0;
    // Receive recovery: a passing note, not modal (the desktop's status bar, a line on the
    // command line), e.g. that receive opened again after the sound device failed.
    virtual void showNote(std::string_view text) { (void)text; }
    // A one-value input dialog; nothing when cancelled.
    virtual std::optional<std::string> prompt(std::string_view text, std::string_view initial) {
        (void)text;
        (void)initial;
        return std::nullopt;
    }
    // The station dialog (call sign, name, QTH, identification).
    virtual void openStationDialog() {}
    // The station dialog as an editor: the edited data on OK, nothing on Cancel.
    virtual std::optional<StationData> editStationData(const StationData& data) {
        (void)data;
        openStationDialog();
        return std::nullopt;
    }
    // Questions: true for Yes (OK), false for No (Cancel).
    virtual bool askYesNo(std::string_view text, std::string_view caption) {
        (void)text;
        (void)caption;
        return false;
    }
    virtual bool askOkCancel(std::string_view text, std::string_view caption) {
        (void)text;
        (void)caption;
        return false;
    }
    // File dialogs; filter as "Text files (*.txt)|*.txt|All files (*.*)|*.*". Nothing when
    // cancelled.
    virtual std::optional<std::string> chooseOpenFile(std::string_view title,
                                                      std::string_view filter,
                                                      std::string_view initial) {
        (void)title;
        (void)filter;
        (void)initial;
        return std::nullopt;
    }
    // Appending to a chosen file needs no question about replacing it.
    virtual std::optional<std::string> chooseSaveFile(std::string_view title,
                                                      std::string_view filter,
                                                      std::string_view initial,
                                                      SaveTarget target = SaveTarget::Replace) {
        (void)title;
        (void)filter;
        (void)initial;
        (void)target;
        return std::nullopt;
    }
    // The desktop's URL opener (never a shell); false when it could not.
    virtual bool openUrl(std::string_view url) {
        (void)url;
        return false;
    }
    // A command of the command table that opens a window first (a dialog): the window runs it.
    virtual void runWindowCommand(CommandId id) { (void)id; }

    // Whether the receive window has the keyboard focus (decoded text then waits).
    virtual bool receiveWindowHasFocus() const { return false; }
    virtual void focusTransmitWindow() {}

    // Repaint requests: a new spectrum row is in the spectrum history; the status bar (mode,
    // frequencies, quality, IMD) has new values; the frequencies changed.
    virtual void spectrumRowReady() {}
    virtual void statusChanged() {}
    virtual void frequencyChanged() {}

    // Text windows: characters shown in the receive window (already appended to the model);
    // the receive window was cleared; the transmit window was emptied.
    virtual void receivedTextShown(std::string_view text) { (void)text; }
    virtual void receiveWindowCleared() {}
    virtual void transmitWindowCleared() {}
    // The transmit text changed other than by typing (a command or a macro added to it).
    virtual void transmitWindowChanged() {}
    // The multichannel channels changed (cleared, opened): the list repaints.
    virtual void multichannelChanged() {}

    // The operating state changed (the view redraws its transmit marks, the layout changes).
    virtual void stateChanged(OperatingState state) { (void)state; }
    // The push-to-talk line should follow on (the serial port and the external program).
    virtual void setPtt(bool on) { (void)on; }
    // The QSO in progress changed (the log bar redraws).
    virtual void qsoChanged() {}
    // Once per timer tick: a started rig-control program is checked for still running.
    virtual void checkExternalProgram() {}

    // ---- macros ----
    // The squelch threshold window closes (the macro tags that switch squelch, AFC or snap).
    virtual void closeThresholdWindow() {}
    // A macro gave the external program a command ("<QSOCMDDDE:...>"); the data link publishes
    // it.
    virtual void externalCommandChanged(std::string_view command) { (void)command; }
    // ---- logbook ----
    // A log operation that reads and writes the whole log starts (true) or ends (false): the
    // desktop shows the wait cursor meanwhile.
    virtual void logBusy(bool busy) { (void)busy; }
};

}  // namespace tarnvel::app
