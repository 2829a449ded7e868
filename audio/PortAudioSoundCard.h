#pragma once
// The real sound card through PortAudio: 16-bit mono at the nominal rate, or at the device's
// own rate with conversion when the device refuses the nominal one.
//
// The callbacks only copy samples between the device and lock-free rings and post events;
// conversion and everything else happens on the station's thread. A stream that stops on its
// own (the sound server died, the device was unplugged) posts a DeviceFailed event, and so does
// one whose callback stops coming (a frozen server); such a stream is then closed on a thread of
// its own, because closing it would block until the server moves.

#include <memory>

#include "audio/PortAudioLibrary.h"
#include "audio/PortAudioStream.h"
#include "audio/SoundCard.h"
#include "audio/StreamWatchdog.h"

namespace tarnvel::audio {

class PortAudioSoundCard final : public SoundCard {
  public:
    explicit PortAudioSoundCard(const SoundCardConfig& config = {}, SoundEvents* shared = nullptr);
    ~PortAudioSoundCard() override;

    std::vector<SoundDeviceInfo> inputDevices() override;
    std::vector<SoundDeviceInfo> outputDevices() override;

    SoundResult startInput() override;
    void stopInput() override;
    SoundResult openOutput() override;
    SoundResult closeOutput() override;
    bool inputOpen() const override { return input_ != nullptr; }
    bool outputOpen() const override { return output_ != nullptr; }

    bool readInputBlock(InputBlock block) override;
    SoundResult playBuffer(int index) override;

    uint64_t inputOverruns() const override;
    uint64_t outputUnderruns() const override;

    // The rate the open stream runs at (0 when closed); differs from the nominal rate when
    // the device refused it and the samples are converted.
    int inputDeviceRate() const;
    int outputDeviceRate() const;

    // True while a stream is still being closed on its closing thread (one the station left
    // behind because the sound server did not answer).
    static bool backgroundClosesPending();

  private:
    std::vector<SoundDeviceInfo> devices(SoundDirection direction);
    bool readConverted(PortAudioInputStream& s, InputBlock block);

    // Declared first so that it ends last: closing streams needs the library.
    PortAudioLibrary library_;
    std::unique_ptr<PortAudioInputStream> input_;
    std::unique_ptr<PortAudioOutputStream> output_;
    StreamWatchdog watchdog_;
};

}  // namespace tarnvel::audio
