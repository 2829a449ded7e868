#include "modem/SymbolEncoder.h"

namespace tarnvel::modem {

void TxCodeTable::setCode(uint16_t code, int ch) {
    if (ch < 0 || ch >= kSize) return;
    uint16_t c = code == 0 ? uint16_t{0x8000} : code;
    while ((c & 0x8000u) == 0) c = static_cast<uint16_t>(c << 1);
    // Two leading 0 bits separate the character from the one before it.
    entries_[static_cast<std::size_t>(ch)] = static_cast<uint16_t>(c >> 2);
}

}  // namespace tarnvel::modem
