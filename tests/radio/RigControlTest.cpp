// Rig control against a real rigctld (Hamlib's dummy rig) reached as the network model, and
// what happens when the daemon dies under it.

#include <gtest/gtest.h>

#include <sys/socket.h>

#include "Rigctld.h"
#include "radio/HamlibRig.h"
#include "radio/RigControl.h"

namespace tarnvel::radio {
namespace {

using namespace std::chrono_literals;

// Generous bounds: they only decide how long a broken build waits before failing.
constexpr auto kEventWait = 10s;

std::optional<RigEvent> nextEventWithin(RigControl& rig, std::chrono::milliseconds limit) {
    if (!rig.waitForEvent(limit)) return std::nullopt;
    return rig.nextEvent();
}

RigEvent expectEvent(RigControl& rig, RigEventKind kind) {
    const auto event = nextEventWithin(rig, kEventWait);
    EXPECT_TRUE(event) << "no event from the rig thread";
    if (!event) return {};
    EXPECT_EQ(static_cast<int>(event->kind), static_cast<int>(kind)) << event->message;
    return *event;
}

RigSettings networkRig(const std::string& address) {
    RigSettings s;
    s.model = kHamlibNetRigctlModel;
    s.device = address;
    s.timeout = 1000ms;
    return s;
}

class RigOverRigctld : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(daemon_.ready()) << "rigctld did not start";
        rig_.start(networkRig(daemon_.address()));
        expectEvent(rig_, RigEventKind::Opened);
    }
    test::Rigctld daemon_;
    RigControl rig_;
};

TEST_F(RigOverRigctld, PttReachesTheRigAndIsReleased) {
    rig_.setPtt(true);
    EXPECT_TRUE(expectEvent(rig_, RigEventKind::PttSet).ptt);
    EXPECT_EQ(daemon_.ask("t"), "1");
    rig_.setPtt(false);
    EXPECT_FALSE(expectEvent(rig_, RigEventKind::PttSet).ptt);
    EXPECT_EQ(daemon_.ask("t"), "0");
}

TEST_F(RigOverRigctld, FrequencyIsSetAndReadBack) {
    rig_.setFrequency(14'070'000);
    EXPECT_EQ(expectEvent(rig_, RigEventKind::FrequencySet).hz, 14'070'000u);
    EXPECT_EQ(daemon_.ask("f"), "14070000");
    rig_.readFrequency();
    EXPECT_EQ(expectEvent(rig_, RigEventKind::Frequency).hz, 14'070'000u);
    // A frequency set by someone else sharing the daemon is what the next read sees.
    EXPECT_EQ(daemon_.ask("F 7040000"), "RPRT 0");
    rig_.readFrequency();
    EXPECT_EQ(expectEvent(rig_, RigEventKind::Frequency).hz, 7'040'000u);
}

TEST_F(RigOverRigctld, StoppingWhileKeyedReleasesThePtt) {
    rig_.setPtt(true);
    expectEvent(rig_, RigEventKind::PttSet);
    ASSERT_EQ(daemon_.ask("t"), "1");
    rig_.stop();
    EXPECT_FALSE(rig_.running());
    EXPECT_EQ(daemon_.ask("t"), "0") << "the transmitter was left keyed";
}

TEST_F(RigOverRigctld, AKilledDaemonGivesOneMessageAndNothingHangs) {
    rig_.setPtt(true);
    expectEvent(rig_, RigEventKind::PttSet);
    daemon_.kill();
    rig_.setFrequency(3'580'000);
    const RigEvent lost = expectEvent(rig_, RigEventKind::Lost);
    EXPECT_FALSE(lost.message.empty());
    // Later commands reach nothing and say nothing more.
    rig_.setPtt(false);
    rig_.readFrequency();
    rig_.stop();
    EXPECT_FALSE(rig_.running());
    EXPECT_FALSE(rig_.nextEvent()) << "a second message for the same loss";
}

TEST_F(RigOverRigctld, AFrozenDaemonTimesOutInsteadOfHanging) {
    daemon_.freeze();
    rig_.readFrequency();
    const RigEvent lost = expectEvent(rig_, RigEventKind::Lost);
    EXPECT_FALSE(lost.message.empty());
    rig_.stop();
    EXPECT_FALSE(rig_.running());
}

TEST(RigOpening, NothingListeningIsReportedAndTheCallerWaitsForNothing) {
    const int port = test::freeTcpPort();
    RigControl rig;
    rig.start(networkRig("127.0.0.1:" + std::to_string(port)));
    const RigEvent failed = expectEvent(rig, RigEventKind::OpenFailed);
    EXPECT_NE(failed.message.find(std::to_string(port)), std::string::npos) << failed.message;
    rig.setPtt(true);  // dropped: there is no rig
    rig.stop();
    EXPECT_FALSE(rig.nextEvent());
}

TEST(RigOpening, AnUnknownModelIsNamed) {
    RigControl rig;
    RigSettings s;
    s.model = 999999;
    rig.start(s);
    const RigEvent failed = expectEvent(rig, RigEventKind::OpenFailed);
    EXPECT_NE(failed.message.find("999999"), std::string::npos) << failed.message;
}

TEST(RigModels, MatchingByNameManufacturerOrNumber) {
    const auto dummy = rigModelsMatching("dummy");
    ASSERT_FALSE(dummy.empty());
    EXPECT_EQ(dummy.front().model, kHamlibDummyModel);
    const auto net = rigModelsMatching("NET RIGCTL");
    ASSERT_EQ(net.size(), 1u);
    EXPECT_EQ(net.front().model, kHamlibNetRigctlModel);
    const auto icom = rigModelsMatching("icom");
    EXPECT_GT(icom.size(), 20u);
    for (const auto& m : icom) EXPECT_EQ(m.manufacturer, "Icom") << m.model << " " << m.name;
    EXPECT_GT(rigModelsMatching("").size(), icom.size());
    EXPECT_TRUE(rigModelsMatching("no such radio anywhere").empty());
}

TEST(RigOptionText, ModelDeviceAndSpeed) {
    auto option = parseRigOption("2:127.0.0.1:4532");
    ASSERT_TRUE(option.settings) << option.error;
    EXPECT_EQ(option.settings->model, 2);
    EXPECT_EQ(option.settings->device, "127.0.0.1:4532");
    EXPECT_EQ(option.settings->speed, 0);

    option = parseRigOption("3073:/dev/ttyUSB0:19200");
    ASSERT_TRUE(option.settings) << option.error;
    EXPECT_EQ(option.settings->device, "/dev/ttyUSB0");
    EXPECT_EQ(option.settings->speed, 19200);

    option = parseRigOption("1");
    ASSERT_TRUE(option.settings);
    EXPECT_TRUE(option.settings->device.empty());

    for (const char* bad : {"", "x", "0", "-2:host:1", "3073:/dev/ttyUSB0:fast", "2:"}) {
        option = parseRigOption(bad);
        EXPECT_FALSE(option.settings) << bad;
        EXPECT_FALSE(option.error.empty()) << bad;
    }
}

}  // namespace
}  // namespace tarnvel::radio
