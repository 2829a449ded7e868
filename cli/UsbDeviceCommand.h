#pragma once
// The USB sound device on the command line: a simulated device on a pty (usb-device), and
// the station's card on the device for listen and transmit (--usb DEVICE).

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "audio/SoundCard.h"

namespace tarnvel::app {
class Settings;
}

namespace tarnvel::cli {

int runUsbDevice(const std::vector<std::string_view>& args);

// The card on the USB sound device at `device`, and the station's settings for it (the
// device's rate, the device chosen).
std::unique_ptr<audio::SoundCard> makeUsbDeviceCard(const std::string& device);
void useUsbDevice(app::Settings& settings, const std::string& device);

}  // namespace tarnvel::cli
