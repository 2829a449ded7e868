#pragma once
// The frequency discriminator shared by the FSK31 and FSK63 receivers: it measures the phase
// advance over 16 decimated samples, keeps a self-adjusting midpoint between the two tones,
// runs the symbol clock that tone changes pull, and grades the signal for the squelch.

#include <array>
#include <cstdint>

namespace tarnvel::modem {

class FskToneTracker {
  public:
    static constexpr int kPhaseRingLength = 16;  // the frequency is measured over 16 samples
    static constexpr int32_t kInitialLowLevel = -1000000000;
    static constexpr int32_t kInitialHighLevel = 1000000000;
    static constexpr int32_t kMinLevelCode = 10;
    static constexpr int kQualityWindow = 20;  // symbols per quality figure
    static constexpr int32_t kBestQuality = 31;

    // Level code of a filtered sample for the phase scope: 100 per decade of power above 10^7,
    // never below kMinLevelCode (also for a sample of zero power).
    static int32_t levelCode(int32_t i, int32_t q);
    // One symbol's contribution to the quality sum: 0 when the frequency measure sits a
    // quarter turn from zero, up to 64 when it sits at zero or half a turn.
    static int32_t qualityPenalty(int32_t freqMeasure);

    // Recomputes the midpoint and measures the phase advance of the new sample (I, Q).
    void measure(int32_t i, int32_t q);
    // Once per symbol: adds the frequency measure to the quality window and moves the level of
    // the given tone a quarter of the way toward it.
    void endSymbol(int32_t tone);
    // Advances the symbol clock by step; true when it passed the middle of a symbol (the
    // clock then runs on from -32768).
    bool advanceClock(int32_t step);

    int32_t midpoint = 0;  // between the two tones; the frequency error word of the AFC
    int32_t quality = 0;   // 0..31 for the squelch
    int32_t phase = 0;     // 32-bit angle of the last sample
    int32_t freqMeasure = 0;
    std::array<int32_t, kPhaseRingLength> phaseRing{};
    int32_t phaseRingIndex = 0;
    int32_t lowLevel = kInitialLowLevel;
    int32_t highLevel = kInitialHighLevel;
    int32_t lastTone = 0;
    int32_t prevSymbolTone = 0;
    int32_t symbolClock = 0;
    int32_t qualitySum = 0;
    int32_t qualityCount = 0;
};

}  // namespace tarnvel::modem
