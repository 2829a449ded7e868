#pragma once
// The two kernels of the front end's pieces (modem/MixAndComb.cpp) and the per-sample rules they
// share, in a version for every x86-64 (SSE2) and one for processors with AVX2.

#include <cstdint>

#include "modem/MixAndComb.h"

#if defined(__x86_64__) && defined(__GNUC__)
#define TARNVEL_FRONT_END_AVX2 1
// Inlined even into the AVX2 kernels: a call from them into plain code would switch the vector
// state back and forth.
#define TARNVEL_ALWAYS_INLINE inline __attribute__((always_inline))
#else
#define TARNVEL_ALWAYS_INLINE inline
#endif

namespace tarnvel::modem::detail {

// Sums wrap at 32 bits: added as unsigned, so a sum that did reach the limit is still defined.
TARNVEL_ALWAYS_INLINE IqPair wrappingSum(IqPair sum, IqPair add, IqPair sub) {
    const auto word = [](int32_t a, int32_t b, int32_t c) {
        return static_cast<int32_t>(static_cast<uint32_t>(a) + static_cast<uint32_t>(b) -
                                    static_cast<uint32_t>(c));
    };
    return {word(sum.i, add.i, sub.i), word(sum.q, add.q, sub.q)};
}

// The mixer's output for one sample at a phase: the cosine is the table entry's low word, the
// sine its high word. |s * table| < 2^31, so the products cannot overflow.
TARNVEL_ALWAYS_INLINE IqPair mixedSample(int32_t s, uint32_t entry) {
    const auto c = static_cast<int16_t>(entry & 0xFFFFu);
    const auto n = static_cast<int16_t>(entry >> 16);
    return {s * c / 65536, s * n / 65536};
}

// The mixer's outputs of count samples, the phase advanced before each (cosSin: cosSinTable).
using MixKernel = void (*)(const uint32_t* cosSin, const int16_t* samples, int count, uint16_t step,
                           uint16_t& phase, IqPair* out);
// One comb stage: out[n] = sum after sample n, sum(n) = sum(n - 1) + line[length + n] - line[n];
// returns the last sum.
using SumKernel = IqPair (*)(const IqPair* line, int length, int count, IqPair sum, IqPair* out);

// SSE2 where the processor has it (every x86-64), else one sample at a time.
void mixPiecePortable(const uint32_t* cosSin, const int16_t* samples, int count, uint16_t step,
                      uint16_t& phase, IqPair* out);
IqPair sumPiecePortable(const IqPair* line, int length, int count, IqPair sum, IqPair* out);

#if defined(TARNVEL_FRONT_END_AVX2)
void mixPieceAvx2(const uint32_t* cosSin, const int16_t* samples, int count, uint16_t step,
                  uint16_t& phase, IqPair* out);
IqPair sumPieceAvx2(const IqPair* line, int length, int count, IqPair sum, IqPair* out);
#endif

}  // namespace tarnvel::modem::detail
