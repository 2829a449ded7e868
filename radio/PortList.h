#pragma once
// The choices of the station's port: "None", every serial device found and "External"
// (rig control through Hamlib).
//
// Devices are listed by their stable /dev/serial/by-id names first (they survive replugging
// and name the adapter), then ttyUSB*, ttyACM* and ttyS* that exist; a plain name already
// reached through a by-id link is not listed twice. ttyS* count only with a UART behind
// them: the kernel makes 4 to 32 of them whether or not hardware is there. Nothing is opened
// while listing (opening raises DTR and RTS, which would key a transmitter).
//
// "Number" stays the position in this list (0 none, then devices, "External" last); the
// device path is kept as a second key, so the choice follows the device, not the position.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tarnvel::radio {

enum class PortKind : uint8_t { None, Serial, External };

struct PortChoice {
    PortKind kind = PortKind::None;
    std::string device;  // the path for Serial, empty otherwise
    std::string label;   // "None", the path, or "External"
    bool present = true;  // false for a configured device not found now
};

inline constexpr const char* kPortNoneLabel = "None";
inline constexpr const char* kPortExternalLabel = "External";
// What the device key holds for rig control through Hamlib.
inline constexpr const char* kExternalDeviceKey = "External";

class PortList {
  public:
    // Looks at the devices under `devRoot` and `sysRoot` (the real /dev and /sys by default;
    // tests pass folders of their own). `keep`, if not empty, is the configured device: it
    // is listed (as not present) even when it cannot be found now, so the settings keep it.
    static PortList scan(const std::string& keep = {}, const std::string& devRoot = "/dev",
                         const std::string& sysRoot = "/sys");

    const std::vector<PortChoice>& choices() const { return choices_; }
    std::size_t size() const { return choices_.size(); }
    const PortChoice& at(std::size_t position) const { return choices_.at(position); }
    std::size_t externalPosition() const { return choices_.size() - 1; }

    // The position ("Number") of the stored choice: the device key decides when it is set
    // ("External" or a path); without one (settings from before the key) the stored number,
    // if it is a position in the list; otherwise 0.
    std::size_t positionOf(int number, std::string_view deviceKey) const;
    // What to store for the choice at `position`: "Number" and the device key.
    int numberAt(std::size_t position) const;
    std::string deviceKeyAt(std::size_t position) const;

    // For tests and the command line: a list made of these devices.
    static PortList fromDevices(const std::vector<std::string>& devices);

  private:
    std::vector<PortChoice> choices_;
};

}  // namespace tarnvel::radio
