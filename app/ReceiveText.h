#pragma once
// The text rules of the receive window: which received character codes are shown, how carriage
// return and line feed pair up into one line end, backspace, and the line limit that keeps a
// long session from growing without end. The window draws what this model holds; the batch
// tool prints it.
//
// Text is kept in the station's 8-bit character codes, with '\n' for every line end. What the
// codes show as depends on the character set on the air: in UTF-8 a letter arrives as several
// codes, is shown once it is whole, and a backspace erases the whole letter.

#include <cstdint>
#include <string>
#include <string_view>

#include "modem/CharacterSet.h"
#include "modem/Utf8StreamDecoder.h"

namespace tarnvel::app {

// The line end that takes the window past kReceiveLineLimit line ends deletes the oldest
// kReceiveLinesTrimmed lines.
inline constexpr int kReceiveLineLimit = 360;
inline constexpr int kReceiveLinesTrimmed = 100;

// What one character did to the text, for a view that mirrors it.
enum class ReceiveEdit {
    Dropped,   // nothing changed
    Inserted,  // one character appended
    LineEnd,   // a line end appended (the oldest lines may have been trimmed: see trimmedLines)
    Erased,    // the last character (possibly a line end) deleted
};

class ReceiveText {
  public:
    // With keepEverything the line limit is off (the batch tool prints the whole text).
    explicit ReceiveText(bool keepEverything = false) : keepEverything_(keepEverything) {}

    // The characters this edit made visible come first (shownCharacters), then the edit.
    ReceiveEdit appendReceivedChar(uint8_t c);
    void appendReceivedText(std::string_view text);
    // Empties the text; the pairing of CR and LF starts afresh.
    void clear();

    // While the window has the keyboard focus, characters handed to it are lost (the main
    // frame holds decoded text back then; only direct insertions arrive).
    void setHasFocus(bool focus) { hasFocus_ = focus; }

    // The character set the codes are shown in; the text already held stays as it is.
    void setCharacterSet(modem::CharacterSet set);
    modem::CharacterSet characterSet() const { return set_; }

    // What the last appendReceivedChar made visible, before its own edit: the letter it
    // completed, or the codes of a broken UTF-8 sequence (as Latin-1) flushed by it.
    const modem::Utf8StreamDecoder::Characters& shownCharacters() const { return shown_; }
    // The character the last Erased edit took away ('\n' for a line end).
    char32_t erasedCharacter() const { return erased_; }
    // Codes at the end of the text that wait for the rest of their UTF-8 sequence.
    int pendingBytes() const { return decoder_.pendingBytes(); }

    const std::string& text() const { return text_; }
    int lineCount() const { return lineEnds_ + 1; }
    // Lines deleted from the top by the last line end (0 or kReceiveLinesTrimmed).
    int trimmedLines() const { return trimmedLines_; }

  private:
    void trimOldestLines();
    void showPending();
    void showCode(uint8_t c);
    ReceiveEdit eraseLastCharacter();

    std::string text_;
    int lineEnds_ = 0;
    int trimmedLines_ = 0;
    uint8_t previous_ = 0;
    bool hasFocus_ = false;
    bool keepEverything_;
    modem::CharacterSet set_ = modem::CharacterSet::Latin1;
    modem::Utf8StreamDecoder decoder_;
    modem::Utf8StreamDecoder::Characters shown_;
    char32_t erased_ = 0;
};

// True for the control codes the receive window never shows (bell, escape, ...).
bool isDroppedReceiveCode(uint8_t c);

}  // namespace tarnvel::app
