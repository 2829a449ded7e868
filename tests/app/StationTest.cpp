#include "app/Station.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>

#include "app/SettingsStore.h"
#include "audio/LoopbackSoundCard.h"
#include "audio/WavFile.h"
#include "modem/Transmitter.h"
#include "tests/app/ScriptedHost.h"
#include "tests/app/StationFixture.h"
#include "tests/app/TempFolder.h"

namespace tarnvel::app {
namespace {

using testing::ScriptedHost;
using testing::TempFolder;
using StationTest = testing::StationFixture;

// A sound card whose output swallows every buffer (a driver that never starts playing) and
// counts how often it was opened.
class StuckOutputCard final : public audio::SoundCard {
  public:
    StuckOutputCard() : audio::SoundCard(audio::SoundCardConfig{}) {}
    std::vector<audio::SoundDeviceInfo> inputDevices() override { return {{"in", 1, 11025}}; }
    std::vector<audio::SoundDeviceInfo> outputDevices() override { return {{"out", 1, 11025}}; }
    audio::SoundResult startInput() override {
        inputOpen_ = true;
        return {};
    }
    void stopInput() override { inputOpen_ = false; }
    audio::SoundResult openOutput() override {
        ++outputOpenings;
        outputOpen_ = true;
        return {};
    }
    audio::SoundResult closeOutput() override {
        outputOpen_ = false;
        return {};
    }
    bool inputOpen() const override { return inputOpen_; }
    bool outputOpen() const override { return outputOpen_; }
    bool readInputBlock(audio::InputBlock) override { return false; }
    audio::SoundResult playBuffer(int) override {
        ++played;
        return {};
    }
    int outputOpenings = 0;
    int played = 0;

  private:
    bool inputOpen_ = false;
    bool outputOpen_ = false;
};

// Puts text in the chain as if its decoders had just written it.
void replacePendingText(Station& s, std::string_view text) {
    s.receiveChain().clearPendingText();
    s.receiveChain().appendPendingText(text);
}

TEST_F(StationTest, StartsReceivingAndRunsTheTimerEvery300Ms) {
    Station& s = startStation(card);
    EXPECT_EQ(s.state(), OperatingState::Receiving);
    EXPECT_EQ(s.tickCount(), 1);
    clock.advance(299);
    s.runDueTicks();
    EXPECT_EQ(s.tickCount(), 1);
    clock.advance(1);
    s.runDueTicks();
    EXPECT_EQ(s.tickCount(), 2);
    EXPECT_TRUE(host.messages.empty());
}

TEST_F(StationTest, MissingCardStopsWithTheMessageAndGoReceiveReopens) {
    store->writeInt("Sound device", "MixerDevice", 3);  // the loopback has only device 0
    Station& s = startStation(card);
    EXPECT_EQ(s.state(), OperatingState::Stopped);
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].text, "Sound card is already in use or does not exist");
    EXPECT_EQ(host.messages[0].caption, "Error");
    EXPECT_EQ(host.messages[0].kind, MessageKind::Error);
    s.goTransmit();  // refused while stopped
    EXPECT_EQ(s.state(), OperatingState::Stopped);
    card.setConfig({});
    s.goReceive();
    EXPECT_EQ(s.state(), OperatingState::Receiving);
}

TEST_F(StationTest, SquelchOpensAtThresholdAndHangsFourTicks) {
    Station& s = startStation(card);
    ASSERT_EQ(s.settings().sound.sqThreshold.value(), 20);
    auto& decoder = s.receiveChain().varicodeDecoder();
    auto feed = [&](const char* text) {
        replacePendingText(s, text);
        s.flushReceivedText();
    };
    decoder.quality = 10;
    tick();
    feed("a");
    EXPECT_EQ(host.shown, "");
    decoder.quality = 11;
    tick();
    feed("b");
    EXPECT_EQ(host.shown, "b");
    decoder.quality = 0;  // the signal drops: four more ticks of text
    for (int i = 0; i < 4; ++i) {
        tick();
        feed("c");
    }
    EXPECT_EQ(host.shown, "bcccc");
    tick();
    feed("d");
    EXPECT_EQ(host.shown, "bcccc");
    s.setOption(StationOption::Squelch, false);  // squelch off: everything passes
    tick();
    feed("e");
    EXPECT_EQ(host.shown, "bcccce");
}

TEST_F(StationTest, TextWaitsWhileTheReceiveWindowHasTheFocus) {
    Station& s = startStation(card);
    s.setOption(StationOption::Squelch, false);
    host.receiveFocus = true;
    replacePendingText(s, "CQ ");
    s.flushReceivedText();
    s.receiveChain().appendPendingText("DE");
    s.flushReceivedText();
    EXPECT_EQ(host.shown, "");
    host.receiveFocus = false;
    s.flushReceivedText();
    EXPECT_EQ(host.shown, "CQ DE");
    EXPECT_EQ(s.receiveText().text(), "CQ DE");
}

TEST_F(StationTest, TransmitNeedsACallSignAndIsRefusedInPactor) {
    Station& s = startStation(card, "");
    EXPECT_EQ(host.stationDialogs, 1);  // the first tick asks for the call sign
    s.goTransmit();
    EXPECT_EQ(s.state(), OperatingState::Receiving);
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].text, "Your callsign is not set!");
    EXPECT_EQ(host.messages[0].caption, "");
    EXPECT_EQ(host.messages[0].kind, MessageKind::Warning);
    EXPECT_EQ(host.stationDialogs, 2);

    s.settings().station.call = "SP9XYZ";
    ASSERT_TRUE(s.selectMode(modem::Mode::Pactor));
    s.goTransmit();
    s.toggleTransmit();
    EXPECT_EQ(s.state(), OperatingState::Receiving);
    EXPECT_EQ(host.messages.size(), 1u);
    EXPECT_TRUE(host.ptt.empty() || !host.ptt.back());
}

TEST_F(StationTest, GoReceiveRetunesToTheTransmitFrequencyUnlessLocked) {
    Station& s = startStation(card);
    s.setFrequency(1000.0, kSetBoth, false);
    s.setFrequency(1500.0, kSetReceive, false);
    s.goTransmit();
    ASSERT_EQ(s.state(), OperatingState::Transmitting);
    EXPECT_TRUE(host.ptt.back());
    s.goReceive();
    EXPECT_EQ(s.state(), OperatingState::Receiving);
    EXPECT_FALSE(host.ptt.back());
    EXPECT_DOUBLE_EQ(s.receiveFrequency(), 1000.0);

    s.setTransmitLocked(true);
    s.setFrequency(1500.0, kSetBoth, false);  // the transmitter stays where it was locked
    EXPECT_DOUBLE_EQ(s.transmitFrequency(), 1000.0);
    s.goTransmit();
    s.goReceive();
    EXPECT_DOUBLE_EQ(s.receiveFrequency(), 1500.0);
    s.setTransmitLocked(false);  // unlocking moves the transmitter to the receiver
    EXPECT_DOUBLE_EQ(s.transmitFrequency(), 1500.0);
    EXPECT_DOUBLE_EQ(s.transmitter().transmitFrequency(), 1500.0);
}

TEST_F(StationTest, FrequencyNudgesClampAndFollowTheScaleDirection) {
    Station& s = startStation(card);
    s.setFrequency(4995.0, kSetBoth, false);
    s.nudgeFrequency(+1, 10.0, false);
    EXPECT_DOUBLE_EQ(s.receiveFrequency(), 5000.0);
    EXPECT_DOUBLE_EQ(s.transmitFrequency(), 5000.0);
    s.setFrequency(55.0, kSetBoth, false);
    s.nudgeFrequency(-1, 10.0, false);
    EXPECT_DOUBLE_EQ(s.receiveFrequency(), 50.0);
    s.setFreqMode(2);
    s.setFrequency(1000.0, kSetBoth, false);
    s.nudgeFrequency(+1, 1.0, false);  // Alt+Right lowers on a downward scale
    EXPECT_DOUBLE_EQ(s.receiveFrequency(), 999.0);
    s.setFreqMode(0);

    // Shift marks the jump in a receive window that has text.
    s.setOption(StationOption::Squelch, false);
    replacePendingText(s, "AB");
    s.flushReceivedText();
    s.nudgeFrequency(+1, 10.0, true);
    s.flushReceivedText();
    EXPECT_EQ(host.shown, "AB\r\n...");

    s.goTransmit();
    s.nudgeFrequency(+1, 10.0, false);  // ignored while transmitting
    EXPECT_DOUBLE_EQ(s.receiveFrequency(), 1009.0);
}

TEST_F(StationTest, EscapeKeepsOrClearsTheUnsentText) {
    Station& s = startStation(card);
    s.transmitText().appendText("HELLO WORLD");
    s.goTransmit();
    ASSERT_EQ(s.state(), OperatingState::Transmitting);
    s.escapeCommand();
    EXPECT_EQ(s.state(), OperatingState::Receiving);
    EXPECT_FALSE(s.transmitText().sendQueue().empty());
    EXPECT_EQ(host.transmitClears, 0);

    s.setOption(StationOption::ClearOnEsc, true);
    s.goTransmit();
    s.escapeCommand();
    EXPECT_EQ(s.state(), OperatingState::Receiving);
    EXPECT_TRUE(s.transmitText().sendQueue().empty());
    EXPECT_TRUE(s.transmitText().text().empty());
    EXPECT_EQ(host.transmitClears, 1);
}

TEST_F(StationTest, OutputThatNeverPlaysIsReopenedByTheWatchdog) {
    StuckOutputCard stuck;
    Station& s = startStation(stuck);
    s.goTransmit();
    ASSERT_EQ(s.state(), OperatingState::Transmitting);
    EXPECT_EQ(stuck.outputOpenings, 1);
    EXPECT_EQ(stuck.played, 4);
    tick(9);
    EXPECT_EQ(s.watchdogReopens(), 0);
    tick();  // the tenth tick without a returned buffer
    EXPECT_EQ(s.watchdogReopens(), 1);
    EXPECT_EQ(stuck.outputOpenings, 2);
    EXPECT_EQ(stuck.played, 8);
    tick(10);
    EXPECT_EQ(s.watchdogReopens(), 2);
    s.onOutputBufferDone(0);  // a returned buffer disarms it
    tick(12);
    EXPECT_EQ(s.watchdogReopens(), 2);
    station.reset();  // before the card it uses
}

TEST_F(StationTest, OutputThatCannotOpenNeverKeysTheTransmitter) {
    store->writeInt("Sound device", "MixerDeviceOut", 2);
    Station& s = startStation(card);
    s.transmitText().appendText("TEST");
    s.goTransmit();
    EXPECT_EQ(s.state(), OperatingState::Receiving);
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].kind, MessageKind::Error);
    EXPECT_NE(host.messages[0].text.find("Cannot open the sound card output"), std::string::npos);
    for (const bool on : host.ptt) EXPECT_FALSE(on);
    EXPECT_TRUE(card.inputOpen());
    EXPECT_EQ(s.transmitText().sendQueue(), "TEST");
}

TEST_F(StationTest, ReceiveLogThatCannotOpenIsReportedAndSwitchedOff) {
    store->writeInt("Misc", "RxLogOpen", 1);
    store->writeString("Misc", "RxLogFile", folder.file("missing/RxLog.txt"));
    Station& s = startStation(card);
    EXPECT_TRUE(host.hasMessage("Cannot open " + folder.file("missing/RxLog.txt")));
    EXPECT_FALSE(s.receiveLogOpen());
    EXPECT_EQ(s.settings().misc.rxLogOpen.value(), 0);

    ASSERT_TRUE(s.openReceiveLog(folder.file("RxLog.txt")));
    s.setOption(StationOption::Squelch, false);
    replacePendingText(s, "599");
    s.flushReceivedText();
    s.goTransmit();
    s.goReceive();
    s.closeReceiveLog();
    EXPECT_EQ(testing::readFile(folder.file("RxLog.txt")), "599\r\r");
}

TEST_F(StationTest, TuneHoldsTheTransmitterWhileTheMessageIsOpen) {
    Station& s = startStation(card);
    OperatingState during = OperatingState::Stopped;
    bool tuningDuring = false;
    host.whileMessageOpen = [&] {
        during = s.state();
        tuningDuring = s.tuning();
        s.pump(0);
    };
    s.tune();
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].text, "Tune your transmitter, then press OK.");
    EXPECT_EQ(host.messages[0].caption, "Tune TX");
    EXPECT_EQ(during, OperatingState::Transmitting);
    EXPECT_TRUE(tuningDuring);
    EXPECT_EQ(s.state(), OperatingState::Receiving);
    EXPECT_FALSE(s.tuning());
}

// The loopback hears the station's own transmission (the IMD measurement keeps the input
// running): what was typed ahead up to <RX> goes out once, the station returns to receive when
// the end buffer has played, and the rest waits for the next transmission.
TEST_F(StationTest, TypeAheadEndsAtRxAndNothingIsLostOrSentTwice) {
    Station& s = startStation(card);
    s.setImdMeasuring(true);
    s.setFrequency(1200.0, kSetBoth, false);
    s.transmitText().appendText(
        "CQ CQ DE SP9XYZ\xAE"
        "QRZ?");
    s.goTransmit();
    ASSERT_EQ(s.state(), OperatingState::Transmitting);
    ASSERT_TRUE(s.runUntil([&] { return s.state() == OperatingState::Receiving; }, 60000));
    EXPECT_EQ(s.transmissionsCompleted(), 1);
    EXPECT_NE(host.shown.find("CQ CQ DE SP9XYZ"), std::string::npos) << host.shown;
    EXPECT_EQ(host.shown.find("QRZ"), std::string::npos) << host.shown;
    EXPECT_EQ(s.transmitText().sendQueue(), "QRZ?");

    s.transmitText().appendText("\xAE");
    s.goTransmit();
    ASSERT_TRUE(s.runUntil([&] { return s.state() == OperatingState::Receiving; }, 60000));
    EXPECT_EQ(s.transmissionsCompleted(), 2);
    const std::string& text = host.shown;
    const size_t first = text.find("QRZ?");
    ASSERT_NE(first, std::string::npos) << text;
    EXPECT_EQ(text.find("QRZ?", first + 1), std::string::npos) << text;
    EXPECT_EQ(text.find("CQ CQ DE SP9XYZ", text.find("CQ CQ DE SP9XYZ") + 1), std::string::npos);
    EXPECT_TRUE(s.transmitText().sendQueue().empty());
}

TEST_F(StationTest, ShutDownWritesTheSettingsBack) {
    {
        Station& s = startStation(card);
        ASSERT_TRUE(s.selectMode(modem::Mode::Bpsk63));
        s.setFrequency(1234.0, kSetBoth, false);
        station.reset();
    }
    SettingsStore reread(folder.file("Tarnvel.ini"));
    EXPECT_EQ(reread.getInt("Misc", "Mode", -1), modem::storedMode(modem::Mode::Bpsk63));
    EXPECT_EQ(reread.getString("Sound", "LastFq", ""), "1234");
    EXPECT_FALSE(card.inputOpen());
}

TEST_F(StationTest, AStoredModeNoCommandSetsIsKeptAndSavedUnchanged) {
    for (std::int32_t stored : {3, 5, 6, 7, 8, 42, -9}) {
        store->writeInt("Misc", "Mode", stored);
        {
            Station& s = startStation(card);
            EXPECT_EQ(modem::storedMode(s.mode()), stored);
            EXPECT_EQ(s.receiveChain().modeText(),
                      modem::modeStatusText(modem::modeFromStored(stored), false));
            // The transmitter stays in a mode it can send.
            EXPECT_TRUE(modem::isModeCommand(s.transmitter().mode()));
            station.reset();
        }
        SettingsStore reread(folder.file("Tarnvel.ini"));
        EXPECT_EQ(reread.getInt("Misc", "Mode", -100), stored);
    }
}

}  // namespace
}  // namespace tarnvel::app

namespace tarnvel::app {
namespace {

// A BPSK31 transmission as another station would send it.
std::vector<int16_t> otherStation(const std::string& text, double hz) {
    modem::TextTransmitHost sender("DL1ABC");
    modem::Transmitter transmitter(sender);
    transmitter.setMode(modem::Mode::Bpsk31);
    transmitter.setTransmitFrequency(hz);
    sender.type(text + "\xAE");
    return transmitter.renderTransmission(20 * 11025).samples;
}

// Tuning with Shift held decodes the history again from its oldest sample, so a signal that
// was on the air before the operator tuned to it is read from its start.
TEST_F(StationTest, ShiftTuningReplaysTheHistoryAtTheNewFrequency) {
    Station& s = startStation(card);
    s.setOption(StationOption::Squelch, false);
    s.setFrequency(600.0, kSetBoth, false);
    const std::vector<int16_t> signal = otherStation("CQ DE DL1ABC", 1500.0);
    for (size_t at = 0; at < signal.size(); at += 4096) {
        card.inject(std::span<const int16_t>(signal).subspan(
            at, std::min<size_t>(4096, signal.size() - at)));
        s.pump(0);
    }
    EXPECT_EQ(host.shown.find("DL1ABC"), std::string::npos) << host.shown;
    s.setFrequency(1500.0, kSetBoth, false);
    ASSERT_TRUE(s.startReplay());
    const std::vector<int16_t> silence(512, 0);
    card.inject(silence);  // the next block runs the replay first
    s.pump(0);
    EXPECT_FALSE(s.soundHistory()->replaying());
    const size_t marker = host.shown.find("\r\n...");
    ASSERT_NE(marker, std::string::npos) << host.shown;
    EXPECT_NE(host.shown.find("CQ DE DL1ABC", marker), std::string::npos) << host.shown;
}

}  // namespace
}  // namespace tarnvel::app

namespace tarnvel::app {
namespace {

void injectInPieces(audio::LoopbackSoundCard& card, Station& s, std::span<const int16_t> samples) {
    for (size_t at = 0; at < samples.size(); at += 4096) {
        card.inject(samples.subspan(at, std::min<size_t>(4096, samples.size() - at)));
        s.pump(0);
    }
}

// A changed correction reaches the receivers and the transmitter while receiving; the history
// starts again, empty, at seconds x nominal rate. A new nominal rate also goes to the card.
TEST_F(StationTest, RateChangesTakeEffectAtOnceAndEmptyTheHistory) {
    Station& s = startStation(card);
    ASSERT_NE(s.soundHistory(), nullptr);
    EXPECT_EQ(s.soundHistory()->capacity(), 20 * 11025);
    const std::vector<int16_t> noise(4096, 1000);
    injectInPieces(card, s, noise);
    ASSERT_EQ(s.soundHistory()->writeIndex(), 4096);

    s.settings().misc.rateCorrRx = -100;
    s.settings().misc.rateCorrTx = 100;
    ASSERT_TRUE(s.applySampleRate(s.settings().misc.soundSampleRate));
    EXPECT_EQ(s.state(), OperatingState::Receiving);
    EXPECT_DOUBLE_EQ(s.receiveChain().sampleRate(), 11024.0);  // 11023.8975 rounded
    EXPECT_DOUBLE_EQ(s.transmitter().sampleRate(), 11026.0);   // 11026.1025 rounded
    EXPECT_DOUBLE_EQ(s.multichannel().sampleRate(), 11025.0);  // the channels run uncorrected
    ASSERT_NE(s.soundHistory(), nullptr);
    EXPECT_EQ(s.soundHistory()->capacity(), 20 * 11025);
    EXPECT_EQ(s.soundHistory()->writeIndex(), 0);
    const auto kept = s.soundHistory()->samples();
    EXPECT_EQ(std::count(kept.begin(), kept.end(), int16_t{0}), kept.size());

    s.soundOff();
    ASSERT_TRUE(s.applySampleRate(8000));
    EXPECT_EQ(s.settings().misc.soundSampleRate.value(), 8000);
    EXPECT_EQ(card.config().nominalRate, 8000);
    EXPECT_DOUBLE_EQ(s.receiveChain().sampleRate(), 7999.0);
    EXPECT_EQ(s.soundHistory()->capacity(), 20 * 8000);
    EXPECT_FALSE(s.applySampleRate(12001));  // outside what the dialog accepts
    EXPECT_FALSE(s.applySampleRate(6999));
    EXPECT_EQ(s.settings().misc.soundSampleRate.value(), 8000);
    EXPECT_EQ(card.config().nominalRate, 8000);
    EXPECT_DOUBLE_EQ(s.receiveChain().sampleRate(), 7999.0);
    s.goReceive();
    EXPECT_EQ(s.state(), OperatingState::Receiving);
}

TEST_F(StationTest, HistoryLengthCommandRefusesTooBigAndStoresNegativeAsNone) {
    Station& s = startStation(card);
    const audio::HistoryRing* before = s.soundHistory();
    EXPECT_FALSE(s.setSoundHistoryLength(301));
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].text, "Too big value");
    EXPECT_EQ(host.messages[0].kind, MessageKind::Warning);
    EXPECT_EQ(s.settings().misc.soundHistory.value(), 20);
    EXPECT_EQ(s.soundHistory(), before);

    EXPECT_TRUE(s.setSoundHistoryLength(300));
    EXPECT_EQ(s.soundHistory()->capacity(), 300 * 11025);
    s.settings().misc.rateCorrRx = 100;
    s.applySampleRate(11025);
    EXPECT_TRUE(s.setSoundHistoryLength(2));  // seconds x the corrected receive rate
    EXPECT_EQ(s.soundHistory()->capacity(), 2 * 11026);
    EXPECT_TRUE(s.canSaveSoundHistory());

    EXPECT_TRUE(s.setSoundHistoryLength(-5));
    EXPECT_EQ(s.settings().misc.soundHistory.value(), 0);
    EXPECT_EQ(s.soundHistory(), nullptr);
    EXPECT_FALSE(s.canSaveSoundHistory());
    EXPECT_FALSE(s.copySoundHistory().has_value());
    EXPECT_FALSE(s.startReplay());
    EXPECT_TRUE(s.applySampleRate(11025));  // no history to replace: none appears
    EXPECT_EQ(s.soundHistory(), nullptr);
    EXPECT_EQ(host.messages.size(), 1u);
}

// The waterfall draws the analyser's own row: a 1000 Hz tone peaks in its bin (1000 x 2048 /
// 11025 = 185.8), and the spectrum history holds the same row as 20 x value - 90.
TEST_F(StationTest, LastSpectrumRowIsTheAnalysedNewestRow) {
    Station& s = startStation(card);
    std::vector<int16_t> tone(3 * 2048);
    for (size_t i = 0; i < tone.size(); ++i)
        tone[i] = static_cast<int16_t>(8000.0 * std::sin(2.0 * M_PI * 1000.0 * i / 11025.0));
    injectInPieces(card, s, tone);
    ASSERT_GE(host.spectrumRows, 1);
    const display::SpectrumRow& row = s.lastSpectrumRow();
    const auto peak = std::max_element(row.begin() + 1, row.end()) - row.begin();
    EXPECT_EQ(peak, 186);
    const display::SpectrumHistory& h = s.spectrumHistory();
    const int newest = (h.writePosition() + (display::kHistoryRows - 1) * display::kSpectrumBins) %
                       (display::kHistoryRows * display::kSpectrumBins);
    for (int k = 0; k < display::kSpectrumBins; ++k)
        ASSERT_EQ(h.value(newest + k), 20.0f * row[static_cast<size_t>(k)] - 90.0f) << k;
}

// The ring has wrapped: the file holds the last second in the order it was heard. A write
// that fails is reported and leaves nothing behind.
TEST_F(StationTest, SavedHistoryIsChronologicalAndAFailedWriteIsReported) {
    store->writeInt("Misc", "SoundHistory", 1);
    Station& s = startStation(card);
    ASSERT_EQ(s.soundHistory()->capacity(), 11025);
    std::vector<int16_t> ramp(3 * 4096 + 512);
    for (size_t i = 0; i < ramp.size(); ++i) ramp[i] = static_cast<int16_t>(i * 7 % 20000 - 10000);
    injectInPieces(card, s, ramp);

    const std::optional<SoundHistoryCopy> copy = s.copySoundHistory();
    ASSERT_TRUE(copy.has_value());
    EXPECT_EQ(copy->rate, 11025);
    const std::string file = folder.file(kDefaultHistoryFile);
    ASSERT_TRUE(s.saveSoundHistory(*copy, file));
    const audio::WavReadResult saved = audio::readWavFile(file);
    ASSERT_TRUE(saved.ok) << saved.error;
    EXPECT_EQ(saved.sampleRate, 11025u);
    EXPECT_EQ(saved.samples, std::vector<int16_t>(ramp.end() - 11025, ramp.end()));
    EXPECT_TRUE(host.messages.empty());

    const std::string taken = folder.file("taken.wav");
    ASSERT_EQ(::mkdir(taken.c_str(), 0755), 0);
    EXPECT_FALSE(s.saveSoundHistory(*copy, taken));
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].text, "Cannot write " + taken + ": Is a directory");
    EXPECT_EQ(host.messages[0].kind, MessageKind::Error);
    EXPECT_NE(::access((taken + ".tmp").c_str(), F_OK), 0);
}

TEST_F(StationTest, CharacterSetIsStoredByNameAndReachesTheTexts) {
    {
        Station& s = startStation(card);
        EXPECT_EQ(s.characterSet(), modem::CharacterSet::Utf8);  // the default
        EXPECT_EQ(s.transmitter().soundCardSequencer().characterSet(), modem::CharacterSet::Utf8);
        s.setCharacterSet(modem::CharacterSet::Windows1250);
        EXPECT_EQ(s.transmitText().characterSet(), modem::CharacterSet::Windows1250);
        EXPECT_EQ(s.receiveText().characterSet(), modem::CharacterSet::Windows1250);
        EXPECT_EQ(s.transmitter().blockSequencer().characterSet(),
                  modem::CharacterSet::Windows1250);
        station.reset();
    }
    EXPECT_EQ(SettingsStore(folder.file("Tarnvel.ini")).getString("Misc", "CharacterSet", ""),
              "Windows-1250");
    // An unknown name reads as the default.
    store->writeString("Misc", "CharacterSet", "KOI8-R");
    Station& s = startStation(card);
    EXPECT_EQ(s.characterSet(), modem::CharacterSet::Utf8);
}

TEST_F(StationTest, Utf8LettersHoldingControlCodesAreSentWholeOnTheSoundCard) {
    Station& s = startStation(card);
    s.setImdMeasuring(true);
    // "Ůsti 20°C ©": C5 AE, C2 B0 and C2 A9 hold the end, identification and clear codes.
    const std::string text = "\xC5\xAEsti 20\xC2\xB0" "C \xC2\xA9";
    s.transmitText().appendText(text + "\xAE" "QRZ?");
    s.goTransmit();
    ASSERT_EQ(s.state(), OperatingState::Transmitting);
    ASSERT_TRUE(s.runUntil([&] { return s.state() == OperatingState::Receiving; }, 60000));
    EXPECT_EQ(s.transmissionsCompleted(), 1);
    EXPECT_NE(host.shown.find(text), std::string::npos) << host.shown;
    EXPECT_EQ(s.transmitText().sendQueue(), "QRZ?");
}

}  // namespace
}  // namespace tarnvel::app
