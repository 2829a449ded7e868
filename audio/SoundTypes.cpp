#include "audio/SoundTypes.h"

namespace tarnvel::audio {

const char* soundErrorText(SoundError error) {
    switch (error) {
        case SoundError::None:
            return "no error";
        case SoundError::NoDevice:
            return "no such sound device";
        case SoundError::DeviceUnavailable:
            return "the sound device is in use or no longer present";
        case SoundError::FormatRefused:
            return "the sound device accepts no usable format";
        case SoundError::DeviceVanished:
            return "the sound device stopped while running";
        case SoundError::NotOpen:
            return "the sound stream is not open";
        case SoundError::BadBuffer:
            return "bad output buffer";
        case SoundError::OutputFull:
            return "too many output buffers queued";
        case SoundError::FileOpenFailed:
            return "the sound file could not be opened";
        case SoundError::FileReadFailed:
            return "the sound file could not be read";
        case SoundError::WriteFailed:
            return "writing the sound file failed";
        case SoundError::LibraryFailed:
            return "the audio library failed to start";
    }
    return "unknown sound error";
}

int findDevicePosition(const std::vector<SoundDeviceInfo>& devices, int deviceId,
                       const std::string& name) {
    if (name.empty() || deviceId == kPreferredDevice) return deviceId;
    if (deviceId >= 0 && static_cast<size_t>(deviceId) < devices.size() &&
        devices[static_cast<size_t>(deviceId)].name == name)
        return deviceId;
    for (size_t i = 0; i < devices.size(); ++i)
        if (devices[i].name == name) return static_cast<int>(i);
    return kMissingDevice;
}

}  // namespace tarnvel::audio
