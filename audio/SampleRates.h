#pragma once
// The rates the signal processing assumes: the nominal rate corrected by a ppm setting.

namespace tarnvel::audio {

// trunc((ppm + 1e6) * nominal / 1e6 + 0.5): the corrected rate rounded half up to a whole
// number of samples per second. The sound card itself always runs at the nominal rate.
inline double correctedRate(int nominal, double ppm) {
    return static_cast<double>(
        static_cast<long long>((ppm + 1000000.0) * nominal / 1000000.0 + 0.5));
}

struct SampleRates {
    int nominal;
    double rx;  // given to the receivers
    double tx;  // given to the transmitter
};

inline SampleRates sampleRates(int nominal, double rxPpm, double txPpm) {
    return {nominal, correctedRate(nominal, rxPpm), correctedRate(nominal, txPpm)};
}

}  // namespace tarnvel::audio
