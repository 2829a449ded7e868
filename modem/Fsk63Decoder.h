#pragma once
// Finds the 17-bit block codewords of FSK63, interleaved three deep, in the stream of soft
// symbol values and emits their characters. Signals with swapped tones decode through a second
// set of code phases, without any setting.

#include <array>
#include <cstdint>

#include "modem/CharacterSink.h"
#include "modem/Fsk63CodeTable.h"
#include "modem/SymbolDecoder.h"

namespace tarnvel::modem {

class Fsk63Decoder : public SymbolDecoder {
  public:
    static constexpr int kRingLength = 3 * kFsk63CodeBits;  // three interleaved words
    static constexpr int kCodePhases = kFsk63CodeBits;
    static constexpr int32_t kSoftScale = 640;  // smaller symbol values count as erasures

    // Only the soft symbol values carry information here; bits are ignored.
    void onBit(int /*bit*/) override {}
    // softValue: the receiver's frequency measure relative to the midpoint between the tones.
    void onSymbol(int32_t i, int32_t q, int32_t softValue) override;
    // The correlation state runs on across resets: it resynchronises by itself.
    void reset() override {}
    // The squelch quality of FSK63 is measured by its receiver.
    void measureQuality(int32_t, int32_t, int32_t) override {}

    int16_t channelId = 0;
    CharacterSink* sink = nullptr;  // not owned

    // The code phase (0..16 upright, 17..33 inverted) whose smoothed peak score leads.
    int bestPhase() const { return bestPhase_; }
    int32_t phaseScore(int phase) const { return phaseScore_[phase]; }

  private:
    struct Correlation {
        int32_t best = 0;
        int bestIndex = 0;
        int32_t worst = 0;
        int worstIndex = 0;
    };
    Correlation correlate() const;

    int32_t polarity_ = 0;
    std::array<int32_t, kRingLength> softRing_{};
    int32_t ringPos_ = 0;
    std::array<int32_t, 2 * kCodePhases> phaseScore_{};
    int32_t codePhase_ = 0;
    int32_t bestPhase_ = 0;
};

}  // namespace tarnvel::modem
