#pragma once
// The receive front end of BPSK31, BPSK63 and QPSK31, and the base of the FSK receivers.
//
// Per input sample: a 16-bit NCO at the carrier, a quadrature mixer and a two-stage moving-sum
// (comb) filter; a fractional clock decimates to decimBaseRate * baudRate / 31.25 samples per
// second, where a 64-tap FIR filters I and Q and the PSK step recovers the symbol clock and
// hands one sample per symbol to the decoder. All per-sample arithmetic is 32-bit integer.
//
// A receiver that shares this front end (FSK) derives from it, sets decimBaseRate, baudRate,
// firTaps and firInputDivisor in its constructor and calls setSampleRate again, then either
// sets ownDecimatedStep and overrides onDecimatedSample (one virtual call per decimated
// sample), or overrides processSamples with runFrontEnd and a lambda calling its own step
// directly. filterDecimated and levelBits are the shared parts of the decimated step.

#include <algorithm>
#include <array>
#include <cstdint>

#include "modem/MixAndComb.h"
#include "modem/ModeReceiver.h"
#include "modem/SymbolDecoder.h"
#include "modem/Tables.h"

namespace tarnvel::modem {

inline constexpr int kFirTapCount = 64;
using FirTaps = std::array<int32_t, kFirTapCount>;

// Low-pass taps of the PSK modes at the decimated rate; index 0 multiplies the oldest sample.
inline constexpr FirTaps kBpskFirTaps = {
    0,    5,    21,   44,   71,   96,   114,  121, 112, 86,  40,   -23,  -98,  -181, -262, -333,
    -384, -405, -389, -328, -220, -63,  140,  383, 656, 946, 1242, 1526, 1784, 2001, 2166, 2269,
    2304, 2269, 2166, 2001, 1784, 1526, 1242, 946, 656, 383, 140,  -63,  -220, -328, -389, -405,
    -384, -333, -262, -181, -98,  -23,  40,   86,  112, 121, 114,  96,   71,   44,   21,   5};

// Wider low-pass taps of the FSK31 receiver (its two tones sit either side of the carrier).
inline constexpr FirTaps kFsk31FirTaps = {
    0,    -7,   -27,  -60,  -104, -158, -218, -284, -350, -413, -469, -513, -542, -551, -536, -493,
    -420, -316, -180, -13,  183,  402,  641,  893,  1150, 1403, 1646, 1869, 2064, 2223, 2342, 2415,
    2440, 2415, 2342, 2223, 2064, 1869, 1646, 1403, 1150, 893,  641,  402,  183,  -13,  -180, -316,
    -420, -493, -536, -551, -542, -513, -469, -413, -350, -284, -218, -158, -104, -60,  -27,  -7};

inline constexpr double kNominalSampleRate = 11025.0;
inline constexpr double kDefaultCarrierHz = 700.0;
inline constexpr double kPsk31Baud = 31.25;
inline constexpr double kPsk63Baud = 62.5;
inline constexpr int32_t kPskDecimBaseRate = 500;
// The decoder gets the level in bits plus this offset.
inline constexpr int32_t kLevelCodeOffset = 30;

class PskReceiver : public ModeReceiver {
  public:
    explicit PskReceiver(double sampleRate = kNominalSampleRate);

    void setCarrierFrequency(double hz) override;
    // Rates of 0 or below stop the NCO and keep the decimation and symbol clocks as they were.
    // A rate that would need a comb longer than its 32-entry rings gets a comb of 32 (the
    // decimated rate is still exact; the comb then spans less than one decimation interval).
    void setSampleRate(double rate) override;
    virtual void setBaudRate(double baud);
    // Clears the filter and clock state and resets the decoder. FIR rings, steps and rates stay.
    void resetState() override;
    void attachDecoder(SymbolDecoder* p) { decoder = p; }
    void processSamples(const int16_t* samples, int count) override;

    double carrierFrequency() const { return carrierHz; }
    double currentSampleRate() const { return sampleRate; }
    double currentBaudRate() const { return baudRate; }
    SymbolDecoder* attachedDecoder() const { return decoder; }
    // Signal level of the last decimated sample, in bits.
    int32_t signalLevel() const { return level; }

  protected:
    // A receiver with its own decimated step overrides this and sets ownDecimatedStep; plain
    // PSK runs its step without a virtual call.
    virtual void onDecimatedSample() { pskDecimatedStep(); }

    // The per-sample front end; step() runs once per decimated sample, with that sample's comb
    // output in stage2I and stage2Q. The front end runs ahead of the steps by up to a piece of
    // kFrontEndPiece samples, so a step must not retune the NCO or change the rates or the comb
    // (retune between calls).
    template <class DecimatedStep>
    void runFrontEnd(const int16_t* samples, int count, DecimatedStep&& step);

    // Decimated step, part 1: stores the comb outputs (divided by firInputDivisor) in the FIR
    // rings and returns the filtered I and Q.
    void filterDecimated(int32_t& i, int32_t& q);
    void storeDecimated();
    void filterStored(int32_t& i, int32_t& q) const;
    // Number of significant bits of (i >> 16)^2 + (q >> 16)^2; 0 when that is not positive.
    static int32_t levelBits(int32_t i, int32_t q);
    // The whole decimated step of BPSK and QPSK.
    void pskDecimatedStep();
    // Symbol clock recovery from phase transitions; samples a symbol when the clock wraps.
    void trackSymbolClock(int32_t i, int32_t q);
    // The level of the last decimated sample, where the PSK step left it to the block's end.
    void makePendingLevel();

    int32_t level = 0;
    int32_t clockCorrection = 0;  // -kMaxClockCorrection..kMaxClockCorrection
    int32_t symbolsSinceTransition = 0;
    int32_t prevI = 0;  // filtered I and Q of the previous symbol sample, / 65536
    int32_t prevQ = 0;
    uint8_t transitionSeen = 0;
    bool levelPending = false;         // level is not yet that of the last decimated sample
    SymbolDecoder* decoder = nullptr;  // not owned
    uint16_t ncoPhase = 0;
    uint16_t ncoStep = 0;
    uint16_t decimPhase = 0;
    uint16_t decimStep = 0;
    uint16_t symbolPhase = 0;
    uint16_t symbolStep = 0;
    double carrierHz = 0.0;
    double sampleRate = 0.0;
    int32_t combIndex = 0;
    int32_t combLength = 1;  // 1..kCombRingSize
    int32_t firIndex = 0;    // 0..63; the oldest sample after a store
    const int32_t* firTaps = kBpskFirTaps.data();
    // The FIR rings hold every sample twice, at k and k + 64, so that the 64 newest samples
    // always lie in one run from firIndex on and the filter is one plain (vectorisable) loop.
    std::array<int32_t, 2 * kFirTapCount> firI{};
    std::array<int32_t, 2 * kFirTapCount> firQ{};
    // The comb rings, I and Q side by side so that both run in one pair of lanes.
    std::array<IqPair, kCombRingSize> ring1{};
    std::array<IqPair, kCombRingSize> ring2{};
    int32_t stage1I = 0;
    int32_t stage1Q = 0;
    int32_t stage2I = 0;
    int32_t stage2Q = 0;
    int32_t decimBaseRate = kPskDecimBaseRate;
    double baudRate = kPsk31Baud;
    // The comb output is divided by this before the FIR (the FSK31 receiver uses 1024).
    int32_t firInputDivisor = 256;
    // Set by receivers that override onDecimatedSample.
    bool ownDecimatedStep = false;

    static constexpr int32_t kMaxClockCorrection = 128;
    static constexpr int32_t kDecimatedSamplesPerSymbol = 16;

  private:
    void recomputeDecimStep();
};

template <class DecimatedStep>
void PskReceiver::runFrontEnd(const int16_t* samples, int count, DecimatedStep&& step) {
    // The front end runs a piece of the block at a time and keeps the stage-2 sums of its
    // decimation instants; then the steps run in turn, each with the sums of its instant in
    // stage2I and stage2Q. (The steps read nothing else of the front end and change none of it.)
    std::array<IqPair, kFrontEndPiece> decimated;  // written before it is read
    for (int n = 0; n < count; n += kFrontEndPiece) {
        const int piece = std::min(count - n, kFrontEndPiece);
        CombState comb{
            ring1.data(), ring2.data(), {stage1I, stage1Q}, {stage2I, stage2Q}, combIndex,
            combLength,   ncoStep,      ncoPhase,           decimStep,          decimPhase};
        const int produced = mixAndComb(comb, samples + n, piece, decimated.data());
        ncoPhase = comb.phase;
        decimPhase = comb.decimPhase;
        combIndex = comb.index;
        stage1I = comb.stage1.i;
        stage1Q = comb.stage1.q;
        for (int d = 0; d < produced; ++d) {
            stage2I = decimated[static_cast<size_t>(d)].i;
            stage2Q = decimated[static_cast<size_t>(d)].q;
            step();
        }
        stage2I = comb.stage2.i;
        stage2Q = comb.stage2.q;
    }
}

}  // namespace tarnvel::modem
