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

void ReceiveText::setCharacterSet(modem::CharacterSet set) {
    set_ = set;
    decoder_.reset();
}

// Codes of a sequence that a line end or a backspace cuts off are shown as they are.
void ReceiveText::showPending() {
    shown_ = decoder_.flush();
}

void ReceiveText::showCode(uint8_t c) {
    if (set_ == modem::CharacterSet::Utf8) {
        shown_ = decoder_.push(c);
    } else {
        shown_.add(modem::decodeText(std::string_view(reinterpret_cast<const char*>(&c), 1),
                                     set_)
                       .front());
    }
}

ReceiveEdit ReceiveText::eraseLastCharacter() {
    if (text_.empty()) return ReceiveEdit::Dropped;
    showPending();
    const std::size_t length = modem::characterLengthBefore(text_, text_.size(), set_);
    const std::size_t start = text_.size() - length;
    erased_ = modem::decodeText(std::string_view(text_).substr(start), set_).front();
    if (text_.back() == '\n') --lineEnds_;
    text_.erase(start);
    return ReceiveEdit::Erased;
}

ReceiveEdit ReceiveText::appendReceivedChar(uint8_t c) {
    trimmedLines_ = 0;
    shown_ = {};
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
    if (c == kBackspace) return eraseLastCharacter();
    if (c == kCarriageReturn || c == kLineFeed) {
        showPending();
        text_.push_back('\n');
        ++lineEnds_;
        if (!keepEverything_ && lineEnds_ > kReceiveLineLimit) trimOldestLines();
        return ReceiveEdit::LineEnd;
    }
    text_.push_back(static_cast<char>(c));
    showCode(c);
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
    decoder_.reset();
}

void ReceiveText::trimOldestLines() {
    size_t cut = 0;
    for (int line = 0; line < kReceiveLinesTrimmed; ++line) cut = text_.find('\n', cut) + 1;
    text_.erase(0, cut);
    lineEnds_ -= kReceiveLinesTrimmed;
    trimmedLines_ = kReceiveLinesTrimmed;
}

}  // namespace tarnvel::app
