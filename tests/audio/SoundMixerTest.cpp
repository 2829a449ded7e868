#include <gtest/gtest.h>

#include <memory>

#include "audio/MixerCard.h"
#include "audio/MixerScale.h"
#include "audio/SoundMixer.h"
#include "tests/audio/FakeMixerControls.h"

namespace tarnvel::audio {
namespace {

using test::FakeControl;
using test::FakeMixerControls;

// ---- levels 0..255 on a control's own range ---------------------------------------------------

TEST(MixerScale, EveryRangeIsUsedWholeAndNoStepIsLost) {
    // A 32-step control: dividing the range by 255 first would give 0 for every level.
    const VolumeRange small{0, 31};
    EXPECT_EQ(rawFromLevel(0, small), 0);
    EXPECT_EQ(rawFromLevel(255, small), 31);
    EXPECT_EQ(rawFromLevel(127, small), 15);
    EXPECT_EQ(rawFromLevel(128, small), 16);
    EXPECT_GT(rawFromLevel(5, small), 0);  // 0.61 rounds up: not silence
    // 256 steps: the level is the value.
    for (int level : {0, 1, 127, 254, 255}) EXPECT_EQ(rawFromLevel(level, {0, 255}), level);
    // A 16-bit control: 257 per step.
    EXPECT_EQ(rawFromLevel(127, {0, 65535}), 32639);
    EXPECT_EQ(rawFromLevel(255, {0, 65535}), 65535);
    // A sound server's 0..65536 (100 % at the top).
    EXPECT_EQ(rawFromLevel(255, {0, 65536}), 65536);
    EXPECT_EQ(rawFromLevel(127, {0, 65536}), 32639);
    // Negative minimum (a dB-like range).
    EXPECT_EQ(rawFromLevel(0, {-48, 0}), -48);
    EXPECT_EQ(rawFromLevel(255, {-48, 0}), 0);
    EXPECT_EQ(rawFromLevel(128, {-48, 0}), -24);
    EXPECT_EQ(rawFromLevel(128, {-10240, 2048}), -4072);
    // Out-of-range levels are clamped; an empty range gives its only value.
    EXPECT_EQ(rawFromLevel(300, {0, 31}), 31);
    EXPECT_EQ(rawFromLevel(-5, {-48, 0}), -48);
    EXPECT_EQ(rawFromLevel(200, {7, 7}), 7);
    EXPECT_EQ(levelFromRaw(7, {7, 7}), 0);
}

TEST(MixerScale, ReadingBackGivesTheLevelThatWasSetWhereTheControlCanHoldIt) {
    for (VolumeRange range : {VolumeRange{0, 255}, VolumeRange{0, 65535}, VolumeRange{0, 65536},
                              VolumeRange{-32768, 32767}})
        for (int level = 0; level <= 255; ++level)
            ASSERT_EQ(levelFromRaw(rawFromLevel(level, range), range), level)
                << range.min << ".." << range.max;
    // Coarse controls: every raw step reads back as a level that sets that same step.
    for (VolumeRange range : {VolumeRange{0, 31}, VolumeRange{-48, 0}, VolumeRange{0, 3}})
        for (long raw = range.min; raw <= range.max; ++raw)
            ASSERT_EQ(rawFromLevel(levelFromRaw(raw, range), range), raw);
    // Values outside the range (a driver that reports them) read as the ends.
    EXPECT_EQ(levelFromRaw(40, {0, 31}), 255);
    EXPECT_EQ(levelFromRaw(-60, {-48, 0}), 0);
}

// ---- the four levels and the source on a card --------------------------------------------------

struct Card {
    std::map<std::string, FakeControl> state;
    SoundMixer mixer;
    Card(std::string name, std::vector<FakeControl> controls)
        : mixer(std::make_unique<FakeMixerControls>(std::move(name), std::move(controls), &state)) {
    }
};

TEST(SoundMixer, FindsEachLevelsControlAndScalesToItsRange) {
    Card card("HDA Intel PCH", test::desktopCard());
    EXPECT_EQ(card.mixer.controlOf(MixerLine::MasterOut), "Master");
    EXPECT_EQ(card.mixer.controlOf(MixerLine::WaveOut), "PCM");
    EXPECT_EQ(card.mixer.controlOf(MixerLine::MasterIn), "Capture");
    EXPECT_EQ(card.mixer.controlOf(MixerLine::RecordSource), "Mic");  // not "Mic Boost"
    EXPECT_EQ(card.mixer.setLevel(MixerLine::MasterOut, 255), "");
    EXPECT_EQ(card.state["Master"].playbackValue, 87);
    EXPECT_EQ(card.mixer.setLevel(MixerLine::RecordSource, 127), "");
    EXPECT_EQ(card.state["Mic"].captureValue, 15);
    EXPECT_EQ(card.state["Mic"].playbackValue, 10);         // the other direction is left alone
    EXPECT_EQ(card.mixer.level(MixerLine::MasterIn), 121);  // 30 of 0..63
    EXPECT_EQ(card.mixer.level(MixerLine::WaveOut), 200);
}

TEST(SoundMixer, SelectingASourceRecordsOnlyItAndStopsInputsPlayingThrough) {
    Card card("HDA Intel PCH", test::desktopCard());
    EXPECT_TRUE(card.mixer.hasSource(RecordSource::LineIn));
    EXPECT_EQ(card.mixer.selectSource(RecordSource::LineIn, true), "");
    EXPECT_EQ(card.state["Capture Source"].item, 1u);  // "Line"
    EXPECT_TRUE(card.state["Line"].captureOn);
    EXPECT_FALSE(card.state["Mic"].captureOn);
    EXPECT_TRUE(card.state["Capture"].captureOn);
    // Inputs heard on the output would be transmitted: muted there; the outputs are on.
    EXPECT_FALSE(card.state["Mic"].playbackOn);
    EXPECT_FALSE(card.state["Line"].playbackOn);
    EXPECT_TRUE(card.state["Master"].playbackOn);
    EXPECT_TRUE(card.state["PCM"].playbackOn);
    // The recording source's level is now the line's.
    EXPECT_EQ(card.mixer.controlOf(MixerLine::RecordSource), "Line");

    // Without "SelectSource" only the choice itself is made.
    EXPECT_EQ(card.mixer.selectSource(RecordSource::Microphone, false), "");
    EXPECT_EQ(card.state["Capture Source"].item, 0u);  // "Front Mic"
    EXPECT_TRUE(card.state["Mic"].captureOn);
    EXPECT_TRUE(card.state["Line"].captureOn);
    EXPECT_FALSE(card.state["Mic"].playbackOn);
}

TEST(SoundMixer, ACardWithoutALevelOrSourceSaysWhichAndChangesNothing) {
    Card card("USB Audio CODEC", test::usbCodec());
    EXPECT_EQ(card.mixer.controlOf(MixerLine::MasterOut), "Speaker");
    EXPECT_FALSE(card.mixer.hasLine(MixerLine::WaveOut));
    EXPECT_FALSE(card.mixer.hasLine(MixerLine::MasterIn));
    EXPECT_EQ(card.mixer.setLevel(MixerLine::WaveOut, 100),
              "The sound card \"USB Audio CODEC\" has no Wave Out level.");
    EXPECT_EQ(card.mixer.level(MixerLine::MasterIn), std::nullopt);
    EXPECT_EQ(card.mixer.selectSource(RecordSource::LineIn, true),
              "The sound card \"USB Audio CODEC\" has no Line In input.");
    EXPECT_FALSE(card.state["Mic"].captureOn);  // untouched
    EXPECT_EQ(card.mixer.setLevel(MixerLine::MasterOut, 128), "");
    EXPECT_EQ(card.state["Speaker"].playbackValue, -24);
    EXPECT_EQ(card.mixer.selectSource(RecordSource::Microphone, true), "");
    EXPECT_TRUE(card.state["Mic"].captureOn);
    EXPECT_TRUE(card.state["Speaker"].playbackOn);
    EXPECT_EQ(card.mixer.setLevel(MixerLine::RecordSource, 255), "");
    EXPECT_EQ(card.state["Mic"].captureValue, 16);
}

TEST(SoundMixer, AValueTheCardRefusesIsReportedWithTheControlsName) {
    Card card("HDA Intel PCH", test::desktopCard());
    card.state["Master"].refuses = true;
    EXPECT_EQ(card.mixer.setLevel(MixerLine::MasterOut, 200),
              "The sound card \"HDA Intel PCH\" did not take the level of \"Master\".");
    EXPECT_EQ(card.state["Master"].playbackValue, 40);
}

// ---- which mixer goes with a device -------------------------------------------------------------

TEST(MixerCard, HardwareDevicesGetTheirCardsMixerAndSoundServersTheirOwn) {
    EXPECT_EQ(mixerCardFor(3, "USB Audio CODEC: - (hw:1,0)").control, "hw:1");
    EXPECT_EQ(mixerCardFor(0, "HDA Intel PCH: ALC892 Analog (hw:0,0)").control, "hw:0");
    EXPECT_EQ(mixerCardFor(2, "hw:CARD=CODEC,DEV=0").control, "hw:CODEC");
    EXPECT_EQ(mixerCardFor(2, "plughw:2,0").control, "hw:2");
    EXPECT_EQ(mixerCardFor(-1, "").control, "default");
    EXPECT_EQ(mixerCardFor(4, "default").control, "default");
    EXPECT_EQ(mixerCardFor(5, "pulse").control, "pulse");
    EXPECT_EQ(mixerCardFor(6, "pipewire").control, "pipewire");
    for (const char* none : {"Loopback", "dmix", "Thwack (shw:1)", "(hw:)", "hw:1;rm -rf"}) {
        const MixerCardChoice choice = mixerCardFor(1, none);
        EXPECT_EQ(choice.control, "") << none;
        EXPECT_EQ(choice.reason,
                  std::string("The sound device \"") + none + "\" has no mixer of its own.");
    }
}

}  // namespace
}  // namespace tarnvel::audio
