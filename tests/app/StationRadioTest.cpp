// The station's radio against real far ends: a rigctld with Hamlib's dummy rig (reached as
// model 2, as a shared rig is), a socat pty pair for CI-V, and a bare pty whose master the
// test closes, as an unplugged adapter vanishes.

#include "app/StationRadio.h"

#include <gtest/gtest.h>

#include <chrono>
#include <deque>
#include <memory>
#include <string>
#include <thread>

#include "app/SettingsStore.h"
#include "app/Station.h"
#include "audio/LoopbackSoundCard.h"
#include "radio/PortList.h"
#include "tests/app/ScriptedHost.h"
#include "tests/app/TempFolder.h"
#include "tests/radio/PtyPair.h"
#include "tests/radio/Rigctld.h"

namespace tarnvel::app {
namespace {

using namespace std::chrono_literals;

// Answers the Yes/No questions from a script (No once it runs out) and keeps them.
class AnsweringHost : public testing::ScriptedHost {
  public:
    bool askYesNo(std::string_view text, std::string_view) override {
        questions.emplace_back(text);
        if (answers.empty()) return false;
        const bool answer = answers.front();
        answers.pop_front();
        return answer;
    }
    int errorsContaining(const std::string& part) const {
        int n = 0;
        for (const auto& m : messages)
            if (m.kind == MessageKind::Error && m.text.find(part) != std::string::npos) ++n;
        return n;
    }
    std::deque<bool> answers;
    std::vector<std::string> questions;
};

class StationRadioTest : public ::testing::Test {
  protected:
    void SetUp() override {
        store = std::make_unique<SettingsStore>(folder.file("Tarnvel.ini"));
        store->writeString("Station", "Call", "SP9XYZ");
    }

    void useRig(const std::string& address) {
        store->writeInt("Port", "Number", 1);
        store->writeString("Port", radio::port_key::kDevice, radio::kExternalDeviceKey);
        store->writeInt("Port", radio::port_key::kRigModel, radio::kHamlibNetRigctlModel);
        store->writeString("Port", radio::port_key::kRigDevice, address);
    }
    void useSerial(const std::string& device) {
        store->writeInt("Port", "Number", 1);
        store->writeString("Port", radio::port_key::kDevice, device);
    }

    Station& start() {
        station = std::make_unique<Station>(*store, card, host, clock);
        station->start();
        tick();
        return *station;
    }
    void tick() {
        clock.advance(Station::kTimerPeriodMs);
        station->runDueTicks();
    }
    // Ticks (letting the rig thread answer in between) until `done` holds; false after 15 s.
    template <typename Done>
    bool tickUntil(Done done) {
        const auto end = std::chrono::steady_clock::now() + 15s;
        while (!done()) {
            if (std::chrono::steady_clock::now() > end) return false;
            station->radio().waitForRig(50ms);
            tick();
        }
        return true;
    }
    // Waits for the far end to show `answer`; false after 10 s.
    static bool rigSays(const radio::test::Rigctld& rig, const std::string& command,
                        const std::string& answer) {
        return radio::test::waitUntil([&] { return rig.ask(command) == answer; });
    }
    // The current band page becomes `page` at `khz`.
    void chooseBand(int page, const std::string& khz) {
        display::BandPages pages = station->bandPages();
        pages.page(page).frequency = khz;
        pages.select(page);
        station->setBandPages(pages);
    }

    testing::TempFolder folder;
    std::unique_ptr<SettingsStore> store;
    AnsweringHost host;
    ManualStationClock clock;
    audio::LoopbackSoundCard card;
    std::unique_ptr<Station> station;
};

// ---- rig control through rigctld ------------------------------------------------------------

TEST_F(StationRadioTest, RigIsKeyedForTheTransmissionTunedByTheBandAndReadBack) {
    radio::test::Rigctld rig;
    ASSERT_TRUE(rig.ready());
    useRig(rig.address());
    Station& s = start();
    ASSERT_TRUE(tickUntil([&] { return s.radio().link() == RadioLink::RigReady; }))
        << s.radio().lastProblem();
    EXPECT_TRUE(host.questions.empty());
    EXPECT_TRUE(rigSays(rig, "t", "0"));

    s.setImdMeasuring(true);
    s.transmitText().appendText("TEST\xAE");
    s.goTransmit();
    ASSERT_EQ(s.state(), OperatingState::Transmitting);
    EXPECT_TRUE(rigSays(rig, "t", "1")) << "PTT was not keyed during the transmission";
    ASSERT_TRUE(s.runUntil([&] { return s.state() == OperatingState::Receiving; }, 60000));
    EXPECT_EQ(s.transmissionsCompleted(), 1);
    EXPECT_TRUE(rigSays(rig, "t", "0")) << "PTT stayed keyed after the transmission";

    chooseBand(2, "7040.5");
    EXPECT_TRUE(rigSays(rig, "f", "7040500"));
    // The dial read back from the rig is what the scale counts from (not the band page).
    rig.ask("F 7123000");
    ASSERT_TRUE(tickUntil([&] { return s.radio().rigDialKHz() == 7123.0; }));
    EXPECT_DOUBLE_EQ(s.radio().dialFrequencyKHz(1), 7123.0);
    EXPECT_DOUBLE_EQ(s.radio().dialFrequencyKHz(0), 0.0);
    EXPECT_EQ(host.errorsContaining(""), 0);
}

TEST_F(StationRadioTest, KilledRigctldIsReportedOnceAndTheTransmissionEnds) {
    radio::test::Rigctld rig;
    ASSERT_TRUE(rig.ready());
    useRig(rig.address());
    Station& s = start();
    ASSERT_TRUE(tickUntil([&] { return s.radio().link() == RadioLink::RigReady; }));
    s.transmitText().appendText("a long text that is still going when the rig goes away");
    s.goTransmit();
    ASSERT_EQ(s.state(), OperatingState::Transmitting);
    ASSERT_TRUE(rigSays(rig, "t", "1"));

    rig.kill();
    ASSERT_TRUE(tickUntil([&] { return s.radio().link() == RadioLink::Lost; }));
    EXPECT_NE(s.state(), OperatingState::Transmitting);
    EXPECT_EQ(host.errorsContaining("does not answer"), 1);
    // Nothing more is reported, and nothing waits on the dead rig.
    for (int i = 0; i < 10; ++i) tick();
    s.goTransmit();
    s.goReceive();
    EXPECT_EQ(host.errorsContaining("does not answer"), 1);
    EXPECT_EQ(host.messages.size(), 1u);
}

// A rig that hangs (a stopped rigctld) never holds the station: every call returns at once,
// and the time-out is reported once, as a lost rig.
TEST_F(StationRadioTest, FrozenRigNeverHoldsTheStation) {
    radio::test::Rigctld rig;
    ASSERT_TRUE(rig.ready());
    useRig(rig.address());
    Station& s = start();
    ASSERT_TRUE(tickUntil([&] { return s.radio().link() == RadioLink::RigReady; }));
    rig.freeze();
    s.transmitText().appendText("text");
    s.goTransmit();
    chooseBand(3, "10140");
    ASSERT_TRUE(tickUntil([&] { return s.radio().link() == RadioLink::Lost; }));
    EXPECT_NE(s.state(), OperatingState::Transmitting);
    EXPECT_EQ(host.errorsContaining("does not answer"), 1);
    EXPECT_EQ(host.messages.size(), 1u);
}

TEST_F(StationRadioTest, RigThatCannotBeOpenedAsksAndNoGivesUpThePort) {
    // Nothing listens on a fresh free port.
    useRig("127.0.0.1:" + std::to_string(radio::test::freeTcpPort()));
    host.answers = {true};  // try once more, then No
    Station& s = start();
    ASSERT_TRUE(tickUntil([&] { return host.questions.size() >= 2; }));
    EXPECT_EQ(host.questions[0].rfind("Error opening 127.0.0.1:", 0), 0u) << host.questions[0];
    EXPECT_NE(host.questions[0].find("\nTry again?"), std::string::npos);
    EXPECT_EQ(s.radio().link(), RadioLink::None);
    EXPECT_EQ(s.settings().port.number, 0);
    EXPECT_EQ(host.questions.size(), 2u);
}

// ---- the serial port ------------------------------------------------------------------------

TEST_F(StationRadioTest, SerialDeviceThatCannotBeOpenedAsksUntilNo) {
    useSerial(folder.file("no-such-tty"));
    host.answers = {true, true};
    Station& s = start();
    ASSERT_EQ(host.questions.size(), 3u);
    EXPECT_EQ(host.questions[2], "Error opening " + folder.file("no-such-tty") + "\nTry again?");
    EXPECT_EQ(s.settings().port.number, 0);
    EXPECT_EQ(s.radio().link(), RadioLink::None);
    // Without a port, push-to-talk reaches the host only.
    s.radio().setPtt(true);
    EXPECT_TRUE(host.ptt.back());
}

TEST_F(StationRadioTest, BandChangeSendsTheCivFrameToTheTransceiver) {
    radio::test::SocatPair pair;
    ASSERT_TRUE(pair.ready());
    useSerial(pair.near());
    store->writeInt("Port", "UseIcomCIV", 1);
    store->writeInt("Port", "IcomAddr", 0x58);
    Station& s = start();
    ASSERT_EQ(s.radio().link(), RadioLink::Serial) << s.radio().lastProblem();
    radio::test::FarEnd far(pair.far());
    ASSERT_TRUE(far.ok());

    chooseBand(4, "14070");
    const std::vector<uint8_t> frame20m = {0xFE, 0xFE, 0x58, 0xE0, 0x05, 0x00,
                                           0x00, 0x07, 0x14, 0x00, 0xFD};
    EXPECT_EQ(far.read(frame20m.size()), frame20m);

    chooseBand(2, "7040");
    const std::vector<uint8_t> frame40m = {0xFE, 0xFE, 0x58, 0xE0, 0x05, 0x00,
                                           0x00, 0x04, 0x07, 0x00, 0xFD};
    EXPECT_EQ(far.read(frame40m.size()), frame40m);
}

// The port dialog's OK closes the port, opens it with the new settings, releases PTT and
// applies the band again: here the short frame of address 04.
TEST_F(StationRadioTest, NewSettingsReopenThePortAndReapplyTheBand) {
    radio::test::BarePty pty;
    ASSERT_FALSE(pty.device().empty());
    useSerial(pty.device());
    Station& s = start();
    ASSERT_EQ(s.radio().link(), RadioLink::Serial);
    chooseBand(2, "7040");
    EXPECT_TRUE(pty.read(1, 300ms).empty()) << "a frame went out with CI-V off";

    radio::StoredPortSettings stored = s.radio().storedSettings();
    stored.useIcomCiv = 1;
    stored.icomAddr = 0x04;
    stored.serialSpeed = 9600;
    const size_t pttBefore = host.ptt.size();
    s.radio().applySettings(stored);
    ASSERT_EQ(s.radio().link(), RadioLink::Serial) << s.radio().lastProblem();
    const std::vector<uint8_t> frame = {0xFE, 0xFE, 0x04, 0xE0, 0x05,
                                        0x00, 0x00, 0x04, 0x07, 0xFD};
    EXPECT_EQ(pty.read(frame.size()), frame);
    EXPECT_EQ(s.settings().port.icomAddr, 0x04);
    EXPECT_EQ(s.settings().port.serialSpeed, 9600);
    ASSERT_GT(host.ptt.size(), pttBefore);
    EXPECT_FALSE(host.ptt.back());
}

TEST_F(StationRadioTest, DeviceLostWhileTransmittingIsReportedOnceAndReceives) {
    radio::test::BarePty pty;
    ASSERT_FALSE(pty.device().empty());
    useSerial(pty.device());
    Station& s = start();
    ASSERT_EQ(s.radio().link(), RadioLink::Serial);
    s.transmitText().appendText("a text that is still going when the adapter is pulled");
    s.goTransmit();
    ASSERT_EQ(s.state(), OperatingState::Transmitting);

    pty.closeMaster();
    const auto end = std::chrono::steady_clock::now() + 10s;
    while (s.radio().link() != RadioLink::Lost && std::chrono::steady_clock::now() < end) {
        std::this_thread::sleep_for(20ms);
        tick();
    }
    ASSERT_EQ(s.radio().link(), RadioLink::Lost);
    EXPECT_NE(s.state(), OperatingState::Transmitting);
    const int lost = host.errorsContaining(pty.device());
    EXPECT_EQ(lost, 1);
    for (int i = 0; i < 5; ++i) tick();
    s.goTransmit();
    s.goReceive();
    EXPECT_EQ(host.errorsContaining(pty.device()), lost);
}

}  // namespace
}  // namespace tarnvel::app
