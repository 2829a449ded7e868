// The station's sound devices: remembered by name wherever the list has them, never replaced
// by the preferred device; receive that opens again on its own after the device failed; and
// values from prompts and the settings file kept in their ranges.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/ReceiveRecovery.h"
#include "app/SettingLimits.h"
#include "tests/app/StationFixture.h"

namespace tarnvel::app {
namespace {

using testing::StationFixture;

// A sound card with a device list the test sets, as a system whose cards come and go. Input
// opens when the configured device (by name, else by position) is listed; `opened` is the
// list entry that opened.
class ListedCard final : public audio::SoundCard {
  public:
    ListedCard() : audio::SoundCard(audio::SoundCardConfig{}) {}

    std::vector<std::string> names;
    std::string opened;
    int opens = 0;

    std::vector<audio::SoundDeviceInfo> inputDevices() override { return list(); }
    std::vector<audio::SoundDeviceInfo> outputDevices() override { return list(); }
    audio::SoundResult startInput() override {
        const int at =
            audio::findDevicePosition(list(), config_.inputDeviceId, config_.inputDeviceName);
        if (at == audio::kMissingDevice || at >= static_cast<int>(names.size()) || names.empty())
            return audio::SoundResult::failure(audio::SoundError::NoDevice, "not present");
        opened = at < 0 ? "(preferred)" : names[static_cast<size_t>(at)];
        ++opens;
        open_ = true;
        serial_ = events_.beginStream(audio::SoundDirection::Input);
        return audio::SoundResult::success();
    }
    void stopInput() override {
        if (open_) events_.endStream(audio::SoundDirection::Input);
        open_ = false;
    }
    audio::SoundResult openOutput() override {
        return audio::SoundResult::failure(audio::SoundError::NoDevice, "no output here");
    }
    audio::SoundResult closeOutput() override { return audio::SoundResult::success(); }
    bool inputOpen() const override { return open_; }
    bool outputOpen() const override { return false; }
    bool readInputBlock(audio::InputBlock) override { return false; }
    audio::SoundResult playBuffer(int) override {
        return audio::SoundResult::failure(audio::SoundError::NotOpen, "no output here");
    }
    // The server went away under a running stream.
    void fail() {
        events_.post({audio::SoundEventKind::DeviceFailed, audio::SoundDirection::Input, -1,
                      audio::SoundError::DeviceVanished, serial_});
    }

  private:
    std::vector<audio::SoundDeviceInfo> list() const {
        std::vector<audio::SoundDeviceInfo> l;
        for (const std::string& n : names) l.push_back({n, 2, 48000.0});
        return l;
    }
    bool open_ = false;
    uint32_t serial_ = 0;
};

class StationSoundDevice : public StationFixture {
  protected:
    // The station goes before the card it uses.
    void TearDown() override { station.reset(); }
    size_t unavailableMessages() const {
        size_t n = 0;
        for (const auto& m : host.messages)
            if (m.text == audio::kSoundCardUnavailableMessage) ++n;
        return n;
    }
    ListedCard listed;
};

TEST_F(StationSoundDevice, ANamedDeviceOpensWhereverTheListNowHasIt) {
    store->writeInt("Sound device", "MixerDevice", 0);
    store->writeString("Sound device", "MixerDeviceName", "USB Audio CODEC");
    listed.names = {"HDA Intel PCH", "HDMI", "USB Audio CODEC"};
    startStation(listed);
    EXPECT_EQ(station->state(), OperatingState::Receiving);
    EXPECT_EQ(listed.opened, "USB Audio CODEC");
    // The dialog shows the position the device has now.
    EXPECT_EQ(station->soundDeviceChoice().inputDevice, 2);
}

TEST_F(StationSoundDevice, AMissingDeviceIsNotReplacedByThePreferredOne) {
    store->writeInt("Sound device", "MixerDevice", 1);
    store->writeString("Sound device", "MixerDeviceName", "USB Audio CODEC");
    listed.names = {"HDA Intel PCH", "HDMI"};
    startStation(listed);
    EXPECT_EQ(station->state(), OperatingState::Stopped);
    EXPECT_EQ(listed.opens, 0) << listed.opened;
    EXPECT_EQ(unavailableMessages(), 1u);
    // It keeps trying on its own, quietly, and opens the card once it is plugged in again.
    tick(200);
    EXPECT_EQ(unavailableMessages(), 1u);
    EXPECT_EQ(station->state(), OperatingState::Stopped);
    listed.names = {"USB Audio CODEC", "HDA Intel PCH", "HDMI"};
    tick(110);  // the back-off waits at most 30 s
    EXPECT_EQ(station->state(), OperatingState::Receiving);
    EXPECT_EQ(listed.opened, "USB Audio CODEC");
    EXPECT_EQ(unavailableMessages(), 1u);
}

TEST_F(StationSoundDevice, AnOldPositionOnlySettingOpensThatPositionAndLearnsItsName) {
    store->writeInt("Sound device", "MixerDevice", 1);
    listed.names = {"HDA Intel PCH", "USB Audio CODEC"};
    startStation(listed);
    EXPECT_EQ(listed.opened, "USB Audio CODEC");
    EXPECT_EQ(station->settings().soundDevice.mixerDeviceName.value(), "USB Audio CODEC");
    // The preferred device stays the preferred device, with no name.
    EXPECT_EQ(station->settings().soundDevice.mixerDeviceOutName.value(), "USB Audio CODEC");
}

TEST_F(StationSoundDevice, TheDialogsChoiceIsStoredByName) {
    listed.names = {"HDA Intel PCH", "USB Audio CODEC"};
    startStation(listed);
    EXPECT_EQ(listed.opened, "(preferred)");
    EXPECT_EQ(station->settings().soundDevice.mixerDeviceName.value(), "");
    SoundDeviceChoice choice = station->soundDeviceChoice();
    choice.inputDevice = 1;
    choice.outputDevice = -1;
    station->applySoundDevice(choice);
    EXPECT_EQ(listed.opened, "USB Audio CODEC");
    EXPECT_EQ(station->settings().soundDevice.mixerDeviceName.value(), "USB Audio CODEC");
    EXPECT_EQ(station->settings().soundDevice.mixerDeviceOutName.value(), "");
    // Plugged in elsewhere the next day: the same card opens.
    listed.names = {"USB Audio CODEC", "HDMI", "HDA Intel PCH"};
    station->soundOff();
    station->goReceive();
    EXPECT_EQ(listed.opened, "USB Audio CODEC");
}

TEST_F(StationSoundDevice, ReceiveOpensAgainAfterTheDeviceFailedWithOneMessage) {
    listed.names = {"pulse"};
    startStation(listed);
    ASSERT_EQ(station->state(), OperatingState::Receiving);
    const size_t before = host.messages.size();
    listed.names.clear();  // the server is gone
    listed.fail();
    station->handleSoundEvents();
    EXPECT_EQ(station->state(), OperatingState::Stopped);
    EXPECT_EQ(host.messages.size(), before + 1);
    tick(100);  // 30 s of attempts, all failing
    EXPECT_EQ(host.messages.size(), before + 1);
    EXPECT_TRUE(host.notes.empty());
    listed.names = {"pulse"};
    tick(110);
    EXPECT_EQ(station->state(), OperatingState::Receiving);
    EXPECT_EQ(host.messages.size(), before + 1);
    // The reopening is told once, without a message box.
    EXPECT_EQ(host.notes, std::vector<std::string>{kReceiveReopenedNote});
}

TEST_F(StationSoundDevice, TheOperatorsSoundOffEndsTheAttempts) {
    listed.names = {"pulse"};
    startStation(listed);
    listed.fail();
    station->handleSoundEvents();
    station->soundOff();
    tick(20);
    EXPECT_EQ(station->state(), OperatingState::Stopped);
    EXPECT_EQ(listed.opens, 1);
}

TEST(ReceiveRecovery, WaitsLongerAfterEachFailureUpTo30Seconds) {
    ReceiveRecovery r;
    EXPECT_FALSE(r.due(1000000));
    r.begin(0);
    EXPECT_FALSE(r.due(999));
    EXPECT_TRUE(r.due(1000));
    std::vector<StationMs> waits;
    StationMs now = 1000;
    for (int i = 0; i < 7; ++i) {
        r.failedAgain(now);
        waits.push_back(r.nextAttemptAt() - now);
        now = r.nextAttemptAt();
    }
    EXPECT_EQ(waits, (std::vector<StationMs>{2000, 4000, 8000, 16000, 30000, 30000, 30000}));
    r.begin(now + 5);  // a second failure report keeps the schedule
    EXPECT_EQ(r.nextAttemptAt(), now);
    r.cancel();
    EXPECT_FALSE(r.due(now + 100000));
}

// ---- ranges ------------------------------------------------------------------------------

TEST_F(StationSoundDevice, RateCorrectionsOutOfRangeAreRefusedOrIgnored) {
    store->writeInt("Misc", "RateCorrRx", 2000000000);
    store->writeInt("Misc", "RateCorrTx", -1000000);
    startStation(card);
    EXPECT_EQ(station->settings().misc.rateCorrRx.value(), 0);
    EXPECT_EQ(station->settings().misc.rateCorrTx.value(), 0);
    EXPECT_DOUBLE_EQ(station->receiveChain().sampleRate(), 11025.0);

    EXPECT_TRUE(station->setRateCorrection(250, -kMaxRateCorrectionPpm));
    EXPECT_DOUBLE_EQ(station->receiveChain().sampleRate(), 11028.0);
    host.messages.clear();
    EXPECT_FALSE(station->setRateCorrection(kMaxRateCorrectionPpm + 1, 0));
    EXPECT_TRUE(host.hasMessage(kTooBigMessage));
    EXPECT_EQ(station->settings().misc.rateCorrRx.value(), 250);
    EXPECT_DOUBLE_EQ(station->receiveChain().sampleRate(), 11028.0);
}

TEST_F(StationSoundDevice, AStoredFrequencyOutsideTheSpectrumGivesTheDefault) {
    for (const char* stored : {"1e30", "-5", "nan", "6000"}) {
        SCOPED_TRACE(stored);
        store->writeString("Sound", "LastFq", stored);
        startStation(card);
        EXPECT_DOUBLE_EQ(station->receiveFrequency(), 1000.0);
        station.reset();
    }
    store->writeString("Sound", "LastFq", "1500");
    startStation(card);
    EXPECT_DOUBLE_EQ(station->receiveFrequency(), 1500.0);
    EXPECT_FALSE(station->setFrequency(1e300, kSetBoth, false));
    EXPECT_FALSE(station->setFrequency(5600.0, kSetBoth, false));
    EXPECT_TRUE(station->setFrequency(5500.0, kSetBoth, false));
    EXPECT_DOUBLE_EQ(station->receiveFrequency(), 5500.0);
}

TEST_F(StationSoundDevice, HistoryLengthsOutOfRangeGiveNoHistory) {
    store->writeInt("Misc", "SoundHistory", 2000000000);
    startStation(card);
    EXPECT_FALSE(station->canSaveSoundHistory());
    EXPECT_FALSE(station->setSoundHistoryLength(2000000000));
    EXPECT_TRUE(host.hasMessage(kTooBigMessage));
    EXPECT_TRUE(station->setSoundHistoryLength(-7));
    EXPECT_EQ(station->settings().misc.soundHistory.value(), 0);
    EXPECT_TRUE(station->setSoundHistoryLength(5));
    EXPECT_TRUE(station->canSaveSoundHistory());
}

}  // namespace
}  // namespace tarnvel::app
