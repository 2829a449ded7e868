#pragma once
// BPSK signs from the output of the filter matched to the transmitted pulse (a raised cosine
// two symbols long). That filter lets through the least noise, 0.26 dB less than the filter
// that leaves nothing of the neighbours at a symbol's instant, but mixes a sixth of each
// neighbour into every symbol. A search over sign sequences (a Viterbi search with the
// previous sign as its state, scored as for a correlated channel: each symbol's matched
// sample times its sign, less the known overlap with the previous sign) removes that mixing
// and keeps the lower noise. The sign is decided kDecisionDepth symbols late: the two paths
// nearly always agree one symbol back already (1, 4 and 10 symbols decode within a character or
// two of each other over the sweep), and with 4 a channel's catch-up printed a stray character
// before a signal's first word (the bits lag behind the squelch and the catch-up's start).

#include <array>
#include <cstdint>

namespace tarnvel::modem {

class BpskSequenceDecider {
  public:
    static constexpr int kDecisionDepth = 1;

    void reset();
    // `matched`: the matched sample projected onto the carrier reference (signed, in the
    // reference's direction); `overlap`: what one neighbour of sign +1 adds to it at this
    // amplitude. Returns the sign (+1 or -1) of the symbol kDecisionDepth symbols back.
    float step(float matched, float overlap);

  private:
    std::array<float, 2> metrics_{};       // [0]: last sign +1, [1]: last sign -1
    std::array<uint32_t, 2> histories_{};  // signs, newest in bit 0, 1 for -1
};

}  // namespace tarnvel::modem
