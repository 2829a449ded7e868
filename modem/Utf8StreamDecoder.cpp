#include "modem/Utf8StreamDecoder.h"

#include "modem/CharacterSet.h"

namespace tarnvel::modem {

bool Utf8StreamDecoder::continuesPending(uint8_t byte) const {
    return count_ > 0 && utf8::continues(pending_[0], count_, byte);
}

Utf8StreamDecoder::Characters Utf8StreamDecoder::push(uint8_t byte) {
    Characters out;
    if (count_ > 0) {
        if (continuesPending(byte)) {
            pending_[static_cast<std::size_t>(count_++)] = byte;
            if (count_ == length_) {
                out.add(utf8::codePoint(pending_.data(), length_));
                count_ = 0;
            }
            return out;
        }
        out = flush();
    }
    start(byte, out);
    return out;
}

void Utf8StreamDecoder::start(uint8_t byte, Characters& out) {
    const int length = utf8::sequenceLength(byte);
    if (length <= 1) {
        out.add(byte);  // ASCII, or a byte no sequence starts with: its Latin-1 character
        return;
    }
    pending_[0] = byte;
    count_ = 1;
    length_ = length;
}

Utf8StreamDecoder::Characters Utf8StreamDecoder::flush() {
    Characters out;
    for (int i = 0; i < count_; ++i) out.add(pending_[static_cast<std::size_t>(i)]);
    count_ = 0;
    return out;
}

}  // namespace tarnvel::modem
