#pragma once
// The station's sound card as the settings choose it: the sound card (PortAudio), or the USB
// sound device when the configuration asks for it ("SoundDevType" other than 0). The choice
// is looked at whenever a direction opens with neither open, so a new choice takes effect
// at the next opening; both back ends post into this card's events.

#include <memory>

#include "audio/PortAudioSoundCard.h"
#include "audio/UsbDeviceSoundCard.h"

namespace tarnvel::audio {

class SelectedSoundCard final : public SoundCard {
  public:
    explicit SelectedSoundCard(const SoundCardConfig& config = {});

    // The lists of the sound card: the device dialog shows them whichever is in use.
    std::vector<SoundDeviceInfo> inputDevices() override { return card_.inputDevices(); }
    std::vector<SoundDeviceInfo> outputDevices() override { return card_.outputDevices(); }

    SoundResult startInput() override;
    void stopInput() override { active().stopInput(); }
    SoundResult openOutput() override;
    SoundResult closeOutput() override { return active().closeOutput(); }
    bool inputOpen() const override { return active().inputOpen(); }
    bool outputOpen() const override { return active().outputOpen(); }
    bool readInputBlock(InputBlock block) override { return active().readInputBlock(block); }
    SoundResult playBuffer(int index) override;
    std::string failureDetail(SoundDirection d) const override { return active().failureDetail(d); }
    uint64_t inputOverruns() const override { return active().inputOverruns(); }
    uint64_t outputUnderruns() const override { return active().outputUnderruns(); }

    bool usingUsbDevice() const { return usingUsb_; }

  private:
    SoundCard& active() { return usingUsb_ ? static_cast<SoundCard&>(usb_) : card_; }
    const SoundCard& active() const {
        return usingUsb_ ? static_cast<const SoundCard&>(usb_) : card_;
    }
    // Follows the configuration when nothing is open, and hands it to the back end.
    SoundCard& select();

    PortAudioSoundCard card_;
    UsbDeviceSoundCard usb_;
    bool usingUsb_ = false;
};

}  // namespace tarnvel::audio
