#pragma once
// One ALSA mixer (a card "hw:1", or "default"/"pulse", which a sound server answers) through
// alsa-lib's simple mixer interface. Controls are found by name, index 0.

#include <memory>
#include <string>

#include "audio/MixerControls.h"

struct _snd_mixer;
struct _snd_mixer_elem;

namespace tarnvel::audio {

class AlsaMixer final : public MixerControls {
  public:
    struct Opened {
        std::unique_ptr<AlsaMixer> mixer;  // null when it could not be opened
        std::string error;                 // names the mixer and the system's reason
    };
    // Opens the mixer of an ALSA control name ("hw:1", "default").
    static Opened open(const std::string& controlName);

    ~AlsaMixer() override;
    AlsaMixer(const AlsaMixer&) = delete;
    AlsaMixer& operator=(const AlsaMixer&) = delete;

    std::string cardName() const override { return cardName_; }
    std::vector<std::string> controlNames() const override;
    std::optional<VolumeRange> volumeRange(const std::string& control,
                                           MixerDirection direction) const override;
    std::optional<long> volume(const std::string& control, MixerDirection direction) const override;
    bool setVolume(const std::string& control, MixerDirection direction, long value) override;
    bool hasSwitch(const std::string& control, MixerDirection direction) const override;
    bool setSwitch(const std::string& control, MixerDirection direction, bool on) override;
    std::vector<std::string> sourceItems(const std::string& control) const override;
    bool selectSourceItem(const std::string& control, unsigned item) override;

  private:
    AlsaMixer(_snd_mixer* handle, std::string cardName);
    _snd_mixer_elem* find(const std::string& control) const;

    _snd_mixer* handle_;
    std::string cardName_;
};

}  // namespace tarnvel::audio
