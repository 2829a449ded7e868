#pragma once
// Symbol encoders turn characters into constellation points for the modulator, one symbol per
// symbol period. All of them share one transmit code table.

#include <array>
#include <cstddef>
#include <cstdint>

namespace tarnvel::modem {

// Transmit codes of the 256 characters, shared by every encoder. Each entry holds two 0 bits
// (the character gap) followed by the character's varicode, left-justified in 16 bits.
class TxCodeTable {
  public:
    static constexpr int kSize = 256;

    // Enters the right-justified code of ch; characters above 255 are ignored. A code of 0
    // becomes a lone 1 bit, so such a character still sends its gap and one bit.
    void setCode(uint16_t code, int ch);
    uint16_t operator[](int ch) const { return entries_[static_cast<std::size_t>(ch)]; }

  private:
    std::array<uint16_t, kSize> entries_{};
};

class SymbolEncoder {
  public:
    explicit SymbolEncoder(TxCodeTable& codes) : codes_(codes) {}
    virtual ~SymbolEncoder() = default;
    SymbolEncoder(const SymbolEncoder&) = delete;
    SymbolEncoder& operator=(const SymbolEncoder&) = delete;

    // Enters the transmit code of ch (0..255) into the shared table.
    virtual void setCode(uint16_t code, int ch) { codes_.setCode(code, ch); }
    // Starts sending ch.
    virtual void putChar(int ch) = 0;
    // Forgets a partly sent character.
    virtual void clear() = 0;
    // The next symbol; ready becomes 1 when the encoder can take the next character, else 0.
    virtual int nextSymbol(int& ready) = 0;

  protected:
    TxCodeTable& codes_;
};

}  // namespace tarnvel::modem
