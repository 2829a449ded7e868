#include "modem/TransmitControlRule.h"

#include "modem/TransmitHost.h"

namespace tarnvel::modem {

bool TransmitControlRule::isControlValue(uint8_t byte) {
    return byte == kCharRx || byte == kCharRxAndClear || byte == kCharCwId;
}

void TransmitControlRule::setCharacterSet(CharacterSet set) {
    set_ = set;
    sequence_.reset();
}

bool TransmitControlRule::isControl(uint8_t byte) {
    if (set_ != CharacterSet::Utf8) return isControlValue(byte);
    const bool text = sequence_.continuesPending(byte);
    if (!text && isControlValue(byte)) {
        // A control ends any sequence left open before it.
        sequence_.reset();
        return true;
    }
    sequence_.push(byte);
    return false;
}

}  // namespace tarnvel::modem
