#pragma once

// The transmit window's text and its send order, without the drawing: the operator
// types ahead, macros append, and the transmitter pulls one character at a time.
//
// Two ways of working, chosen by "SimpleTxEdit1":
// - simple: what is typed is also put on a separate send queue; the window text may
//   be edited freely, and a backspace either takes back a queued character or is
//   itself queued to erase one already sent;
// - underline: the window text is the queue. Sent characters (the prefix before the
//   sent position) are shown underlined and cannot be edited; a backspace at the sent
//   position takes the last sent character back and sends a backspace for it.
//
// Characters are 8-bit codes; 13 10 is a line end. In UTF-8 a letter is several codes: a
// backspace takes back, erases or sends a backspace for the whole letter. The view mirrors this model: it
// reports the operator's selection and keys, and redraws when told of a change.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "modem/CharacterSet.h"

namespace tarnvel::app {

class TransmitText {
  public:
    static constexpr std::uint8_t kBackspace = 8;
    static constexpr std::uint8_t kCarriageReturn = 13;
    static constexpr std::uint8_t kLineFeed = 10;
    // A paste takes at most this much of the clipboard.
    static constexpr std::size_t kPasteLimit = 10000;

    explicit TransmitText(bool simpleEdit = true);

    // "SimpleTxEdit1": true simple, false underline. Switching clears the window.
    bool simpleEdit() const { return simpleEdit_; }
    void setSimpleEdit(bool simpleEdit);

    // The character set on the air decides how many codes one character takes.
    void setCharacterSet(modem::CharacterSet set) { set_ = set; }
    modem::CharacterSet characterSet() const { return set_; }
    // How many codes the character at position takes (2 for a CR LF line end); 0 at the end.
    std::size_t characterLengthAt(std::size_t position) const;

    // The character source of the transmitter: the next character to send, or none
    // when nothing is waiting.
    std::optional<std::uint8_t> nextTransmitCharacter();

    // Appends text at the end (macros, files). In simple mode it is queued as well.
    void appendText(std::string_view text);

    // Empties the window and the queue; nothing counts as sent any more.
    void clear();

    // A new transmission does not send backspaces left over from the last one.
    void startTransmission() { pendingBackspaces_ = 0; }

    // The operator's selection in the window (anchor and caret; equal for none).
    void setSelection(std::size_t anchor, std::size_t caret);
    std::size_t caret() const { return caret_; }
    std::size_t selectionStart() const;
    std::size_t selectionEnd() const;

    // A typed character (8 for the backspace key) at the caret. False when the window
    // refused it (a change to sent text in underline mode).
    bool typeCharacter(std::uint8_t c);

    // Pastes up to kPasteLimit characters of clipboard text over the selection; in
    // simple mode they are queued too. False when refused (sent text in the way).
    bool paste(std::string_view clipboard);

    // Any other edit of the view (delete key, cut, drop): replaces [from, to) by text.
    // Refused (false) in underline mode when it would change sent text.
    bool replaceRange(std::size_t from, std::size_t to, std::string_view text);
    bool canChange(std::size_t from, std::size_t to) const;

    const std::string& text() const { return text_; }
    // Simple mode: the characters still to send, oldest first.
    const std::string& sendQueue() const { return sendQueue_; }
    // Underline mode: the index of the first character not yet sent.
    std::size_t sentPosition() const { return sentPosition_; }
    // Underline mode: backspaces still to send for sent characters taken back.
    int pendingBackspaces() const { return pendingBackspaces_; }
    // Whether the character at index is shown underlined and protected.
    bool isSent(std::size_t index) const { return !simpleEdit_ && index < sentPosition_; }
    bool hasUnsentText() const;

    // Called after every change of the text, the queue or the sent part.
    void setChangeListener(std::function<void()> listener) { listener_ = std::move(listener); }

  private:
    std::optional<std::uint8_t> nextFromQueue();
    std::optional<std::uint8_t> nextFromWindow();
    bool typeSimple(std::uint8_t c);
    bool typeUnderlined(std::uint8_t c);
    bool backspaceUnderlined();
    void takeBackLastSent();
    void eraseBeforeCaret();
    void insertAtCaret(std::string_view text);
    std::size_t lineEndStartBefore(std::size_t position) const;
    bool takeBackFromQueue();
    void changed();

    bool simpleEdit_;
    modem::CharacterSet set_ = modem::CharacterSet::Latin1;
    std::string text_;
    std::string sendQueue_;
    std::size_t sentPosition_ = 0;
    int pendingBackspaces_ = 0;
    std::size_t anchor_ = 0;
    std::size_t caret_ = 0;
    std::function<void()> listener_;
};

}  // namespace tarnvel::app
