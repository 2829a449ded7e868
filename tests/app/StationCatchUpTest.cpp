// The station's catch-up on its sound history: a click that moves the main receiver onto a
// signal that began earlier decodes it from its start, and so does a channel opened on it;
// a click that stays on its signal, or lands where none is, replays nothing.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/Station.h"
#include "modem/Transmitter.h"
#include "tests/app/StationFixture.h"

namespace tarnvel::app {
namespace {

using testing::StationFixture;

constexpr double kRate = 11025.0;
constexpr const char* kText = "CQ DE DL1ABC DL1ABC PSE K";

std::vector<int16_t> transmission(double hz) {
    modem::TextTransmitHost sender("DL1ABC");
    modem::Transmitter transmitter(sender);
    transmitter.setMode(modem::Mode::Bpsk31);
    transmitter.setTransmitFrequency(hz);
    sender.type(std::string(kText) + "\xAE");
    return transmitter.renderTransmission(30 * 11025).samples;
}

class StationCatchUp : public StationFixture {
  protected:
    void feed(std::span<const int16_t> samples) {
        for (size_t at = 0; at < samples.size(); at += 4096) {
            card.inject(samples.subspan(at, std::min<size_t>(4096, samples.size() - at)));
            station->pump(0);
        }
    }
    void silence(double seconds) {
        feed(std::vector<int16_t>(static_cast<size_t>(seconds * kRate), 0));
    }
};

TEST_F(StationCatchUp, AClickOnASignalThatBeganEarlierDecodesItFromItsStart) {
    Station& s = startStation(card);
    s.setOption(StationOption::Squelch, false);
    s.setFrequency(600.0, kSetBoth, false);
    silence(3.0);
    const std::vector<int16_t> signal = transmission(1500.0);
    const size_t heard = static_cast<size_t>(5.0 * kRate);
    ASSERT_GT(signal.size(), heard + static_cast<size_t>(kRate));
    feed(std::span<const int16_t>(signal).first(heard));
    EXPECT_EQ(host.shown.find("DL1ABC"), std::string::npos) << host.shown;

    ASSERT_TRUE(s.setFrequency(1500.0, kSetBoth, false));
    ASSERT_TRUE(s.replayFromSignalStart(600.0));
    // From a little before the signal, not the whole 20 s history.
    const int due = s.soundHistory()->replayRemaining();
    EXPECT_GE(due, static_cast<int>(heard));
    EXPECT_LE(due, static_cast<int>(heard) + 3 * 2048);
    feed(std::span<const int16_t>(signal).subspan(heard));
    silence(1.0);
    const size_t marker = host.shown.find("\r\n...");
    ASSERT_NE(marker, std::string::npos) << host.shown;
    EXPECT_NE(host.shown.find(kText, marker), std::string::npos) << host.shown;
    EXPECT_EQ(host.shown.find(kText, host.shown.find(kText, marker) + 1), std::string::npos)
        << "decoded twice: " << host.shown;

    // Nudged on the same signal: nothing again. Where no signal stands: nothing.
    ASSERT_TRUE(s.setFrequency(1503.0, kSetBoth, false));
    EXPECT_FALSE(s.replayFromSignalStart(1500.0));
    ASSERT_TRUE(s.setFrequency(2500.0, kSetBoth, false));
    EXPECT_FALSE(s.replayFromSignalStart(1503.0));
}

TEST_F(StationCatchUp, AChannelOpenedLateStartsWithTheFirstWord) {
    Station& s = startStation(card);
    s.setOption(StationOption::Squelch, false);
    silence(2.0);
    const std::vector<int16_t> signal = transmission(1200.0);
    const size_t heard = static_cast<size_t>(4.5 * kRate);
    feed(std::span<const int16_t>(signal).first(heard));
    s.multichannel().clearAll();  // whatever the search opened by itself
    s.openChannel(1200.0);        // the operator's right click
    const int slot = *s.multichannel().seekRight(1000.0);
    feed(std::span<const int16_t>(signal).subspan(heard));
    silence(1.0);
    const std::string text = s.multichannel().channel(slot).text();
    EXPECT_EQ(text.find("CQ DE DL1ABC"), text.find_first_not_of(' ')) << text;
}

}  // namespace
}  // namespace tarnvel::app
