#include "audio/MixerCard.h"

#include <array>
#include <cctype>
#include <string_view>

namespace tarnvel::audio {
namespace {

constexpr std::array<std::string_view, 4> kServerDevices{"default", "sysdefault", "pulse",
                                                         "pipewire"};

// "hw:1,0" or "hw:CARD=CODEC,DEV=0" at `at` (just after "hw:") to "hw:1" / "hw:CODEC".
std::string cardAt(const std::string& name, std::size_t at) {
    std::string_view rest = std::string_view(name).substr(at);
    if (rest.substr(0, 5) == "CARD=") rest.remove_prefix(5);
    const std::size_t end = rest.find_first_of(",) ");
    const std::string_view card = rest.substr(0, end);
    if (card.empty()) return {};
    for (char c : card)
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '_' && c != '-') return {};
    return "hw:" + std::string(card);
}

}  // namespace

MixerCardChoice mixerCardFor(int deviceId, const std::string& deviceName) {
    if (deviceId < 0 && deviceName.empty()) return {"default", {}};
    for (std::string_view server : kServerDevices)
        if (deviceName == server) return {std::string(server), {}};
    for (std::size_t at = deviceName.find("hw:"); at != std::string::npos;
         at = deviceName.find("hw:", at + 1)) {
        // "hw:" itself, or "plughw:" (the same card through a converter).
        const bool starts = at == 0 || deviceName[at - 1] == '(' || deviceName[at - 1] == ' ' ||
                            deviceName.compare(at >= 4 ? at - 4 : 0, 4, "plug") == 0;
        if (!starts) continue;
        if (std::string card = cardAt(deviceName, at + 3); !card.empty()) return {card, {}};
    }
    return {{}, "The sound device \"" + deviceName + "\" has no mixer of its own."};
}

}  // namespace tarnvel::audio
