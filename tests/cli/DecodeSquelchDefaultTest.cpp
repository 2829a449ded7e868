// `tarnvel-cli decode`'s default squelch with the default (sensitive) receiver: a weak QPSK31
// over that the receiver copies comes out whole, and the noise around it, or noise alone,
// prints nothing. Bounds from bench/SquelchBench.cpp (docs/receive-quality.md) with margin.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "audio/WavFile.h"
#include "tests/cli/BandFile.h"
#include "tests/cli/CliSpawn.h"
#include "tests/support/BandRecording.h"

namespace tarnvel::testing {
namespace {

TEST(DecodeSquelchDefault, WeakQpskComesOutWholeAndTheNoiseAroundItDoesNot) {
    ScratchFolder dir;
    const BandSignal over{"sp9xyz", 1000.0, 8.0, -10.0};
    const std::string sent = trimmed(over.text());
    for (const unsigned seed : {41u, 42u}) {
        const std::string file =
            writeRecording(dir, "weak.wav", mixBand({over}, 30.0, seed, "qpsk31"));
        const CliRun run = runCli({"decode", "--mode", "qpsk31", "--freq", "1000", file});
        ASSERT_EQ(run.status, 0) << run.err;
        // The whole text (the phase-scatter figure shut the squelch over half of it), and of
        // the noise only what comes before the quality falls after the over (measured 2..8
        // characters; with the squelch off it prints several times the text).
        const std::string got = trimmed(run.out);
        EXPECT_LE(editDistance(sent, got.substr(0, sent.size())), 2u) << run.out;
        EXPECT_LE(got.size(), sent.size() + 12) << run.out;
    }
}

// FSK63 likewise, at 0 dB where its receiver copies without error. (Its squelch figure read a
// clean signal as about 6 at the weak-signal receiver's symbol instants: the default printed
// nothing at all.) Noise alone prints nothing.
TEST(DecodeSquelchDefault, Fsk63ComesOutWholeAndNoiseAlonePrintsNothing) {
    ScratchFolder dir;
    const BandSignal over{"sp9xyz", 1000.0, 8.0, 0.0};
    const std::string sent = trimmed(over.text());
    const std::string file = writeRecording(dir, "fsk63.wav", mixBand({over}, 30.0, 44, "fsk63"));
    const CliRun run = runCli({"decode", "--mode", "fsk63", "--freq", "1000", file});
    ASSERT_EQ(run.status, 0) << run.err;
    const std::string got = trimmed(run.out);
    // (The band mix ends the signal without the idle words that carry its last characters
    // through the interleaver: "se k" never comes out, squelch or not.)
    EXPECT_NE(got.find("sp9xyz de sp9xyz cq cq test of the band"), std::string::npos) << run.out;
    EXPECT_LE(got.size(), sent.size() + 6) << run.out;

    const std::string noise = writeRecording(dir, "noise.wav", mixBand({}, 60.0, 45, "fsk63"));
    const CliRun quiet = runCli({"decode", "--mode", "fsk63", "--freq", "1000", noise});
    ASSERT_EQ(quiet.status, 0) << quiet.err;
    EXPECT_EQ(trimmed(quiet.out), "");
}

TEST(DecodeSquelchDefault, QpskNoiseAlonePrintsNothing) {
    ScratchFolder dir;
    const std::string file = writeRecording(dir, "noise.wav", mixBand({}, 60.0, 43, "qpsk31"));
    const CliRun quiet = runCli({"decode", "--mode", "qpsk31", "--freq", "1000", file});
    ASSERT_EQ(quiet.status, 0) << quiet.err;
    EXPECT_EQ(trimmed(quiet.out), "");
    const CliRun all =
        runCli({"decode", "--mode", "qpsk31", "--freq", "1000", "--squelch", "off", file});
    ASSERT_EQ(all.status, 0) << all.err;
    EXPECT_GT(trimmed(all.out).size(), 50u);  // the noise decodes to junk that the squelch held
}

}  // namespace
}  // namespace tarnvel::testing
