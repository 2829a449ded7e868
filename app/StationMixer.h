#pragma once
// The station's sound card mixer: the mixers of the chosen input and output devices, the four
// stored levels and the recording source ("Sound device" section), applied at start when
// "VolumeCtrl" is on, and the transmit level. The mixers are opened when needed and closed
// after, so a card plugged in later is found.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "audio/MixerCard.h"
#include "audio/MixerControls.h"
#include "audio/SoundMixer.h"
#include "audio/SoundTypes.h"

namespace tarnvel::app {

class Station;

class StationMixer {
  public:
    struct OpenedControls {
        std::unique_ptr<audio::MixerControls> controls;  // null when it could not be opened
        std::string error;
    };
    // Opens the mixer of an ALSA control name; tests hand in a fake.
    using Opener = std::function<OpenedControls(const std::string& control)>;
    static OpenedControls openAlsa(const std::string& control);

    struct Opened {
        std::unique_ptr<audio::SoundMixer> mixer;  // null: none, error says why
        std::string error;
    };

    explicit StationMixer(Station& station, Opener opener = openAlsa);

    // The mixer that goes with the chosen input or output device.
    audio::MixerCardChoice cardFor(audio::SoundDirection direction) const;
    Opened open(audio::SoundDirection direction) const;

    bool volumeControl() const;
    void setVolumeControl(bool on);
    int storedLevel(audio::MixerLine line) const;
    void storeLevel(audio::MixerLine line, int level);
    audio::RecordSource storedSource() const;
    void storeSource(audio::RecordSource source);
    bool selectSource() const;

    // With "VolumeCtrl" on, the stored levels and source go to both mixers. Returns what could
    // not be set (empty: all went well, or the mixer is not driven).
    std::vector<std::string> applyStored();

    // The transmit level: attenuation in dB, stored and applied to the transmitter at once.
    double transmitAttenuation() const;
    void setTransmitAttenuation(double db);

  private:
    std::string deviceName(audio::SoundDirection direction) const;

    Station& station_;
    Opener opener_;
};

}  // namespace tarnvel::app
