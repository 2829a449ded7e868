#include <gtest/gtest.h>

#include <cmath>

#include "display/TuningInput.h"
#include "modem/Mode.h"

namespace tarnvel::display {
namespace {

constexpr double kRate = 11025.0;
constexpr double kBinHz = kRate / 2048.0;

// A clean signal centred on bin 300.6 over a flat floor.
SpectrumHistory historyWithSignal() {
    SpectrumHistory h;
    SpectrumRow row{};
    for (int k = 0; k < kSpectrumBins; ++k) {
        const double d = (k - 300.6) / 2.0;
        const double db = 20.0 * std::log10(5000.0 * std::exp(-d * d) + 20.0) - 90.0;
        row[static_cast<size_t>(k)] = static_cast<float>((db + 90.0) / 20.0);
    }
    for (int i = 0; i < kHistoryRows; ++i) h.addRow(row);
    return h;
}

class TuningInputTest : public ::testing::Test {
  protected:
    SpectrumHistory history = historyWithSignal();
    FrequencyScale scale{kFreqModeAudio, 800, kRate};
    TuningInput input{history, scale};
    TuningContext context() const {
        TuningContext c;
        c.mode = modem::Mode::Bpsk31;
        c.receiveFrequency = 1000.0;
        c.clientHeight = 100;
        return c;
    }
};

TEST_F(TuningInputTest, LeftReleaseTunesReceiveAndUnlockedTransmit) {
    auto c = context();
    auto a = input.leftReleased(c, 302, {true, false});
    ASSERT_TRUE(a.setFrequency);
    EXPECT_NEAR(a.setFrequency->frequency / kBinHz, 300.6, 0.16);
    EXPECT_EQ(a.setFrequency->flags, kSetReceive | kSetTransmit);
    EXPECT_TRUE(a.setFrequency->shift);
    EXPECT_EQ(*a.remember, a.setFrequency->frequency);
    EXPECT_FALSE(a.repaint);

    c.transmitLocked = true;
    EXPECT_EQ(input.leftReleased(c, 302, {}).setFrequency->flags, kSetReceive);
    // Ctrl remembers the spot without tuning.
    a = input.leftReleased(c, 302, {false, true});
    EXPECT_FALSE(a.setFrequency);
    EXPECT_TRUE(a.remember);
    // Dragging never passes Shift and ignores Ctrl.
    EXPECT_FALSE(input.leftDragged(c, 302).setFrequency->shift);

    c.state = kStateStopped;
    EXPECT_TRUE(input.leftReleased(c, 302, {}).repaint);
}

TEST_F(TuningInputTest, TransmittingTunesOnlyInImdMeasurement) {
    auto c = context();
    c.state = kStateTransmitting;
    auto a = input.leftReleased(c, 302, {});
    EXPECT_FALSE(a.setFrequency);
    EXPECT_FALSE(a.remember);
    EXPECT_TRUE(a.repaint);
    EXPECT_FALSE(input.leftDragged(c, 302).setFrequency);
    EXPECT_FALSE(input.rightPressed(c, {}, 302, 10).openChannel);

    c.imdMeasuring = true;
    a = input.leftReleased(c, 302, {});
    ASSERT_TRUE(a.setFrequency);
    EXPECT_EQ(a.setFrequency->flags, kSetReceive);
    EXPECT_FALSE(input.leftDragged(c, 302).setFrequency);
    EXPECT_TRUE(input.rightPressed(c, {}, 302, 10).openChannel);
}

TEST_F(TuningInputTest, RightClickOpensAtSnapOrAtTheCursorWithin60Hz) {
    auto c = context();
    c.receiveFrequency = 300.6 * kBinHz + 59.0;
    auto a = input.rightPressed(c, {}, 302, 10);
    ASSERT_TRUE(a.openChannel);
    EXPECT_EQ(*a.openChannel, c.receiveFrequency);

    c.receiveFrequency = 300.6 * kBinHz + 61.0;
    a = input.rightPressed(c, {}, 302, 10);
    ASSERT_TRUE(a.openChannel);
    EXPECT_NEAR(*a.openChannel / kBinHz, 300.6, 0.16);
    EXPECT_FALSE(input.rightPressed(c, {}, 302, 10).clearChannel);
}

TEST_F(TuningInputTest, RightClickOnAShownTagClearsThatChannel) {
    auto c = context();
    c.tagsShown = true;
    const double f = 302 * kBinHz;
    std::vector<ChannelTag> slots(26);
    slots[1] = {false, false, f};  // not in use: no tag
    slots[4] = {true, true, f};
    const int top = channelTagTop(c.clientHeight);
    EXPECT_EQ(top, 80);
    EXPECT_EQ(*input.rightPressed(c, slots, 308, top + 16).clearChannel, 4);
    EXPECT_FALSE(input.rightPressed(c, slots, 309, top + 16).clearChannel);
    EXPECT_FALSE(input.rightPressed(c, slots, 302, top - 1).clearChannel);
    EXPECT_FALSE(input.contextMenu(c, slots, 302, top + 1, {}).remember);
    EXPECT_TRUE(input.contextMenu(c, slots, 302, top - 1, {}).remember);
    EXPECT_FALSE(input.contextMenu(c, slots, 302, top - 1, {false, true}).remember);
    // Hidden tags cannot be hit: the click opens a channel instead.
    c.tagsShown = false;
    EXPECT_TRUE(input.rightPressed(c, slots, 302, top + 1).openChannel);
}

TEST(SpectrumViewLayout, Geometry) {
    EXPECT_EQ(channelTagTop(30), 25);  // a low view keeps the tags under the cursor
    const auto frame = phaseScopeFrame(800, 100, 61);
    EXPECT_EQ(frame.centre.x, 769);
    EXPECT_EQ(frame.centre.y, 69);
    // The IMD icon follows the receive frequency truncated to whole Hertz: 1002.9 Hz is bin
    // 186.2 but 1002 Hz is what counts.
    const FrequencyScale lsb(kFreqModeLowerSideband, 800, kRate);
    EXPECT_EQ(imdIconOrigin(lsb, 1002.9).x, 800 - 186 - 12);
    EXPECT_TRUE(
        TuningInput::leftDoubleClicked(TuningContext{.transmitLocked = true}).toggleTransmitLock);
    EXPECT_FALSE(TuningInput::leftDoubleClicked(TuningContext{}).toggleTransmitLock);
}

}  // namespace
}  // namespace tarnvel::display
