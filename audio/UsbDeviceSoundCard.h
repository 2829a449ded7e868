#pragma once
// The USB sound device as the station's sound card: receive and transmit audio over the
// device's serial link (UsbDeviceLink) instead of a sound card.
//
// Receive: the link's reader only collects bytes; `readInputBlock` parses them on the
// station's thread into 512-sample blocks. Transmit: each played buffer becomes one
// 3072-byte block; it comes back as OutputBufferDone at once while the device can take more,
// else when a queued block has been written. Closing the output ends the last block with
// 'B' 'G' 0 (or sends 'B') and waits until the device has every block, so the transmitter
// is not released under the end of the transmission.
//
// The device runs at 10417 samples per second; the station is expected to run at that rate
// (the sound device dialog proposes it). Any other nominal rate is refused with a message.
// A failure of the link (read or write error, the device unplugged) is posted as
// DeviceFailed for each open direction, and `failureDetail` names the device.

#include <atomic>
#include <string>

#include "audio/SoundCard.h"
#include "audio/UsbDeviceLink.h"

namespace tarnvel::audio {

class UsbDeviceSoundCard final : public SoundCard, private UsbLinkListener {
  public:
    // `shared`: post into these events instead of the card's own (for a card that switches
    // between back ends).
    explicit UsbDeviceSoundCard(const SoundCardConfig& config = {}, SoundEvents* shared = nullptr);
    ~UsbDeviceSoundCard() override;

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
    std::string failureDetail(SoundDirection direction) const override;
    uint64_t inputOverruns() const override { return link_.receiveStalls(); }

    // Sends the shutdown sequence and closes the link (also done when the card goes).
    void shutdown();
    bool linkOpen() const { return link_.isOpen(); }
    // Characters the device sent (the last few hundred).
    const std::string& deviceCharacters() const { return characters_; }

  private:
    SoundResult openLink();
    SoundResult checkRate() const;
    void bytesArrived() override;
    void readyForMore(int tag) override;
    void failed() override;

    UsbDeviceLink link_;
    usb::RecordParser parser_;
    usb::Levels sentLevels_;
    std::array<uint8_t, 2048> rawBytes_{};
    std::array<int16_t, kInputBlockSamples + 2048 / 3 + 1> parsed_{};
    std::size_t parsedCount_ = 0;
    std::string characters_;
    std::array<uint8_t, usb::kBlockBytes> block_{};
    bool firstBlock_ = false;
    std::atomic<uint32_t> inputStream_{0};
    std::atomic<uint32_t> outputStream_{0};
    bool inputOpen_ = false;
    bool outputOpen_ = false;
};

}  // namespace tarnvel::audio
