#include "app/ReceiveText.h"

namespace tarnvel::app {
namespace {

constexpr uint8_t kNul = 0;
constexpr uint8_t kBackspace = 8;
constexpr uint8_t kLineFeed = 10;
constexpr uint8_t kCarriageReturn = 13;

}  // namespace

bool isDroppedReceiveCode(uint8_t c) {
    // Tab (9), line feed (10), carriage return (13) and backspace (8) survive, as does 0.
    return (c >= 1 && c <= 7) || c == 11 || c == 12 || (c >= 14 && c <= 31);
}

ReceiveEdit ReceiveText::appendReceivedChar(uint8_t c) {
    trimmedLines_ = 0;
    if (isDroppedReceiveCode(c)) return ReceiveEdit::Dropped;
    // CR LF and LF CR make one line end. The pair is then used up, so that CR LF LF still
    // gives two line ends and CR LF CR LF two, not one.
    if ((c == kCarriageReturn && previous_ == kLineFeed) ||
        (c == kLineFeed && previous_ == kCarriageReturn)) {
        previous_ = kNul;
        return ReceiveEdit::Dropped;
    }
    previous_ = c;
    if (hasFocus_) return ReceiveEdit::Dropped;
    if (c == kNul) return ReceiveEdit::Dropped;  // an undecodable word shows nothing
    if (c == kBackspace) {
        if (text_.empty()) return ReceiveEdit::Dropped;
        if (text_.back() == '\n') --lineEnds_;
        text_.pop_back();
        return ReceiveEdit::Erased;
    }
    if (c == kCarriageReturn || c == kLineFeed) {
        text_.push_back('\n');
        ++lineEnds_;
        if (!keepEverything_ && lineEnds_ > kReceiveLineLimit) trimOldestLines();
        return ReceiveEdit::LineEnd;
    }
    text_.push_back(static_cast<char>(c));
    return ReceiveEdit::Inserted;
}

void ReceiveText::appendReceivedText(std::string_view text) {
    for (char c : text) appendReceivedChar(static_cast<uint8_t>(c));
}

void ReceiveText::clear() {
    text_.clear();
    lineEnds_ = 0;
    trimmedLines_ = 0;
    previous_ = kNul;
}

void ReceiveText::trimOldestLines() {
    size_t cut = 0;
    for (int line = 0; line < kReceiveLinesTrimmed; ++line) cut = text_.find('\n', cut) + 1;
    text_.erase(0, cut);
    lineEnds_ -= kReceiveLinesTrimmed;
    trimmedLines_ = kReceiveLinesTrimmed;
}

}  // namespace tarnvel::app
