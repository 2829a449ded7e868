#pragma once
// How the file back end reads a recording and writes transmit audio. The WAV functions are
// the default; anything that moves 16-bit mono samples with their rate will do.

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "audio/SoundTypes.h"

namespace tarnvel::audio {

struct Recording {
    std::vector<int16_t> samples;
    int rate = 0;
};

struct RecordingFiles {
    // Reads a whole recording (first channel); the result names what failed.
    std::function<SoundResult(const std::string& fileName, Recording& recording)> read;
    // Writes samples at rate, replacing fileName only with a complete file; 0 or an errno.
    std::function<int(std::span<const int16_t> samples, int rate, const std::string& fileName)>
        write;
};

// 16-bit PCM WAV files.
RecordingFiles wavRecordingFiles();

}  // namespace tarnvel::audio
