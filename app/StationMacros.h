#pragma once
// The station's macros: the two sets of twelve, loaded from the settings store (section
// "Text") when the station is made, and the station as macro expansion sees it. Firing a
// macro expands its text (the actions run at once, through the command table) and appends
// the result to the transmit window.

#include <string>
#include <string_view>

#include "macros/MacroContext.h"
#include "macros/MacroSet.h"
#include "macros/MacroSettings.h"

namespace tarnvel::app {

class Station;
class StationHost;
class SettingsStore;

// The macros' view of the settings store.
class MacroStore final : public macros::MacroSettingsStore {
  public:
    explicit MacroStore(SettingsStore& store) : store_(store) {}
    std::optional<std::string> find(std::string_view section,
                                    std::string_view key) const override;
    bool write(std::string_view section, std::string_view key, std::string_view value) override;

  private:
    SettingsStore& store_;
};

class StationMacros final : private macros::MacroContext {
  public:
    StationMacros(Station& station, StationHost& host);
    StationMacros(const StationMacros&) = delete;
    StationMacros& operator=(const StationMacros&) = delete;

    const macros::MacroSet& set() const { return macros_; }
    const macros::Macro& macro(macros::MacroKeySet set, int key) const {
        return macros_.at(set, key);
    }

    // A macro key or bar button: expands the macro and appends the result to the transmit
    // window, which takes the focus. F1 with an empty text opens the help instead.
    void fire(macros::MacroKeySet set, int key);
    // Expands a macro text and appends the result to the transmit window (focus to it).
    void send(std::string_view macroText);
    // "Wyślij tekst z pliku...": "<FILE>" alone.
    void sendTextFile();
    // The expansion of a macro text; its actions run while it is expanded.
    std::string expand(std::string_view macroText);

    // The editor's OK: the label and the text replace the macro's and are stored at once.
    void edit(macros::MacroKeySet set, int key, const macros::Macro& edited);

    // "&Ładuj macro" and "&Zapisz macro" through the host's file dialogs.
    void loadFile();
    void saveFile();
    // The same without the dialogs; false (with the message shown) on failure.
    bool loadFrom(const std::string& fileName);
    bool saveTo(const std::string& fileName);

    // The last command a macro gave the external program, and how many were given.
    // The command lives on the data link, which publishes it.
    const std::string& externalCommand() const;
    int externalCommandCount() const { return externalCommandCount_; }

  private:
    // MacroContext.
    std::string text(macros::MacroField field) const override;
    void setRstSent(std::string_view rst) override;
    macros::MacroStationState state() const override;
    bool useCwId() const override;
    bool useUtc() const override;
    std::chrono::system_clock::time_point now() const override;
    std::optional<std::string> imdReadout() const override;
    std::string callbookUrlTemplate() const override;
    modem::CharacterSet characterSet() const override;
    void run(macros::MacroAction action) override;
    void selectBand(std::string_view name) override;
    void sendExternalCommand(std::string_view command) override;
    void openUrl(std::string_view url) override;
    std::optional<std::string> prompt(std::string_view text, std::string_view initial) override;
    std::optional<std::string> chooseFileToSend() override;
    void showWarning(std::string_view text, std::string_view caption) override;

    // All 48 keys to the store (after a complete load, or a cancelled one).
    void storeAll();
    void appendToTransmitWindow(const std::string& text);

    Station& station_;
    StationHost& host_;
    MacroStore store_;
    macros::MacroSet macros_;
    int externalCommandCount_ = 0;
};

}  // namespace tarnvel::app
