#pragma once
// RIFF WAVE files: a reader for 16-bit PCM recordings of any rate and channel count, and the
// writer of 16-bit mono PCM files used for the sound history and the batch tool.

#include <cstdint>
#include <string>
#include <vector>

namespace tarnvel::audio {

inline constexpr int kWavHeaderBytes = 44;

// One channel of a WAV file. On failure `ok` is false and `error` names the problem in a few
// words ("not a RIFF/WAVE file", "'data' chunk is truncated: ..."), without the file name.
struct WavReadResult {
    bool ok = false;
    std::string error;
    std::string warning;           // when a file cut short was read as far as it goes
    std::vector<int16_t> samples;  // the chosen channel
    uint32_t sampleRate = 0;
    uint16_t channelCount = 0;
};

// Reads channel `channel` (0 = first) of a 16-bit PCM WAV file. Unknown chunks (LIST, fact,
// cue, ...) are skipped, with the pad byte after an odd-sized chunk; WAVE_FORMAT_EXTENSIBLE is
// accepted when it carries 16-bit integer PCM. Anything else is refused with a message.
// A file whose sizes promise more than it holds (a recording cut short by a crash) is refused,
// or with CutShort::Accept read as far as it goes with a `warning`; then a 'data' chunk whose
// size is unknown (0xFFFFFFFF, or 0 in a RIFF header of unknown size: written to a pipe) runs
// to the end of the file.
enum class CutShort { Refuse, Accept };
WavReadResult readWavFile(const std::string& fileName, unsigned channel = 0,
                          CutShort cutShort = CutShort::Refuse);

// Creates (or truncates) fileName and writes a 44-byte header and `count` samples taken from
// `samples` starting at index `start` and wrapping modulo `count`, so that a ring of `count`
// samples is written oldest first when `start` is its write index. Returns 0 on success, else
// the errno of the failing file operation (EINVAL for a negative count or rate, EFBIG when the
// data would not fit the 32-bit RIFF sizes). On failure the file may be left incomplete.
int writeWavFile(const int16_t* samples, int rate, int count, const std::string& fileName,
                 int start);

// As writeWavFile, but the data goes to a temporary file in the same folder that replaces
// fileName only once it is complete: a failed write leaves no partial file and an existing
// fileName untouched.
int writeWavFileSafely(const int16_t* samples, int rate, int count, const std::string& fileName,
                       int start);

}  // namespace tarnvel::audio
