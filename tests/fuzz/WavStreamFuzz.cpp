// The WAV stream reader on any bytes, fed in pieces of varying size: the first input byte
// picks raw or WAV and the channel, the second the piece sizes. Pieces never change the
// result; samples never outnumber the bytes; raw samples are the bytes themselves; a stream
// the file reader reads whole with data gives the same samples.

#include <vector>

#include "FuzzSupport.h"
#include "audio/WavFile.h"
#include "audio/WavStreamReader.h"

using namespace tarnvel;

namespace {

constexpr uint32_t kRawRate = 8000;

struct Outcome {
    bool fed = false;
    bool finished = false;
    std::vector<int16_t> samples;
    std::string error;
    std::string warning;
};

audio::WavStreamReader makeReader(bool raw, unsigned channel) {
    return raw ? audio::WavStreamReader::raw(kRawRate) : audio::WavStreamReader(channel);
}

// Pieces of 1..64 bytes from a small generator seeded by `seed`; seed 0 feeds all at once.
Outcome readInPieces(const uint8_t* data, size_t size, bool raw, unsigned channel, uint8_t seed) {
    audio::WavStreamReader reader = makeReader(raw, channel);
    Outcome o;
    o.fed = true;
    uint32_t state = seed;
    for (size_t at = 0; at < size && o.fed;) {
        state = state * 1103515245u + 12345u;
        const size_t piece = seed == 0 ? size : 1 + (state >> 16) % 64;
        const size_t n = std::min(piece, size - at);
        o.fed = reader.feed(std::span(data + at, n), o.samples);
        at += n;
    }
    o.finished = o.fed && reader.finish();
    o.error = reader.error();
    o.warning = reader.warning();
    if (o.finished) {
        FUZZ_CHECK(reader.formatKnown());
        FUZZ_CHECK(reader.sampleRate() > 0 && reader.channelCount() > channel);
    }
    return o;
}

void checkAgainstFileReader(const uint8_t* data, size_t size, unsigned channel,
                            const Outcome& stream) {
    const std::string file = fuzz::scratch() / "stream.wav";
    fuzz::writeFile(file, fuzz::asText(data, size));
    const audio::WavReadResult whole = audio::readWavFile(file, channel);
    if (whole.ok && !whole.samples.empty() && stream.finished)
        FUZZ_CHECK(whole.samples == stream.samples);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    const bool raw = (data[0] & 1u) != 0;
    const unsigned channel = raw ? 0u : (data[0] >> 1) & 3u;  // raw samples are mono
    const uint8_t seed = data[1];
    data += 2;
    size -= 2;

    const Outcome whole = readInPieces(data, size, raw, channel, 0);
    const Outcome pieces = readInPieces(data, size, raw, channel, seed | 1u);
    FUZZ_CHECK(whole.fed == pieces.fed && whole.finished == pieces.finished);
    FUZZ_CHECK(whole.samples == pieces.samples);
    FUZZ_CHECK(whole.error == pieces.error && whole.warning == pieces.warning);
    FUZZ_CHECK(whole.finished || !whole.error.empty());
    FUZZ_CHECK(whole.samples.size() * 2u <= size);
    if (raw) {
        FUZZ_CHECK(whole.finished && whole.samples.size() == size / 2);
        for (size_t i = 0; i < whole.samples.size(); ++i)
            FUZZ_CHECK(static_cast<uint16_t>(whole.samples[i]) ==
                       static_cast<uint16_t>(data[2 * i] | (data[2 * i + 1] << 8)));
    } else {
        checkAgainstFileReader(data, size, channel, whole);
    }
    return 0;
}
