#pragma once
// FSK63: each character is a 17-bit block codeword, interleaved with the words of the two
// characters before and after it over a ring of 51 symbols.

#include <array>
#include <cstdint>

#include "modem/Fsk63CodeTable.h"
#include "modem/SymbolEncoder.h"

namespace tarnvel::modem {

class Fsk63Encoder : public SymbolEncoder {
  public:
    static constexpr int kRingSize = 3 * kFsk63CodeBits;

    using SymbolEncoder::SymbolEncoder;

    // ch is a character code 0..255 or the idle word 258; codes outside the table send an
    // all-zero word.
    void putChar(int ch) override;
    void clear() override;
    // Returns the tone 0 or 1; a new character (the idle word unless one follows at once) can
    // go in every 17 symbols.
    int nextSymbol(int& ready) override;

    int ringPosition() const { return ringPos_; }

  private:
    std::array<uint8_t, kRingSize> ring_{};
    int32_t ringPos_ = 0;
    int32_t toggle_ = 0;
    int32_t count_ = 0;
};

}  // namespace tarnvel::modem
