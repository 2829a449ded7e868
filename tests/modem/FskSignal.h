#pragma once
// Test-only FSK signal generators and a noise source: phase-continuous two-tone FSK (FSK31 and
// FSK63 put the tones a quarter of the symbol rate either side of the centre), and FSK63 with its
// block code interleaved three deep and the tone sense optionally swapped.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <random>
#include <string_view>
#include <vector>

#include "modem/Fsk63CodeTable.h"

namespace tarnvel::modem::testing {

// Phase-continuous two-tone FSK: bit 1 on the upper tone, bit 0 on the lower, shift Hz apart
// around the centre frequency.
class FskModulator {
  public:
    FskModulator(double centreHz, double shiftHz, double baud, double sampleRate = 11025.0,
                 double amplitude = 8000.0)
        : centre_(centreHz),
          shift_(shiftHz),
          samplesPerBit_(sampleRate / baud),
          sampleRate_(sampleRate),
          amplitude_(amplitude) {}

    void modulate(const std::vector<int>& bits, std::vector<int16_t>& out) {
        for (int bit : bits) {
            const double hz = centre_ + (bit ? shift_ / 2 : -shift_ / 2);
            for (due_ += samplesPerBit_; due_ >= 1.0; due_ -= 1.0) {
                phase_ = std::fmod(phase_ + 2.0 * M_PI * hz / sampleRate_, 2.0 * M_PI);
                out.push_back(static_cast<int16_t>(std::lround(amplitude_ * std::sin(phase_))));
            }
        }
    }

  private:
    double centre_, shift_, samplesPerBit_, sampleRate_, amplitude_;
    double phase_ = 0.0;
    double due_ = 0.0;
};

// Adds white Gaussian noise of the given RMS, reproducibly, clipped to the 16-bit range.
inline void addNoise(std::vector<int16_t>& audio, double rms, unsigned seed) {
    std::mt19937 rng(seed);
    std::normal_distribution<double> noise(0.0, rms);
    for (auto& s : audio)
        s = static_cast<int16_t>(std::lround(std::clamp(s + noise(rng), -32767.0, 32767.0)));
}

// FSK63 as the block encoder sends it: each character's 17-bit word spread over every third
// symbol, the idle word between characters, every other symbol inverted.
inline std::vector<int16_t> fsk63Signal(std::string_view text, double centreHz, bool swapTones,
                                        int idleWordsBefore = 12, int idleWordsAfter = 6) {
    constexpr int kRing = 3 * kFsk63CodeBits;
    uint8_t ring[kRing] = {};
    int pos = 0;
    int toggle = 0;
    auto put = [&](int index) {
        const uint32_t w = Fsk63CodeTable[index];
        for (int i = 0; i < kFsk63CodeBits; ++i) ring[(3 * i + pos) % kRing] = (w >> i) & 1;
    };
    FskModulator tones(centreHz, 31.25, 62.5);
    std::vector<int16_t> out;
    auto sendWord = [&] {
        for (int s = 0; s < kFsk63CodeBits; ++s) {
            const int b = ring[pos];
            pos = (pos + 1) % kRing;
            toggle ^= 1;
            tones.modulate({(b ^ toggle) ^ (swapTones ? 1 : 0)}, out);
        }
    };
    for (int n = 0; n < idleWordsBefore; ++n) {
        put(kFsk63IdleWord);
        sendWord();
    }
    for (char c : text) {
        put(static_cast<unsigned char>(c));
        sendWord();
    }
    // Three more words flush the interleaver.
    for (int n = 0; n < idleWordsAfter; ++n) {
        put(kFsk63IdleWord);
        sendWord();
    }
    return out;
}

}  // namespace tarnvel::modem::testing
