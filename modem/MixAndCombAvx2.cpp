// The front end's piece kernels with four samples per register, for processors with AVX2 (chosen
// at run time by modem/MixAndComb.cpp). Every word equals the per-sample rule's.

#include "modem/MixAndCombKernels.h"

#if defined(TARNVEL_FRONT_END_AVX2)

#include <immintrin.h>

#define TARNVEL_AVX2 __attribute__((target("avx2")))

namespace tarnvel::modem::detail {

namespace {

// Four pairs' running sum within a register: within each half, then the first half's total
// added to the second half.
TARNVEL_AVX2 TARNVEL_ALWAYS_INLINE __m256i runningSum4(__m256i d) {
    d = _mm256_add_epi32(d, _mm256_slli_si256(d, 8));
    const __m256i firstTotal = _mm256_permute4x64_epi64(d, 0x55);
    return _mm256_add_epi32(d, _mm256_blend_epi32(_mm256_setzero_si256(), firstTotal, 0xF0));
}

TARNVEL_AVX2 TARNVEL_ALWAYS_INLINE __m256i load4(const IqPair* p) {
    return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
}

// The last pair of a register in all four places.
TARNVEL_AVX2 TARNVEL_ALWAYS_INLINE __m256i lastPair4(__m256i x) {
    return _mm256_permute4x64_epi64(x, 0xFF);
}

}  // namespace

// Words cos, 0, sin, 0 of four phases times words s, 0, s, 0 of their samples: one multiply-add
// gives the four exact products, then the division by 65536 rounding toward zero.
TARNVEL_AVX2 void mixPieceAvx2(const uint32_t* cosSin, const int16_t* samples, int count,
                               uint16_t step, uint16_t& phase, IqPair* out) {
    uint32_t ph = phase;
    int n = 0;
    for (; n + 4 <= count; n += 4) {
        const uint32_t p0 = ph + step;
        const uint32_t p1 = p0 + step;
        const uint32_t p2 = p1 + step;
        ph = p2 + step;
        const __m128i entries = _mm_set_epi32(
            static_cast<int>(cosSin[ph & 0xFFFFu]), static_cast<int>(cosSin[p2 & 0xFFFFu]),
            static_cast<int>(cosSin[p1 & 0xFFFFu]), static_cast<int>(cosSin[p0 & 0xFFFFu]));
        const __m128i x = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(samples + n));
        const __m256i cs = _mm256_cvtepu16_epi32(entries);
        const __m256i sv = _mm256_cvtepu16_epi32(_mm_unpacklo_epi16(x, x));
        const __m256i prod = _mm256_madd_epi16(cs, sv);
        const __m256i bias = _mm256_srli_epi32(_mm256_srai_epi32(prod, 31), 16);
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + n),
                            _mm256_srai_epi32(_mm256_add_epi32(prod, bias), 16));
    }
    for (; n < count; ++n) {
        ph += step;
        out[n] = mixedSample(samples[n], cosSin[ph & 0xFFFFu]);
    }
    phase = static_cast<uint16_t>(ph);
}

// Eight samples a step in two registers; the second starts from the first's total, and the only
// dependence from step to step is one addition to the carry.
TARNVEL_AVX2 IqPair sumPieceAvx2(const IqPair* line, int length, int count, IqPair sum,
                                 IqPair* out) {
    __m256i carry = _mm256_set_epi32(sum.q, sum.i, sum.q, sum.i, sum.q, sum.i, sum.q, sum.i);
    int n = 0;
    for (; n + 8 <= count; n += 8) {
        const __m256i a = runningSum4(_mm256_sub_epi32(load4(line + length + n), load4(line + n)));
        __m256i b =
            runningSum4(_mm256_sub_epi32(load4(line + length + n + 4), load4(line + n + 4)));
        b = _mm256_add_epi32(b, lastPair4(a));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + n), _mm256_add_epi32(a, carry));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + n + 4), _mm256_add_epi32(b, carry));
        carry = _mm256_add_epi32(carry, lastPair4(b));
    }
    _mm_storel_epi64(reinterpret_cast<__m128i*>(&sum), _mm256_castsi256_si128(carry));
    for (; n < count; ++n) out[n] = sum = wrappingSum(sum, line[length + n], line[n]);
    return sum;
}

}  // namespace tarnvel::modem::detail

#endif
