#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "PskTestSignal.h"
#include "modem/ReceiveChain.h"

namespace tarnvel::modem {
namespace {

// A receiver of another mode group as the chain sees it, recording what it is asked to do.
class RecordingReceiver : public PskReceiver {
  public:
    void processSamples(const int16_t*, int count) override { samplesSeen += count; }
    void resetState() override {
        ++resets;
        PskReceiver::resetState();
    }
    int squelchQuality() const override { return quality; }
    int32_t* afcErrorWord() override { return &midpoint; }
    double afcScale() const override { return 285212672.0; }
    void clearFrequencyError() override { midpoint = 0; }

    long samplesSeen = 0;
    int resets = 0;
    int quality = 5;
    int32_t midpoint = 0;
};

class RecordingPactor : public ModeReceiver {
  public:
    void processSamples(const int16_t*, int count) override { samplesSeen += count; }
    void setCarrierFrequency(double hz) override { carrier = hz; }
    void setSampleRate(double rate) override { this->rate = rate; }
    void resetState() override { ++resets; }
    long samplesSeen = 0;
    double carrier = 0.0;
    double rate = 0.0;
    int resets = 0;
};

class ReceiveChainTest : public ::testing::Test {
  protected:
    void SetUp() override {
        chain.attachFsk31Receiver(&fsk31);
        chain.attachFsk63Receiver(&fsk63, &fsk63Decoder);
        chain.attachPactorReceiver(&pactor);
    }
    ReceiveChain chain;
    RecordingReceiver fsk31;
    RecordingReceiver fsk63;
    VaricodeDecoder fsk63Decoder;  // stands in for the FSK63 block decoder
    RecordingPactor pactor;
    std::vector<int16_t> block = std::vector<int16_t>(512, 1000);
};

TEST_F(ReceiveChainTest, BlockLengthAndDemodulateFlag) {
    ASSERT_TRUE(chain.selectMode(Mode::Fsk31));
    const std::span<const int16_t> all(block);
    chain.processReceiveBlock(all.first(0), 1);
    EXPECT_EQ(fsk31.samplesSeen, 0);
    chain.processReceiveBlock(all.first(3), 1);
    EXPECT_EQ(fsk31.samplesSeen, 3);
    chain.processReceiveBlock(all, 0);
    chain.processReceiveBlock(all, 2);
    EXPECT_EQ(fsk31.samplesSeen, 3);
    chain.processReceiveBlock(all, ReceiveChain::kDemodulate);
    EXPECT_EQ(fsk31.samplesSeen, 515);
}

TEST_F(ReceiveChainTest, EachModeFeedsOnlyItsReceiver) {
    struct Case {
        Mode mode;
        long psk, f31, f63, pactor;
    };
    const std::vector<int16_t> second = testing::makePskSignal("", {});
    const int n = static_cast<int>(second.size());
    for (const Case c : {Case{Mode::Fsk31, 0, 1, 0, 0}, Case{Mode::Fsk31B, 0, 1, 0, 0},
                         Case{Mode::Fsk63, 0, 0, 1, 0}, Case{Mode::Fsk63B, 0, 0, 1, 0},
                         Case{Mode::Pactor, 0, 0, 0, 1}, Case{Mode::Rtty, 0, 0, 0, 0},
                         Case{Mode::Mtty, 0, 0, 0, 0}, Case{modeFromStored(8), 0, 0, 0, 0},
                         Case{modeFromStored(99), 0, 0, 0, 0}, Case{Mode::Bpsk31, 1, 0, 0, 0},
                         Case{Mode::Qpsk31, 1, 0, 0, 0}, Case{Mode::Bpsk63, 1, 0, 0, 0}}) {
        ReceiveChain fresh(kNominalSampleRate, c.mode);
        RecordingReceiver a, b;
        RecordingPactor p;
        VaricodeDecoder d;
        fresh.attachFsk31Receiver(&a);
        fresh.attachFsk63Receiver(&b, &d);
        fresh.attachPactorReceiver(&p);
        fresh.processReceiveBlock(second, ReceiveChain::kDemodulate);
        const bool pskRan = fresh.varicodeDecoder().prevAbsPhase != 0 ||
                            fresh.qpskDecoder().prevAngle != 0 ||
                            fresh.varicodeDecoder().prevAngle != 0;
        EXPECT_EQ(pskRan, c.psk != 0) << storedMode(c.mode);
        EXPECT_EQ(a.samplesSeen, c.f31 * n) << storedMode(c.mode);
        EXPECT_EQ(b.samplesSeen, c.f63 * n) << storedMode(c.mode);
        EXPECT_EQ(p.samplesSeen, c.pactor * n) << storedMode(c.mode);
        if (c.psk == 0) {
            EXPECT_EQ(fresh.pendingText(), "") << storedMode(c.mode);
        }
    }
}

TEST_F(ReceiveChainTest, ModeCommandsSetBaudRateAndDecoder) {
    EXPECT_TRUE(chain.selectMode(Mode::Bpsk63));
    EXPECT_EQ(chain.pskReceiver().currentBaudRate(), 62.5);
    EXPECT_EQ(chain.decoderSwitch().current, &chain.varicodeDecoder());
    EXPECT_EQ(chain.modeText(), "BPSK63");
    EXPECT_TRUE(chain.selectMode(Mode::Qpsk31));
    EXPECT_EQ(chain.pskReceiver().currentBaudRate(), 31.25);
    EXPECT_EQ(chain.decoderSwitch().current, &chain.qpskDecoder());
    chain.setInvertedQpsk(true);
    EXPECT_EQ(chain.modeText(), "QPSKi");
    EXPECT_EQ(chain.qpskDecoder().inverted, 1);
    EXPECT_TRUE(chain.selectMode(Mode::Bpsk63));
    EXPECT_TRUE(chain.selectMode(Mode::Fsk31));  // FSK31 leaves the PSK baud rate alone
    EXPECT_EQ(chain.pskReceiver().currentBaudRate(), 62.5);
    EXPECT_EQ(chain.decoderSwitch().current, &chain.varicodeDecoder());
    EXPECT_TRUE(chain.selectMode(Mode::Fsk63));
    EXPECT_EQ(chain.decoderSwitch().current, &fsk63Decoder);
    EXPECT_TRUE(chain.selectMode(Mode::Pactor));
    EXPECT_EQ(chain.decoderSwitch().current, &fsk63Decoder);
    EXPECT_EQ(chain.mode(), Mode::Pactor);
    for (Mode refused : {Mode::Fsk31B, Mode::Fsk63B, Mode::Rtty, Mode::Mtty, modeFromStored(12),
                         modeFromStored(-1)})
        EXPECT_FALSE(chain.selectMode(refused));
    EXPECT_EQ(chain.mode(), Mode::Pactor);
    // Restoring a persisted value takes any value; unknown ones show "?".
    chain.restoreMode(modeFromStored(42));
    EXPECT_EQ(chain.modeText(), "?");
}

TEST_F(ReceiveChainTest, OperatorRetuneClearsTrackedErrors) {
    chain.varicodeDecoder().drift = 1000;
    chain.qpskDecoder().drift = 2000;
    fsk31.midpoint = 3;
    fsk63.midpoint = 4;
    ASSERT_TRUE(chain.setReceiveFrequency(1500.3, false));  // an AFC-style move
    EXPECT_FLOAT_EQ(static_cast<float>(chain.receiveFrequency()), 1500.3f);
    EXPECT_EQ(chain.pskReceiver().carrierFrequency(), chain.receiveFrequency());
    EXPECT_EQ(fsk31.carrierFrequency(), chain.receiveFrequency());
    EXPECT_NE(fsk63.carrierFrequency(), chain.receiveFrequency());
    EXPECT_EQ(chain.varicodeDecoder().drift, 1000);
    EXPECT_EQ(fsk31.midpoint, 3);
    ASSERT_TRUE(chain.setReceiveFrequency(800.0, true));
    EXPECT_EQ(fsk63.carrierFrequency(), 800.0);
    EXPECT_EQ(pactor.carrier, 800.0);
    EXPECT_EQ(chain.varicodeDecoder().drift, 0);
    EXPECT_EQ(chain.qpskDecoder().drift, 0);
    EXPECT_EQ(fsk31.midpoint, 0);
    EXPECT_EQ(fsk63.midpoint, 0);
    EXPECT_FALSE(chain.setReceiveFrequency(-1.0, true));
    EXPECT_FALSE(chain.setReceiveFrequency(NAN, true));
    EXPECT_EQ(chain.receiveFrequency(), 800.0);
}

TEST_F(ReceiveChainTest, SampleRateReachesEveryReceiverAndResetsIt) {
    EXPECT_FALSE(chain.setSampleRate(0.0));
    EXPECT_FALSE(chain.setSampleRate(-8000.0));
    EXPECT_FALSE(chain.setSampleRate(INFINITY));
    EXPECT_EQ(chain.sampleRate(), 11025.0);
    chain.varicodeDecoder().shiftRegister = 3;
    ASSERT_TRUE(chain.setSampleRate(11030.5));
    EXPECT_EQ(chain.pskReceiver().currentSampleRate(), 11030.5);
    EXPECT_EQ(fsk31.currentSampleRate(), 11030.5);
    EXPECT_EQ(pactor.rate, 11030.5);
    EXPECT_EQ(fsk31.resets, 1);
    EXPECT_EQ(fsk63.resets, 1);
    EXPECT_EQ(pactor.resets, 1);
    EXPECT_EQ(chain.varicodeDecoder().shiftRegister, 0);  // reset through the switch
}

TEST(Squelch, ThresholdHoldAndOverrides) {
    Squelch sq;  // threshold 20: opens at quality 31 - 20 = 11
    sq.tick(10);
    EXPECT_FALSE(sq.isOpen());
    sq.tick(11);
    EXPECT_TRUE(sq.isOpen());
    for (int t = 0; t < Squelch::kHoldTicks; ++t) {
        sq.tick(0);
        EXPECT_TRUE(sq.isOpen()) << t;
    }
    sq.tick(0);
    EXPECT_FALSE(sq.isOpen());
    EXPECT_FALSE(sq.passesText(false));
    EXPECT_TRUE(sq.passesText(true));  // own transmissions always show
    sq.setEnabled(false);
    EXPECT_TRUE(sq.passesText(false));

    ASSERT_TRUE(sq.setThreshold(0));
    sq.tick(30);
    EXPECT_FALSE(sq.isOpen());
    sq.tick(31);
    EXPECT_TRUE(sq.isOpen());
    ASSERT_TRUE(sq.setThreshold(31));
    for (int t = 0; t < 6; ++t) sq.tick(0);
    EXPECT_TRUE(sq.isOpen());
    EXPECT_FALSE(sq.setThreshold(32));
    EXPECT_FALSE(sq.setThreshold(-1));
    EXPECT_EQ(sq.threshold(), 31);
}

TEST_F(ReceiveChainTest, SquelchReadsTheActiveDecodersQuality) {
    chain.varicodeDecoder().quality = 31;
    chain.qpskDecoder().quality = 3;
    EXPECT_EQ(chain.squelchQuality(), 31);
    chain.selectMode(Mode::Qpsk31);
    EXPECT_EQ(chain.squelchQuality(), 3);
    chain.selectMode(Mode::Fsk31);
    EXPECT_EQ(chain.squelchQuality(), 5);
    chain.selectMode(Mode::Pactor);
    EXPECT_EQ(chain.squelchQuality(), 32);
    chain.onTimerTick();
    EXPECT_TRUE(chain.squelch().isOpen());
    ReceiveChain bare(kNominalSampleRate, Mode::Fsk63);
    bare.attachFsk63Receiver(nullptr, nullptr);  // detached
    EXPECT_EQ(bare.squelchQuality(), ModeReceiver::kNoQuality);
}

TEST_F(ReceiveChainTest, IdleIndicatorHoldsThreeTicks) {
    chain.varicodeDecoder().zeroRun = 21;
    chain.onTimerTick();
    EXPECT_TRUE(chain.idleIndicatorOn());
    chain.varicodeDecoder().zeroRun = 20;
    chain.onTimerTick();
    chain.onTimerTick();
    EXPECT_TRUE(chain.idleIndicatorOn());
    chain.onTimerTick();
    EXPECT_FALSE(chain.idleIndicatorOn());
    chain.selectMode(Mode::Fsk31);  // not in FSK
    chain.varicodeDecoder().zeroRun = 50;
    chain.onTimerTick();
    EXPECT_FALSE(chain.idleIndicatorOn());
    chain.selectMode(Mode::Qpsk31);
    chain.qpskDecoder().zeroRun = 21;
    chain.onTimerTick();
    EXPECT_TRUE(chain.idleIndicatorOn());
}

TEST_F(ReceiveChainTest, AfcStepArithmetic) {
    ASSERT_TRUE(chain.setReceiveFrequency(1000.0, true));
    EXPECT_EQ(chain.afcBin(), 186);            // 1000 * 2048 / 11025 + 0.5
    chain.varicodeDecoder().drift = 84934656;  // one Hertz of error
    AfcOutcome r = chain.afcStep(20);
    EXPECT_TRUE(r.moved);
    EXPECT_FLOAT_EQ(static_cast<float>(r.frequency), 999.7f);
    EXPECT_EQ(chain.varicodeDecoder().drift, 84934656 - 25480396);
    EXPECT_EQ(chain.pskReceiver().carrierFrequency(), r.frequency);
    EXPECT_EQ(fsk31.carrierFrequency(), r.frequency);

    // Nothing stands out of the noise: the error is dropped and the frequency holds.
    r = chain.afcStep(9);
    EXPECT_FALSE(r.moved);
    EXPECT_EQ(chain.varicodeDecoder().drift, 0);
    EXPECT_EQ(r.frequency, chain.receiveFrequency());

    chain.selectMode(Mode::Fsk31);
    fsk31.midpoint = 285212672;
    const double before = chain.receiveFrequency();
    r = chain.afcStep(20, 0.5);
    EXPECT_NEAR(r.frequency, before - 0.5, 1e-3);
    EXPECT_EQ(fsk31.midpoint, 285212672 / 2);

    chain.selectMode(Mode::Pactor);  // never in PACTOR
    r = chain.afcStep(20);
    EXPECT_FALSE(r.moved);
    chain.restoreMode(Mode::Rtty);
    EXPECT_FALSE(chain.afcStep(20).moved);
}

}  // namespace
}  // namespace tarnvel::modem
