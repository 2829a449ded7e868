#pragma once
// Tells the transmit control characters (174 end, 169 end and clear, 176 identification) from
// text bytes of the same value. In the single-byte character sets every such byte is a control,
// as it always was. In UTF-8 the same values are continuation bytes of many letters ("ę" is
// C4 99, "Ů" C5 AE, "©" C2 A9, "®" C2 AE): a byte that continues the sequence begun before it
// is text, and only a byte standing on its own is a control. Every byte taken from the
// transmit text must pass through isControl, in order, so the rule knows what came before.

#include <cstdint>

#include "modem/CharacterSet.h"
#include "modem/Utf8StreamDecoder.h"

namespace tarnvel::modem {

class TransmitControlRule {
  public:
    explicit TransmitControlRule(CharacterSet set = CharacterSet::Latin1) : set_(set) {}

    void setCharacterSet(CharacterSet set);
    CharacterSet characterSet() const { return set_; }

    // Whether this byte, following the ones seen before, is a control character.
    bool isControl(uint8_t byte);
    // Nothing seen before (a new transmission, text thrown away).
    void reset() { sequence_.reset(); }

    static bool isControlValue(uint8_t byte);

  private:
    CharacterSet set_;
    Utf8StreamDecoder sequence_;
};

}  // namespace tarnvel::modem
