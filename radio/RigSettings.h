#pragma once
// How to reach a transceiver through Hamlib ("External" port).

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tarnvel::radio {

enum class PttMethod : uint8_t { Cat, Rts, Dtr };  // stored as 0, 1, 2

inline constexpr int kHamlibDummyModel = 1;
inline constexpr int kHamlibNetRigctlModel = 2;  // a rigctld shared by several programs

struct RigSettings {
    int model = kHamlibNetRigctlModel;
    std::string device;  // serial device path, or host:port for the network model
    int speed = 0;       // 0: the model's own default
    PttMethod ptt = PttMethod::Cat;
    // How long one exchange with the rig may take before it counts as not answering.
    std::chrono::milliseconds timeout{1000};
};

std::optional<PttMethod> pttMethodFromSetting(int value);

// "MODEL[:DEVICE[:SPEED]]" as typed on a command line; DEVICE may itself be host:port, so a
// last field of digits after a device is the speed only when the device is not host:port.
struct RigOption {
    std::optional<RigSettings> settings;
    std::string error;
};
RigOption parseRigOption(std::string_view text);

}  // namespace tarnvel::radio
