// tarnvel-cli's station commands on a real sound server: a private PulseAudio server with a
// null sink, whose monitor hears what is played. Skipped only where no server can be started.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "audio/WavFile.h"
#include "support/WavBytes.h"
#include "tests/cli/CliSpawn.h"
#include "tests/audio/PulseServer.h"

extern char** environ;

namespace tarnvel::cli {
namespace {

using Clock = std::chrono::steady_clock;
using testing::ScratchFolder;

std::string fileText(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// The tool opens PortAudio, whose ALSA plugins leave allocations behind when unloaded; a
// sanitizer build of the tool is told to ignore those, as the sound tests are.
void quietenPluginLeaks(const std::filesystem::path& folder) {
    const std::filesystem::path suppressions = folder / "lsan.supp";
    std::ofstream(suppressions) << "leak:snd_dlopen\n";
    ::setenv("LSAN_OPTIONS", ("suppressions=" + suppressions.string()).c_str(), 1);
    ::setenv("ASAN_OPTIONS", "fast_unwind_on_malloc=0", 1);
}

// A running tarnvel-cli with its standard output and error in files.
class CliProcess {
  public:
    CliProcess(const std::filesystem::path& folder, const std::string& name,
               const std::vector<std::string>& args)
        : out_(folder / (name + ".out")), err_(folder / (name + ".err")) {
        started_ = Clock::now();
        pid_ = testing::spawnCli(args, out_, err_);
    }
    ~CliProcess() {
        if (pid_ > 0 && status_ < 0) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
    }

    // The exit status, or -1 when the process had not ended within the limit (it is then
    // killed: a hang).
    int wait(std::chrono::seconds limit) {
        if (pid_ <= 0) return -1;
        const auto deadline = Clock::now() + limit;
        while (status_ < 0) {
            int raw = 0;
            const pid_t r = ::waitpid(pid_, &raw, WNOHANG);
            if (r == pid_) {
                status_ = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
                ended_ = Clock::now();
                break;
            }
            if (Clock::now() >= deadline) {
                ::kill(pid_, SIGKILL);
                ::waitpid(pid_, nullptr, 0);
                status_ = -2;
                return -1;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return status_;
    }
    bool running() const {
        if (pid_ <= 0 || status_ >= 0) return false;
        siginfo_t info{};  // WNOWAIT: an ended process stays there for wait()
        return ::waitid(P_PID, static_cast<id_t>(pid_), &info, WEXITED | WNOHANG | WNOWAIT) == 0 &&
               info.si_pid == 0;
    }
    void interrupt() const {
        if (pid_ > 0 && status_ < 0) ::kill(pid_, SIGINT);
    }
    double seconds() const { return std::chrono::duration<double>(ended_ - started_).count(); }
    std::string out() const { return fileText(out_); }
    std::string err() const { return fileText(err_); }
    std::uintmax_t errBytes() const {
        std::error_code ignored;
        const std::uintmax_t size = std::filesystem::file_size(err_, ignored);
        return ignored ? 0 : size;
    }

  private:
    std::filesystem::path out_, err_;
    pid_t pid_ = -1;
    int status_ = -1;
    Clock::time_point started_, ended_;
};

class StationAudio : public ::testing::Test {
  protected:
    void SetUp() override {
        quietenPluginLeaks(folder.path());
        if (!server.start()) GTEST_SKIP() << "no PulseAudio server here: " << server.error();
    }
    ScratchFolder folder;
    audio::test::PulseServer server;
};

constexpr const char* kText = "VVV VVV VVV CQ CQ DE SP9XYZ SP9XYZ PSE K";

// The transmission goes into the sink while a listening station hears its monitor; the
// transmitting station returns to receive only when the whole transmission has played.
TEST_F(StationAudio, ListenHearsTransmitThroughTheSink) {
    // The length of the same transmission rendered to a file, for the timing check.
    CliProcess encode(folder.path(), "encode",
                      {"encode", "--mode", "bpsk31", "--freq", "1000", "--text", kText, "-o",
                       (folder / "tx.wav").string()});
    ASSERT_EQ(encode.wait(std::chrono::seconds(30)), 0) << encode.err();
    const audio::WavReadResult rendered = audio::readWavFile((folder / "tx.wav").string(), 0);
    ASSERT_TRUE(rendered.ok) << rendered.error;
    const double audioSeconds =
        static_cast<double>(rendered.samples.size()) / static_cast<double>(rendered.sampleRate);

    CliProcess transmit(folder.path(), "transmit",
                        {"transmit", "--mode", "bpsk31", "--freq", "1000", "--text", kText});
    // The listener joins while the leading "VVV" goes out: an output opened while another
    // client of the null sink already records its monitor drains several times faster than
    // real time. That is PortAudio's ALSA host on the pulse ALSA plugin, not this program: a
    // bare PortAudio stream does it too, with nearly every callback flagged as an underflow,
    // even when the recorder is parecord (at a 70 ms latency, not at 35 or 100 ms), and only
    // for some buffer sizes at some rates; plain ALSA writes and paplay keep real time.
    std::this_thread::sleep_for(std::chrono::seconds(1));
    CliProcess listen(folder.path(), "listen",
                      {"listen", "--mode", "bpsk31", "--freq", "1000", "--seconds",
                       std::to_string(static_cast<int>(audioSeconds) + 6)});
    const int sent = transmit.wait(std::chrono::seconds(static_cast<int>(audioSeconds) + 30));
    ASSERT_EQ(sent, 0) << transmit.err();
    // The end buffer comes back only after everything before it has played; the first
    // buffers were queued before the clock of the sound server started.
    EXPECT_GE(transmit.seconds(), audioSeconds - 0.5) << "rendered " << audioSeconds << " s";
    EXPECT_LT(transmit.seconds(), audioSeconds + 10.0);
    const int heard = listen.wait(std::chrono::seconds(static_cast<int>(audioSeconds) + 30));
    ASSERT_EQ(heard, 0) << listen.err();
    EXPECT_NE(listen.out().find("CQ CQ DE SP9XYZ SP9XYZ PSE K"), std::string::npos)
        << "heard: " << listen.out() << "\n"
        << listen.err();
    std::printf("transmission of %.2f s: transmit returned after %.2f s\n", audioSeconds,
                transmit.seconds());
}

// Macros: "transmit --macro" expands the macro with the given call sign, keys the transmitter
// and returns to receive at its "<RXANDCLEAR>".
TEST_F(StationAudio, TransmitMacroSendsTheExpandedCallThroughTheSink) {
    CliProcess transmit(
        folder.path(), "transmit-macro",
        {"transmit", "--mode", "bpsk31", "--freq", "1000", "--my-call", "SP9XYZ", "--macro",
         "<TX>VVV VVV VVV CQ DE <MYCALL> <MYCALL> pse K<CR><LF><RXANDCLEAR>"});
    std::this_thread::sleep_for(std::chrono::seconds(1));  // as above: join during the "VVV"
    CliProcess listen(folder.path(), "listen-macro",
                      {"listen", "--mode", "bpsk31", "--freq", "1000", "--seconds", "20"});
    ASSERT_EQ(transmit.wait(std::chrono::seconds(40)), 0) << transmit.err();
    ASSERT_EQ(listen.wait(std::chrono::seconds(40)), 0) << listen.err();
    EXPECT_NE(listen.out().find("CQ DE SP9XYZ SP9XYZ pse K"), std::string::npos)
        << "heard: " << listen.out();
    EXPECT_EQ(listen.out().find("MYCALL"), std::string::npos);
}

// The sound server dies and comes back: listen says so once, waits, and hears what is sent
// after the server is back, as the desktop's receive does.
TEST_F(StationAudio, ListenKeepsReceivingThroughASoundServerRestart) {
    CliProcess listen(folder.path(), "listen", {"listen", "--mode", "bpsk31", "--freq", "1000"});
    std::this_thread::sleep_for(std::chrono::seconds(2));
    ASSERT_TRUE(server.kill()) << server.error();
    std::this_thread::sleep_for(std::chrono::seconds(4));  // attempts fail 1 and 3 s after
    ASSERT_TRUE(listen.running()) << "listen ended when the server died\n" << listen.err();
    ASSERT_TRUE(server.start()) << server.error();
    const auto reopened = Clock::now() + std::chrono::seconds(30);
    while (listen.err().find("Receive reopened") == std::string::npos && Clock::now() < reopened)
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    ASSERT_NE(listen.err().find("tarnvel-cli: note: Receive reopened"), std::string::npos)
        << listen.err();

    // Played by the sound server's own client: a PortAudio output opened while listen
    // already records the sink's monitor drains faster than real time (see above).
    const std::string tx = (folder / "after.wav").string();
    CliProcess encode(folder.path(), "encode",
                      {"encode", "--mode", "bpsk31", "--freq", "1000", "--text", kText, "-o", tx});
    ASSERT_EQ(encode.wait(std::chrono::seconds(30)), 0) << encode.err();
    ASSERT_EQ(std::system(("paplay '" + tx + "'").c_str()), 0);
    std::this_thread::sleep_for(std::chrono::seconds(1));
    listen.interrupt();
    ASSERT_EQ(listen.wait(std::chrono::seconds(30)), 0) << listen.err();
    EXPECT_NE(listen.out().find("CQ DE SP9XYZ SP9XYZ PSE K"), std::string::npos)
        << "heard: " << listen.out();
    const std::string err = listen.err();
    const size_t stopped = err.find("Sound card stopped");
    ASSERT_NE(stopped, std::string::npos) << err;
    EXPECT_EQ(err.find("Sound card stopped", stopped + 1), std::string::npos)
        << "one message for the outage\n" << err;
}

// The server dies while listen's input is still starting, before its first period: the sound
// library's thread can then be caught in an endless error loop of its own that prints the same
// line without end. Whenever the kill lands, listen either fails at the start with a message
// or reports the stopped card once and waits; its error output stays a few lines.
TEST_F(StationAudio, ServerDyingAsListenStartsEndsInAMessageNotAFlood) {
    for (const int delayMs : {300, 600, 900}) {
        SCOPED_TRACE("server killed " + std::to_string(delayMs) + " ms after the start");
        ASSERT_TRUE(server.start()) << server.error();
        CliProcess listen(folder.path(), "listen-early",
                          {"listen", "--mode", "bpsk31", "--freq", "1000"});
        std::this_thread::sleep_for(std::chrono::milliseconds(delayMs));
        ASSERT_TRUE(server.kill()) << server.error();
        std::this_thread::sleep_for(std::chrono::seconds(3));
        ASSERT_LT(listen.errBytes(), 16384u) << "error output floods";
        listen.interrupt();
        const int status = listen.wait(std::chrono::seconds(30));
        const std::string err = listen.err();
        ASSERT_TRUE(status == 0 || status == 1) << status << "\n" << err;
        EXPECT_NE(err.find(status == 0 ? "Sound card stopped" : "tarnvel-cli: "),
                  std::string::npos)
            << err;
        EXPECT_LT(err.size(), 16384u);
    }
}

TEST_F(StationAudio, NoServerMeansAMessageAndFailureNotAHang) {
    server.stop();
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"listen", "--mode", "bpsk31", "--freq", "1000", "--seconds",
                                   "60"},
          std::vector<std::string>{"transmit", "--mode", "bpsk31", "--freq", "1000", "--text",
                                   "TEST"}}) {
        CliProcess run(folder.path(), args[0], args);
        const int status = run.wait(std::chrono::seconds(30));
        ASSERT_NE(status, -1) << args[0] << " hung without a sound server";
        EXPECT_EQ(status, 1) << args[0] << "\n" << run.err();
        EXPECT_NE(run.err().find("tarnvel-cli: "), std::string::npos) << run.err();
    }
}

}  // namespace
}  // namespace tarnvel::cli
