#pragma once
// A sound card whose input hears its own output: every played buffer comes back as input
// (when the input is running) and as an OutputBufferDone event, at once and exactly. For
// tests of the station's receive and transmit paths without any audio hardware.

#include <string>

#include "audio/SoundCard.h"
#include "audio/SpscRing.h"

namespace tarnvel::audio {

class LoopbackSoundCard final : public SoundCard {
  public:
    explicit LoopbackSoundCard(const SoundCardConfig& config = {});

    std::vector<SoundDeviceInfo> inputDevices() override;
    std::vector<SoundDeviceInfo> outputDevices() override;

    SoundResult startInput() override;
    void stopInput() override;
    SoundResult openOutput() override;
    SoundResult closeOutput() override;
    bool inputOpen() const override { return inputOpen_; }
    bool outputOpen() const override { return outputOpen_; }

    bool readInputBlock(InputBlock block) override;
    SoundResult playBuffer(int index) override;

    uint64_t inputOverruns() const override { return overruns_; }

    // Feeds samples to the input as if they had been received (for example a recording).
    void inject(std::span<const int16_t> samples);

  private:
    SoundResult checkDevice(int deviceId, const std::string& name, const char* side) const;

    SpscRing<int16_t> ring_;
    uint32_t inputStream_ = 0;
    uint32_t outputStream_ = 0;
    bool inputOpen_ = false;
    bool outputOpen_ = false;
    std::size_t sinceLastEvent_ = 0;
    uint64_t overruns_ = 0;
};

}  // namespace tarnvel::audio
