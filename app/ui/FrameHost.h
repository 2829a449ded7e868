#pragma once
// The station's questions put to the operator: message boxes, prompts, yes/no and OK/Cancel
// questions, file dialogs, web pages. The main window is this host (the view events it handles
// itself); the dialogs open over `window`.

#include <QString>
#include <string>

#include "app/StationHost.h"
#include "modem/CharacterSet.h"

class QWidget;

namespace tarnvel::app {

class SettingsStore;

class FrameHost : public StationHost {
  public:
    FrameHost(QWidget& window, SettingsStore& store) : window_(window), store_(store) {}

    void showMessage(std::string_view text, std::string_view caption, MessageKind kind) override;
    // In the status bar for a while (the main window's).
    void showNote(std::string_view text) override;
    std::optional<std::string> prompt(std::string_view text, std::string_view initial) override;
    std::optional<StationData> editStationData(const StationData& data) override;
    bool askYesNo(std::string_view text, std::string_view caption) override;
    bool askOkCancel(std::string_view text, std::string_view caption) override;
    std::optional<std::string> chooseOpenFile(std::string_view title, std::string_view filter,
                                              std::string_view initial) override;
    std::optional<std::string> chooseSaveFile(std::string_view title, std::string_view filter,
                                              std::string_view initial,
                                              SaveTarget target = SaveTarget::Replace) override;
    bool openUrl(std::string_view url) override;
    // The wait cursor while the log is read and written.
    void logBusy(bool busy) override;

  protected:
    // The character set on the air, in which texts the operator edits are shown and taken.
    virtual modem::CharacterSet characterSet() const { return modem::CharacterSet::Utf8; }

    QWidget& window_;
    SettingsStore& store_;
};

// A file-dialog filter as the station writes it ("Text files (*.txt)|*.txt|All files|*.*")
// in Qt's form ("Text files (*.txt);;All files (*.*)"); one already in Qt's form stays.
QString qtFileFilter(std::string_view filter);

// The station's 8-bit texts as Qt shows them.
QString stationQText(std::string_view text);

}  // namespace tarnvel::app
