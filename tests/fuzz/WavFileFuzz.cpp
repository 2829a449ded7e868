// The WAV reader on any bytes: a file either reads whole or is refused with a named
// problem, never holds more samples than its bytes allow, and what it reads writes back
// to a file that reads the same.

#include <algorithm>
#include <climits>

#include "FuzzSupport.h"
#include "audio/WavFile.h"

using namespace tarnvel;

namespace {

void checkResult(const audio::WavReadResult& r, size_t fileBytes) {
    if (!r.ok) {
        FUZZ_CHECK(!r.error.empty());
        FUZZ_CHECK(r.samples.empty());
        return;
    }
    FUZZ_CHECK(r.error.empty());
    FUZZ_CHECK(r.channelCount > 0);
    FUZZ_CHECK(r.sampleRate > 0);
    // Every sample of the chosen channel takes two bytes of the file, besides the others.
    FUZZ_CHECK(r.samples.size() * 2u * r.channelCount <= fileBytes);
}

// One channel written as a mono file reads back sample for sample, and writing that again
// gives the same bytes.
void checkRoundTrip(const audio::WavReadResult& r) {
    if (r.sampleRate > INT_MAX) return;  // the writer takes the rates a sound card has
    const std::string copy = fuzz::scratch() / "copy.wav";
    const int count = static_cast<int>(r.samples.size());
    const int rate = static_cast<int>(r.sampleRate);
    FUZZ_CHECK(audio::writeWavFile(r.samples.data(), rate, count, copy, 0) == 0);
    const audio::WavReadResult again = audio::readWavFile(copy);
    FUZZ_CHECK(again.ok);
    FUZZ_CHECK(again.channelCount == 1);
    FUZZ_CHECK(again.sampleRate == r.sampleRate);
    FUZZ_CHECK(again.samples == r.samples);
    const std::string bytes = fuzz::readFile(copy);
    FUZZ_CHECK(bytes.size() == audio::kWavHeaderBytes + 2u * r.samples.size());
    FUZZ_CHECK(audio::writeWavFile(again.samples.data(), rate, count, copy, 0) == 0);
    FUZZ_CHECK(fuzz::readFile(copy) == bytes);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string input = fuzz::scratch() / "input.wav";
    fuzz::writeFile(input, fuzz::asText(data, size));
    const audio::WavReadResult first = audio::readWavFile(input, 0);
    checkResult(first, size);
    // Read as far as it goes, a file cut short still never gives more than its bytes, and a
    // file read whole is read the same (more only where a data size is unknown).
    const audio::WavReadResult accepted = audio::readWavFile(input, 0, audio::CutShort::Accept);
    checkResult(accepted, size);
    FUZZ_CHECK(first.warning.empty());  // only when asked
    if (first.ok) {
        FUZZ_CHECK(accepted.ok && accepted.samples.size() >= first.samples.size());
        FUZZ_CHECK(
            std::equal(first.samples.begin(), first.samples.end(), accepted.samples.begin()));
    }
    if (!first.ok) return 0;
    checkRoundTrip(first);
    // The last channel is read as well as the first, and an absent one is refused.
    const unsigned last = first.channelCount - 1u;
    if (last > 0) {
        const audio::WavReadResult other = audio::readWavFile(input, last);
        checkResult(other, size);
        FUZZ_CHECK(other.ok && other.samples.size() == first.samples.size());
    }
    const audio::WavReadResult absent = audio::readWavFile(input, first.channelCount);
    FUZZ_CHECK(!absent.ok && !absent.error.empty());
    return 0;
}
