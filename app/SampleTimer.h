#pragma once
// A periodic timer driven by audio instead of the clock: it counts the samples handed to the
// receiver and reports the ticks that fell due, so that a recording runs the main frame's
// 300 ms housekeeping (squelch, AFC) at the pace of its own audio, however fast it is decoded.

#include <cstddef>
#include <cstdint>

namespace tarnvel::app {

inline constexpr int kHousekeepingPeriodMs = 300;

class SampleTimer {
  public:
    SampleTimer(double sampleRate, int periodMs)
        : samplesPerTick_(sampleRate * periodMs / 1000.0) {}

    // Counts `samples` more samples; returns how many ticks fell due (0 for blocks shorter than
    // the period, more than 1 for longer blocks).
    int advance(size_t samples);

    uint64_t ticks() const { return ticks_; }

  private:
    double samplesPerTick_;
    uint64_t samples_ = 0;
    uint64_t ticks_ = 0;
};

}  // namespace tarnvel::app
