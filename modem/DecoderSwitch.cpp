#include "modem/DecoderSwitch.h"

namespace tarnvel::modem {

void DecoderSwitch::onBit(int bit) {
    if (current != nullptr) current->onBit(bit);
}

void DecoderSwitch::onSymbol(int32_t i, int32_t q, int32_t levelCode) {
    if (current != nullptr) current->onSymbol(i, q, levelCode);
}

void DecoderSwitch::reset() {
    if (current != nullptr) current->reset();
}

void DecoderSwitch::measureQuality(int32_t i, int32_t q, int32_t levelCode) {
    if (current != nullptr) current->measureQuality(i, q, levelCode);
}

}  // namespace tarnvel::modem
