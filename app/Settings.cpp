#include "app/Settings.h"

#include <array>
#include <charconv>

#include "app/SettingsText.h"

namespace tarnvel::app {

std::string defaultCwId(std::string_view call) {
    std::string text = "de ";
    text += call;
    text += " sk";
    return text;
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

namespace {

std::string numbered(std::string_view prefix, int n, std::string_view suffix) {
    std::string key(prefix);
    key += std::to_string(n);
    key += suffix;
    return key;
}

// Fixed-point text in the C locale, whatever the desktop's decimal separator.
std::string formatFixed(double value, int decimals) {
    std::array<char, 512> buffer{};
    const auto [end, error] = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                            std::chars_format::fixed, decimals);
    if (error != std::errc{}) return "0";
    return std::string(buffer.data(), end);
}

}  // namespace

std::string macroLabelKey(int n, bool alt) {
    return numbered(alt ? "AltF" : "F", n, "Label");
}
std::string macroTextKey(int n, bool alt) {
    return numbered(alt ? "AltF" : "F", n, "Text");
}

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
    return formatFixed(khz, kBandPageDecimals);
}

std::string formatMarkerFrequency(double hz) {
    constexpr int kMarkerDecimals = 2;
    return formatFixed(hz, kMarkerDecimals);
}

std::string paletteEntryKey(int index) {
    return numbered("PAL", index, "");
}

}  // namespace tarnvel::app
