// The station's sound devices: found by name wherever the device list has them now, and
// receive that opens again on its own after the device failed.

#include <algorithm>

#include "app/Station.h"

namespace tarnvel::app {
namespace {

// The name at `position` of a device list, or "" for the preferred device or a position
// the list does not have.
std::string nameAt(const std::vector<audio::SoundDeviceInfo>& devices, int position) {
    if (position < 0 || static_cast<size_t>(position) >= devices.size()) return {};
    return devices[static_cast<size_t>(position)].name;
}

}  // namespace

audio::SoundCardConfig Station::deviceConfig() const {
    audio::SoundCardConfig config = card_.config();
    config.inputDeviceId = settings_.soundDevice.mixerDevice;
    config.outputDeviceId = settings_.soundDevice.mixerDeviceOut;
    config.nominalRate = settings_.misc.soundSampleRate;
    config.inputDeviceName = settings_.soundDevice.mixerDeviceName.value();
    config.outputDeviceName = settings_.soundDevice.mixerDeviceOutName.value();
    config.usb = {settings_.misc.soundDevType != 0, settings_.usbDevice.device.value(),
                  settings_.misc.volumeIn, settings_.misc.volumeOut};
    return config;
}

// Settings of older versions hold only list positions: once such a device has opened, its
// name is kept, so that from now on it is found by name.
void Station::rememberDeviceNames() {
    auto& s = settings_.soundDevice;
    if (s.mixerDeviceName.value().empty())
        s.mixerDeviceName = nameAt(card_.inputDevices(), s.mixerDevice);
    if (s.mixerDeviceOutName.value().empty())
        s.mixerDeviceOutName = nameAt(card_.outputDevices(), s.mixerDeviceOut);
}

// The device dialog shows (and returns) positions: those the named devices have now.
void Station::fillDeviceChoice(SoundDeviceChoice& c) const {
    const auto& s = settings_.soundDevice;
    c.inputDevice =
        audio::findDevicePosition(card_.inputDevices(), s.mixerDevice, s.mixerDeviceName.value());
    c.outputDevice = audio::findDevicePosition(card_.outputDevices(), s.mixerDeviceOut,
                                               s.mixerDeviceOutName.value());
    c.usbDevice = settings_.usbDevice.device.value();
}

void Station::takeDeviceChoice(const SoundDeviceChoice& c) {
    auto& s = settings_.soundDevice;
    s.mixerDevice = c.inputDevice;
    s.mixerDeviceOut = c.outputDevice;
    s.mixerDeviceName = nameAt(card_.inputDevices(), c.inputDevice);
    s.mixerDeviceOutName = nameAt(card_.outputDevices(), c.outputDevice);
    settings_.usbDevice.device = c.usbDevice;
    card_.setConfig(deviceConfig());
}

void Station::retryReceiveIfDue() {
    const StationMs now = clock_.now();
    if (!recovery_.due(now)) return;
    if (state_ != OperatingState::Stopped) {
        recovery_.cancel();
        return;
    }
    card_.stopInput();
    if (openInput()) {
        recovery_.cancel();
        changeState(OperatingState::Receiving);
        host_.showNote(kReceiveReopenedNote);
    } else {
        recovery_.failedAgain(now);
    }
}

}  // namespace tarnvel::app
