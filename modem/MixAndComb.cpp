#include "modem/MixAndComb.h"

#include <algorithm>
#include <cstring>

#include "modem/MixAndCombKernels.h"
#include "modem/Tables.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace tarnvel::modem {

namespace {

using detail::mixedSample;
using detail::wrappingSum;

// The stage sums of a piece: the rings in the order their entries are taken (oldest first), each
// followed by the entries the piece writes, and the stage-2 sum after every sample.
struct PieceBuffers {
    IqPair mixed[kCombRingSize + kFrontEndPiece];   // ring 1, then the mixer's outputs
    IqPair stage1[kCombRingSize + kFrontEndPiece];  // ring 2, then the stage-1 sums
    IqPair stage2[kFrontEndPiece];
};

// The ring's entries oldest first: from the index to the comb length, then from 0.
void unroll(const IqPair* ring, int index, int length, IqPair* line) {
    std::memcpy(line, ring + index, sizeof(IqPair) * static_cast<size_t>(length - index));
    std::memcpy(line + (length - index), ring, sizeof(IqPair) * static_cast<size_t>(index));
}

// The reverse after count samples: the ring holds line[count .. count + length), the oldest at
// the new index.
void rollUp(const IqPair* line, int count, int newIndex, int length, IqPair* ring) {
    const IqPair* newest = line + count;
    std::memcpy(ring + newIndex, newest, sizeof(IqPair) * static_cast<size_t>(length - newIndex));
    std::memcpy(ring, newest + (length - newIndex), sizeof(IqPair) * static_cast<size_t>(newIndex));
}

struct Kernels {
    detail::MixKernel mix;
    detail::SumKernel sum;
};

const Kernels& kernels() {
    static const Kernels chosen = [] {
#if defined(TARNVEL_FRONT_END_AVX2)
        __builtin_cpu_init();
        if (__builtin_cpu_supports("avx2"))
            return Kernels{detail::mixPieceAvx2, detail::sumPieceAvx2};
#endif
        return Kernels{detail::mixPiecePortable, detail::sumPiecePortable};
    }();
    return chosen;
}

// Samples until the decimation clock passes 0xFFFF, counting the one that does. After the first
// instant the clock is below the step, and the answer is the whole steps in a turn or one more.
int32_t samplesToWrap(uint32_t clock, uint32_t step, uint32_t stepsPerTurn) {
    if (clock >= step) return static_cast<int32_t>((0x10000 - clock + step - 1) / step);
    return clock + stepsPerTurn * step > 0xFFFF ? static_cast<int32_t>(stepsPerTurn)
                                                : static_cast<int32_t>(stepsPerTurn + 1);
}

// The decimation instants of the piece, from the clock alone.
int decimate(CombState& s, const IqPair* stage2, int count, IqPair* decimated) {
    if (s.decimStep == 0) return 0;
    const uint32_t step = s.decimStep;
    const uint32_t stepsPerTurn = 0x10000 / step;
    uint32_t clock = s.decimPhase;
    int produced = 0;
    int last = -1;  // the sample the clock stands after
    for (;;) {
        const int32_t run = samplesToWrap(clock, step, stepsPerTurn);
        if (run > count - 1 - last) break;
        last += run;
        decimated[produced++] = stage2[last];
        clock = (clock + static_cast<uint32_t>(run) * step) & 0xFFFF;
    }
    // The rest of the piece does not reach the wrap, so the clock stays within 16 bits.
    s.decimPhase = static_cast<uint16_t>(clock + static_cast<uint32_t>(count - 1 - last) * step);
    return produced;
}

// Each pass reads only what an earlier one wrote, so no pass depends on its own stores.
int mixAndCombPiece(CombState& s, const int16_t* samples, int count, IqPair* decimated) {
    PieceBuffers b;
    unroll(s.ring1, s.index, s.length, b.mixed);
    unroll(s.ring2, s.index, s.length, b.stage1);
    const Kernels& k = kernels();
    k.mix(detail::cosSinData(), samples, count, s.ncoStep, s.phase, b.mixed + s.length);
    s.stage1 = k.sum(b.mixed, s.length, count, s.stage1, b.stage1 + s.length);
    s.stage2 = k.sum(b.stage1, s.length, count, s.stage2, b.stage2);
    s.index = (s.index + count) % s.length;
    rollUp(b.mixed, count, s.index, s.length, s.ring1);
    rollUp(b.stage1, count, s.index, s.length, s.ring2);
    return decimate(s, b.stage2, count, decimated);
}

}  // namespace

namespace detail {

#if defined(__SSE2__)

namespace {

__m128i towardZeroBy65536(__m128i x) {
    const __m128i bias = _mm_srli_epi32(_mm_srai_epi32(x, 31), 16);
    return _mm_srai_epi32(_mm_add_epi32(x, bias), 16);
}

}  // namespace

// The mixer's outputs of the piece, four samples at a time: the cosine and sine words of four
// phases times each sample twice, the exact 32-bit products from the low and high halves of the
// 16-bit multiplies, interleaved.
void mixPiecePortable(const uint32_t* cosSin, const int16_t* samples, int count, uint16_t step,
                      uint16_t& phase, IqPair* out) {
    uint32_t ph = phase;
    const auto entry = [cosSin, step, &ph] {
        ph += step;
        return _mm_cvtsi32_si128(static_cast<int>(cosSin[ph & 0xFFFFu]));
    };
    int n = 0;
    for (; n + 4 <= count; n += 4) {
        const __m128i e0 = entry();
        const __m128i e1 = entry();
        const __m128i e2 = entry();
        const __m128i e3 = entry();
        const __m128i cs =
            _mm_unpacklo_epi64(_mm_unpacklo_epi32(e0, e1), _mm_unpacklo_epi32(e2, e3));
        const __m128i x = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(samples + n));
        const __m128i sv = _mm_unpacklo_epi16(x, x);
        const __m128i lo = _mm_mullo_epi16(cs, sv);
        const __m128i hi = _mm_mulhi_epi16(cs, sv);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + n),
                         towardZeroBy65536(_mm_unpacklo_epi16(lo, hi)));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + n + 2),
                         towardZeroBy65536(_mm_unpackhi_epi16(lo, hi)));
    }
    for (; n < count; ++n) {
        ph += step;
        out[n] = mixedSample(samples[n], cosSin[ph & 0xFFFFu]);
    }
    phase = static_cast<uint16_t>(ph);
}

namespace {

// Two pairs' running sum within a register: the first, and the first plus the second.
__m128i runningSum(__m128i d) {
    return _mm_add_epi32(d, _mm_slli_si128(d, 8));
}

// The second pair of a register in both halves.
__m128i lastPair(__m128i x) {
    return _mm_shuffle_epi32(x, 0xEE);
}

}  // namespace

// One comb stage over the piece: sum(n) = sum(n - 1) + line[length + n] - line[n], written to
// out[n]. Four samples a step in two registers: their running sums, the second register's
// started from the first's total, plus the carry from before (the only dependence from step to
// step is one addition to the carry).
IqPair sumPiecePortable(const IqPair* line, int length, int count, IqPair sum, IqPair* out) {
    __m128i carry = _mm_set_epi32(sum.q, sum.i, sum.q, sum.i);
    const auto load = [](const IqPair* p) {
        return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    };
    int n = 0;
    for (; n + 4 <= count; n += 4) {
        const __m128i a = runningSum(_mm_sub_epi32(load(line + length + n), load(line + n)));
        __m128i b = runningSum(_mm_sub_epi32(load(line + length + n + 2), load(line + n + 2)));
        b = _mm_add_epi32(b, lastPair(a));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + n), _mm_add_epi32(a, carry));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + n + 2), _mm_add_epi32(b, carry));
        carry = _mm_add_epi32(carry, lastPair(b));
    }
    _mm_storel_epi64(reinterpret_cast<__m128i*>(&sum), carry);
    for (; n < count; ++n) out[n] = sum = wrappingSum(sum, line[length + n], line[n]);
    return sum;
}

#else

void mixPiecePortable(const uint32_t* cosSin, const int16_t* samples, int count, uint16_t step,
                      uint16_t& phase, IqPair* out) {
    for (int n = 0; n < count; ++n) {
        phase = static_cast<uint16_t>(phase + step);
        out[n] = mixedSample(samples[n], cosSin[phase]);
    }
}

IqPair sumPiecePortable(const IqPair* line, int length, int count, IqPair sum, IqPair* out) {
    for (int n = 0; n < count; ++n) out[n] = sum = wrappingSum(sum, line[length + n], line[n]);
    return sum;
}

#endif

}  // namespace detail

int mixAndCombPlain(CombState& s, const int16_t* samples, int count, IqPair* decimated) {
    const uint32_t* cosSin = detail::cosSinData();
    int produced = 0;
    for (int n = 0; n < count; ++n) {
        s.phase = static_cast<uint16_t>(s.phase + s.ncoStep);
        const IqPair v = mixedSample(samples[n], cosSin[s.phase]);
        IqPair& old1 = s.ring1[s.index];
        IqPair& old2 = s.ring2[s.index];
        s.stage1 = wrappingSum(s.stage1, v, old1);
        s.stage2 = wrappingSum(s.stage2, s.stage1, old2);
        old1 = v;
        old2 = s.stage1;
        if (++s.index >= s.length) s.index = 0;
        const uint32_t clock = uint32_t{s.decimPhase} + s.decimStep;
        if (clock > 0xFFFF) decimated[produced++] = s.stage2;
        s.decimPhase = static_cast<uint16_t>(clock);
    }
    return produced;
}

int mixAndComb(CombState& s, const int16_t* samples, int count, IqPair* decimated) {
    int produced = 0;
    // An index beyond a shortened comb takes its one sample the plain way (and wraps to 0).
    if (count > 0 && s.index >= s.length) {
        produced = mixAndCombPlain(s, samples, 1, decimated);
        ++samples;
        --count;
    }
    for (int n = 0; n < count; n += kFrontEndPiece) {
        const int piece = std::min(count - n, kFrontEndPiece);
        produced += mixAndCombPiece(s, samples + n, piece, decimated + produced);
    }
    return produced;
}

}  // namespace tarnvel::modem
