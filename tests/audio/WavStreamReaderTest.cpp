#include "audio/WavStreamReader.h"

#include <gtest/gtest.h>

#include "audio/WavFile.h"
#include "support/WavBytes.h"

namespace tarnvel::audio {
namespace {

using testing::Bytes;
using testing::chunk;
using testing::fmtBody;
using testing::pcmFrames;
using testing::put32;
using testing::putId;
using testing::riff;

// Channel c of frame i is i * 10 + c (as pcmFrames writes them).
std::vector<int16_t> channelOf(int frames, int channel) {
    std::vector<int16_t> s;
    for (int i = 0; i < frames; ++i) s.push_back(static_cast<int16_t>(i * 10 + channel));
    return s;
}

// A header as a program recording to a pipe writes it: both sizes `size` (0 or all ones).
Bytes streamedWav(uint32_t size, uint16_t channels, int frames) {
    Bytes b;
    putId(b, "RIFF");
    put32(b, size);
    putId(b, "WAVE");
    const Bytes fmt = chunk("fmt ", fmtBody(1, channels, 48000, 16));
    b.insert(b.end(), fmt.begin(), fmt.end());
    putId(b, "data");
    put32(b, size);
    const Bytes data = pcmFrames(frames, channels);
    b.insert(b.end(), data.begin(), data.end());
    return b;
}

struct Read {
    bool ok = false;
    std::vector<int16_t> samples;
    std::string error, warning;
    uint32_t rate = 0;
};

// Feeds the bytes in pieces of `piece` bytes (0: all at once).
Read readStream(WavStreamReader reader, const Bytes& bytes, size_t piece = 0) {
    Read r;
    bool fed = true;
    for (size_t at = 0; at < bytes.size() && fed;) {
        const size_t n = piece == 0 ? bytes.size() : std::min(piece, bytes.size() - at);
        fed = reader.feed(std::span(bytes.data() + at, n), r.samples);
        at += n;
    }
    r.ok = fed && reader.finish();
    r.error = reader.error();
    r.warning = reader.warning();
    r.rate = reader.sampleRate();
    return r;
}

TEST(WavStreamReader, UnknownSizesReadToTheEndOfTheStreamInAnyPieces) {
    for (uint32_t size : {0u, 0xFFFFFFFFu}) {
        const Bytes bytes = streamedWav(size, 2, 300);
        for (size_t piece : {size_t{0}, size_t{1}, size_t{3}, size_t{511}}) {
            SCOPED_TRACE(::testing::Message() << "size " << size << ", piece " << piece);
            const Read r = readStream(WavStreamReader(1), bytes, piece);
            ASSERT_TRUE(r.ok) << r.error;
            EXPECT_EQ(r.samples, channelOf(300, 1));
            EXPECT_EQ(r.rate, 48000u);
            EXPECT_TRUE(r.warning.empty()) << r.warning;
        }
    }
}

TEST(WavStreamReader, AKnownDataSizeEndsTheAudioAndChunksBeforeItAreSkipped) {
    // An odd-sized chunk with its pad byte, an extensible format, a tag after the data.
    const Bytes bytes = riff({chunk("LIST", Bytes(5, 'x')),
                              chunk("fmt ", testing::extensibleFmtBody(2, 11025, 16, 1)),
                              chunk("data", pcmFrames(40, 2)), chunk("id3 ", Bytes(9, 0x55))});
    const Read r = readStream(WavStreamReader(0), bytes, 7);
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(r.samples, channelOf(40, 0));
    EXPECT_TRUE(r.warning.empty());
    // The file reader agrees on a whole file.
    testing::ScratchFolder dir;
    testing::writeBytes(dir / "w.wav", bytes);
    EXPECT_EQ(readWavFile(dir / "w.wav").samples, r.samples);
}

TEST(WavStreamReader, AStreamCutShortKeepsWhatCameWithAWarning) {
    Bytes bytes = riff({chunk("fmt ", fmtBody(1, 1, 8000, 16)), chunk("data", pcmFrames(100, 1))});
    bytes.resize(bytes.size() - 51);  // 25 whole samples and half of one are missing
    const Read r = readStream(WavStreamReader(0), bytes, 10);
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(r.samples, channelOf(74, 0));
    EXPECT_NE(r.warning.find("cut short"), std::string::npos) << r.warning;
    EXPECT_NE(r.warning.find("200 bytes, 149 arrived"), std::string::npos) << r.warning;
}

TEST(WavStreamReader, RawSamplesAreLittleEndianMonoWithoutAHeader) {
    const Bytes bytes = {0x01, 0x00, 0xFF, 0x7F, 0x00, 0x80, 0x34};  // and half a sample
    const Read r = readStream(WavStreamReader::raw(48000), bytes, 1);
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(r.samples, (std::vector<int16_t>{1, 32767, -32768}));
    EXPECT_EQ(r.rate, 48000u);
    // Even bytes that look like a header are samples.
    const Read header = readStream(WavStreamReader::raw(8000), streamedWav(0, 1, 2));
    EXPECT_EQ(header.samples.size(), 24u);
}

TEST(WavStreamReader, BadStreamsAreRefusedWithTheReason) {
    struct Case {
        const char* name;
        Bytes bytes;
        unsigned channel;
        const char* error;
    };
    Bytes dataFirst =
        riff({chunk("data", pcmFrames(4, 1)), chunk("fmt ", fmtBody(1, 1, 8000, 16))});
    Bytes noData = riff({chunk("fmt ", fmtBody(1, 1, 8000, 16))});
    Bytes hugeFmt;
    putId(hugeFmt, "RIFF");
    put32(hugeFmt, 0);
    putId(hugeFmt, "WAVE");
    putId(hugeFmt, "fmt ");
    put32(hugeFmt, 0x7FFFFFFF);
    const Case cases[] = {
        {"empty", {}, 0, "the stream is empty"},
        {"short", {'R', 'I', 'F'}, 0, "too short"},
        {"text", Bytes(40, 'x'), 0, "not a RIFF/WAVE stream"},
        {"data before fmt", dataFirst, 0, "before the 'fmt ' chunk"},
        {"no data", noData, 0, "ended before its 'data' chunk"},
        {"missing channel", streamedWav(0, 2, 4), 2, "channel 3 does not exist"},
        {"float", riff({chunk("fmt ", fmtBody(3, 1, 8000, 32)), chunk("data", Bytes(8, 0))}), 0,
         "floating-point"},
        {"huge fmt", hugeFmt, 0, "too large"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Read r = readStream(WavStreamReader(c.channel), c.bytes, 5);
        EXPECT_FALSE(r.ok);
        EXPECT_NE(r.error.find(c.error), std::string::npos) << r.error;
        EXPECT_TRUE(r.samples.empty());
    }
}

// A file cut short (a crash while recording) is refused by default and read as far as it goes
// when asked, with one warning; sizes of a recording to a pipe run to the end of the file.
TEST(WavFileCutShort, ReadsWhatIsThereWithAWarningWhenAsked) {
    testing::ScratchFolder dir;
    Bytes cut = riff({chunk("fmt ", fmtBody(1, 2, 8000, 16)), chunk("data", pcmFrames(100, 2))});
    cut.resize(cut.size() - 4 * 30 - 2);
    testing::writeBytes(dir / "cut.wav", cut);
    const WavReadResult refused = readWavFile(dir / "cut.wav", 1);
    EXPECT_FALSE(refused.ok);
    EXPECT_NE(refused.error.find("'data' chunk is truncated"), std::string::npos);
    const WavReadResult taken = readWavFile(dir / "cut.wav", 1, CutShort::Accept);
    ASSERT_TRUE(taken.ok) << taken.error;
    EXPECT_EQ(taken.samples, channelOf(69, 1));
    EXPECT_NE(taken.warning.find("cut short"), std::string::npos) << taken.warning;

    for (uint32_t size : {0u, 0xFFFFFFFFu}) {
        testing::writeBytes(dir / "piped.wav", streamedWav(size, 1, 50));
        const WavReadResult piped = readWavFile(dir / "piped.wav", 0, CutShort::Accept);
        ASSERT_TRUE(piped.ok) << piped.error;
        EXPECT_EQ(piped.samples, channelOf(50, 0));
        EXPECT_TRUE(piped.warning.empty()) << piped.warning;
    }

    // A whole file followed by a chunk cut short keeps its data and warns.
    Bytes tail = riff({chunk("fmt ", fmtBody(1, 1, 8000, 16)), chunk("data", pcmFrames(10, 1)),
                       chunk("LIST", Bytes(40, 'x'))});
    tail.resize(tail.size() - 20);
    testing::writeBytes(dir / "tail.wav", tail);
    const WavReadResult list = readWavFile(dir / "tail.wav", 0, CutShort::Accept);
    ASSERT_TRUE(list.ok) << list.error;
    EXPECT_EQ(list.samples, channelOf(10, 0));
    EXPECT_FALSE(list.warning.empty());
    // A well-formed file gives no warning.
    testing::writeBytes(dir / "good.wav", riff({chunk("fmt ", fmtBody(1, 1, 8000, 16)),
                                                chunk("data", pcmFrames(9, 1))}));
    const WavReadResult good = readWavFile(dir / "good.wav", 0, CutShort::Accept);
    EXPECT_TRUE(good.ok && good.warning.empty());
}

}  // namespace
}  // namespace tarnvel::audio
