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
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "modem/ModeReceiver.h"
#include "modem/SymbolDecoder.h"
#include "modem/Tables.h"

namespace tarnvel::modem {

inline constexpr int kFirTapCount = 64;
inline constexpr int kCombRingSize = 32;
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

    // The per-sample front end; step() runs once per decimated sample.
    template <class DecimatedStep>
    void runFrontEnd(const int16_t* samples, int count, DecimatedStep&& step);

    // Decimated step, part 1: stores the comb outputs (divided by firInputDivisor) in the FIR
    // rings and returns the filtered I and Q.
    void filterDecimated(int32_t& i, int32_t& q);
    // Number of significant bits of (i >> 16)^2 + (q >> 16)^2; 0 when that is not positive.
    static int32_t levelBits(int32_t i, int32_t q);
    // The whole decimated step of BPSK and QPSK.
    void pskDecimatedStep();
    // Symbol clock recovery from phase transitions; samples a symbol when the clock wraps.
    void trackSymbolClock(int32_t i, int32_t q);

    int32_t level = 0;
    int32_t clockCorrection = 0;  // -kMaxClockCorrection..kMaxClockCorrection
    int32_t symbolsSinceTransition = 0;
    int32_t prevI = 0;  // filtered I and Q of the previous symbol sample, / 65536
    int32_t prevQ = 0;
    uint8_t transitionSeen = 0;
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
    // The comb rings and sums, I and Q side by side so that both run in one pair of lanes.
    struct alignas(8) IqPair {
        int32_t i = 0;
        int32_t q = 0;
    };
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
    // Mixes and sums count samples, none of which completes a decimation interval except
    // perhaps the last.
    void combRun(const int16_t* samples, int count, const int16_t* sine);
#if defined(__SSE2__)
    static void combStretchSse2(const int16_t* samples, int count, const uint32_t* cosSin,
                                uint16_t nco, uint16_t& phase, IqPair* p1, IqPair* p2,
                                int32_t* s1, int32_t* s2);
#endif
};

template <class DecimatedStep>
void PskReceiver::runFrontEnd(const int16_t* samples, int count, DecimatedStep&& step) {
    // The samples between two decimated samples run in a loop of their own, with the clocks,
    // sums and ring pointers in locals (the step reads and writes the fields, so they are
    // written back before it). The sums are exact integers, so this order changes nothing.
    const int16_t* sine = detail::turnSineData();
    int n = 0;
    while (n < count) {
        int run = count - n;
        bool decimate = false;
        if (decimStep != 0) {
            // Samples until the decimation clock passes 0xFFFF, counting the one that does.
            const int32_t toWrap = (0x10000 - decimPhase + decimStep - 1) / decimStep;
            if (toWrap <= run) {
                run = toWrap;
                decimate = true;
            }
        }
        combRun(samples + n, run, sine);
        n += run;
        if (decimate) step();
    }
}

inline void PskReceiver::combRun(const int16_t* samples, int count,
                                 [[maybe_unused]] const int16_t* sine) {
    uint16_t phase = ncoPhase;
    const uint16_t nco = ncoStep;
    int32_t index = combIndex;
    const int32_t length = combLength;
    int32_t s1[2] = {stage1I, stage1Q};
    int32_t s2[2] = {stage2I, stage2Q};
#if defined(__SSE2__)
    const uint32_t* cosSin = detail::cosSinData();
#endif
    // In stretches that end where the comb rings wrap (an index left beyond a shortened comb
    // takes one sample and wraps, as the per-sample rule does).
    int n = 0;
    while (n < count) {
        const int stretch = std::min(count - n, std::max(length - index, 1));
        IqPair* p1 = ring1.data() + index;
        IqPair* p2 = ring2.data() + index;
#if defined(__SSE2__)
        combStretchSse2(samples + n, stretch, cosSin, nco, phase, p1, p2, s1, s2);
#else
        for (int k = 0; k < stretch; ++k) {
            const int32_t s = samples[n + k];
            phase = static_cast<uint16_t>(phase + nco);
            // |s * table| < 2^31, so these products cannot overflow; the comb sums are bounded
            // by 32 * 32 * 16384 for the same reason.
            const int32_t v[2] = {s * sine[phase + 16384] / 65536, s * sine[phase] / 65536};
            const int32_t old1[2] = {p1[k].i, p1[k].q};
            const int32_t old2[2] = {p2[k].i, p2[k].q};
            s1[0] += v[0] - old1[0];
            s1[1] += v[1] - old1[1];
            s2[0] += s1[0] - old2[0];
            s2[1] += s1[1] - old2[1];
            p1[k].i = v[0];
            p1[k].q = v[1];
            p2[k].i = s1[0];
            p2[k].q = s1[1];
        }
#endif
        n += stretch;
        index += stretch;
        if (index >= length) index = 0;
    }
    ncoPhase = phase;
    // count * step stays below 2^16 + step here, so the 32-bit product cannot overflow.
    decimPhase = static_cast<uint16_t>(decimPhase + static_cast<uint32_t>(count) * decimStep);
    combIndex = index;
    stage1I = s1[0];
    stage1Q = s1[1];
    stage2I = s2[0];
    stage2Q = s2[1];
}

#if defined(__SSE2__)
// The same stretch with I and Q in two 32-bit lanes: the sample times the cosine and sine words
// (read as one pair)
// is one multiply-add of 16-bit pairs (the other word of each pair is 0), and the division by
// 65536 rounds toward zero as the operator does. The products and sums are the same integers.
inline void PskReceiver::combStretchSse2(const int16_t* samples, int count, const uint32_t* cosSin,
                                         uint16_t nco, uint16_t& phase, IqPair* p1, IqPair* p2,
                                         int32_t* s1, int32_t* s2) {
    __m128i sum1 = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(s1));
    __m128i sum2 = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(s2));
    const __m128i zero = _mm_setzero_si128();
    uint16_t ph = phase;
    for (int k = 0; k < count; ++k) {
        ph = static_cast<uint16_t>(ph + nco);
        // Words: cos, 0, sin, 0.
        const __m128i cs =
            _mm_unpacklo_epi16(_mm_cvtsi32_si128(static_cast<int>(cosSin[ph])), zero);
        const __m128i sv = _mm_shufflelo_epi16(_mm_cvtsi32_si128(samples[k]), 0);
        const __m128i prod = _mm_madd_epi16(cs, sv);
        const __m128i bias = _mm_srli_epi32(_mm_srai_epi32(prod, 31), 16);
        const __m128i v = _mm_srai_epi32(_mm_add_epi32(prod, bias), 16);
        const __m128i old1 = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(p1 + k));
        const __m128i old2 = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(p2 + k));
        sum1 = _mm_add_epi32(sum1, _mm_sub_epi32(v, old1));
        sum2 = _mm_add_epi32(sum2, _mm_sub_epi32(sum1, old2));
        _mm_storel_epi64(reinterpret_cast<__m128i*>(p1 + k), v);
        _mm_storel_epi64(reinterpret_cast<__m128i*>(p2 + k), sum1);
    }
    phase = ph;
    _mm_storel_epi64(reinterpret_cast<__m128i*>(s1), sum1);
    _mm_storel_epi64(reinterpret_cast<__m128i*>(s2), sum2);
}
#endif

}  // namespace tarnvel::modem
