#pragma once
// The real sound card through PortAudio: 16-bit mono at the nominal rate, or at the device's
// own rate with conversion when the device refuses the nominal one.
//
// The callbacks only copy samples between the device and lock-free rings and post events;
// conversion and everything else happens on the station's thread. A stream that stops on its
// own (the sound server died, the device was unplugged) posts a DeviceFailed event, and so does
// one whose callback stops coming (a frozen server); such a stream is then closed on a thread of
// its own, because closing it would block until the server moves.

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

#include "audio/SoundCard.h"

namespace tarnvel::audio {

class PortAudioSoundCard final : public SoundCard {
  public:
    explicit PortAudioSoundCard(const SoundCardConfig& config = {});
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

    struct StreamState;
    struct InputStream;
    struct OutputStream;

  private:
    static constexpr std::chrono::milliseconds kWatchInterval{250};

    void watch();

    SoundResult ensureLibrary();
    void restartLibrary();
    std::vector<SoundDeviceInfo> listDevices(SoundDirection direction);

    // The watchdog reads the stream pointers under watchMutex_; the station's thread changes
    // them under it and otherwise uses them alone.
    std::unique_ptr<InputStream> input_;
    std::unique_ptr<OutputStream> output_;
    std::mutex watchMutex_;
    std::condition_variable watchWake_;
    bool stopWatching_ = false;
    std::thread watchdog_;
    bool libraryUp_ = false;
    // Set after a failure, so that the next opening looks at the system's devices afresh
    // (a restarted sound server is only seen by a new library session).
    bool refreshLibrary_ = false;
};

}  // namespace tarnvel::audio
