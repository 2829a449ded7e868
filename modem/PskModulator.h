#pragma once
// The transmit modulator of every sending mode: one constellation point per symbol period, a
// raised-cosine transition from each point to the next, on a carrier at the transmit frequency.

#include <cstdint>

#include "modem/Tables.h"

namespace tarnvel::modem {

// Constellation points the encoders and the sequencer produce.
inline constexpr int kSymbolPhase0 = 0;    // +1, 0
inline constexpr int kSymbolPhaseM90 = 1;  // 0, -1
inline constexpr int kSymbolPhase180 = 2;  // -1, 0
inline constexpr int kSymbolPhaseP90 = 3;  // 0, +1
inline constexpr int kSymbolSilence = 4;   // no carrier
inline constexpr int kSymbolModulus = 12;  // symbols are stored modulo this

class PskModulator {
  public:
    static constexpr double kDefaultSymbolRate = 31.25;
    static constexpr double kDefaultCarrierHz = 1000.0;
    static constexpr double kDefaultSampleRate = 11025.0;

    PskModulator();

    // Clock and carrier phase to 0, both envelope points to silence.
    void reset();
    // toneShift (Hz) is kept only for two-tone symbols, which no sender produces.
    void configure(double toneShift, double symbolRate);
    void setCarrierFrequency(double hz);
    void setSampleRate(double rate);

    // The point being approached becomes the point being left; s (stored modulo 12) is the new
    // point approached over the coming symbol period.
    void pushSymbol(int s);

    // The next output sample. symbolDue becomes 1 when a symbol period ended with this sample.
    int16_t nextSample(int& symbolDue) {
        // The top 15 bits of the clock sweep half a turn per symbol: a falls from +1 to -1.
        const int32_t a = cos16(symbolClock_ >> 17);
        const int32_t wPrev = kFullWeight / 2 + a;
        const int32_t wCur = kFullWeight / 2 - a;
        const Point& p = kPoints[prevSymbol_];
        const Point& c = kPoints[curSymbol_];
        const int32_t iEnv = wPrev * p.i + wCur * c.i;
        const int32_t qEnv = wPrev * p.q + wCur * c.q;
        // 64-bit products give the 32-bit results for every reachable envelope, without the
        // risk of signed overflow.
        const int64_t mixed = static_cast<int64_t>(cos16(carrierPhase_)) * iEnv +
                              static_cast<int64_t>(sin16(carrierPhase_)) * qEnv;
        const auto sample = static_cast<int16_t>(static_cast<int32_t>(mixed >> 16));
        carrierPhase_ = static_cast<uint16_t>(carrierPhase_ + static_cast<uint16_t>(carrierStep_));
        const uint32_t old = symbolClock_;
        symbolClock_ += symbolStep_;
        symbolDue = symbolClock_ < old ? 1 : 0;
        return sample;
    }

    uint32_t symbolClock() const { return symbolClock_; }
    uint32_t symbolStep() const { return symbolStep_; }
    uint16_t carrierPhase() const { return carrierPhase_; }
    int16_t carrierStep() const { return carrierStep_; }
    double symbolRate() const { return symbolRate_; }
    double toneShift() const { return toneShift_; }
    double carrierFrequency() const { return carrierHz_; }
    double sampleRate() const { return sampleRate_; }
    int prevSymbol() const { return prevSymbol_; }
    int curSymbol() const { return curSymbol_; }

  private:
    struct Point {
        int32_t i;
        int32_t q;
    };
    // Raised-cosine weights of the two points always add up to this.
    static constexpr int32_t kFullWeight = 65534;
    // Points 5..11 are reserved for two-tone symbols and send no carrier.
    static constexpr Point kPoints[kSymbolModulus] = {
        {1, 0}, {0, -1}, {-1, 0}, {0, 1}, {0, 0}, {0, 0},
        {0, 0}, {0, 0},  {0, 0},  {0, 0}, {0, 0}, {0, 0},
    };

    void recomputeSteps();

    uint32_t symbolClock_ = 0;
    uint32_t symbolStep_ = 0;
    uint16_t carrierPhase_ = 0;
    int16_t carrierStep_ = 0;
    double symbolRate_ = kDefaultSymbolRate;
    double toneShift_ = 0.0;
    double carrierHz_ = kDefaultCarrierHz;
    double sampleRate_ = kDefaultSampleRate;
    int16_t prevSymbol_ = kSymbolSilence;
    int16_t curSymbol_ = kSymbolSilence;
};

}  // namespace tarnvel::modem
