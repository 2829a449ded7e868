#pragma once
// The seam between the station and whatever carries its audio: a sound card, a recording,
// or a loopback.
//
// Threads: every method is called from the station's thread. A back end moves samples on its
// own thread (an audio callback, a file pacer) through lock-free rings and reports through
// `events()`; it never calls into signal processing.
//
// Receive: `startInput`, then on each InputBlockReady event call `readInputBlock` until it
// returns false. Transmit: `openOutput`, fill the four `outputBuffer`s and `playBuffer` each;
// every OutputBufferDone event names the buffer to refill and play again. A DeviceFailed event
// means the stream has stopped: call `stopInput` / `closeOutput` and tell the operator; a
// later `startInput` / `openOutput` tries again.

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "audio/SoundEvents.h"
#include "audio/SoundTypes.h"

namespace tarnvel::audio {

using InputBlock = std::span<int16_t, kInputBlockSamples>;
using OutputBuffer = std::span<int16_t, kOutputBufferSamples>;

class SoundCard {
  public:
    // `shared`: the events to post into instead of the card's own (a card that switches
    // between back ends gives its own to each).
    explicit SoundCard(const SoundCardConfig& config, SoundEvents* shared = nullptr)
        : config_(config), events_(shared != nullptr ? *shared : ownEvents_) {}
    virtual ~SoundCard() = default;
    SoundCard(const SoundCard&) = delete;
    SoundCard& operator=(const SoundCard&) = delete;

    // The device lists as the device dialog shows them; a device number is a position here.
    virtual std::vector<SoundDeviceInfo> inputDevices() = 0;
    virtual std::vector<SoundDeviceInfo> outputDevices() = 0;

    // New device choice and nominal rate (after the device dialog); used by the next opening.
    void setConfig(const SoundCardConfig& config) { config_ = config; }
    const SoundCardConfig& config() const { return config_; }

    virtual SoundResult startInput() = 0;
    virtual void stopInput() = 0;
    virtual SoundResult openOutput() = 0;
    // Ends transmit output; a back end that writes a file reports a failed write here.
    virtual SoundResult closeOutput() = 0;
    virtual bool inputOpen() const = 0;
    virtual bool outputOpen() const = 0;

    // Copies the next 512 samples at the nominal rate; false when no whole block waits.
    virtual bool readInputBlock(InputBlock block) = 0;

    // The transmit buffers, 0..3, each 1024 samples at the nominal rate.
    OutputBuffer outputBuffer(int index) { return OutputBuffer(outputBuffers_.at(index)); }
    // Queues a filled buffer for playing; it comes back as an OutputBufferDone event.
    virtual SoundResult playBuffer(int index) = 0;

    SoundEvents& events() { return events_; }

    // Samples lost because the station's thread fell behind (input) or ran dry (output).
    virtual uint64_t inputOverruns() const { return 0; }
    virtual uint64_t outputUnderruns() const { return 0; }

    // What stopped the stream of `direction` after a DeviceFailed event, naming the device;
    // empty when the event's error code says all there is.
    virtual std::string failureDetail(SoundDirection) const { return {}; }

  protected:
    static bool validBuffer(int index) { return index >= 0 && index < kOutputBuffersInFlight; }

    SoundCardConfig config_;

  private:
    SoundEvents ownEvents_;

  protected:
    SoundEvents& events_;
    std::array<std::array<int16_t, kOutputBufferSamples>, kOutputBuffersInFlight> outputBuffers_{};
};

}  // namespace tarnvel::audio
