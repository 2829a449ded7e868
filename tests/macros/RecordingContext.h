#pragma once
// A station for macro tests: fields to fill in, a state that follows the switching actions
// like the station's (goTransmit refuses an empty call sign), and a record of everything
// the expander asked of it, in order.

#include <chrono>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "macros/MacroContext.h"

namespace tarnvel::macros::testing {

class RecordingContext : public MacroContext {
  public:
    std::map<MacroField, std::string> fields{{MacroField::MyCall, "N0CALL"}};
    MacroStationState currentState = MacroStationState::Receiving;
    bool cwIdOn = false;
    bool utc = true;
    std::chrono::system_clock::time_point clock{};
    std::optional<std::string> imd;
    std::string urlTemplate = "https://callbook.example/db/%s";
    modem::CharacterSet charset = modem::CharacterSet::Latin1;
    std::optional<std::string> promptAnswer;  // nothing: the prompt is cancelled
    std::optional<std::string> chosenFile;    // nothing: the file dialog is cancelled

    // Everything asked, as "action transmit", "band 20m", "prompt RST to send|599", ...
    std::vector<std::string> calls;
    std::vector<MacroAction> actions;

    std::string text(MacroField field) const override {
        const auto found = fields.find(field);
        return found == fields.end() ? std::string() : found->second;
    }
    void setRstSent(std::string_view rst) override {
        fields[MacroField::RstSent] = std::string(rst);
        calls.push_back("set-rst " + std::string(rst));
    }
    MacroStationState state() const override { return currentState; }
    bool useCwId() const override { return cwIdOn; }
    bool useUtc() const override { return utc; }
    std::chrono::system_clock::time_point now() const override { return clock; }
    std::optional<std::string> imdReadout() const override { return imd; }
    std::string callbookUrlTemplate() const override { return urlTemplate; }
    modem::CharacterSet characterSet() const override { return charset; }

    void run(MacroAction action) override {
        actions.push_back(action);
        calls.push_back("action " + std::string(macroActionName(action)));
        switch (action) {
            case MacroAction::Transmit:
                if (currentState == MacroStationState::Receiving &&
                    !text(MacroField::MyCall).empty())
                    currentState = MacroStationState::Transmitting;
                break;
            case MacroAction::ReceiveCommand:
                currentState = MacroStationState::Receiving;
                break;
            default:
                break;
        }
    }
    void selectBand(std::string_view name) override {
        calls.push_back("band " + std::string(name));
    }
    void sendExternalCommand(std::string_view command) override {
        calls.push_back("external " + std::string(command));
    }
    void openUrl(std::string_view url) override { calls.push_back("url " + std::string(url)); }
    std::optional<std::string> prompt(std::string_view text, std::string_view initial) override {
        calls.push_back("prompt " + std::string(text) + "|" + std::string(initial));
        return promptAnswer;
    }
    std::optional<std::string> chooseFileToSend() override {
        calls.push_back("choose-file");
        return chosenFile;
    }
    void showWarning(std::string_view text, std::string_view caption) override {
        calls.push_back("warning " + std::string(text) + "|" + std::string(caption));
    }
};

}  // namespace tarnvel::macros::testing
