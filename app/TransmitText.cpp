#include "app/TransmitText.h"

#include <algorithm>

namespace tarnvel::app {

namespace {

constexpr char kCr = static_cast<char>(TransmitText::kCarriageReturn);
constexpr char kLf = static_cast<char>(TransmitText::kLineFeed);
constexpr char kBs = static_cast<char>(TransmitText::kBackspace);

bool endsWithLineEnd(std::string_view text) {
    return text.size() >= 2 && text[text.size() - 2] == kCr && text.back() == kLf;
}

}  // namespace

TransmitText::TransmitText(bool simpleEdit) : simpleEdit_(simpleEdit) {}

void TransmitText::setSimpleEdit(bool simpleEdit) {
    if (simpleEdit == simpleEdit_) return;
    simpleEdit_ = simpleEdit;
    clear();
}

void TransmitText::changed() {
    if (listener_) listener_();
}

std::optional<std::uint8_t> TransmitText::nextTransmitCharacter() {
    return simpleEdit_ ? nextFromQueue() : nextFromWindow();
}

std::optional<std::uint8_t> TransmitText::nextFromQueue() {
    if (sendQueue_.empty()) return std::nullopt;
    const auto c = static_cast<std::uint8_t>(sendQueue_.front());
    sendQueue_.erase(0, 1);
    changed();
    return c;
}

std::optional<std::uint8_t> TransmitText::nextFromWindow() {
    if (pendingBackspaces_ > 0) {
        --pendingBackspaces_;
        return kBackspace;
    }
    if (sentPosition_ >= text_.size()) {
        sentPosition_ = text_.size();
        return std::nullopt;
    }
    const auto c = static_cast<std::uint8_t>(text_[sentPosition_]);
    // A CR LF line end goes out as one carriage return.
    const bool lineEnd = text_[sentPosition_] == kCr && sentPosition_ + 1 < text_.size() &&
                         text_[sentPosition_ + 1] == kLf;
    sentPosition_ += lineEnd ? 2 : 1;
    changed();
    return c;
}

void TransmitText::appendText(std::string_view text) {
    if (text.empty()) return;
    text_ += text;
    // Macros and files reach the transmitter in simple mode only through the queue.
    if (simpleEdit_) sendQueue_ += text;
    changed();
}

void TransmitText::clear() {
    text_.clear();
    sendQueue_.clear();
    sentPosition_ = 0;
    pendingBackspaces_ = 0;
    anchor_ = 0;
    caret_ = 0;
    changed();
}

void TransmitText::setSelection(std::size_t anchor, std::size_t caret) {
    anchor_ = std::min(anchor, text_.size());
    caret_ = std::min(caret, text_.size());
}

std::size_t TransmitText::selectionStart() const {
    return std::min(anchor_, caret_);
}
std::size_t TransmitText::selectionEnd() const {
    return std::max(anchor_, caret_);
}

bool TransmitText::hasUnsentText() const {
    if (simpleEdit_) return !sendQueue_.empty();
    return pendingBackspaces_ > 0 || sentPosition_ < text_.size();
}

bool TransmitText::typeCharacter(std::uint8_t c) {
    const bool accepted = simpleEdit_ ? typeSimple(c) : typeUnderlined(c);
    if (accepted) changed();
    return accepted;
}

// The start of the character that ends at position: a CR LF pair is one line end, and a
// UTF-8 letter one character.
std::size_t TransmitText::lineEndStartBefore(std::size_t position) const {
    if (position >= 2 && text_[position - 2] == kCr && text_[position - 1] == kLf) {
        return position - 2;
    }
    return position - modem::characterLengthBefore(text_, position, set_);
}

std::size_t TransmitText::characterLengthAt(std::size_t position) const {
    if (position >= text_.size()) return 0;
    if (text_[position] == kCr && position + 1 < text_.size() && text_[position + 1] == kLf)
        return 2;
    return modem::characterLengthAt(text_, position, set_);
}

// Takes back the last queued character, unless it is itself a backspace, nothing is queued,
// or it is the rest of a letter whose first code has already gone out (the letter is then
// completed and erased by the backspace that follows it).
bool TransmitText::takeBackFromQueue() {
    if (endsWithLineEnd(sendQueue_)) {
        sendQueue_.resize(sendQueue_.size() - 2);
        return true;
    }
    if (sendQueue_.empty() || sendQueue_.back() == kBs) return false;
    const std::size_t length = modem::characterLengthBefore(sendQueue_, sendQueue_.size(), set_);
    const auto first = static_cast<unsigned char>(sendQueue_[sendQueue_.size() - length]);
    if (set_ == modem::CharacterSet::Utf8 && modem::utf8::sequenceLength(first) == 0) return false;
    sendQueue_.resize(sendQueue_.size() - length);
    return true;
}

void TransmitText::insertAtCaret(std::string_view text) {
    const std::size_t start = selectionStart();
    text_.replace(start, selectionEnd() - start, text);
    anchor_ = caret_ = start + text.size();
}

void TransmitText::eraseBeforeCaret() {
    if (selectionStart() != selectionEnd()) {
        insertAtCaret({});
        return;
    }
    if (caret_ == 0) return;
    std::size_t start = lineEndStartBefore(caret_);
    if (!simpleEdit_ && start < sentPosition_) start = caret_ - 1;
    text_.erase(start, caret_ - start);
    anchor_ = caret_ = start;
}

bool TransmitText::typeSimple(std::uint8_t c) {
    if (c == kBackspace) {
        // When nothing can be taken back, the backspace goes out to erase a sent character.
        if (!takeBackFromQueue()) sendQueue_ += kBs;
        eraseBeforeCaret();
        return true;
    }
    sendQueue_ += static_cast<char>(c);
    insertAtCaret(std::string_view(reinterpret_cast<const char*>(&c), 1));
    return true;
}

bool TransmitText::typeUnderlined(std::uint8_t c) {
    if (c == kBackspace) return backspaceUnderlined();
    const std::string_view typed(reinterpret_cast<const char*>(&c), 1);
    if (selectionStart() < sentPosition_) {
        // Typing where the text is already sent goes to the end, unsent; the sent
        // text (and any selection reaching into it) stays as it is.
        text_ += typed;
        anchor_ = caret_ = text_.size();
    } else {
        insertAtCaret(typed);
    }
    return true;
}

bool TransmitText::backspaceUnderlined() {
    if (selectionStart() != selectionEnd()) {
        if (selectionStart() < sentPosition_) return false;
        insertAtCaret({});
        return true;
    }
    if (caret_ < sentPosition_) return false;
    if (caret_ == sentPosition_) {
        if (sentPosition_ == 0) return false;
        takeBackLastSent();
        return true;
    }
    eraseBeforeCaret();
    return true;
}

// The last sent character leaves the window and a backspace is owed to the far end;
// once the sent position is back at 0 nothing is shown as sent any more.
void TransmitText::takeBackLastSent() {
    const std::size_t start = lineEndStartBefore(sentPosition_);
    text_.erase(start, sentPosition_ - start);
    ++pendingBackspaces_;
    sentPosition_ = start;
    anchor_ = caret_ = start;
}

bool TransmitText::canChange(std::size_t from, std::size_t to) const {
    if (simpleEdit_) return true;
    return std::min(from, to) >= sentPosition_;
}

bool TransmitText::paste(std::string_view clipboard) {
    // The limit never cuts a UTF-8 letter in two.
    std::size_t end = 0;
    while (end < clipboard.size()) {
        const std::size_t length = modem::characterLengthAt(clipboard, end, set_);
        if (end + length > kPasteLimit) break;
        end += length;
    }
    const std::string_view pasted = clipboard.substr(0, end);
    if (!canChange(selectionStart(), selectionEnd())) return false;
    if (simpleEdit_) sendQueue_ += pasted;
    insertAtCaret(pasted);
    changed();
    return true;
}

bool TransmitText::replaceRange(std::size_t from, std::size_t to, std::string_view text) {
    from = std::min(from, text_.size());
    to = std::min(std::max(from, to), text_.size());
    if (!canChange(from, to)) return false;
    text_.replace(from, to - from, text);
    anchor_ = caret_ = from + text.size();
    changed();
    return true;
}

}  // namespace tarnvel::app
