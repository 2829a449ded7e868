#pragma once
// A station host for tests: records every message and request, answers focus questions as
// scripted, and can run a callback while a modal message is open (the Tune message).

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/CommandTable.h"

#include "app/StationHost.h"

namespace tarnvel::app::testing {

struct ShownMessage {
    std::string text;
    std::string caption;
    MessageKind kind;
};

class ScriptedHost : public StationHost {
  public:
    void showMessage(std::string_view text, std::string_view caption, MessageKind kind) override {
        messages.push_back({std::string(text), std::string(caption), kind});
        if (whileMessageOpen) whileMessageOpen();
    }
    void openStationDialog() override { ++stationDialogs; }
    bool receiveWindowHasFocus() const override { return receiveFocus; }
    void spectrumRowReady() override { ++spectrumRows; }
    void receivedTextShown(std::string_view text) override { shown.append(text); }
    void receiveWindowCleared() override { ++receiveClears; }
    void transmitWindowCleared() override { ++transmitClears; }
    void stateChanged(OperatingState state) override { states.push_back(state); }
    void setPtt(bool on) override { ptt.push_back(on); }
    std::optional<StationData> editStationData(const StationData& data) override {
        ++stationDialogs;
        edited = data;
        return stationDialogAnswer;
    }
    std::optional<std::string> chooseSaveFile(std::string_view title, std::string_view filter,
                                              std::string_view initial,
                                              SaveTarget target = SaveTarget::Replace) override {
        fileDialogs.push_back(std::string(title) + "|" + std::string(filter) + "|" +
                              std::string(initial));
        saveTargets.push_back(target);
        return fileAnswer;
    }
    void runWindowCommand(CommandId id) override { windowCommands.push_back(id); }
    void multichannelChanged() override { ++multichannelChanges; }
    void transmitWindowChanged() override { ++transmitChanges; }
    void showNote(std::string_view text) override { notes.emplace_back(text); }

    bool hasMessage(const std::string& text) const {
        for (const ShownMessage& m : messages)
            if (m.text == text) return true;
        return false;
    }

    std::vector<ShownMessage> messages;
    std::vector<std::string> notes;  // receive recovery's passing notes
    std::function<void()> whileMessageOpen;
    int stationDialogs = 0;
    bool receiveFocus = false;
    int spectrumRows = 0;
    std::string shown;
    int receiveClears = 0;
    int transmitClears = 0;
    std::vector<OperatingState> states;
    std::vector<bool> ptt;
    std::optional<StationData> edited;              // what the station dialog was shown
    std::optional<StationData> stationDialogAnswer;  // what it gives back (nothing: Cancel)
    std::vector<std::string> fileDialogs;            // "title|filter|initial" of each
    std::vector<SaveTarget> saveTargets;             // of each save dialog
    std::optional<std::string> fileAnswer;           // the file chosen (nothing: Cancel)
    std::vector<CommandId> windowCommands;
    int multichannelChanges = 0;
    int transmitChanges = 0;
};

}  // namespace tarnvel::app::testing
