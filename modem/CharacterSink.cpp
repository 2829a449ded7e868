#include "modem/CharacterSink.h"

namespace tarnvel::modem {

void CharacterSink::putChar(int /*channelId*/, int ch) {
    const char byte = static_cast<char>(static_cast<unsigned char>(ch & 0xFF));
    if (text != nullptr) text->push_back(byte);
    if (altText == nullptr) return;
    // Control characters would break a one-line display: they become spaces, and a space
    // never follows another.
    const char shown = (ch < 32) ? ' ' : static_cast<char>(ch);
    if (shown == ' ' && !altText->empty() && altText->back() == ' ') return;
    altText->push_back(shown);
}

}  // namespace tarnvel::modem
