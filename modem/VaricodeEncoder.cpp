#include "modem/VaricodeEncoder.h"

#include <bit>

namespace tarnvel::modem {

void VaricodeEncoder::putChar(int ch) {
    if (ch >= 0 && ch < TxCodeTable::kSize) shiftRegister_ = codes_[ch];
}

void VaricodeEncoder::clear() {
    shiftRegister_ = 0;
}

int VaricodeEncoder::nextSymbol(int& ready) {
    const int bit = takeBit();
    phase_ = static_cast<uint16_t>((phase_ + 2 * bit) & 3);
    ready = readiness();
    return phase_;
}

namespace {
int parity(unsigned v) {
    return std::popcount(v) & 1;
}

// Generator taps of the two code outputs.
constexpr unsigned kTapsHigh = 0x19;
constexpr unsigned kTapsLow = 0x17;
}  // namespace

QpskEncoder::QpskEncoder(TxCodeTable& codes) : VaricodeEncoder(codes) {
    for (unsigned i = 0; i < kConvStates; ++i)
        convTable_[i] = parity(i & kTapsHigh) * 2 + parity(i & kTapsLow);
}

void QpskEncoder::clear() {
    convRegister_ = 0;
}

int QpskEncoder::nextSymbol(int& ready) {
    const int bit = takeBit();
    convRegister_ = ((convRegister_ << 1) & kConvMask) | bit;
    const int32_t step = convTable_[static_cast<std::size_t>(convRegister_)];
    const int stepped = inverted_ ? phase_ - step : phase_ + step;
    phase_ = static_cast<uint16_t>(stepped & 3);
    ready = readiness();
    return phase_;
}

}  // namespace tarnvel::modem
