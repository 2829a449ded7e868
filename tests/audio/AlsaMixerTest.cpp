// The ALSA mixer on a real control: the "pulse" control of a private PulseAudio server with a
// null sink, whose volumes pactl reads back independently.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "PulseServer.h"
#include "audio/AlsaMixer.h"
#include "audio/SoundMixer.h"

namespace tarnvel::audio {
namespace {

using test::PulseServer;

std::string commandOutput(const std::string& command) {
    std::string out;
    if (FILE* p = ::popen((command + " 2>&1").c_str(), "r")) {
        char buffer[256];
        while (std::fgets(buffer, sizeof buffer, p)) out += buffer;
        ::pclose(p);
    }
    return out;
}

class AlsaMixerTest : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!server.start())
            GTEST_SKIP() << "no private PulseAudio server could be started here: "
                         << server.error();
    }
    PulseServer server;
};

TEST_F(AlsaMixerTest, SetsTheSoundServersVolumesScaledToTheirRange) {
    AlsaMixer::Opened opened = AlsaMixer::open("pulse");
    ASSERT_TRUE(opened.mixer) << opened.error;
    EXPECT_EQ(opened.mixer->cardName(), "PulseAudio");
    const auto range = opened.mixer->volumeRange("Master", MixerDirection::Playback);
    ASSERT_TRUE(range);
    EXPECT_EQ(range->min, 0);
    EXPECT_EQ(range->max, 65536);

    SoundMixer mixer(std::move(opened.mixer));
    EXPECT_EQ(mixer.controlOf(MixerLine::MasterOut), "Master");
    EXPECT_EQ(mixer.controlOf(MixerLine::MasterIn), "Capture");
    EXPECT_EQ(mixer.setLevel(MixerLine::MasterOut, 127), "");
    EXPECT_EQ(mixer.setLevel(MixerLine::MasterIn, 64), "");
    EXPECT_NE(commandOutput("pactl get-sink-volume tarnvel").find("mono: 32639 "),
              std::string::npos)
        << commandOutput("pactl get-sink-volume tarnvel");
    EXPECT_NE(commandOutput("pactl get-source-volume tarnvel.monitor").find("mono: 16448 "),
              std::string::npos)
        << commandOutput("pactl get-source-volume tarnvel.monitor");
    EXPECT_EQ(mixer.level(MixerLine::MasterOut), 127);

    // What another program sets is what the mixer reads.
    commandOutput("pactl set-sink-volume tarnvel 65536");
    AlsaMixer::Opened again = AlsaMixer::open("pulse");
    ASSERT_TRUE(again.mixer) << again.error;
    EXPECT_EQ(SoundMixer(std::move(again.mixer)).level(MixerLine::MasterOut), 255);
}

TEST_F(AlsaMixerTest, AServerWithoutInputLinesSaysSoForTheSourceChoice) {
    AlsaMixer::Opened opened = AlsaMixer::open("pulse");
    ASSERT_TRUE(opened.mixer) << opened.error;
    SoundMixer mixer(std::move(opened.mixer));
    EXPECT_FALSE(mixer.hasSource(RecordSource::Microphone));
    EXPECT_FALSE(mixer.hasLine(MixerLine::WaveOut));
    EXPECT_EQ(mixer.selectSource(RecordSource::Microphone, true),
              "The sound card \"PulseAudio\" has no Microphone input.");
    EXPECT_EQ(mixer.setLevel(MixerLine::RecordSource, 10),
              "The sound card \"PulseAudio\" has no Record source level.");
}

TEST(AlsaMixer, AMissingCardOrServerIsAMessageNamingIt) {
    PulseServer server;  // not started: the "pulse" control finds no server
    const AlsaMixer::Opened pulse = AlsaMixer::open("pulse");
    EXPECT_FALSE(pulse.mixer);
    EXPECT_EQ(pulse.error.rfind("Cannot open the mixer of the sound card \"pulse\": ", 0), 0u)
        << pulse.error;
    const AlsaMixer::Opened card = AlsaMixer::open("hw:29");
    EXPECT_FALSE(card.mixer);
    EXPECT_EQ(card.error.rfind("Cannot open the mixer of the sound card \"hw:29\": ", 0), 0u)
        << card.error;
    EXPECT_FALSE(AlsaMixer::open("no such control").mixer);
}

}  // namespace
}  // namespace tarnvel::audio
