// Signals through the whole receive chain: PSK from the test signal source, FSK31 and FSK63 from
// the station's own transmitter, PACTOR from the test PACTOR transmitter.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "PactorSignal.h"
#include "PskTestSignal.h"
#include "TransmittedAudio.h"
#include "modem/ReceiveChain.h"

namespace tarnvel::modem {
namespace {

constexpr double kTransmitHz = 1000.0;
constexpr size_t kTickSamples = 3307;  // the 300 ms timer at 11025 samples per second
const std::string kMessage = "CQ CQ de SP9XYZ SP9XYZ pse k\nThe quick brown fox 0123456789\n";
const std::string kQso =
    "CQ CQ de N0CALL N0CALL pse k\nThe quick brown fox jumps over the lazy dog 0123456789.\n";

struct Reception {
    std::string text;
    int maxQuality = 0;
    bool squelchOpened = false;
    double frequency = 0.0;
    double frequencyWhenDecoded = 0.0;  // at the tick on which the marker text had arrived
};

// Feeds audio through the chain in 512-sample blocks, with the 300 ms timer (and the AFC when
// asked) after each tick's worth.
void feedTicks(ReceiveChain& chain, const std::vector<int16_t>& audio, bool afc, Reception& r,
               const std::string& marker = "quick brown fox") {
    for (size_t pos = 0; pos < audio.size(); pos += kTickSamples) {
        const size_t end = std::min(pos + kTickSamples, audio.size());
        for (size_t at = pos; at < end; at += 512) {
            const size_t n = std::min<size_t>(512, end - at);
            chain.processReceiveBlock(std::span(audio).subspan(at, n), ReceiveChain::kDemodulate);
        }
        chain.onTimerTick();
        if (afc) chain.afcStep(20);  // a signal stands well out of the spectrum
        r.maxQuality = std::max(r.maxQuality, chain.squelchQuality());
        r.squelchOpened = r.squelchOpened || chain.squelch().isOpen();
        if (r.frequencyWhenDecoded == 0.0 && chain.pendingText().find(marker) != std::string::npos)
            r.frequencyWhenDecoded = chain.receiveFrequency();
    }
    r.text = chain.pendingText();
    r.frequency = chain.receiveFrequency();
}

Reception receive(Mode mode, const std::vector<int16_t>& audio, double tuneHz, bool afc,
                  bool invertedQpsk = false) {
    ReceiveChain chain;
    if (!chain.selectMode(mode)) chain.restoreMode(mode);
    chain.setInvertedQpsk(invertedQpsk);
    chain.setReceiveFrequency(tuneHz, true);
    Reception r;
    feedTicks(chain, audio, afc, r);
    return r;
}

class FskRoundTrip : public ::testing::TestWithParam<Mode> {};

TEST_P(FskRoundTrip, CleanSignalDecodesAndOpensTheSquelch) {
    const Mode mode = GetParam();
    const Reception r =
        receive(mode, testing::transmittedAudio(mode, kMessage, kTransmitHz), kTransmitHz, false);
    EXPECT_NE(r.text.find(kMessage), std::string::npos) << r.text;
    EXPECT_GE(r.maxQuality, 28);
    EXPECT_TRUE(r.squelchOpened);  // at the default threshold of 20
}

TEST_P(FskRoundTrip, TenDecibelsInTwoAndAHalfKilohertzAFewHertzOffTune) {
    const Mode mode = GetParam();
    auto audio = testing::transmittedAudio(mode, kMessage, kTransmitHz);
    testing::addNoiseForSnr(audio, 10.0, 1234);
    const Reception r = receive(mode, audio, kTransmitHz + 3.0, false);
    // Both decode this seed without error; FSK31 stays clean down to -6 dB, FSK63 to 0 dB.
    EXPECT_LE(testing::stretchDistance(r.text, kMessage), 1u) << r.text;
}

TEST_P(FskRoundTrip, AfcPullsTheReceiveFrequencyOntoTheSignal) {
    const Mode mode = GetParam();
    const Reception r = receive(mode, testing::transmittedAudio(mode, kMessage, kTransmitHz),
                                kTransmitHz + 4.0, true);
    // Read while the text is arriving: the steady carrier of the postamble and the silence
    // after it pull the midpoint away (the station's signal-to-noise gate stops the latter).
    EXPECT_NEAR(r.frequencyWhenDecoded, kTransmitHz, 0.5) << r.text;
}

INSTANTIATE_TEST_SUITE_P(Fsk31AndFsk63, FskRoundTrip, ::testing::Values(Mode::Fsk31, Mode::Fsk63),
                         [](const auto& info) {
                             return std::string(modeInfo(info.param).statusText);
                         });

TEST(FskChain, UnselectableVariantModesDecodeLikeTheirCommandModes) {
    const auto fsk31 = testing::transmittedAudio(Mode::Fsk31, "hello", kTransmitHz);
    const auto fsk63 = testing::transmittedAudio(Mode::Fsk63, "hello", kTransmitHz);
    EXPECT_NE(receive(Mode::Fsk31B, fsk31, kTransmitHz, false).text.find("hello"),
              std::string::npos);
    EXPECT_NE(receive(Mode::Fsk63B, fsk63, kTransmitHz, false).text.find("hello"),
              std::string::npos);
    // Neither is decoded in the other's mode.
    EXPECT_EQ(receive(Mode::Fsk63, fsk31, kTransmitHz, false).text.find("hello"),
              std::string::npos);
}

TEST(FskChain, PactorMonitorWritesIntoTheReceiveText) {
    using namespace testing;
    std::vector<int16_t> audio;
    FskModulator modulator(kTransmitHz, 200.0, 100.0);
    const auto call = connectFrame("SP9XYZ");
    modulator.modulate(transmission({call, call, dataPacket(PactorSpeed::Slow, "GE OM", {})}),
                       audio);
    const Reception r = receive(Mode::Pactor, audio, kTransmitHz, true);
    EXPECT_EQ(r.text, "\r\n<Calling:SP9XYZ>GE OM");
    EXPECT_EQ(r.maxQuality, ModeReceiver::kNoQuality);
    EXPECT_EQ(r.frequency, kTransmitHz);  // no AFC in PACTOR
}

TEST(PskChain, DecodesAtTenDbSnr) {
    struct Case {
        Mode mode;
        double baud;
        bool qpsk, inverted;
    };
    for (const Case c :
         {Case{Mode::Bpsk31, 31.25, false, false}, Case{Mode::Bpsk63, 62.5, false, false},
          Case{Mode::Qpsk31, 31.25, true, false}, Case{Mode::Qpsk31, 31.25, true, true}}) {
        for (uint32_t seed : {1u, 2u}) {
            const testing::PskSignalOptions o{.carrierHz = 1200.0,
                                              .baud = c.baud,
                                              .qpsk = c.qpsk,
                                              .invertedQpsk = c.inverted,
                                              .snrDb = 10.0,
                                              .seed = seed};
            const Reception d =
                receive(c.mode, testing::makePskSignal(kQso, o), 1200.0, false, c.inverted);
            // At most one stray character as the signal appears out of nothing.
            EXPECT_LE(testing::characterErrorRate(kQso, d.text), 1.5 / kQso.size())
                << storedMode(c.mode) << " " << c.inverted << " [" << d.text << "]";
            EXPECT_NE(d.text.find(kQso), std::string::npos) << storedMode(c.mode);
            EXPECT_GE(d.maxQuality, 28) << storedMode(c.mode);
        }
    }
}

TEST(PskChain, AfcPullsAThreeHertzOffsetIn) {
    for (Mode mode : {Mode::Bpsk31, Mode::Qpsk31, Mode::Bpsk63}) {
        for (double offset : {3.0, -3.0}) {
            const testing::PskSignalOptions o{.carrierHz = 1000.0 + offset,
                                              .baud = mode == Mode::Bpsk63 ? 62.5 : 31.25,
                                              .qpsk = mode == Mode::Qpsk31,
                                              .snrDb = 10.0};
            const Reception d = receive(mode, testing::makePskSignal(kQso, o), 1000.0, true);
            // The oscillator's step is 11025 / 65536 Hz; the AFC settles within one step.
            EXPECT_NEAR(d.frequency, 1000.0 + offset, 0.25) << storedMode(mode) << " " << offset;
            EXPECT_NE(d.text.find(kQso.substr(10)), std::string::npos)
                << storedMode(mode) << " [" << d.text << "]";
        }
    }
}

TEST(PskChain, SquelchOpensOnSignalAndClosesOnNoise) {
    ReceiveChain chain;
    chain.setReceiveFrequency(1000.0, true);
    std::vector<int16_t> hiss(kTickSamples * 10, 0);
    testing::addNoise(hiss, 3000.0, 3);
    Reception r;
    feedTicks(chain, hiss, false, r);
    EXPECT_FALSE(chain.squelch().isOpen());
    feedTicks(chain, testing::makePskSignal(kQso, {.snrDb = 10.0}), false, r);
    EXPECT_TRUE(chain.squelch().isOpen());
    feedTicks(chain, hiss, false, r);
    EXPECT_FALSE(chain.squelch().isOpen());
}

}  // namespace
}  // namespace tarnvel::modem
