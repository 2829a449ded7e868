#pragma once
// The ranges a value from a prompt or the settings file must lie in before it reaches the
// signal processing, where a value far outside would overflow a conversion.

#include <cmath>
#include <cstdlib>

namespace tarnvel::app {

// A sound card whose clock is off by more than 10 % is not a sound card.
inline constexpr int kMaxRateCorrectionPpm = 100000;

inline bool usableRateCorrection(long ppm) {
    return std::labs(ppm) <= kMaxRateCorrectionPpm;
}

// An audio frequency the receivers and the transmitter can work at: above 0, at most half the
// nominal sample rate (the top of the spectrum).
inline bool usableAudioFrequency(double hz, int nominalRate) {
    return std::isfinite(hz) && hz > 0.0 && hz <= nominalRate / 2.0;
}

// The transmit offset ("Offset"): finite and within the spectrum, else none.
inline double usableTransmitOffset(double hz, int nominalRate) {
    return std::isfinite(hz) && std::fabs(hz) <= nominalRate / 2.0 ? hz : 0.0;
}

}  // namespace tarnvel::app
