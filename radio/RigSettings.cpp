#include "radio/RigSettings.h"

#include <algorithm>
#include <charconv>

namespace tarnvel::radio {

namespace {

std::optional<int> wholeNumber(std::string_view text) {
    int value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size()) return {};
    return value;
}

}  // namespace

std::optional<PttMethod> pttMethodFromSetting(int value) {
    switch (value) {
        case 0: return PttMethod::Cat;
        case 1: return PttMethod::Rts;
        case 2: return PttMethod::Dtr;
        default: return std::nullopt;
    }
}

RigOption parseRigOption(std::string_view text) {
    const auto firstColon = text.find(':');
    const auto model = wholeNumber(text.substr(0, firstColon));
    if (!model || *model <= 0) {
        return {std::nullopt, "The rig model in \"" + std::string(text) +
                                  "\" is not a Hamlib model number"};
    }
    RigSettings settings;
    settings.model = *model;
    if (firstColon == std::string_view::npos) return {settings, {}};
    std::string_view rest = text.substr(firstColon + 1);
    // A device path never holds a colon; host:port does. So with three fields after the
    // model (host:port:speed) or a path and one more field, the last field is the speed.
    const auto lastColon = rest.rfind(':');
    const bool network = *model == kHamlibNetRigctlModel;
    const std::size_t colons = static_cast<std::size_t>(std::count(rest.begin(), rest.end(), ':'));
    if (lastColon != std::string_view::npos && (colons == 2 || (colons == 1 && !network))) {
        const auto speed = wholeNumber(rest.substr(lastColon + 1));
        if (!speed || *speed <= 0) {
            return {std::nullopt, "The rig speed in \"" + std::string(text) +
                                      "\" is not a whole number of baud"};
        }
        settings.speed = *speed;
        rest = rest.substr(0, lastColon);
    }
    if (rest.empty()) {
        return {std::nullopt, "The rig device in \"" + std::string(text) + "\" is empty"};
    }
    settings.device = std::string(rest);
    return {settings, {}};
}

}  // namespace tarnvel::radio
