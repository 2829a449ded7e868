// Runs the built tarnvel-cli on real files and checks what a caller sees: the exit status, one
// line on standard error naming the problem, and no output file left behind.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <png.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "audio/WavFile.h"
#include "tests/cli/CliSpawn.h"
#include "support/WavBytes.h"
#include "tests/modem/PactorSignal.h"

extern char** environ;

namespace tarnvel::cli {
namespace {

using testing::Bytes;
using testing::chunk;
using testing::fmtBody;
using testing::pcmFrames;
using testing::riff;
using testing::ScratchFolder;

using testing::CliRun;
using testing::runCli;

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
        // The reader's own message comes through; every malformed file is the reader's tests'.
        {withFile(file("text.wav", Bytes(100, 'x'))), "text.wav", "not a RIFF/WAVE"},
        {withFile(file("float.wav", stereoRecording(8000, 32, 3))), "float.wav", "floating-point"},
        {withFile(file("slow.wav", stereoRecording(4000))), "slow.wav", "4000 Hz"},
        {withFile(file("fast.wav", stereoRecording(384000))), "fast.wav", "384000 Hz"},
        {{"--mode", "bpsk31", "--freq", "1000", "--channel", "3", good},
         "good.wav",
         "channel 3 does not exist"},
        {{"--mode", "bpsk31", "--freq", "1000", "--channel", "0", good}, "--channel", "'0'"},
        {{"--mode", "rtty", "--freq", "1000", good}, "--mode", "unknown mode 'rtty'"},
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
         "receive only"},
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

// A PACTOR monitor recording (the test transmitter's 100 baud packets) at 22050 samples per
// second decodes through the tool.
TEST(CliRoundTrip, PactorRecordingDecodes) {
    using namespace modem::testing;
    ScratchFolder dir;
    std::vector<int16_t> audio;
    FskModulator(1200.0, 200.0, baudOf(PactorSpeed::Slow), 22050.0)
        .modulate(transmission({dataPacket(PactorSpeed::Slow, "RST 599", {.counter = 1}),
                                dataPacket(PactorSpeed::Slow, "ok", {.counter = 2})}),
                  audio);
    const std::string file = (dir / "pactor.wav").string();
    ASSERT_EQ(
        audio::writeWavFileSafely(audio.data(), 22050, static_cast<int>(audio.size()), file, 0), 0);
    const CliRun run = runCli({"decode", "--mode", "pactor", "--freq", "1200", file});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "RST 599ok\n");
}

struct ChannelBlock {
    std::string heading;
    double frequency = 0.0;
    std::string text;
};

// Splits the output of channels into its blocks: "== L FREQ", the text, an empty line.
std::vector<ChannelBlock> channelBlocks(const std::string& out) {
    std::vector<ChannelBlock> blocks;
    size_t at = 0;
    while (at < out.size()) {
        const size_t headingEnd = out.find('\n', at);
        const size_t blockEnd = out.find("\n\n", headingEnd);
        if (headingEnd == std::string::npos || blockEnd == std::string::npos) {
            ADD_FAILURE() << "unterminated block at " << at << " in\n" << out;
            break;
        }
        ChannelBlock b;
        b.heading = out.substr(at, headingEnd - at);
        b.frequency = std::atof(b.heading.c_str() + std::min<size_t>(5, b.heading.size()));
        b.text = out.substr(headingEnd + 1, blockEnd + 1 - (headingEnd + 1));
        blocks.push_back(b);
        at = blockEnd + 2;
    }
    return blocks;
}

// "== L FREQ": a slot letter and Hertz with one decimal.
bool isChannelHeading(const std::string& h) {
    const size_t point = h.rfind('.');
    const auto digits = [&](size_t from, size_t to) {
        return from < to && std::all_of(h.begin() + static_cast<std::ptrdiff_t>(from),
                                        h.begin() + static_cast<std::ptrdiff_t>(to),
                                        [](char c) { return c >= '0' && c <= '9'; });
    };
    return h.size() > 7 && h.starts_with("== ") && h[3] >= 'A' && h[3] <= 'Z' && h[4] == ' ' &&
           point != std::string::npos && point + 2 == h.size() && digits(5, point) &&
           digits(point + 1, h.size());
}

// The bundled recording holds stations at 600, 1000, 1450 and 1900 Hz: the channels that
// find the two strongest carry their texts, in slot order.
TEST(CliChannels, TheExampleRecordingGivesTheStationsTheirChannels) {
    const CliRun run = runCli(
        {"channels", "--mode", "bpsk31", TARNVEL_SOURCE_DIR "/resources/example-bpsk31.wav"});
    ASSERT_EQ(run.status, 0) << run.err;
    const std::vector<ChannelBlock> blocks = channelBlocks(run.out);
    ASSERT_GE(blocks.size(), 2u) << run.out;
    const auto near = [&](double hz) {
        for (const ChannelBlock& b : blocks)
            if (std::abs(b.frequency - hz) < 10.0) return b.text;
        return std::string("(no channel)");
    };
    EXPECT_NE(near(1000).find("CQ CQ CQ de N0CALL N0CALL N0CALL - Ann in Graz, JN76, running 5 W "
                              "to a dipole. CQ CQ de N0CALL pse k"),
              std::string::npos)
        << run.out;
    EXPECT_NE(near(1450).find("fer the QSO, 73 es gd dx"), std::string::npos) << run.out;
    char previous = 'A' - 1;
    for (const ChannelBlock& b : blocks) {
        EXPECT_TRUE(isChannelHeading(b.heading)) << b.heading;
        EXPECT_GE(b.heading[3], previous) << "slot order";
        previous = b.heading[3];
        EXPECT_EQ(b.text.find('\r'), std::string::npos);
        EXPECT_EQ(b.text.find('\0'), std::string::npos);
    }
    expectRefused(runCli({"channels", "--mode", "qpsk31", "x.wav"}), "--mode",
                  "no multichannel decoder", "qpsk31");
}

struct IndexedPicture {
    bool ok = false;
    int width = 0, height = 0, colourType = -1;
    std::vector<std::vector<uint8_t>> rows;
};

// Reads an 8-bit palette PNG back as rows of palette indices.
IndexedPicture readIndexedPng(const std::string& path) {
    IndexedPicture pic;
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (f == nullptr) return pic;
    png_byte signature[8] = {};
    png_structp png = nullptr;
    png_infop info = nullptr;
    if (std::fread(signature, 1, 8, f) == 8 && png_sig_cmp(signature, 0, 8) == 0) {
        png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
        info = png_create_info_struct(png);
        if (setjmp(png_jmpbuf(png)) == 0) {
            png_init_io(png, f);
            png_set_sig_bytes(png, 8);
            png_read_info(png, info);
            pic.width = static_cast<int>(png_get_image_width(png, info));
            pic.height = static_cast<int>(png_get_image_height(png, info));
            pic.colourType = png_get_color_type(png, info);
            pic.rows.assign(static_cast<size_t>(pic.height),
                            std::vector<uint8_t>(png_get_rowbytes(png, info)));
            std::vector<png_bytep> pointers;
            for (auto& r : pic.rows) pointers.push_back(r.data());
            png_read_image(png, pointers.data());
            pic.ok = png_get_bit_depth(png, info) == 8;
        }
        png_destroy_read_struct(&png, &info, nullptr);
    }
    std::fclose(f);
    return pic;
}

// A tone at 1500 Hz, 30 dB above white noise in 2500 Hz, five seconds at 11025 Hz.
std::vector<int16_t> toneInNoise() {
    std::mt19937 rng(5);
    std::normal_distribution<double> noise(0.0, 100.0);
    std::vector<int16_t> audio(5 * 11025);
    for (size_t n = 0; n < audio.size(); ++n)
        audio[n] = static_cast<int16_t>(
            std::lround(2000.0 * std::sin(2.0 * M_PI * 1500.0 * n / 11025.0) + noise(rng)));
    return audio;
}

TEST(CliWaterfall, DrawsTheRecordingUnderTheScaleStrip) {
    ScratchFolder dir;
    const std::vector<int16_t> audio = toneInNoise();
    const std::string wav = (dir / "tone.wav").string(), png = (dir / "tone.png").string();
    ASSERT_EQ(
        audio::writeWavFileSafely(audio.data(), 11025, static_cast<int>(audio.size()), wav, 0), 0);
    const int toneBin = static_cast<int>(1500.0 * 2048 / 11025 + 0.5);  // 279
    const int rows = static_cast<int>(audio.size()) / 2048;
    // The audio scale, and the lower-sideband radio scale with the columns mirrored.
    for (const auto& [extra, toneX] :
         {std::pair{std::vector<std::string>{}, toneBin},
          {std::vector<std::string>{"--freq-mode", "2", "--dial", "14070.5"}, 1024 - toneBin}}) {
        std::vector<std::string> args = {"waterfall", wav, "-o", png};
        args.insert(args.end(), extra.begin(), extra.end());
        const CliRun run = runCli(args);
        ASSERT_EQ(run.status, 0) << run.err;
        const IndexedPicture pic = readIndexedPng(png);
        ASSERT_TRUE(pic.ok);
        EXPECT_EQ(pic.colourType, PNG_COLOR_TYPE_PALETTE);
        EXPECT_EQ(pic.width, 1024);
        ASSERT_EQ(pic.height, 20 + rows);
        // The strip holds white ticks and labels; every waterfall row shows the tone well
        // above the noise a few hundred hertz away (gradient steps of about 0.4 dB).
        EXPECT_NE(std::count(pic.rows[19].begin(), pic.rows[19].end(), 206), 0);
        for (int y = 20; y < pic.height; ++y) {
            const auto& r = pic.rows[static_cast<size_t>(y)];
            const int tone = r[static_cast<size_t>(toneX)];
            const int noise =
                std::max({r[static_cast<size_t>(toneX - 60)], r[static_cast<size_t>(toneX + 60)],
                          r[static_cast<size_t>(toneX + 200)]});
            EXPECT_LT(tone, 200) << "a gradient colour";
            EXPECT_GT(tone, noise + 50) << "row " << y;
        }
    }
}

TEST(CliWaterfall, RefusesABadPaletteAndLeavesNothingBehind) {
    ScratchFolder dir;
    const std::vector<int16_t> audio = toneInNoise();
    const std::string wav = (dir / "tone.wav").string(), png = (dir / "out.png").string();
    ASSERT_EQ(
        audio::writeWavFileSafely(audio.data(), 11025, static_cast<int>(audio.size()), wav, 0), 0);
    testing::writeBytes(dir / "bad.pal", Bytes{'1', ';', '2', '\n', 'x', '\n'});
    const std::vector<std::string> before = dir.entries();
    expectRefused(runCli({"waterfall", wav, "-o", png, "--palette", (dir / "bad.pal").string()}),
                  "bad.pal", "Wrong format", "bad palette");
    expectRefused(runCli({"waterfall", wav, "-o", png, "--palette", (dir / "none.pal").string()}),
                  "none.pal", "Cannot open", "missing palette");
    expectRefused(runCli({"waterfall", wav, "-o", png, "--freq-mode", "1"}), "--dial", "required",
                  "dial");
    EXPECT_EQ(dir.entries(), before);

    // A good palette file is taken.
    std::string nine;
    for (int k = 0; k < 9; ++k)
        nine += std::to_string(k * 30) + ";0;" + std::to_string(255 - k * 30) + "\n";
    testing::writeBytes(dir / "good.pal", Bytes(nine.begin(), nine.end()));
    const CliRun run =
        runCli({"waterfall", wav, "-o", png, "--palette", (dir / "good.pal").string()});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(readIndexedPng(png).ok);
}

TEST(Cli, CommandsAndHelp) {
    expectRefused(runCli({}), "usage", "no command", "no arguments");
    expectRefused(runCli({"record"}), "record", "unknown command", "unknown command");
    const CliRun help = runCli({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("decode"), std::string::npos);
    const CliRun decodeHelp = runCli({"decode", "--help"});
    EXPECT_EQ(decodeHelp.status, 0);
    EXPECT_NE(decodeHelp.out.find("--squelch off|0..31"), std::string::npos);
    EXPECT_NE(decodeHelp.out.find("at least 10 dB out of the\n                       spectrum"),
              std::string::npos);
    EXPECT_EQ(decodeHelp.out.find("always open"), std::string::npos);
    for (const char* command : {"channels", "waterfall"}) {
        const CliRun commandHelp = runCli({command, "--help"});
        EXPECT_EQ(commandHelp.status, 0) << command;
        EXPECT_TRUE(commandHelp.out.starts_with(std::string("Usage: tarnvel-cli ") + command))
            << commandHelp.out;
    }
    const CliRun encodeHelp = runCli({"encode", "-h"});
    EXPECT_EQ(encodeHelp.status, 0);
    EXPECT_NE(encodeHelp.out.find("--cwid TEXT"), std::string::npos);
    EXPECT_TRUE(encodeHelp.err.empty());
}

}  // namespace
}  // namespace tarnvel::cli
