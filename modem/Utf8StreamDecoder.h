#pragma once
// Decodes text that arrives one byte at a time (the receive window gets a character at a time
// from the receivers). A byte that begins a sequence waits for the rest; a byte that cannot
// belong where it stands, and the bytes waiting before it, are taken as their Latin-1
// characters, so nothing received is ever dropped. Splits a text the same way decodeText does.

#include <array>
#include <cstdint>

namespace tarnvel::modem {

class Utf8StreamDecoder {
  public:
    // What one byte completed: at most the waiting bytes of a broken sequence and this one.
    struct Characters {
        std::array<char32_t, 4> codePoints{};
        int count = 0;
        void add(char32_t c) { codePoints[static_cast<std::size_t>(count++)] = c; }
    };

    Characters push(uint8_t byte);
    // The waiting bytes, as Latin-1 characters; the decoder starts afresh.
    Characters flush();
    // Whether byte would continue the sequence that is waiting.
    bool continuesPending(uint8_t byte) const;
    int pendingBytes() const { return count_; }
    void reset() { count_ = 0; }

  private:
    void start(uint8_t byte, Characters& out);

    std::array<uint8_t, 4> pending_{};
    int count_ = 0;
    int length_ = 0;
};

}  // namespace tarnvel::modem
