#include "modem/Fsk63Encoder.h"

namespace tarnvel::modem {

void Fsk63Encoder::putChar(int ch) {
    const uint32_t word =
        ch >= 0 && ch < kFsk63CodeWords ? Fsk63CodeTable[static_cast<std::size_t>(ch)] : 0u;
    // Every third ring slot from the read position: the words of the two preceding characters
    // still hold the other two residues.
    for (int i = 0; i < kFsk63CodeBits; ++i)
        ring_[static_cast<std::size_t>((3 * i + ringPos_) % kRingSize)] =
            static_cast<uint8_t>((word >> i) & 1u);
}

void Fsk63Encoder::clear() {
    ringPos_ = 0;
    ring_.fill(0);
}

int Fsk63Encoder::nextSymbol(int& ready) {
    const int b = ring_[static_cast<std::size_t>(ringPos_)];
    ringPos_ = (ringPos_ + 1) % kRingSize;
    count_ += 1;
    ready = count_ == kFsk63CodeBits ? 1 : 0;
    if (ready) {
        count_ = 0;
        putChar(kFsk63IdleWord);
    }
    // Alternating inversion keeps long runs of equal bits from holding one tone.
    toggle_ = toggle_ ? 0 : 1;
    return b ^ toggle_;
}

}  // namespace tarnvel::modem
