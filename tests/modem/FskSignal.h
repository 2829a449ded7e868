#pragma once
// Test-only FSK31 and FSK63 signal generators: phase-continuous tones a quarter of the symbol
// rate either side of the centre, as the station's transmitter sends them, with the FSK63
// block code interleaved three deep. The tone sense can be swapped.

#include <cmath>
#include <cstdint>
#include <string_view>
#include <vector>

#include "modem/Fsk63CodeTable.h"

namespace tarnvel::modem::testing {

class ToneSequence {
  public:
    ToneSequence(double centreHz, double baud, double sampleRate = 11025.0,
                 double amplitude = 8000.0)
        : centre_(centreHz),
          deviation_(baud / 4),
          samplesPerSymbol_(sampleRate / baud),
          sampleRate_(sampleRate),
          amplitude_(amplitude) {}

    // One symbol on the upper (tone 1) or lower (tone 0) tone.
    void symbol(int tone, std::vector<int16_t>& out) {
        const double hz = centre_ + (tone ? deviation_ : -deviation_);
        due_ += samplesPerSymbol_;
        while (due_ >= 1.0) {
            phase_ = std::fmod(phase_ + 2.0 * M_PI * hz / sampleRate_, 2.0 * M_PI);
            out.push_back(static_cast<int16_t>(std::lround(amplitude_ * std::sin(phase_))));
            due_ -= 1.0;
        }
    }

  private:
    double centre_, deviation_, samplesPerSymbol_, sampleRate_, amplitude_;
    double phase_ = 0.0;
    double due_ = 0.0;
};

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
    ToneSequence tones(centreHz, 62.5);
    std::vector<int16_t> out;
    auto sendWord = [&] {
        for (int s = 0; s < kFsk63CodeBits; ++s) {
            const int b = ring[pos];
            pos = (pos + 1) % kRing;
            toggle ^= 1;
            tones.symbol((b ^ toggle) ^ (swapTones ? 1 : 0), out);
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
