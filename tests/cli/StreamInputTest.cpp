// tarnvel-cli reading standard input through a pipe, as from a receiver program: WAV streams
// of unknown size, raw samples, text printed while the pipe is still open; and a WAV file cut
// short, which decodes as far as it goes with one warning.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <vector>

#include "audio/WavFile.h"
#include "support/WavBytes.h"

extern char** environ;

namespace tarnvel::cli {
namespace {

using testing::Bytes;
using testing::put16;
using testing::put32;
using testing::putId;
using testing::ScratchFolder;

constexpr const char* kExample = TARNVEL_SOURCE_DIR "/resources/example-bpsk31.wav";
constexpr const char* kCq = "CQ CQ CQ de N0CALL N0CALL N0CALL - Ann in Graz";
// Only guards against a hang: a working tool answers in seconds.
constexpr int kHangGuardMs = 180000;

// The tool with both ends of standard input and output as pipes.
class PipedCli {
  public:
    explicit PipedCli(const std::vector<std::string>& args, const std::string& errFile) {
        ::signal(SIGPIPE, SIG_IGN);  // a tool that refused its input early closes the pipe
        int in[2], out[2];
        if (::pipe2(in, O_CLOEXEC) != 0 || ::pipe2(out, O_CLOEXEC) != 0) return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, in[0], 0);
        posix_spawn_file_actions_adddup2(&actions, out[1], 1);
        posix_spawn_file_actions_addopen(&actions, 2, errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                         0644);
        std::vector<std::string> all = {TARNVEL_CLI_PATH};
        all.insert(all.end(), args.begin(), args.end());
        std::vector<char*> argv;
        for (std::string& a : all) argv.push_back(a.data());
        argv.push_back(nullptr);
        if (posix_spawn(&pid_, TARNVEL_CLI_PATH, &actions, nullptr, argv.data(), environ) != 0)
            pid_ = -1;
        posix_spawn_file_actions_destroy(&actions);
        ::close(in[0]);
        ::close(out[1]);
        toChild_ = in[1];
        fromChild_ = out[0];
    }
    ~PipedCli() {
        closeInput();
        if (fromChild_ >= 0) ::close(fromChild_);
        if (pid_ > 0 && !waited_) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
    }
    bool started() const { return pid_ > 0; }

    bool write(const Bytes& bytes) {
        for (size_t at = 0; at < bytes.size();) {
            const ssize_t n = ::write(toChild_, bytes.data() + at, bytes.size() - at);
            if (n <= 0) return false;
            at += static_cast<size_t>(n);
        }
        return true;
    }
    void closeInput() {
        if (toChild_ >= 0) ::close(toChild_);
        toChild_ = -1;
    }
    // Reads standard output until it holds `text` (true) or the tool closes it (false).
    bool readUntil(const std::string& text) {
        const auto deadline =
            std::chrono::steady_clock::now() + std::chrono::milliseconds(kHangGuardMs);
        while (out.find(text) == std::string::npos) {
            if (std::chrono::steady_clock::now() > deadline) return false;
            pollfd p{fromChild_, POLLIN, 0};
            if (::poll(&p, 1, 1000) <= 0) continue;
            char buffer[4096];
            const ssize_t n = ::read(fromChild_, buffer, sizeof buffer);
            if (n <= 0) return false;
            out.append(buffer, static_cast<size_t>(n));
        }
        return true;
    }
    // Reads the rest of standard output and returns the exit status.
    int finish() {
        closeInput();
        readUntil(std::string(1, '\0'));  // never printed: reads to the end
        int status = 0;
        ::waitpid(pid_, &status, 0);
        waited_ = true;
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }

    std::string out;

  private:
    pid_t pid_ = -1;
    bool waited_ = false;
    int toChild_ = -1;
    int fromChild_ = -1;
};

std::vector<int16_t> exampleSamples() {
    const audio::WavReadResult wav = audio::readWavFile(kExample);
    EXPECT_TRUE(wav.ok) << wav.error;
    EXPECT_EQ(wav.sampleRate, 11025u);
    return wav.samples;
}

Bytes rawBytes(const std::vector<int16_t>& samples) {
    Bytes b;
    for (int16_t s : samples) put16(b, static_cast<uint16_t>(s));
    return b;
}

// A WAV header as a program recording to a pipe writes it: both sizes `size`.
Bytes streamedWav(const std::vector<int16_t>& samples, uint32_t size) {
    Bytes b;
    putId(b, "RIFF");
    put32(b, size);
    putId(b, "WAVE");
    const Bytes fmt = testing::chunk("fmt ", testing::fmtBody(1, 1, 11025, 16));
    b.insert(b.end(), fmt.begin(), fmt.end());
    putId(b, "data");
    put32(b, size);
    const Bytes data = rawBytes(samples);
    b.insert(b.end(), data.begin(), data.end());
    return b;
}

std::string fileText(const std::filesystem::path& p) {
    const Bytes b = testing::readBytes(p);
    return std::string(b.begin(), b.end());
}

TEST(CliStandardInput, DecodesWavStreamsOfUnknownSizeAndRawSamples) {
    ScratchFolder dir;
    const std::vector<int16_t> samples = exampleSamples();
    struct Case {
        std::vector<std::string> extra;
        Bytes bytes;
    };
    const Case cases[] = {
        {{}, streamedWav(samples, 0xFFFFFFFFu)},
        {{}, streamedWav(samples, 0)},
        {{"--raw", "11025"}, rawBytes(samples)},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args = {"decode", "--mode", "bpsk31", "--freq", "1000"};
        args.insert(args.end(), c.extra.begin(), c.extra.end());
        args.push_back("-");
        PipedCli cli(args, dir / "err");
        ASSERT_TRUE(cli.started());
        ASSERT_TRUE(cli.write(c.bytes));
        EXPECT_EQ(cli.finish(), 0) << fileText(dir / "err");
        EXPECT_NE(cli.out.find(kCq), std::string::npos) << cli.out;
        EXPECT_EQ(cli.out.find("Vienna"), std::string::npos) << cli.out;
        EXPECT_EQ(fileText(dir / "err"), "");
    }
}

// The text comes out while standard input is still open: a receiver pipeline shows it live.
TEST(CliStandardInput, PrintsTextBeforeTheStreamEnds) {
    ScratchFolder dir;
    PipedCli cli({"decode", "--mode", "bpsk31", "--freq", "1000", "--raw", "11025", "-"},
                 dir / "err");
    ASSERT_TRUE(cli.started());
    ASSERT_TRUE(cli.write(rawBytes(exampleSamples())));
    EXPECT_TRUE(cli.readUntil(kCq)) << cli.out << fileText(dir / "err");
    EXPECT_EQ(cli.finish(), 0);
}

TEST(CliStandardInput, ChannelsAndWaterfallReadStandardInput) {
    ScratchFolder dir;
    const std::vector<int16_t> samples = exampleSamples();
    PipedCli channels({"channels", "--mode", "bpsk31", "-"}, dir / "err");
    ASSERT_TRUE(channels.started());
    ASSERT_TRUE(channels.write(streamedWav(samples, 0xFFFFFFFFu)));
    EXPECT_EQ(channels.finish(), 0) << fileText(dir / "err");
    EXPECT_NE(channels.out.find("N0CALL"), std::string::npos) << channels.out;
    EXPECT_GE(std::count(channels.out.begin(), channels.out.end(), '='), 8) << channels.out;

    const std::string png = (dir / "w.png").string();
    PipedCli waterfall({"waterfall", "--raw", "11025", "-", "-o", png}, dir / "err");
    ASSERT_TRUE(waterfall.started());
    ASSERT_TRUE(waterfall.write(rawBytes(samples)));
    EXPECT_EQ(waterfall.finish(), 0) << fileText(dir / "err");
    const Bytes picture = testing::readBytes(png);
    ASSERT_GT(picture.size(), 8u);
    EXPECT_EQ(picture[1], 'P');
}

TEST(CliStandardInput, BadStreamsAreRefusedWithOneLine) {
    ScratchFolder dir;
    for (const Bytes& bytes : {Bytes{}, Bytes(100, 'x')}) {
        PipedCli cli({"decode", "--mode", "bpsk31", "--freq", "1000", "-"}, dir / "err");
        ASSERT_TRUE(cli.started());
        ASSERT_TRUE(cli.write(bytes));
        EXPECT_EQ(cli.finish(), 2);
        const std::string err = fileText(dir / "err");
        EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
        EXPECT_NE(err.find("standard input"), std::string::npos) << err;
    }
}

// A recording cut short by a crash: what is there is decoded, with one warning line.
TEST(CliCutShortFile, DecodesWhatIsThereWithOneWarning) {
    ScratchFolder dir;
    Bytes bytes = testing::readBytes(kExample);
    ASSERT_GT(bytes.size(), 1000u);
    bytes.resize(bytes.size() * 3 / 4 + 1);
    testing::writeBytes(dir / "cut.wav", bytes);
    PipedCli cli({"decode", "--mode", "bpsk31", "--freq", "1000", (dir / "cut.wav").string()},
                 dir / "err");
    ASSERT_TRUE(cli.started());
    EXPECT_EQ(cli.finish(), 0);
    const std::string err = fileText(dir / "err");
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
    EXPECT_NE(err.find("warning: the file is cut short"), std::string::npos) << err;
    EXPECT_NE(cli.out.find("CQ CQ CQ de N0CALL"), std::string::npos) << cli.out;
}

}  // namespace
}  // namespace tarnvel::cli
