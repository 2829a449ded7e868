// Runs the built tarnvel-cli on real files and checks what a caller sees: the exit status, one
// line on standard error naming the problem, and no output file left behind.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <string>
#include <vector>

#include "audio/WavFile.h"
#include "support/WavBytes.h"

extern char** environ;

namespace tarnvel::cli {
namespace {

using testing::Bytes;
using testing::chunk;
using testing::fmtBody;
using testing::pcmFrames;
using testing::riff;
using testing::ScratchFolder;

struct CliRun {
    int status = -1;
    std::string out;
    std::string err;
};

std::string fileText(const std::filesystem::path& p) {
    const Bytes b = testing::readBytes(p);
    return std::string(b.begin(), b.end());
}

// Runs the tool with standard output and error caught in files outside `dir`.
CliRun runCli(const std::vector<std::string>& args) {
    static ScratchFolder outputs;
    const auto outPath = outputs / "stdout", errPath = outputs / "stderr";
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    std::vector<std::string> all = {TARNVEL_CLI_PATH};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& a : all) argv.push_back(a.data());
    argv.push_back(nullptr);
    CliRun run;
    pid_t pid = 0;
    if (posix_spawn(&pid, TARNVEL_CLI_PATH, &actions, nullptr, argv.data(), environ) == 0) {
        int status = 0;
        waitpid(pid, &status, 0);
        run.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }
    posix_spawn_file_actions_destroy(&actions);
    run.out = fileText(outPath);
    run.err = fileText(errPath);
    return run;
}

// Exit status 2, nothing on standard output, and exactly one line on standard error that
// names `subject` and says `problem`.
void expectRefused(const CliRun& run, const std::string& subject, const std::string& problem,
                   const std::string& what) {
    EXPECT_EQ(run.status, 2) << what << "\n" << run.err;
    EXPECT_TRUE(run.out.empty()) << what;
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << what << "\n" << run.err;
    EXPECT_TRUE(run.err.starts_with("tarnvel-cli: ")) << what;
    EXPECT_NE(run.err.find(subject), std::string::npos) << what << "\n" << run.err;
    EXPECT_NE(run.err.find(problem), std::string::npos) << what << "\n" << run.err;
}

Bytes stereoRecording(uint32_t rate, uint16_t bits = 16, uint16_t tag = 1) {
    return riff({chunk("fmt ", fmtBody(tag, 2, rate, bits)), chunk("data", pcmFrames(4000, 2))});
}

TEST(CliDecode, RefusesBadInputWithOneLineAndStatus2) {
    ScratchFolder dir;
    const auto file = [&](const char* name, const Bytes& bytes) {
        testing::writeBytes(dir / name, bytes);
        return (dir / name).string();
    };
    const std::string good = file("good.wav", stereoRecording(48000));
    Bytes truncated = stereoRecording(48000);
    truncated.resize(truncated.size() / 2);
    Bytes oversized = stereoRecording(48000);
    oversized[4] -= 2;
    struct Case {
        std::vector<std::string> args;
        std::string subject, problem;
    };
    const std::vector<std::string> tuned = {"--mode", "bpsk31", "--freq", "1000"};
    const auto withFile = [&](const std::string& f) {
        std::vector<std::string> a = tuned;
        a.push_back(f);
        return a;
    };
    std::vector<Case> cases = {
        {withFile((dir / "absent.wav").string()), "absent.wav", "No such file"},
        {withFile(dir.path().string()), dir.path().string(), "directory"},
        {withFile(file("text.wav", Bytes(100, 'x'))), "text.wav", "not a RIFF/WAVE"},
        {withFile(file("u8.wav", stereoRecording(8000, 8))), "u8.wav", "8-bit"},
        {withFile(file("float.wav", stereoRecording(8000, 32, 3))), "float.wav", "floating-point"},
        {withFile(file("adpcm.wav", stereoRecording(8000, 4, 0x11))), "adpcm.wav", "0x0011"},
        {withFile(file("extf.wav", riff({chunk("fmt ", testing::extensibleFmtBody(1, 8000, 32, 3)),
                                         chunk("data", pcmFrames(10, 1))}))),
         "extf.wav", "floating-point"},
        {withFile(file("cut.wav", truncated)), "cut.wav", "truncated"},
        {withFile(file("big.wav", oversized)), "big.wav", "oversized"},
        {withFile(file("slow.wav", stereoRecording(4000))), "slow.wav", "4000 Hz"},
        {withFile(file("fast.wav", stereoRecording(384000))), "fast.wav", "384000 Hz"},
        {{"--mode", "bpsk31", "--freq", "1000", "--channel", "3", good},
         "good.wav",
         "channel 3 does not exist"},
        {{"--mode", "bpsk31", "--freq", "1000", "--channel", "0", good}, "--channel", "'0'"},
        {{"--mode", "rtty", "--freq", "1000", good}, "--mode", "unknown mode 'rtty'"},
        {{"--mode", "fsk63", "--freq", "1000", good}, "--mode", "not available yet"},
        {{"--mode", "bpsk31", "--freq", "99.9", good}, "--freq", "outside 100..5000"},
        {{"--mode", "bpsk31", "--freq", "5000.5", good}, "--freq", "outside 100..5000"},
        {{"--mode", "bpsk31", "--freq", "1k", good}, "--freq", "not a frequency"},
        {{"--mode", "bpsk31", "--freq", "1000", "--afc", "yes", good}, "--afc", "on nor off"},
        {{"--mode", "bpsk31", "--freq", "1000", "--squelch", "32", good}, "--squelch", "0..31"},
        {{"--mode", "bpsk31", "--freq", "1000", "--speed", "2", good}, "--speed", "unknown option"},
        {{"--mode", "bpsk31", "--freq", "1000", "--freq", "900", good}, "--freq", "more than once"},
        {{"--freq", "1000", good}, "--mode", "required"},
        {{"--mode", "bpsk31", good}, "--freq", "required"},
        {tuned, "decode", "no input WAV file"},
        {{"--mode", "bpsk31", "--freq", "1000", good, good}, "good.wav", "unexpected argument"},
        {{"--mode", "bpsk31", "--freq"}, "--freq", "needs a value"},
    };
    if (geteuid() != 0) {  // permissions do not stop root
        const std::string locked = file("locked.wav", stereoRecording(8000));
        chmod(locked.c_str(), 0);
        cases.push_back({withFile(locked), "locked.wav", "Permission denied"});
    }
    const std::vector<std::string> before = dir.entries();
    for (const Case& c : cases) {
        std::vector<std::string> args = {"decode"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        expectRefused(runCli(args), c.subject, c.problem, c.subject + " / " + c.problem);
    }
    EXPECT_EQ(dir.entries().size(), before.size());
}

TEST(CliDecode, AcceptsAnyRateAndChannelCountUpToTheModem) {
    ScratchFolder dir;
    testing::writeBytes(dir / "stereo.wav", stereoRecording(48000));
    const CliRun run = runCli({"decode", "--mode=qpsk31i", "--freq=1500.5", "--afc", "off",
                               "--squelch", "12", "--channel", "2", (dir / "stereo.wav").string()});
    // The file and every option passed; whatever the modem makes of it is not bad input.
    EXPECT_NE(run.status, 2) << run.err;
    EXPECT_EQ(run.err.find("stereo.wav"), std::string::npos) << run.err;
}

TEST(CliEncode, RefusesBadInputAndLeavesNoOutputFile) {
    ScratchFolder dir;
    const std::string out = (dir / "out.wav").string();
    testing::writeBytes(dir / "empty.txt", {});
    testing::writeBytes(dir / "note.txt", Bytes{'h', 'i', '\n'});
    std::filesystem::create_directory(dir / "folder.wav");
    struct Case {
        std::vector<std::string> args;
        std::string subject, problem;
    };
    const std::vector<Case> cases = {
        {{"--mode", "bpsk31", "--freq", "1000", "--text", "", "-o", out}, "--text", "empty"},
        {{"--mode", "bpsk31", "--freq", "1000", "--text-file", (dir / "empty.txt").string(), "-o",
          out},
         "empty.txt",
         "empty"},
        {{"--mode", "bpsk31", "--freq", "1000", "--text-file", (dir / "none.txt").string(), "-o",
          out},
         "none.txt",
         "No such file"},
        {{"--mode", "bpsk31", "--freq", "1000", "--text-file", dir.path().string(), "-o", out},
         dir.path().string(),
         "directory"},
        {{"--mode", "bpsk31", "--freq", "1000", "--text", "a", "--text-file",
          (dir / "note.txt").string(), "-o", out},
         "--text-file",
         "cannot be combined"},
        {{"--mode", "bpsk31", "--freq", "1000", "-o", out}, "encode", "--text or --text-file"},
        {{"--mode", "bpsk31", "--freq", "1000", "--text", "a"}, "-o", "required"},
        {{"--mode", "psk31", "--freq", "1000", "--text", "a", "-o", out}, "--mode", "unknown mode"},
        {{"--mode", "pactor", "--freq", "1000", "--text", "a", "-o", out},
         "--mode",
         "not available"},
        {{"--mode", "bpsk63", "--freq", "50", "--text", "a", "-o", out}, "--freq", "outside"},
        {{"--mode", "bpsk63", "--freq", "1000", "--text", "a", "--rate", "7999", "-o", out},
         "--rate",
         "8000..192000"},
        {{"--mode", "bpsk63", "--freq", "1000", "--text", "a", "--cwid", "", "-o", out},
         "--cwid",
         "empty"},
        {{"--mode", "bpsk63", "--freq", "1000", "--text", "5 \xE2\x82\xAC", "-o", out},
         "--text",
         "U+20AC"},
        {{"--mode", "bpsk63", "--freq", "1000", "--text", "a", "-o",
          (dir / "missing" / "x.wav").string()},
         "x.wav",
         "No such file"},
        {{"--mode", "bpsk63", "--freq", "1000", "--text", "a", "-o", (dir / "folder.wav").string()},
         "folder.wav",
         "directory"},
    };
    const std::vector<std::string> before = dir.entries();
    for (const Case& c : cases) {
        std::vector<std::string> args = {"encode"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        expectRefused(runCli(args), c.subject, c.problem, c.subject + " / " + c.problem);
        EXPECT_EQ(dir.entries().size(), before.size()) << c.problem;
    }
}

// Through the tool both ways at 48000 samples per second (the resampler in each direction),
// in every PSK variant; the end character stops the text, and the identification follows it.
TEST(CliRoundTrip, EncodeAt48kHzDecodesBackInEveryPskVariant) {
    ScratchFolder dir;
    const std::string sent = "CQ de N0CALL: r\xC3\xA9sum\xC3\xA9 73!\nline 2";
    for (const char* mode : {"bpsk31", "bpsk63", "qpsk31", "qpsk31i"}) {
        const std::string out = (dir / (std::string(mode) + ".wav")).string();
        const CliRun encoded = runCli({"encode", "--mode", mode, "--freq", "1500", "--text",
                                       sent + "\xC2\xAE never sent", "--rate", "48000", "-o", out});
        ASSERT_EQ(encoded.status, 0) << mode << ": " << encoded.err;
        const audio::WavReadResult wav = audio::readWavFile(out);
        ASSERT_TRUE(wav.ok) << wav.error;
        EXPECT_EQ(wav.sampleRate, 48000u);

        const CliRun decoded = runCli({"decode", "--mode", mode, "--freq", "1500", out});
        EXPECT_EQ(decoded.status, 0) << decoded.err;
        EXPECT_TRUE(decoded.out.ends_with(sent + "\n")) << mode << ": " << decoded.out;
        EXPECT_LE(decoded.out.size(), sent.size() + 3) << mode << ": " << decoded.out;
    }
    const std::string plain = (dir / "plain.wav").string(), withId = (dir / "id.wav").string();
    ASSERT_EQ(runCli({"encode", "--mode", "bpsk31", "--freq", "1000", "--text", "hi", "-o", plain})
                  .status,
              0);
    ASSERT_EQ(runCli({"encode", "--mode", "bpsk31", "--freq", "1000", "--text", "hi", "--cwid",
                      "N0CALL", "-o", withId})
                  .status,
              0);
    // "T", "N0CALL" and the blanks in Morse add several seconds.
    EXPECT_GT(audio::readWavFile(withId).samples.size(),
              audio::readWavFile(plain).samples.size() + 3 * 11025);
    const CliRun idDecoded = runCli({"decode", "--mode", "bpsk31", "--freq", "1000", withId});
    EXPECT_NE(idDecoded.out.find("hi"), std::string::npos) << idDecoded.out;
}

// The bundled recording holds four stations; at 1000 Hz the tool prints the one calling CQ.
TEST(CliRoundTrip, TheExampleRecordingDecodesTheStationAt1000Hz) {
    const CliRun run = runCli({"decode", "--mode", "bpsk31", "--freq", "1000",
                               TARNVEL_SOURCE_DIR "/resources/example-bpsk31.wav"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("CQ CQ CQ de N0CALL N0CALL N0CALL - Ann in Graz, JN76, running 5 W to "
                           "a dipole. CQ CQ de N0CALL pse k"),
              std::string::npos)
        << run.out;
    for (const char* other : {"Vienna", "QSO", "W1AW"})
        EXPECT_EQ(run.out.find(other), std::string::npos) << other << " in\n" << run.out;
}

TEST(Cli, CommandsAndHelp) {
    expectRefused(runCli({}), "usage", "no command", "no arguments");
    expectRefused(runCli({"transmit"}), "transmit", "unknown command", "unknown command");
    const CliRun help = runCli({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("decode"), std::string::npos);
    const CliRun decodeHelp = runCli({"decode", "--help"});
    EXPECT_EQ(decodeHelp.status, 0);
    EXPECT_NE(decodeHelp.out.find("--squelch off|0..31"), std::string::npos);
    EXPECT_NE(decodeHelp.out.find("gate is\n                       always open"),
              std::string::npos);
    const CliRun encodeHelp = runCli({"encode", "-h"});
    EXPECT_EQ(encodeHelp.status, 0);
    EXPECT_NE(encodeHelp.out.find("--cwid TEXT"), std::string::npos);
    EXPECT_TRUE(encodeHelp.err.empty());
}

}  // namespace
}  // namespace tarnvel::cli
