#include "audio/PortAudioDevices.h"

namespace tarnvel::audio {

int channelsOf(const PaDeviceInfo& info, SoundDirection direction) {
    return direction == SoundDirection::Input ? info.maxInputChannels : info.maxOutputChannels;
}

std::vector<SoundDeviceInfo> listDevices(SoundDirection direction) {
    std::vector<SoundDeviceInfo> devices;
    const PaDeviceIndex count = Pa_GetDeviceCount();
    for (PaDeviceIndex i = 0; i < count; ++i) {
        const PaDeviceInfo* info = Pa_GetDeviceInfo(i);
        if (info == nullptr || channelsOf(*info, direction) <= 0) continue;
        devices.push_back({info->name, channelsOf(*info, direction), info->defaultSampleRate});
    }
    return devices;
}

PaDeviceIndex resolveDevice(int deviceId, SoundDirection direction) {
    if (deviceId == kMissingDevice) return paNoDevice;
    if (deviceId < 0) {
        return direction == SoundDirection::Input ? Pa_GetDefaultInputDevice()
                                                  : Pa_GetDefaultOutputDevice();
    }
    int position = 0;
    const PaDeviceIndex count = Pa_GetDeviceCount();
    for (PaDeviceIndex i = 0; i < count; ++i) {
        const PaDeviceInfo* info = Pa_GetDeviceInfo(i);
        if (info == nullptr || channelsOf(*info, direction) <= 0) continue;
        if (position == deviceId) return i;
        ++position;
    }
    return paNoDevice;
}

std::vector<StreamFormat> candidateFormats(const PaDeviceInfo& info, SoundDirection direction,
                                           const SoundCardConfig& config) {
    const int ownRate = static_cast<int>(info.defaultSampleRate);
    const int maxChannels = channelsOf(info, direction);
    std::vector<int> rates;
    if (config.forcedDeviceRate > 0) {
        rates = {config.forcedDeviceRate};
    } else {
        rates = {config.nominalRate};
        if (ownRate > 0 && ownRate != config.nominalRate) rates.push_back(ownRate);
    }
    std::vector<StreamFormat> formats;
    for (int channels : {1, 2}) {
        if (channels > maxChannels) continue;
        for (int rate : rates) formats.push_back({channels, rate});
    }
    return formats;
}

}  // namespace tarnvel::audio
