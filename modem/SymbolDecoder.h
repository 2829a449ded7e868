#pragma once
// The interfaces between the receive front ends and what turns their output into text.

#include <cstdint>

namespace tarnvel::modem {

// Consumes what a receiver demodulates: one sample per symbol and/or decided data bits.
class SymbolDecoder {
  public:
    virtual ~SymbolDecoder() = default;

    // One demodulated data bit, 0 or 1.
    virtual void onBit(int bit) = 0;
    // One symbol sample: filtered I and Q and the level code (signal level in bits + 30).
    virtual void onSymbol(int32_t i, int32_t q, int32_t levelCode) = 0;
    virtual void reset() = 0;
    // Updates the quality figure from one symbol sample.
    virtual void measureQuality(int32_t i, int32_t q, int32_t levelCode) = 0;
};

// The phase display: the phase change of each symbol and its level.
class PhaseScopeSink {
  public:
    virtual ~PhaseScopeSink() = default;
    // phaseDelta in 32-bit turns (2^32 = one turn); levelCode 10 and up.
    virtual void showPhase(int16_t channelId, int32_t phaseDelta, int32_t levelCode) = 0;
};

}  // namespace tarnvel::modem
