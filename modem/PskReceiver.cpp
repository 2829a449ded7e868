#include "modem/PskReceiver.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <limits>

#include "modem/WrapArithmetic.h"

namespace tarnvel::modem {

namespace {

// A double truncated toward zero and wrapped to 16 bits (a negative carrier runs the NCO
// backwards instead of converting out of range).
uint16_t truncToPhaseStep(double x) {
    if (!std::isfinite(x)) return 0;
    const double t = std::trunc(std::fmod(x, 65536.0));
    return static_cast<uint16_t>(static_cast<int32_t>(t));
}

// A clock step: truncated toward zero, at most one wrap of the 16-bit clock per sample.
uint16_t truncToClockStep(double x) {
    if (!(x > 0.0)) return 0;
    return static_cast<uint16_t>(std::min(std::trunc(x), 65535.0));
}

// The receivers' FIR sums are defined to wrap at 32 bits (a full-scale input can exceed them).
// Every product fits in 32 bits, so multiplying as unsigned gives the same words, and in that
// arithmetic the order of the terms does not matter.
// x[63], the newest sample, comes in a register: it was stored an instant ago, and a wide load
// over a fresh narrow store would stall.
// On x86-64 the filters also come in an AVX2 version (eight 32-bit products per instruction
// instead of emulated pairs), chosen once at load time where the processor has it.
#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__)
#define TARNVEL_FIR_CLONES __attribute__((target_clones("avx2", "default")))
#else
#define TARNVEL_FIR_CLONES
#endif

TARNVEL_FIR_CLONES uint32_t plainFir(const int32_t* firTaps, const uint32_t* x, uint32_t newest) {
    const uint32_t* taps = reinterpret_cast<const uint32_t*>(firTaps);
    uint32_t sum = taps[kFirTapCount - 1] * newest;
    for (int j = 0; j < kFirTapCount - 1; ++j) sum += taps[j] * x[j];
    return sum;
}

// Taps that mirror around the middle one and start with 0 (both sets of the receivers): the
// pairs either side share one product of the tap with the sum of their two samples.
constexpr bool isFoldable(const FirTaps& t) {
    if (t[0] != 0) return false;
    for (int k = 1; k < kFirTapCount / 2; ++k)
        if (t[k] != t[kFirTapCount - k]) return false;
    return true;
}
static_assert(isFoldable(kBpskFirTaps) && isFoldable(kFsk31FirTaps));

TARNVEL_FIR_CLONES uint32_t foldedFir(const int32_t* firTaps, const uint32_t* x, uint32_t newest) {
    constexpr int kMiddle = kFirTapCount / 2;
    const uint32_t* taps = reinterpret_cast<const uint32_t*>(firTaps);
    uint32_t sum = taps[kMiddle] * x[kMiddle] + taps[1] * (x[1] + newest);
    for (int k = 2; k < kMiddle; ++k) sum += taps[k] * (x[k] + x[kFirTapCount - k]);
    return sum;
}

// x / d rounded toward zero like the division operator, with a shift for powers of two.
int32_t divideTowardZero(int32_t x, int32_t d) {
    // (d & (d - 1)) rather than has_single_bit, which without a popcount instruction is a call.
    if (d > 0 && (d & (d - 1)) == 0) {
        const int shift = std::countr_zero(static_cast<uint32_t>(d));
        return (x + ((x >> 31) & (d - 1))) >> shift;
    }
    return x / d;
}

}  // namespace

PskReceiver::PskReceiver(double rate) {
    setCarrierFrequency(kDefaultCarrierHz);
    setSampleRate(rate);
    resetState();
}

void PskReceiver::setCarrierFrequency(double hz) {
    carrierHz = hz;
    ncoStep = sampleRate > 0.0 ? truncToPhaseStep(carrierHz / sampleRate * 65536.0) : 0;
}

void PskReceiver::setSampleRate(double rate) {
    sampleRate = std::isfinite(rate) ? rate : 0.0;
    const double comb = std::trunc((decimBaseRate / 2 + sampleRate) / decimBaseRate);
    combLength = static_cast<int32_t>(std::clamp(comb, 1.0, static_cast<double>(kCombRingSize)));
    if (sampleRate > 0.0) {
        recomputeDecimStep();
        symbolStep = truncToClockStep(2048000.0 / decimBaseRate);
    }
    setCarrierFrequency(carrierHz);
}

void PskReceiver::setBaudRate(double baud) {
    baudRate = baud;
    if (sampleRate > 0.0) recomputeDecimStep();
}

void PskReceiver::recomputeDecimStep() {
    decimStep = truncToClockStep(decimBaseRate * 65536.0 * baudRate / (sampleRate * kPsk31Baud));
}

void PskReceiver::resetState() {
    ring1.fill({});
    ring2.fill({});
    combIndex = 0;
    ncoPhase = 0;
    decimPhase = 0;
    symbolPhase = 0;
    firIndex = 0;
    stage1Q = stage2Q = stage1I = stage2I = 0;
    if (decoder != nullptr) decoder->reset();
}

void PskReceiver::processSamples(const int16_t* samples, int count) {
    if (samples == nullptr || count <= 0) return;
    if (ownDecimatedStep) {
        runFrontEnd(samples, count, [this] { onDecimatedSample(); });
    } else {
        runFrontEnd(samples, count, [this] { pskDecimatedStep(); });
        makePendingLevel();
    }
}

void PskReceiver::filterDecimated(int32_t& i, int32_t& q) {
    storeDecimated();
    filterStored(i, q);
}

void PskReceiver::storeDecimated() {
    const int32_t newI = divideTowardZero(stage2I, firInputDivisor);
    const int32_t newQ = divideTowardZero(stage2Q, firInputDivisor);
    firI[firIndex] = firI[firIndex + kFirTapCount] = newI;
    firQ[firIndex] = firQ[firIndex + kFirTapCount] = newQ;
    firIndex = (firIndex + 1) & (kFirTapCount - 1);
}

void PskReceiver::filterStored(int32_t& i, int32_t& q) const {
    // firIndex holds the oldest sample, which the first tap multiplies, and the newest sits 63
    // places on.
    const uint32_t* x = reinterpret_cast<const uint32_t*>(firI.data() + firIndex);
    const uint32_t* y = reinterpret_cast<const uint32_t*>(firQ.data() + firIndex);
    const auto newI = x[kFirTapCount - 1];
    const auto newQ = y[kFirTapCount - 1];
    if (firTaps == kBpskFirTaps.data() || firTaps == kFsk31FirTaps.data()) {
        i = static_cast<int32_t>(foldedFir(firTaps, x, newI));
        q = static_cast<int32_t>(foldedFir(firTaps, y, newQ));
    } else {
        i = static_cast<int32_t>(plainFir(firTaps, x, newI));
        q = static_cast<int32_t>(plainFir(firTaps, y, newQ));
    }
}

int32_t PskReceiver::levelBits(int32_t i, int32_t q) {
    const int32_t a = i >> 16;
    const int32_t b = q >> 16;
    const int32_t x = wrapAdd(wrapMul(a, a), wrapMul(b, b));
    return x <= 0 ? 0 : static_cast<int32_t>(std::bit_width(static_cast<uint32_t>(x)));
}

void PskReceiver::pskDecimatedStep() {
    storeDecimated();
    // Once this symbol has shown its transition, the filtered sample counts only at the symbol
    // instant: until then the clock just runs, and the level is made when a block ends.
    const int32_t p = symbolPhase + symbolStep + clockCorrection;
    if (transitionSeen != 0 && p <= 0xFFFF) {
        symbolPhase = static_cast<uint16_t>(p & 0xFFFF);
        levelPending = true;
        return;
    }
    int32_t i = 0;
    int32_t q = 0;
    filterStored(i, q);
    level = levelBits(i, q);
    levelPending = false;
    trackSymbolClock(i, q);
}

void PskReceiver::makePendingLevel() {
    if (!levelPending) return;
    int32_t i = 0;
    int32_t q = 0;
    filterStored(i, q);
    level = levelBits(i, q);
    levelPending = false;
}

void PskReceiver::trackSymbolClock(int32_t i, int32_t q) {
    const int32_t ci = i / 65536;
    const int32_t cq = q / 65536;
    // Negative when the vector has turned by more than 45 degrees since the last symbol.
    const int32_t dot = wrapAdd(wrapMul(ci, prevI), wrapMul(cq, prevQ));
    const int32_t cross = wrapSub(wrapMul(ci, prevQ), wrapMul(cq, prevI));
    const int32_t metric = wrapSub(dot, wrapAbs(cross));

    int32_t p = symbolPhase + symbolStep + clockCorrection;
    if (transitionSeen == 0 && metric < 0) {
        transitionSeen = 1;
        // Pull the clock a quarter of the way toward mid-symbol at the transition.
        const int32_t e = ((3 * p + 32767) >> 2) & 0xFFFF;
        if (symbolsSinceTransition != 0) {
            const int64_t span = int64_t{symbolsSinceTransition} * kDecimatedSamplesPerSymbol;
            const int32_t pull = static_cast<int32_t>((e - p) / span);
            clockCorrection = (31 * clockCorrection + pull) >> 5;
        }
        clockCorrection = std::clamp(clockCorrection, -kMaxClockCorrection, kMaxClockCorrection);
        p = e;
        symbolsSinceTransition = 0;
    }
    symbolPhase = static_cast<uint16_t>(p & 0xFFFF);
    if (p > 0xFFFF) {
        transitionSeen = 0;
        if (symbolsSinceTransition < std::numeric_limits<int32_t>::max()) ++symbolsSinceTransition;
        if (decoder != nullptr) decoder->onSymbol(i, q, level + kLevelCodeOffset);
        prevI = ci;
        prevQ = cq;
    }
}

}  // namespace tarnvel::modem
