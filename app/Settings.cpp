#include "app/Settings.h"

#include <array>
#include <charconv>

#include "app/SettingsText.h"
#include "display/DecimalText.h"

namespace tarnvel::app {

std::string defaultCwId(std::string_view call) {
    std::string text = "de ";
    text += call;
    text += " sk";
    return text;
}

std::string stationCwId(std::string_view cwId, std::string_view call) {
    std::string words;  // the text with its blanks collapsed
    for (const char c : cwId) {
        const bool blank = c == ' ' || c == '\t';
        if (blank && (words.empty() || words.back() == ' ')) continue;
        words += blank ? ' ' : c;
    }
    if (!words.empty() && words.back() == ' ') words.pop_back();
    if (words.empty() || words == "de sk") return defaultCwId(call);
    return std::string(cwId);
}

Settings::Settings(SettingsStore& store, const SettingsDefaults& defaults)
    : store_(store), windowColour_(defaults.windowColour) {}

Settings::~Settings() {
    saveAll();
}

bool Settings::saveAll() {
    return tarnvel::app::saveAll(store_, registry_);
}

std::string Settings::storedCall() const {
    return unescapeSettingText(store_.getString(section::kStation, "Call", ""));
}

std::string Settings::storedCwIdDefault() const {
    const std::string call = storedCall();
    return call.empty() ? std::string() : defaultCwId(call);
}

namespace {

std::string numbered(std::string_view prefix, int n, std::string_view suffix) {
    std::string key(prefix);
    key += std::to_string(n);
    key += suffix;
    return key;
}

}  // namespace

std::string bandPageNameKey(int page) {
    return numbered("Name", page, "");
}
std::string bandPageFrequencyKey(int page) {
    return numbered("Fq", page, "");
}
std::string bandPageSpectrumOptionKey(int page) {
    return numbered("SpectrumOption", page, "");
}

std::string formatBandPageFrequency(double khz) {
    constexpr int kBandPageDecimals = 6;
    return display::formatDecimal(khz, kBandPageDecimals);
}

std::string formatMarkerFrequency(double hz) {
    constexpr int kMarkerDecimals = 2;
    return display::formatDecimal(hz, kMarkerDecimals);
}

std::string paletteEntryKey(int index) {
    return numbered("PAL", index, "");
}

}  // namespace tarnvel::app
