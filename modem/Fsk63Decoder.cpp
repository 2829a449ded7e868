#include "modem/Fsk63Decoder.h"

#include <cstdlib>

namespace tarnvel::modem {

namespace {
constexpr int kInterleave = 3;
constexpr int kCharacters = 256;  // words 256..259 are recognised but stand for no character
}  // namespace

// Correlates the 17 soft values spaced three symbols apart, ending at the newest, with every
// codeword: the largest positive score is the best match, the most negative the best match of
// the inverted signal. A word's bit j went out 3 x (16 - j) symbols before its last bit, so the
// window spans 49 symbols: one more step back (or forward) would reach into the next word of
// the same interleave residue. The ring holds older symbols at higher positions (ringPos_
// counts down).
Fsk63Decoder::Correlation Fsk63Decoder::correlate() const {
    std::array<int32_t, kFsk63CodeBits> soft{};
    for (int j = 0; j < kFsk63CodeBits; ++j) {
        const int age = kInterleave * (kFsk63CodeBits - 1 - j);
        soft[j] = softRing_[(ringPos_ + age) % kRingLength];
    }
    Correlation c;
    for (int i = 0; i < kFsk63CodeWords; ++i) {
        const uint32_t word = Fsk63CodeTable[i];
        int32_t score = 0;
        for (int j = 0; j < kFsk63CodeBits; ++j) score += ((word >> j) & 1) ? soft[j] : -soft[j];
        if (score > c.best) {
            c.best = score;
            c.bestIndex = i;
        }
        if (score < c.worst) {
            c.worst = score;
            c.worstIndex = i;
        }
    }
    return c;
}

void Fsk63Decoder::onSymbol(int32_t /*i*/, int32_t /*q*/, int32_t softValue) {
    // The transmitter inverts every other symbol; undo it (the inverted path covers the case
    // where this toggle runs in the opposite sense).
    polarity_ = 1 - polarity_;
    softRing_[ringPos_] = polarity_ == 1 ? softValue / kSoftScale : -(softValue / kSoftScale);

    const Correlation c = correlate();
    phaseScore_[codePhase_] += c.best - (phaseScore_[codePhase_] >> 3);
    int32_t& inverted = phaseScore_[codePhase_ + kCodePhases];
    inverted += std::abs(c.worst) - (inverted >> 3);

    int32_t top = 0;
    for (int p = 0; p < 2 * kCodePhases; ++p) {
        if (phaseScore_[p] > top) {
            top = phaseScore_[p];
            bestPhase_ = p;
        }
    }

    if (codePhase_ == bestPhase_) {
        if (c.bestIndex < kCharacters && sink) sink->putChar(channelId, c.bestIndex);
    } else if (codePhase_ + kCodePhases == bestPhase_) {
        if (c.worstIndex < kCharacters && sink) sink->putChar(channelId, c.worstIndex);
    }

    codePhase_ = (codePhase_ + 1) % kCodePhases;
    ringPos_ = ringPos_ == 0 ? kRingLength - 1 : ringPos_ - 1;
}

}  // namespace tarnvel::modem
