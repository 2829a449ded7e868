#include "app/ReceiveText.h"

#include <gtest/gtest.h>

#include <string>

#include "app/SampleTimer.h"

namespace tarnvel::app {
namespace {

std::string shown(std::string_view received, bool keepEverything = false) {
    ReceiveText window(keepEverything);
    window.appendReceivedText(received);
    return window.text();
}

TEST(ReceiveText, CarriageReturnAndLineFeedPairIntoOneLineEnd) {
    EXPECT_EQ(shown("A\r\nB"), "A\nB");
    EXPECT_EQ(shown("A\n\rB"), "A\nB");
    EXPECT_EQ(shown("A\rB\nC"), "A\nB\nC");  // lone CR and lone LF each end a line
    EXPECT_EQ(shown("A\r\rB"), "A\n\nB");
    EXPECT_EQ(shown("A\n\nB"), "A\n\nB");
    // A pair is used up once: two pairs are two line ends, a pair and a lone LF too.
    EXPECT_EQ(shown("A\r\n\r\nB"), "A\n\nB");
    EXPECT_EQ(shown("A\r\n\nB"), "A\n\nB");
    EXPECT_EQ(shown("A\n\r\nB"), "A\n\nB");

    ReceiveText window;
    window.appendReceivedText("A\r\nB");
    EXPECT_EQ(window.lineCount(), 2);
}

TEST(ReceiveText, ControlCodesTheWindowNeverShowsAreDropped) {
    std::string received = "a";
    for (int c = 1; c < 32; ++c) received.push_back(static_cast<char>(c));
    received += "b";
    received.push_back('\0');  // an undecodable varicode word
    received += "c\x7F\xE9";
    // Of the codes 1..31 only backspace (which erases 'a'), tab, LF and CR act, and the CR
    // pairs with the LF before it across the dropped 11 and 12.
    EXPECT_EQ(shown(received), "\t\nbc\x7F\xE9");
    EXPECT_EQ(shown("x\x07y\x1Bz"), "xyz");
    // A dropped code does not break a CR LF pair.
    EXPECT_EQ(shown("A\r\x07\nB"), "A\nB");
}

TEST(ReceiveText, BackspaceErasesTheLastCharacterOrLineEnd) {
    ReceiveText window;
    EXPECT_EQ(window.appendReceivedChar(8), ReceiveEdit::Dropped);  // nothing to erase
    window.appendReceivedText("AB\r\n");
    EXPECT_EQ(window.lineCount(), 2);
    EXPECT_EQ(window.appendReceivedChar(8), ReceiveEdit::Erased);
    EXPECT_EQ(window.lineCount(), 1);
    window.appendReceivedText("\bC");
    EXPECT_EQ(window.text(), "AC");
}

TEST(ReceiveText, TheLineEndAfter360LinesDeletesTheFirst100) {
    ReceiveText window;
    for (int i = 0; i < 360; ++i) {
        window.appendReceivedText("line " + std::to_string(i) + "\r\n");
        ASSERT_EQ(window.trimmedLines(), 0) << i;
    }
    window.appendReceivedText("line 360");
    EXPECT_EQ(window.appendReceivedChar('\r'), ReceiveEdit::LineEnd);  // the 361st line end
    EXPECT_EQ(window.trimmedLines(), kReceiveLinesTrimmed);
    EXPECT_EQ(window.text().substr(0, 9), "line 100\n");
    EXPECT_EQ(window.lineCount(), 262);

    ReceiveText everything(/*keepEverything=*/true);
    for (int i = 0; i < 1000; ++i) everything.appendReceivedText("x\r\n");
    EXPECT_EQ(everything.lineCount(), 1001);
}

TEST(ReceiveText, CharactersArrivingWhileFocusedAreLost) {
    ReceiveText window;
    window.appendReceivedText("A");
    window.setHasFocus(true);
    EXPECT_EQ(window.appendReceivedChar('\r'), ReceiveEdit::Dropped);
    window.setHasFocus(false);
    window.appendReceivedText("\nB");  // pairs with the lost CR: no line end
    EXPECT_EQ(window.text(), "AB");
    window.clear();
    EXPECT_EQ(window.text(), "");
    EXPECT_EQ(window.lineCount(), 1);
}

TEST(SampleTimer, TicksEvery300MsOfAudio) {
    SampleTimer timer(11025.0, kHousekeepingPeriodMs);
    // 512-sample blocks: 3307.5 samples per tick, so the first tick falls in the 7th block.
    int firstTickBlock = 0, ticks = 0;
    for (int block = 1; block <= 215; ++block) {  // 110080 samples, 9.98 s
        const int due = timer.advance(512);
        EXPECT_LE(due, 1);
        if (due && !firstTickBlock) firstTickBlock = block;
        ticks += due;
    }
    EXPECT_EQ(firstTickBlock, 7);
    EXPECT_EQ(ticks, 33);  // 110080 / 3307.5 = 33.3
    // One long chunk brings several ticks at once.
    SampleTimer chunked(11025.0, kHousekeepingPeriodMs);
    EXPECT_EQ(chunked.advance(8192), 2);
    EXPECT_EQ(chunked.advance(8192), 2);  // 16384 samples: 4.95 periods
    EXPECT_EQ(chunked.ticks(), 4u);
}

}  // namespace
}  // namespace tarnvel::app
