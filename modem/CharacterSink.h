#pragma once
// Where decoders deliver characters: the receive text buffer, and optionally a second,
// display-friendly copy (control characters as spaces, no double spaces).

#include <string>

namespace tarnvel::modem {

class CharacterSink {
  public:
    // Capacity reserved up front in a receive buffer, so that typical traffic between two
    // takes by the caller never reallocates.
    static constexpr std::size_t kReceiveBufferReserve = 511;

    CharacterSink() = default;
    CharacterSink(std::string* textBuffer, std::string* altTextBuffer)
        : text(textBuffer), altText(altTextBuffer) {}
    virtual ~CharacterSink() = default;

    // Appends the low byte of ch to text, and the cleaned-up character to altText if set.
    virtual void putChar(int channelId, int ch);

    std::string* text = nullptr;     // not owned; the receive text buffer
    std::string* altText = nullptr;  // not owned; null for the main receiver
};

}  // namespace tarnvel::modem
