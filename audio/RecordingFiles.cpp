#include "audio/RecordingFiles.h"

#include "audio/WavFile.h"

namespace tarnvel::audio {

RecordingFiles wavRecordingFiles() {
    RecordingFiles files;
    files.read = [](const std::string& fileName, Recording& recording) {
        WavReadResult wav = readWavFile(fileName);
        if (!wav.ok) {
            return SoundResult::failure(SoundError::FileReadFailed, fileName + ": " + wav.error);
        }
        recording.samples = std::move(wav.samples);
        recording.rate = static_cast<int>(wav.sampleRate);
        return SoundResult::success();
    };
    files.write = [](std::span<const int16_t> samples, int rate, const std::string& fileName) {
        return writeWavFileSafely(samples.data(), rate, static_cast<int>(samples.size()), fileName,
                                  0);
    };
    return files;
}

}  // namespace tarnvel::audio
