#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

#include "app/CommandTable.h"
#include "app/StationMacros.h"
#include "app/StationMixer.h"
#include "tests/app/StationFixture.h"
#include "tests/audio/FakeMixerControls.h"

namespace tarnvel::app::testing {
namespace {

using audio::MixerLine;
using audio::test::FakeControl;
using audio::test::FakeMixerControls;

class StationMixerTest : public StationFixture {
  protected:
    // A mixer whose controls are the fake desktop card, shared by every opening; the controls
    // asked for are recorded.
    StationMixer mixerOn(Station& s) {
        return StationMixer(s, [this](const std::string& control) {
            opened.push_back(control);
            if (refuseOpening)
                return StationMixer::OpenedControls{nullptr, "Cannot open \"" + control + "\""};
            return StationMixer::OpenedControls{
                std::make_unique<FakeMixerControls>("HDA Intel PCH", audio::test::desktopCard(),
                                                    &cardState),
                {}};
        });
    }
    std::map<std::string, FakeControl> cardState;
    std::vector<std::string> opened;
    bool refuseOpening = false;
};

TEST_F(StationMixerTest, WithoutVolumeControlTheCardIsNeverOpened) {
    Station& s = startStation(card);
    StationMixer mixer = mixerOn(s);
    EXPECT_TRUE(mixer.applyStored().empty());
    EXPECT_TRUE(opened.empty());
}

TEST_F(StationMixerTest, StoredLevelsAndSourceGoToTheCardsWithTheKeysAsNamed) {
    store->writeInt("Sound device", "VolumeCtrl", 1);
    store->writeInt("Sound device", "MasterOutVolume", 255);
    store->writeInt("Sound device", "MasterInVolume", 0);  // the wave-out line
    store->writeInt("Sound device", "WaveVolume", 127);    // the recording master
    store->writeInt("Sound device", "SourceVolume", 255);
    store->writeInt("Sound device", "Source", 0);
    store->writeInt("Sound device", "SelectSource", 1);
    Station& s = startStation(card);
    StationMixer mixer = mixerOn(s);
    EXPECT_TRUE(mixer.applyStored().empty());
    EXPECT_EQ(opened, (std::vector<std::string>{"default", "default"}));
    EXPECT_EQ(cardState["Master"].playbackValue, 87);
    EXPECT_EQ(cardState["PCM"].playbackValue, 0);
    EXPECT_EQ(cardState["Capture"].captureValue, 31);  // 127 of 0..63
    EXPECT_EQ(cardState["Capture Source"].item, 1u);   // "Line"
    EXPECT_EQ(cardState["Line"].captureValue, 31);
    EXPECT_FALSE(cardState["Mic"].captureOn);
    EXPECT_FALSE(cardState["Mic"].playbackOn);
}

TEST_F(StationMixerTest, DevicesWithoutAMixerAndCardsThatWillNotOpenAreReported) {
    store->writeInt("Sound device", "VolumeCtrl", 1);
    store->writeInt("Sound device", "MixerDevice", 0);
    store->writeString("Sound device", "MixerDeviceName", "Loopback");
    store->writeInt("Sound device", "MixerDeviceOut", -1);
    Station& s = startStation(card);
    StationMixer mixer = mixerOn(s);
    refuseOpening = true;
    // The output stays on the system's preferred device; the input is the loopback.
    const std::vector<std::string> problems = mixer.applyStored();
    ASSERT_EQ(problems.size(), 2u);
    EXPECT_EQ(problems[0], "Cannot open \"default\"");
    EXPECT_EQ(problems[1], "The sound device \"Loopback\" has no mixer of its own.");
    EXPECT_EQ(opened.size(), 1u);

    s.settings().misc.soundDevType = 1;
    EXPECT_EQ(mixer.open(audio::SoundDirection::Output).error,
              "The USB sound device's levels are set in \"Karta dźwiękowa...\".");
}

TEST_F(StationMixerTest, LevelsAreStoredClampedAndTheSourceAsItsNumber) {
    Station& s = startStation(card);
    StationMixer mixer = mixerOn(s);
    mixer.storeLevel(MixerLine::WaveOut, 300);
    mixer.storeLevel(MixerLine::MasterIn, -4);
    mixer.storeSource(audio::RecordSource::LineIn);
    EXPECT_EQ(s.settings().soundDevice.masterInVolume.value(), 255);
    EXPECT_EQ(s.settings().soundDevice.waveVolume.value(), 0);
    EXPECT_EQ(s.settings().soundDevice.source.value(), 0);
    EXPECT_EQ(mixer.storedLevel(MixerLine::MasterOut), 127);
}

// The peak of what the loopback card was handed to play while Tune holds the carrier.
int tunePeak(Station& s, ScriptedHost& host, audio::LoopbackSoundCard& card) {
    int peak = 0;
    host.whileMessageOpen = [&] {
        for (int i = 0; i < 20; ++i) s.pump(0);
        for (int b = 0; b < audio::kOutputBuffersInFlight; ++b)
            for (int16_t v : card.outputBuffer(b)) peak = std::max(peak, std::abs(int{v}));
    };
    s.tune();
    host.whileMessageOpen = nullptr;
    return peak;
}

TEST_F(StationMixerTest, TheTransmitLevelAttenuatesWhatTheCardPlays) {
    store->writeString("Sound device", "TxAttenuation", "6");
    Station& s = startStation(card);
    const int attenuated = tunePeak(s, host, card);
    EXPECT_NEAR(attenuated / 32766.0, 0.5, 0.002) << attenuated;  // -6 dB halves it

    StationMixer mixer = mixerOn(s);
    EXPECT_EQ(mixer.transmitAttenuation(), 6.0);
    mixer.setTransmitAttenuation(0.0);          // at once, without a restart
    EXPECT_GE(tunePeak(s, host, card), 32766);  // full scale
    EXPECT_EQ(s.settings().transmitLevel.txAttenuation.value(), 0.0f);
    mixer.setTransmitAttenuation(99.0);
    EXPECT_EQ(s.settings().transmitLevel.txAttenuation.value(), 60.0f);
}

TEST_F(StationMixerTest, TheVolumeMacroTagsOpenTheLevelDialogs) {
    Station& s = startStation(card);
    for (const char* tag : {"<VOLUME>", "<OUTPUTVOLUME>", "<INPUTVOLUME>"}) s.macros().expand(tag);
    EXPECT_EQ(host.windowCommands,
              (std::vector<CommandId>{CommandId::InputLevel, CommandId::OutputLevel,
                                      CommandId::InputLevel}));
}

}  // namespace
}  // namespace tarnvel::app::testing
