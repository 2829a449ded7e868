#pragma once
// The station's sense of time: "now" for the 300 ms housekeeping timer and the channel
// timeouts, the short sleeps of the switching sequences, and the wait for sound events.
// The steady clock is the real one; the manual clock lets tests run timer rules without
// waiting.

#include <chrono>
#include <cstddef>
#include <cstdint>

#include "audio/SoundEvents.h"

namespace tarnvel::app {

using StationMs = int64_t;

class StationClock {
  public:
    virtual ~StationClock() = default;
    virtual StationMs now() const = 0;
    // Blocks the station's thread (the 50 and 55 ms pauses around push-to-talk).
    virtual void sleepFor(StationMs ms) = 0;
    // Waits until a sound event is pending or ms have passed; true when one is pending.
    virtual bool waitForEvents(audio::SoundEvents& events, StationMs ms) = 0;
    // The station has taken count received samples (a clock that follows the audio moves).
    virtual void inputSamples(size_t count) { (void)count; }
};

class SteadyStationClock final : public StationClock {
  public:
    SteadyStationClock() : start_(std::chrono::steady_clock::now()) {}
    StationMs now() const override;
    void sleepFor(StationMs ms) override;
    bool waitForEvents(audio::SoundEvents& events, StationMs ms) override;

  private:
    std::chrono::steady_clock::time_point start_;
};

// Time moves only when told to, or by the full length of a sleep or of a wait that found no
// event.
class ManualStationClock final : public StationClock {
  public:
    StationMs now() const override { return now_; }
    void advance(StationMs ms) { now_ += ms; }
    void sleepFor(StationMs ms) override { now_ += ms > 0 ? ms : 0; }
    bool waitForEvents(audio::SoundEvents& events, StationMs ms) override;

  private:
    StationMs now_ = 0;
};

// Time follows the received audio: a recording decoded faster than real time still gets one
// timer tick per 300 ms of its own audio, so the squelch and the AFC behave as they would
// live. The pauses cost nothing; waiting for events is real.
class AudioStationClock final : public StationClock {
  public:
    explicit AudioStationClock(double sampleRate) : sampleRate_(sampleRate) {}
    StationMs now() const override {
        return static_cast<StationMs>(static_cast<double>(samples_) * 1000.0 / sampleRate_);
    }
    void sleepFor(StationMs) override {}
    bool waitForEvents(audio::SoundEvents& events, StationMs ms) override {
        return events.waitFor(std::chrono::milliseconds(ms > 0 ? ms : 0));
    }
    void inputSamples(size_t count) override { samples_ += count; }

  private:
    double sampleRate_;
    uint64_t samples_ = 0;
};

}  // namespace tarnvel::app
