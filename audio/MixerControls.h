#pragma once
// The controls of one sound card's mixer as the card names them ("Master", "PCM", "Capture",
// "Mic", "Capture Source"...), with their raw value ranges: the door between the level logic
// (SoundMixer) and the system's mixer. AlsaMixer drives a real card; tests put a fake here.

#include <optional>
#include <string>
#include <vector>

namespace tarnvel::audio {

enum class MixerDirection { Playback, Capture };

// A volume control's raw range; min may be negative, max may be anything above min.
struct VolumeRange {
    long min = 0;
    long max = 0;
};

class MixerControls {
  public:
    virtual ~MixerControls() = default;

    // The card as the system names it ("USB Audio CODEC", "PulseAudio").
    virtual std::string cardName() const = 0;
    // Every control's name, in the card's order.
    virtual std::vector<std::string> controlNames() const = 0;

    // Nothing when the control has no volume in that direction.
    virtual std::optional<VolumeRange> volumeRange(const std::string& control,
                                                   MixerDirection direction) const = 0;
    // The first channel's raw value.
    virtual std::optional<long> volume(const std::string& control,
                                       MixerDirection direction) const = 0;
    // Writes the raw value to every channel; false when the card refused it.
    virtual bool setVolume(const std::string& control, MixerDirection direction, long value) = 0;

    virtual bool hasSwitch(const std::string& control, MixerDirection direction) const = 0;
    virtual bool setSwitch(const std::string& control, MixerDirection direction, bool on) = 0;

    // A control that chooses the recording source from a list ("Capture Source"): its items;
    // empty for any other control.
    virtual std::vector<std::string> sourceItems(const std::string& control) const = 0;
    virtual bool selectSourceItem(const std::string& control, unsigned item) = 0;
};

}  // namespace tarnvel::audio
