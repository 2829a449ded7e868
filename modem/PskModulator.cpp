#include "modem/PskModulator.h"

#include <cmath>

namespace tarnvel::modem {
namespace {

// Truncates toward zero into a 64-bit integer; values beyond its range (only from absurd
// settings) saturate instead of being undefined.
int64_t truncateToInt64(double v) {
    constexpr double kLimit = 9.2e18;
    if (std::isnan(v)) return 0;
    if (v <= -kLimit) return -static_cast<int64_t>(kLimit);
    if (v >= kLimit) return static_cast<int64_t>(kLimit);
    return static_cast<int64_t>(v);
}

}  // namespace

PskModulator::PskModulator() {
    reset();
    symbolRate_ = kDefaultSymbolRate;
    setSampleRate(kDefaultSampleRate);
    setCarrierFrequency(kDefaultCarrierHz);
}

void PskModulator::reset() {
    symbolClock_ = 0;
    carrierPhase_ = 0;
    prevSymbol_ = kSymbolSilence;
    curSymbol_ = kSymbolSilence;
}

void PskModulator::configure(double toneShift, double symbolRate) {
    toneShift_ = toneShift;
    symbolRate_ = symbolRate;
    recomputeSteps();
}

void PskModulator::setCarrierFrequency(double hz) {
    carrierHz_ = hz;
    recomputeSteps();
}

void PskModulator::setSampleRate(double rate) {
    sampleRate_ = rate;
    recomputeSteps();
}

void PskModulator::pushSymbol(int s) {
    prevSymbol_ = curSymbol_;
    curSymbol_ = static_cast<int16_t>(((s % kSymbolModulus) + kSymbolModulus) % kSymbolModulus);
}

void PskModulator::recomputeSteps() {
    // A rate of zero (or nonsense) leaves the previous steps in force.
    if (!(sampleRate_ > 0.0) || !std::isfinite(sampleRate_)) return;
    // Both steps keep only their low 16 and 32 bits, as the phase accumulators wrap.
    const int64_t carrier = truncateToInt64(carrierHz_ / sampleRate_ * 65536.0);
    carrierStep_ = static_cast<int16_t>(static_cast<uint16_t>(static_cast<uint64_t>(carrier)));
    const int64_t symbol = truncateToInt64(symbolRate_ * 4294967296.0 / sampleRate_);
    symbolStep_ = static_cast<uint32_t>(static_cast<uint64_t>(symbol));
}

}  // namespace tarnvel::modem
