#pragma once
// The varicode encoders: differential BPSK (also driving FSK31) and QPSK with its rate-1/2
// convolutional code.

#include <array>
#include <cstdint>

#include "modem/SymbolEncoder.h"

namespace tarnvel::modem {

// Every code bit 0, and every bit of the idle sequence, is a phase reversal; a code bit 1 keeps
// the phase. Returns the phase 0..3.
class VaricodeEncoder : public SymbolEncoder {
  public:
    using SymbolEncoder::SymbolEncoder;

    void putChar(int ch) override;
    void clear() override;
    int nextSymbol(int& ready) override;

    uint16_t shiftRegister() const { return shiftRegister_; }
    int phase() const { return phase_; }

  protected:
    // The next bit to send: 1 for a phase reversal. An empty register gives 1 for ever.
    int takeBit() {
        const int bit = (shiftRegister_ >> 15) ^ 1;
        shiftRegister_ = static_cast<uint16_t>(shiftRegister_ << 1);
        return bit;
    }
    int readiness() const { return shiftRegister_ == 0 ? 1 : 0; }

    uint16_t shiftRegister_ = 0;
    uint16_t phase_ = 0;
};

// QPSK31: each bit passes a constraint-length-5 convolutional code whose two outputs choose the
// phase step. The inverted variant steps the other way, giving the complex-conjugate signal for
// a transmitter on the other sideband.
class QpskEncoder : public VaricodeEncoder {
  public:
    explicit QpskEncoder(TxCodeTable& codes);

    // Leaves the varicode register alone: only the convolutional state is forgotten.
    void clear() override;
    int nextSymbol(int& ready) override;

    void setInverted(bool inverted) { inverted_ = inverted ? 1 : 0; }
    bool inverted() const { return inverted_ != 0; }

  private:
    static constexpr int kConvStates = 32;
    static constexpr int32_t kConvMask = 0x1F;
    int inverted_ = 0;
    std::array<int32_t, kConvStates> convTable_{};
    int32_t convRegister_ = 0;
};

}  // namespace tarnvel::modem
