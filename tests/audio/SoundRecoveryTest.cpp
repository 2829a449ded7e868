// The station on the real sound card back end and a private PulseAudio server: when the
// server dies, receive stops with one message and opens again on its own once a server is
// back; a device remembered by name that is not there is not replaced by the default one.

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <memory>

#include "app/SettingsStore.h"
#include "app/Station.h"
#include "audio/PortAudioSoundCard.h"
#include "tests/app/ScriptedHost.h"
#include "tests/app/TempFolder.h"
#include "tests/audio/PulseServer.h"

namespace tarnvel::app {
namespace {

using testing::ScriptedHost;
using testing::TempFolder;

// Real time, counting the samples the station has taken.
class CountingClock final : public StationClock {
  public:
    StationMs now() const override { return steady_.now(); }
    void sleepFor(StationMs ms) override { steady_.sleepFor(ms); }
    bool waitForEvents(audio::SoundEvents& events, StationMs ms) override {
        return steady_.waitForEvents(events, ms);
    }
    void inputSamples(size_t count) override { samples += count; }
    size_t samples = 0;

  private:
    SteadyStationClock steady_;
};

// Only guards against a hang: each step takes a few seconds at most when it works.
constexpr StationMs kGuardMs = 90000;

class SoundRecovery : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!pulse.start()) GTEST_SKIP() << pulse.error();
        store = std::make_unique<SettingsStore>(folder.file("Tarnvel.ini"));
        store->writeString("Station", "Call", "SP9XYZ");
    }

    // Pumps until `done` holds; false when the guard ran out.
    bool pumpUntil(Station& station, const std::function<bool()>& done) {
        return station.runUntil(done, kGuardMs);
    }
    bool receivesSamples(Station& station) {
        const size_t before = clock.samples;
        return pumpUntil(station, [&] { return clock.samples >= before + 11025; });
    }

    TempFolder folder;
    audio::test::PulseServer pulse;
    std::unique_ptr<SettingsStore> store;
    ScriptedHost host;
    CountingClock clock;
};

TEST_F(SoundRecovery, ReceiveComesBackAfterTheSoundServerRestarts) {
    audio::PortAudioSoundCard card;
    Station station(*store, card, host, clock);
    ASSERT_TRUE(station.start()) << station.lastSoundProblem();
    ASSERT_TRUE(receivesSamples(station));
    const size_t messages = host.messages.size();

    ASSERT_TRUE(pulse.kill()) << pulse.error();
    ASSERT_TRUE(pumpUntil(station, [&] { return station.state() == OperatingState::Stopped; }));
    EXPECT_EQ(host.messages.size(), messages + 1);
    // Several attempts fail while no server runs: 1 + 2 + 4 s.
    const StationMs down = clock.now();
    pumpUntil(station, [&] { return clock.now() > down + 7500; });
    EXPECT_EQ(station.state(), OperatingState::Stopped);

    ASSERT_TRUE(pulse.start()) << pulse.error();
    ASSERT_TRUE(pumpUntil(station, [&] { return station.state() == OperatingState::Receiving; }));
    EXPECT_TRUE(receivesSamples(station));
    EXPECT_EQ(host.messages.size(), messages + 1) << "one message for the whole outage";
}

TEST_F(SoundRecovery, ADeviceNamedInTheSettingsThatIsGoneIsNotReplaced) {
    store->writeInt("Sound device", "MixerDevice", 0);
    store->writeString("Sound device", "MixerDeviceName", "USB Audio CODEC (not here)");
    audio::PortAudioSoundCard card;
    ASSERT_FALSE(card.inputDevices().empty());
    Station station(*store, card, host, clock);
    EXPECT_FALSE(station.start());
    EXPECT_EQ(station.state(), OperatingState::Stopped);
    EXPECT_TRUE(host.hasMessage(audio::kSoundCardUnavailableMessage));
    EXPECT_NE(station.lastSoundProblem().find("'USB Audio CODEC (not here)' is not present"),
              std::string::npos)
        << station.lastSoundProblem();

    // The name of a listed device opens it whatever position the settings hold.
    const std::string pulseName = card.inputDevices().front().name;
    store->writeInt("Sound device", "MixerDevice", 7);
    store->writeString("Sound device", "MixerDeviceName", pulseName);
    ScriptedHost otherHost;
    audio::PortAudioSoundCard other;
    Station named(*store, other, otherHost, clock);
    EXPECT_TRUE(named.start()) << named.lastSoundProblem();
    EXPECT_TRUE(receivesSamples(named));
}

}  // namespace
}  // namespace tarnvel::app
