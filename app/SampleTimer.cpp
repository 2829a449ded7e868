#include "app/SampleTimer.h"

#include <cmath>

namespace tarnvel::app {

int SampleTimer::advance(size_t samples) {
    samples_ += samples;
    if (!(samplesPerTick_ > 0.0)) return 0;
    // From the running total, so that a period of a fractional sample count (3307.5 at
    // 11025 Hz) does not drift.
    const auto due =
        static_cast<uint64_t>(std::floor(static_cast<double>(samples_) / samplesPerTick_));
    const uint64_t fresh = due - ticks_;
    ticks_ = due;
    return static_cast<int>(fresh);
}

}  // namespace tarnvel::app
