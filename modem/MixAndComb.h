#pragma once
// The per-sample part of the PSK front end: the 16-bit NCO, the quadrature mixer, the two-stage
// moving-sum (comb) filter and the decimation clock, run over a piece of a block at a time.
//
// Per sample: the phase advances by the NCO step; I = s * cos / 65536 and Q = s * sin / 65536
// (rounded toward zero); stage 1 adds the new pair and takes off the pair at the ring index in
// ring 1, which the new pair replaces; stage 2 does the same with the stage-1 sum and ring 2;
// the index moves on and wraps at the comb length (an index left beyond a shortened comb takes
// one sample and wraps). The decimation clock advances by its step; a sample that carries it
// past 0xFFFF is a decimation instant, where the decimated step reads the stage-2 sum.
//
// All sums wrap at 32 bits (in practice they stay far inside), so any grouping of the terms gives
// the same words: mixAndComb mixes a whole piece first, then forms each stage's sums as running
// sums within vector registers (the rings laid out oldest first ahead of the new entries), each
// pass reading only what an earlier one wrote; on x86-64 with AVX2 four samples per register.

#include <cstdint>

namespace tarnvel::modem {

// One comb ring entry or sum: I and Q side by side, so both run in one pair of lanes.
struct alignas(8) IqPair {
    int32_t i;
    int32_t q;
};

inline constexpr int kCombRingSize = 32;
// Samples the front end mixes and sums in one go (and the receiver runs before the decimated
// steps of that piece): the buffers of a piece live on the stack.
inline constexpr int kFrontEndPiece = 256;

struct CombState {
    IqPair* ring1;  // kCombRingSize entries each
    IqPair* ring2;
    IqPair stage1;
    IqPair stage2;
    int32_t index;   // 0..kCombRingSize - 1
    int32_t length;  // 1..kCombRingSize
    uint16_t ncoStep;
    uint16_t phase;
    uint16_t decimStep;  // 0: no decimation
    uint16_t decimPhase;
};

// Runs count samples and writes the stage-2 sum of each decimation instant to decimated (room
// for count pairs); returns how many it wrote.
int mixAndComb(CombState& state, const int16_t* samples, int count, IqPair* decimated);

// The straightforward per-sample loop: the rule above as written, for any state; the tests
// compare the vector version with it.
int mixAndCombPlain(CombState& state, const int16_t* samples, int count, IqPair* decimated);

}  // namespace tarnvel::modem
