#include "audio/WavFile.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <random>

#include "support/WavBytes.h"

namespace tarnvel::audio {
namespace {

using testing::Bytes;
using testing::chunk;
using testing::fmtBody;
using testing::pcmFrames;
using testing::riff;
using testing::ScratchFolder;

TEST(WavFileWriter, HeaderBytesAndRingOrderAreExact) {
    ScratchFolder dir;
    const int16_t ring[] = {100, -2, 32767, -32768};
    ASSERT_EQ(writeWavFile(ring, 11025, 4, dir / "h.wav", 2), 0);
    // clang-format off
    const Bytes expected = {
        'R', 'I', 'F', 'F', 44, 0, 0, 0,            // file size - 8 = 36 + 8 data bytes
        'W', 'A', 'V', 'E',
        'f', 'm', 't', ' ', 16, 0, 0, 0,
        1, 0,                                       // PCM
        1, 0,                                       // one channel
        0x11, 0x2B, 0, 0,                           // 11025
        0x22, 0x56, 0, 0,                           // 22050 bytes per second
        2, 0, 16, 0,                                // block alignment, bits per sample
        'd', 'a', 't', 'a', 8, 0, 0, 0,
        0xFF, 0x7F, 0x00, 0x80, 100, 0, 0xFE, 0xFF, // oldest first from index 2, wrapping
    };
    // clang-format on
    EXPECT_EQ(testing::readBytes(dir / "h.wav"), expected);
}

TEST(WavFileWriter, RoundTripThroughTheReader) {
    ScratchFolder dir;
    std::vector<int16_t> samples(5000);
    for (size_t i = 0; i < samples.size(); ++i) samples[i] = static_cast<int16_t>(i * 37 - 30000);
    ASSERT_EQ(writeWavFile(samples.data(), 48000, 5000, dir / "r.wav", 0), 0);
    const WavReadResult r = readWavFile(dir / "r.wav");
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(r.sampleRate, 48000u);
    EXPECT_EQ(r.channelCount, 1);
    EXPECT_EQ(r.samples, samples);

    // A start past the end wraps like any other; an empty recording is a bare header.
    ASSERT_EQ(writeWavFile(samples.data(), 8000, 5000, dir / "w.wav", 5000 + 7), 0);
    const WavReadResult w = readWavFile(dir / "w.wav");
    ASSERT_TRUE(w.ok);
    EXPECT_EQ(w.samples[0], samples[7]);
    EXPECT_EQ(w.samples[4999], samples[6]);
    ASSERT_EQ(writeWavFile(nullptr, 8000, 0, dir / "e.wav", 0), 0);
    EXPECT_EQ(testing::readBytes(dir / "e.wav").size(), size_t{kWavHeaderBytes});
    EXPECT_TRUE(readWavFile(dir / "e.wav").ok);
}

TEST(WavFileWriter, ReportsFailuresAsErrorCodes) {
    ScratchFolder dir;
    const int16_t one[] = {1};
    EXPECT_EQ(writeWavFile(one, 11025, 1, dir / "missing" / "x.wav", 0), ENOENT);
    EXPECT_EQ(writeWavFile(one, 11025, -1, dir / "x.wav", 0), EINVAL);
    EXPECT_EQ(writeWavFile(one, 0, 1, dir / "x.wav", 0), EINVAL);
    EXPECT_EQ(writeWavFile(one, 11025, 0x7FFFFFFF, dir / "x.wav", 0), EFBIG);  // RIFF size overflow
    EXPECT_EQ(writeWavFileSafely(one, 11025, 1, dir / "missing" / "x.wav", 0), ENOENT);
    EXPECT_TRUE(dir.entries().empty());
}

TEST(WavFileWriter, SafeWriteLeavesNoPartialFile) {
    ScratchFolder dir;
    const int16_t one[] = {1};
    // The target is a folder: the rename fails and the temporary file goes.
    std::filesystem::create_directory(dir / "taken.wav");
    EXPECT_NE(writeWavFileSafely(one, 11025, 1, dir / "taken.wav", 0), 0);
    EXPECT_EQ(dir.entries(), std::vector<std::string>{"taken.wav"});

    // A file-size limit makes the write itself fail half-way (in a child process, so that the
    // limit does not outlive it): the old file stays as it was and no temporary file is left.
    ASSERT_EQ(writeWavFile(one, 11025, 1, dir / "old.wav", 0), 0);
    const Bytes before = testing::readBytes(dir / "old.wav");
    std::vector<int16_t> big(100000, 5);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{10000, 10000};
        setrlimit(RLIMIT_FSIZE, &limit);
        _exit(writeWavFileSafely(big.data(), 11025, 100000, dir / "old.wav", 0));
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), EFBIG);
    EXPECT_EQ(testing::readBytes(dir / "old.wav"), before);
    EXPECT_EQ(dir.entries().size(), 2u);  // taken.wav and old.wav only
}

// Every rejected file: its bytes and a word the message must contain.
struct BadFile {
    const char* name;
    Bytes bytes;
    const char* expected;
};

std::vector<BadFile> badFiles() {
    const Bytes fmt = chunk("fmt ", fmtBody(1, 1, 11025, 16));
    const Bytes data = chunk("data", pcmFrames(10, 1));
    Bytes truncatedData = riff({fmt, data});
    truncatedData.resize(truncatedData.size() - 4);
    Bytes oversized = riff({fmt, data});
    oversized[4] -= 8;  // the RIFF container ends 8 bytes before the data chunk does
    Bytes hugeChunk = riff({fmt, data});
    hugeChunk[44 - 4 + 0] = 0xFF;  // data size 0xFF000014 in a small file
    hugeChunk[44 - 4 + 3] = 0xFF;
    Bytes riffx = riff({fmt, data});
    riffx[3] = 'X';
    Bytes shortFmt = riff({chunk("fmt ", Bytes(10, 0)), data});
    return {
        {"empty", {}, "not a RIFF/WAVE"},
        {"text", Bytes{'h', 'e', 'l', 'l', 'o', ' ', 'w', 'o', 'r', 'l', 'd', '!', '\n'},
         "not a RIFF/WAVE"},
        {"riffx", riffx, "not a RIFF/WAVE"},
        {"eight-bit", riff({chunk("fmt ", fmtBody(1, 1, 11025, 8)), data}), "8-bit PCM"},
        {"twenty-four-bit", riff({chunk("fmt ", fmtBody(1, 2, 11025, 24)), data}), "24-bit PCM"},
        {"float", riff({chunk("fmt ", fmtBody(3, 1, 11025, 32)), data}), "floating-point"},
        {"ima-adpcm", riff({chunk("fmt ", fmtBody(0x11, 1, 11025, 4)), data}), "0x0011"},
        {"extensible-float",
         riff({chunk("fmt ", testing::extensibleFmtBody(1, 11025, 32, 3)), data}),
         "floating-point"},
        {"extensible-24", riff({chunk("fmt ", testing::extensibleFmtBody(1, 11025, 24, 1)), data}),
         "24-bit"},
        {"short-fmt", shortFmt, "too short"},
        {"no-fmt", riff({data}), "no 'fmt ' chunk"},
        {"no-data", riff({fmt}), "no 'data' chunk"},
        {"zero-channels", riff({chunk("fmt ", fmtBody(1, 0, 11025, 16)), data}), "no channels"},
        {"truncated-data", truncatedData, "truncated"},
        {"huge-chunk", hugeChunk, "'data' chunk is truncated"},
        {"oversized", oversized, "oversized"},
    };
}

TEST(WavFileReader, RefusesEveryMalformedFileWithANamedProblem) {
    ScratchFolder dir;
    for (const BadFile& bad : badFiles()) {
        testing::writeBytes(dir / bad.name, bad.bytes);
        const WavReadResult r = readWavFile(dir / bad.name);
        EXPECT_FALSE(r.ok) << bad.name;
        EXPECT_NE(r.error.find(bad.expected), std::string::npos) << bad.name << ": " << r.error;
        EXPECT_TRUE(r.samples.empty()) << bad.name;
    }
    EXPECT_NE(readWavFile(dir / "absent.wav").error.find("No such file"), std::string::npos);
    EXPECT_NE(readWavFile(dir.path()).error.find("directory"), std::string::npos);
}

TEST(WavFileReader, SkipsUnknownChunksWithTheirPadByte) {
    ScratchFolder dir;
    const Bytes list = chunk("LIST", Bytes{'I', 'N', 'F', 'O', 'x'});  // odd: padded
    const Bytes file = riff({list, chunk("fmt ", fmtBody(1, 1, 22050, 16)),
                             chunk("fact", Bytes{1, 2, 3}), chunk("data", pcmFrames(50, 1)), list});
    testing::writeBytes(dir / "list.wav", file);
    const WavReadResult r = readWavFile(dir / "list.wav");
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(r.sampleRate, 22050u);
    ASSERT_EQ(r.samples.size(), 50u);
    EXPECT_EQ(r.samples[49], 490);

    // A file whose last odd-sized chunk lost its pad byte still reads.
    Bytes unpadded = riff({chunk("fmt ", fmtBody(1, 1, 8000, 16)), chunk("data", pcmFrames(4, 1)),
                           chunk("note", Bytes{'a'})});
    unpadded.pop_back();
    testing::writeBytes(dir / "unpadded.wav", unpadded);
    EXPECT_TRUE(readWavFile(dir / "unpadded.wav").ok);
}

// Writers that count a pad byte they never wrote leave a RIFF size one byte larger than the
// file, the file ending where its last chunk ends. One byte cannot hold a chunk, so nothing
// is missing and the recording reads whole; two bytes more is a truncated file.
TEST(WavFileReader, ARiffSizeOneByteOverTheFileEndIsTolerated) {
    ScratchFolder dir;
    const Bytes file = riff({chunk("fmt ", fmtBody(1, 1, 8000, 16)), chunk("data", pcmFrames(6, 1))});
    for (const uint8_t over : {1, 2}) {
        Bytes claimed = file;
        claimed[4] = static_cast<uint8_t>(claimed[4] + over);
        testing::writeBytes(dir / "over.wav", claimed);
        const WavReadResult r = readWavFile(dir / "over.wav");
        if (over == 1) {
            ASSERT_TRUE(r.ok) << r.error;
            EXPECT_EQ(r.samples.size(), 6u);
            EXPECT_EQ(r.samples[5], 50);
        } else {
            EXPECT_FALSE(r.ok);
            EXPECT_NE(r.error.find("truncated"), std::string::npos) << r.error;
        }
    }
}

TEST(WavFileReader, ReadsTheChosenChannelOfPlainAndExtensibleFiles) {
    ScratchFolder dir;
    testing::writeBytes(dir / "three.wav", riff({chunk("fmt ", fmtBody(1, 3, 44100, 16)),
                                                 chunk("data", pcmFrames(20, 3))}));
    testing::writeBytes(dir / "ext.wav",
                        riff({chunk("fmt ", testing::extensibleFmtBody(2, 96000, 16, 1)),
                              chunk("data", pcmFrames(20, 2))}));
    for (unsigned c = 0; c < 3; ++c) {
        const WavReadResult r = readWavFile(dir / "three.wav", c);
        ASSERT_TRUE(r.ok) << r.error;
        EXPECT_EQ(r.channelCount, 3);
        ASSERT_EQ(r.samples.size(), 20u);
        EXPECT_EQ(r.samples[7], static_cast<int16_t>(70 + c));
    }
    const WavReadResult ext = readWavFile(dir / "ext.wav", 1);
    ASSERT_TRUE(ext.ok) << ext.error;
    EXPECT_EQ(ext.sampleRate, 96000u);
    EXPECT_EQ(ext.samples[19], 191);
    const WavReadResult missing = readWavFile(dir / "ext.wav", 2);
    EXPECT_FALSE(missing.ok);
    EXPECT_NE(missing.error.find("channel 3 does not exist"), std::string::npos) << missing.error;
}

TEST(WavFileReader, EveryTruncationOfAValidFileIsRefused) {
    ScratchFolder dir;
    const Bytes full = riff({chunk("LIST", Bytes(13, 'i')), chunk("fmt ", fmtBody(1, 2, 8000, 16)),
                             chunk("data", pcmFrames(40, 2))});
    ASSERT_TRUE((testing::writeBytes(dir / "full.wav", full), readWavFile(dir / "full.wav").ok));
    for (size_t length = 0; length < full.size(); ++length) {
        testing::writeBytes(dir / "cut.wav", Bytes(full.begin(), full.begin() + length));
        const WavReadResult r = readWavFile(dir / "cut.wav");
        EXPECT_FALSE(r.ok) << length;
        EXPECT_FALSE(r.error.empty()) << length;
    }
}

TEST(WavFileReader, SurvivesCorruptedHeaders) {
    ScratchFolder dir;
    const Bytes good = riff({chunk("LIST", Bytes(7, 'i')), chunk("fmt ", fmtBody(1, 2, 8000, 16)),
                             chunk("data", pcmFrames(30, 2))});
    std::mt19937 random(1234);
    for (int round = 0; round < 2000; ++round) {
        Bytes bad = good;
        const int flips = 1 + static_cast<int>(random() % 4);
        for (int f = 0; f < flips; ++f) bad[random() % 80] = static_cast<uint8_t>(random());
        testing::writeBytes(dir / "bad.wav", bad);
        const WavReadResult r = readWavFile(dir / "bad.wav", random() % 3);
        if (r.ok) {
            EXPECT_LE(r.samples.size(), bad.size() / 2);
        } else {
            EXPECT_FALSE(r.error.empty());
        }
    }
}

}  // namespace
}  // namespace tarnvel::audio
