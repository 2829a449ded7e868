// The receive and transmit text models with letters of several codes (UTF-8).

#include <gtest/gtest.h>

#include <string>

#include "app/ReceiveText.h"
#include "app/TransmitText.h"
#include "modem/CharacterSet.h"

namespace tarnvel::app {
namespace {

using modem::CharacterSet;

std::u32string shown(const ReceiveText& text) {
    const auto& c = text.shownCharacters();
    return std::u32string(c.codePoints.begin(), c.codePoints.begin() + c.count);
}

TEST(ReceiveTextCharacterSet, LettersShowWhenWholeAndBackspaceErasesThemWhole) {
    ReceiveText text;
    text.setCharacterSet(CharacterSet::Utf8);
    EXPECT_EQ(text.appendReceivedChar(0xC5), ReceiveEdit::Inserted);
    EXPECT_EQ(shown(text), U"");
    EXPECT_EQ(text.pendingBytes(), 1);
    text.appendReceivedChar(0x81);
    EXPECT_EQ(shown(text), U"Ł");
    text.appendReceivedText("\xC3\xB3");
    EXPECT_EQ(text.appendReceivedChar(8), ReceiveEdit::Erased);
    EXPECT_EQ(text.erasedCharacter(), U'ó');
    EXPECT_EQ(text.text(), "\xC5\x81");
    // A line end cuts a waiting lead code off: it is shown as its Latin-1 character first.
    text.appendReceivedChar(0xE2);
    EXPECT_EQ(text.appendReceivedChar('\r'), ReceiveEdit::LineEnd);
    EXPECT_EQ(shown(text), U"â");
    EXPECT_EQ(text.text(), "\xC5\x81\xE2\n");
    // Backspace after a stray continuation code erases that code only.
    text.appendReceivedText("\xC3\xA9\xA9");
    EXPECT_EQ(shown(text), U"©");
    text.appendReceivedChar(8);
    EXPECT_EQ(text.erasedCharacter(), U'©');
    EXPECT_EQ(text.text(), "\xC5\x81\xE2\n\xC3\xA9");
    // A backspace while a letter waits erases the cut-off code it is shown as.
    text.appendReceivedChar(0xC5);
    EXPECT_EQ(text.appendReceivedChar(8), ReceiveEdit::Erased);
    EXPECT_EQ(shown(text), U"Å");
    EXPECT_EQ(text.text(), "\xC5\x81\xE2\n\xC3\xA9");
    EXPECT_EQ(text.pendingBytes(), 0);
}

TEST(ReceiveTextCharacterSet, SingleByteSetsShowEveryCodeAtOnce) {
    ReceiveText text;
    text.setCharacterSet(CharacterSet::Windows1250);
    text.appendReceivedChar(0xB3);
    EXPECT_EQ(shown(text), U"ł");
    text.appendReceivedChar(0xC5);
    EXPECT_EQ(shown(text), U"Ĺ");
    text.appendReceivedChar(8);
    EXPECT_EQ(text.text(), "\xB3");
}

TEST(TransmitTextCharacterSet, SimpleModeTakesBackWholeLetters) {
    TransmitText tx(true);
    tx.setCharacterSet(CharacterSet::Utf8);
    for (const char c : std::string("a\xC5\xBC")) tx.typeCharacter(static_cast<uint8_t>(c));
    tx.typeCharacter(TransmitText::kBackspace);
    EXPECT_EQ(tx.sendQueue(), "a");
    EXPECT_EQ(tx.text(), "a");
    // Once the first code of a letter has gone out, the rest goes too and a backspace follows.
    for (const char c : std::string("\xC4\x99")) tx.typeCharacter(static_cast<uint8_t>(c));
    tx.nextTransmitCharacter();
    tx.nextTransmitCharacter();
    EXPECT_EQ(tx.sendQueue(), "\x99");
    tx.typeCharacter(TransmitText::kBackspace);
    EXPECT_EQ(tx.sendQueue(), "\x99\b");
    EXPECT_EQ(tx.text(), "a");
}

TEST(TransmitTextCharacterSet, UnderlineModeOwesOneBackspacePerLetter) {
    TransmitText tx(false);
    tx.setCharacterSet(CharacterSet::Utf8);
    for (const char c : std::string("x\xF0\x9F\x98\x80")) tx.typeCharacter(static_cast<uint8_t>(c));
    while (tx.nextTransmitCharacter()) {
    }
    tx.typeCharacter(TransmitText::kBackspace);
    EXPECT_EQ(tx.text(), "x");
    EXPECT_EQ(tx.pendingBackspaces(), 1);
    EXPECT_EQ(tx.characterLengthAt(0), 1u);
}

TEST(TransmitTextCharacterSet, PasteLimitNeverSplitsALetter) {
    TransmitText tx(true);
    tx.setCharacterSet(CharacterSet::Utf8);
    const std::string clip = std::string(TransmitText::kPasteLimit - 1, 'a') + "\xC5\x81";
    ASSERT_TRUE(tx.paste(clip));
    EXPECT_EQ(tx.sendQueue(), std::string(TransmitText::kPasteLimit - 1, 'a'));
    tx.clear();
    tx.setCharacterSet(CharacterSet::Latin1);
    ASSERT_TRUE(tx.paste(clip));
    EXPECT_EQ(tx.sendQueue().size(), TransmitText::kPasteLimit);
}

}  // namespace
}  // namespace tarnvel::app
