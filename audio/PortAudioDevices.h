#pragma once
// The system's sound devices as PortAudio lists them, and the formats worth trying on one.
// Needs a running library session (PortAudioLibrary).

#include <portaudio.h>

#include <vector>

#include "audio/SoundTypes.h"

namespace tarnvel::audio {

struct StreamFormat {
    int channels;
    int rate;
};

int channelsOf(const PaDeviceInfo& info, SoundDirection direction);

// The devices of one direction, in the order the device dialog shows them.
std::vector<SoundDeviceInfo> listDevices(SoundDirection direction);

// Device number (position in the direction's list, or -1 for the preferred one) to
// PortAudio's index, or paNoDevice (also for kMissingDevice).
PaDeviceIndex resolveDevice(int deviceId, SoundDirection direction);

// The formats to try, best first: mono at the nominal rate needs no conversion at all.
std::vector<StreamFormat> candidateFormats(const PaDeviceInfo& info, SoundDirection direction,
                                           const SoundCardConfig& config);

}  // namespace tarnvel::audio
