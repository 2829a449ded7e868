// tarnvel-cli radio (and transmit's radio) against a rigctld with Hamlib's dummy rig, a socat
// pty pair standing in for an Icom's CI-V port, and a bare pty without modem lines.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>

#include <chrono>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "tests/audio/PulseServer.h"
#include "tests/cli/CliSpawn.h"
#include "tests/radio/PtyPair.h"
#include "tests/radio/Rigctld.h"

namespace tarnvel::cli {
namespace {

using namespace std::chrono_literals;
using radio::test::Rigctld;

std::string fileText(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// One run of the tool; `wait` kills it (and fails) when it has not ended in time.
class CliRun {
  public:
    explicit CliRun(const std::vector<std::string>& args) {
        char pattern[] = "/tmp/tarnvel-radio-cli-XXXXXX";
        folder_ = ::mkdtemp(pattern) != nullptr ? pattern : "/tmp";
        pid_ = testing::spawnCli(args, folder_ / "out", folder_ / "err");
    }
    ~CliRun() {
        if (status_ == kRunning && pid_ > 0) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }
    int wait(std::chrono::seconds limit = 60s) {
        const auto end = std::chrono::steady_clock::now() + limit;
        while (status_ == kRunning) {
            int raw = 0;
            if (::waitpid(pid_, &raw, WNOHANG) == pid_) {
                status_ = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
            } else if (std::chrono::steady_clock::now() > end) {
                ::kill(pid_, SIGKILL);
                ::waitpid(pid_, nullptr, 0);
                status_ = kHung;
            } else {
                std::this_thread::sleep_for(20ms);
            }
        }
        return status_;
    }
    void signal(int number) const { ::kill(pid_, number); }
    std::string out() const { return fileText(folder_ / "out"); }
    std::string err() const { return fileText(folder_ / "err"); }

  private:
    static constexpr int kRunning = -1;
    static constexpr int kHung = -2;
    std::filesystem::path folder_;
    pid_t pid_ = -1;
    int status_ = kRunning;
};

std::string rigSpec(const Rigctld& rig) {
    return "2:" + rig.address();
}

TEST(RadioCli, RigsListsHamlibModelsMatchingTheText) {
    CliRun dummy({"radio", "rigs", "dummy"});
    ASSERT_EQ(dummy.wait(), 0) << dummy.err();
    EXPECT_NE(dummy.out().find("     1  Hamlib Dummy"), std::string::npos) << dummy.out();
    EXPECT_EQ(dummy.out().find("NET rigctl"), std::string::npos) << dummy.out();

    CliRun none({"radio", "rigs", "no rig is called this"});
    EXPECT_EQ(none.wait(), 1);
    EXPECT_NE(none.err().find("no Hamlib model matches"), std::string::npos) << none.err();
}

TEST(RadioCli, PttOnHoldsTheRigKeyedUntilTerminatedThenReleases) {
    Rigctld rig;
    ASSERT_TRUE(rig.ready());
    CliRun on({"radio", "ptt", "on", "--rig", rigSpec(rig)});
    ASSERT_TRUE(radio::test::waitUntil([&] { return rig.ask("t") == "1"; })) << on.err();
    on.signal(SIGTERM);
    EXPECT_EQ(on.wait(), 0) << on.err();
    EXPECT_EQ(rig.ask("t"), "0");

    rig.ask("T 1");
    CliRun off({"radio", "ptt", "off", "--rig", rigSpec(rig)});
    EXPECT_EQ(off.wait(), 0) << off.err();
    EXPECT_EQ(rig.ask("t"), "0");
}

TEST(RadioCli, FrequencyTunesTheRigAndAMissingRigFailsWithoutHanging) {
    Rigctld rig;
    ASSERT_TRUE(rig.ready());
    CliRun tune({"radio", "frequency", "7040.25", "--rig", rigSpec(rig)});
    EXPECT_EQ(tune.wait(), 0) << tune.err();
    EXPECT_EQ(rig.ask("f"), "7040250");

    CliRun missing({"radio", "frequency", "7040",
                 "--rig", "2:127.0.0.1:" + std::to_string(radio::test::freeTcpPort())});
    EXPECT_EQ(missing.wait(), 1);
    EXPECT_NE(missing.err().find("--rig"), std::string::npos) << missing.err();
}

TEST(RadioCli, FrequencySendsTheCivFrameOnTheSerialPort) {
    radio::test::SocatPair pair;
    ASSERT_TRUE(pair.ready());
    radio::test::FarEnd far(pair.far());
    ASSERT_TRUE(far.ok());
    CliRun send({"radio", "frequency", "14070", "--civ", pair.near(), "--address", "58",
              "--speed", "9600"});
    EXPECT_EQ(send.wait(), 0) << send.err();
    const std::vector<uint8_t> frame = {0xFE, 0xFE, 0x58, 0xE0, 0x05, 0x00,
                                        0x00, 0x07, 0x14, 0x00, 0xFD};
    EXPECT_EQ(far.read(frame.size()), frame);

    CliRun shortFrame({"radio", "frequency", "7040", "--civ", pair.near()});
    EXPECT_EQ(shortFrame.wait(), 0) << shortFrame.err();
    const std::vector<uint8_t> frame4 = {0xFE, 0xFE, 0x04, 0xE0, 0x05,
                                         0x00, 0x00, 0x04, 0x07, 0xFD};
    EXPECT_EQ(far.read(frame4.size()), frame4);
}

TEST(RadioCli, BadRadioArgumentsAreRefusedByName) {
    struct Case {
        std::vector<std::string> args;
        std::string named;
    };
    const std::vector<Case> cases = {
        {{"radio", "frequency", "7040", "--civ", "/dev/null", "--address", "FE"}, "--address"},
        {{"radio", "frequency", "7040", "--civ", "/dev/null", "--speed", "12345"}, "--speed"},
        {{"radio", "frequency", "-5", "--rig", "1"}, "radio frequency"},
        {{"radio", "ptt", "maybe", "--rig", "1"}, "radio ptt"},
        {{"radio", "ptt", "on", "--serial", "/dev/null", "--rig", "1"}, "one way"},
        {{"radio", "ptt", "on", "--rts"}, "--rts"},
        {{"radio", "ptt", "on", "--rig", "x:y"}, "--rig"},
        {{"radio", "ptt", "on"}, "--serial DEVICE or --rig"},
        {{"radio", "tune"}, "tune"},
        {{"transmit", "--mode", "bpsk31", "--freq", "1000", "--text", "x", "--rig", "0"}, "--rig"},
    };
    for (const Case& c : cases) {
        CliRun run(c.args);
        EXPECT_EQ(run.wait(), 2) << c.args[2] << " " << run.err();
        EXPECT_NE(run.err().find(c.named), std::string::npos) << run.err();
    }
}

TEST(RadioCli, SerialPttNeedsModemLines) {
    radio::test::BarePty pty;
    ASSERT_FALSE(pty.device().empty());
    CliRun run({"radio", "ptt", "on", "--serial", pty.device(), "--rts"});
    EXPECT_EQ(run.wait(), 1);
    EXPECT_NE(run.err().find("no modem-control lines"), std::string::npos) << run.err();
}

// A whole transmission on a private sound server, keyed through rigctld.
TEST(RadioCli, TransmitKeysTheRigForTheTransmission) {
    char pattern[] = "/tmp/tarnvel-radio-pulse-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    const std::filesystem::path folder = pattern;
    std::ofstream(folder / "lsan.supp") << "leak:snd_dlopen\n";
    // PortAudio's ALSA plugins leave blocks behind when unloaded (as in the sound tests).
    ::setenv("LSAN_OPTIONS", ("suppressions=" + (folder / "lsan.supp").string()).c_str(), 1);
    ::setenv("ASAN_OPTIONS", "fast_unwind_on_malloc=0", 1);
    audio::test::PulseServer server;
    if (!server.start()) GTEST_SKIP() << "no PulseAudio server here: " << server.error();
    Rigctld rig;
    ASSERT_TRUE(rig.ready());

    CliRun transmit({"transmit", "--mode", "bpsk31", "--freq", "1000", "--text", "VVV DE SP9XYZ",
                  "--rig", rigSpec(rig)});
    EXPECT_TRUE(radio::test::waitUntil([&] { return rig.ask("t") == "1"; }, 30s))
        << transmit.err();
    EXPECT_EQ(transmit.wait(), 0) << transmit.err();
    EXPECT_EQ(rig.ask("t"), "0");

    // A rig that cannot be reached fails the transmission before anything is sent.
    CliRun unkeyed({"transmit", "--mode", "bpsk31", "--freq", "1000", "--text", "VVV",
                 "--rig", "2:127.0.0.1:" + std::to_string(radio::test::freeTcpPort())});
    EXPECT_EQ(unkeyed.wait(), 1);
    EXPECT_NE(unkeyed.err().find("--rig"), std::string::npos) << unkeyed.err();
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
}

}  // namespace
}  // namespace tarnvel::cli
