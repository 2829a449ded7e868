#include <gtest/gtest.h>

#include "app/TransmitText.h"

namespace tarnvel::app {
namespace {

constexpr std::uint8_t kBs = TransmitText::kBackspace;

// Everything the transmitter would pull now, as a string.
std::string drain(TransmitText& window) {
    std::string sent;
    while (const auto c = window.nextTransmitCharacter()) sent += static_cast<char>(*c);
    return sent;
}

void type(TransmitText& window, std::string_view keys) {
    for (char c : keys) window.typeCharacter(static_cast<std::uint8_t>(c));
}

TEST(TransmitTextSimple, BackspaceTakesBackAQueuedCharacter) {
    TransmitText window(true);
    type(window, "AB\b");
    EXPECT_EQ(window.text(), "A");
    EXPECT_EQ(drain(window), "A");
    EXPECT_FALSE(window.nextTransmitCharacter());
}

TEST(TransmitTextSimple, BackspaceWithNothingQueuedIsSent) {
    TransmitText window(true);
    type(window, "\b");
    EXPECT_EQ(drain(window), "\b");
    type(window, "CQ");
    EXPECT_EQ(drain(window), "CQ");
    type(window, "\b\b\b");  // erases the sent text at the far end, one each
    EXPECT_EQ(window.sendQueue(), "\b\b\b");
    EXPECT_EQ(window.text(), "");
    EXPECT_EQ(drain(window), "\b\b\b");
}

TEST(TransmitTextSimple, EnterThenBackspaceOnAnEmptyQueueSendsNothing) {
    TransmitText window(true);
    type(window, "\r\n\b");  // the queue held only the line end, taken back whole
    EXPECT_EQ(window.sendQueue(), "");
    EXPECT_EQ(window.text(), "");
    EXPECT_EQ(drain(window), "");
    // The same behind a character: only the line end goes.
    type(window, "K\r\n\b");
    EXPECT_EQ(drain(window), "K");
}

TEST(TransmitTextSimple, MacrosAndPastesAreQueuedAndALineEndIsTakenBackWhole) {
    TransmitText window(true);
    window.appendText("CQ\r\n");
    window.setSelection(4, 4);
    type(window, "\b");
    EXPECT_EQ(window.sendQueue(), "CQ");
    EXPECT_EQ(window.text(), "CQ");
    EXPECT_TRUE(window.paste(std::string(12000, 'x')));
    EXPECT_EQ(window.sendQueue().size(), 2u + TransmitText::kPasteLimit);
    EXPECT_EQ(window.text().size(), 2u + TransmitText::kPasteLimit);
}

TEST(TransmitTextUnderline, SentTextIsProtected) {
    TransmitText window(false);
    window.appendText("CQ DE SP9XYZ");
    for (int i = 0; i < 3; ++i) window.nextTransmitCharacter();
    EXPECT_EQ(window.sentPosition(), 3u);
    EXPECT_TRUE(window.isSent(2));
    EXPECT_FALSE(window.isSent(3));
    EXPECT_FALSE(window.replaceRange(0, 2, "XX"));
    EXPECT_FALSE(window.canChange(2, 5));
    EXPECT_TRUE(window.replaceRange(3, 5, "de"));
    window.setSelection(0, 2);
    EXPECT_FALSE(window.paste("QRZ"));
    EXPECT_FALSE(window.typeCharacter(kBs));
    // Typing inside the sent text goes to the end, unsent.
    window.setSelection(1, 1);
    EXPECT_TRUE(window.typeCharacter('K'));
    EXPECT_EQ(window.text(), "CQ de SP9XYZK");
    EXPECT_EQ(drain(window), "de SP9XYZK");
}

TEST(TransmitTextUnderline, BackspaceAtTheSentPositionSendsABackspaceNext) {
    TransmitText window(false);
    window.appendText("TEST");
    EXPECT_EQ(drain(window), "TEST");
    window.setSelection(4, 4);
    ASSERT_TRUE(window.typeCharacter(kBs));
    EXPECT_EQ(window.text(), "TES");
    EXPECT_EQ(window.sentPosition(), 3u);
    EXPECT_EQ(window.pendingBackspaces(), 1);
    type(window, "T!");
    EXPECT_EQ(drain(window), "\bT!");
}

TEST(TransmitTextUnderline, TakingBackEverythingLeavesNothingUnderlined) {
    TransmitText window(false);
    window.appendText("AB\r\nC");
    EXPECT_EQ(drain(window), "AB\rC");  // the line end goes out as one CR
    window.setSelection(5, 5);
    type(window, "\b\b\b\b");
    EXPECT_EQ(window.text(), "");
    EXPECT_EQ(window.pendingBackspaces(), 4);
    EXPECT_FALSE(window.isSent(0));
    EXPECT_FALSE(window.typeCharacter(kBs));  // nothing left to take back
    window.startTransmission();               // a new transmission forgets them
    EXPECT_FALSE(window.nextTransmitCharacter());
}

TEST(TransmitTextUnderline, UnsentTextEditsNormally) {
    TransmitText window(false);
    window.appendText("ABCD");
    window.nextTransmitCharacter();
    window.setSelection(3, 3);
    type(window, "\b");
    EXPECT_EQ(window.text(), "ABD");
    EXPECT_EQ(window.pendingBackspaces(), 0);
    window.setSelection(1, 3);  // all unsent
    type(window, "x");
    EXPECT_EQ(window.text(), "Ax");
    EXPECT_EQ(drain(window), "x");
}

TEST(TransmitText, ClearAndSwitchingModesStartAfresh) {
    TransmitText window(false);
    int changes = 0;
    window.setChangeListener([&] { ++changes; });
    window.appendText("HELLO");
    window.nextTransmitCharacter();
    window.setSelection(1, 1);
    type(window, "\b");
    EXPECT_GT(changes, 2);
    window.clear();
    EXPECT_EQ(window.text(), "");
    EXPECT_EQ(window.sentPosition(), 0u);
    EXPECT_EQ(window.pendingBackspaces(), 0);
    EXPECT_FALSE(window.hasUnsentText());
    window.appendText("ABC");
    window.setSimpleEdit(true);
    EXPECT_EQ(window.text(), "");
    EXPECT_FALSE(window.nextTransmitCharacter());
}

}  // namespace
}  // namespace tarnvel::app
