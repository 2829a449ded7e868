#pragma once
// Which ALSA mixer goes with a sound device the station plays or records on. PortAudio names
// an ALSA hardware device "USB Audio CODEC: - (hw:1,0)": its card's mixer is "hw:1". The
// system's preferred device (-1) and the "default", "sysdefault", "pulse" and "pipewire"
// devices get the mixer of the same name: under PulseAudio or PipeWire it sets the sound
// server's default output and input volumes (shared with every other program), on a system
// without a sound server the first card's. Other devices (mixing plug-ins, files, the loopback,
// the USB serial device) have no mixer.

#include <string>

namespace tarnvel::audio {

struct MixerCardChoice {
    std::string control;  // ALSA control name ("hw:1", "default"); empty: none
    std::string reason;   // when none: why, naming the device
};

MixerCardChoice mixerCardFor(int deviceId, const std::string& deviceName);

}  // namespace tarnvel::audio
