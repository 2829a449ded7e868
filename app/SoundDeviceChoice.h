#pragma once
// The sound device dialog's values: the nominal rate, the kind of device, the input and output
// devices and the USB device's port and levels.

#include <string>

namespace tarnvel::app {

struct SoundDeviceChoice {
    int nominalRate = 11025;
    int deviceType = 0;    // 0 sound card, 1 USB device
    int inputDevice = -1;  // -1 the preferred (default) device
    int outputDevice = -1;
    int virtualPort = 12;  // "VirtualComPort": list entry number - 1
    int usbVolumeIn = 255;
    int usbVolumeOut = 255;
    std::string usbDevice;  // "UsbDevice": the USB device's serial device path
};

}  // namespace tarnvel::app
