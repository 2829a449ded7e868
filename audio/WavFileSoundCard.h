#pragma once
// A recording as the sound card: its input plays a file (paced in real time, or as fast as
// the station reads it) and its output collects the transmitted audio into a file.
//
// Input: the recording is converted to the nominal rate when needed and delivered in
// 512-sample blocks (the last one padded with silence), followed by an InputEnded event.
// Output: every played buffer is appended to the transmit recording at once and comes back as
// OutputBufferDone; closeOutput writes all audio transmitted so far to the output file.

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

#include "audio/RecordingFiles.h"
#include "audio/SoundCard.h"
#include "audio/SpscRing.h"

namespace tarnvel::audio {

struct WavFileSoundCardFiles {
    std::string inputFile;   // empty: there is no input device
    std::string outputFile;  // empty: there is no output device
    bool realTime = false;   // pace the input at the nominal rate
    bool loop = false;       // start the recording again when it ends
    // What openOutput says when there is no output file (the caller knows why).
    std::string noOutputMessage = "no output file was given";
};

class WavFileSoundCard final : public SoundCard {
  public:
    WavFileSoundCard(const SoundCardConfig& config, WavFileSoundCardFiles files,
                     RecordingFiles access = wavRecordingFiles());
    ~WavFileSoundCard() override;

    std::vector<SoundDeviceInfo> inputDevices() override;
    std::vector<SoundDeviceInfo> outputDevices() override;

    SoundResult startInput() override;
    void stopInput() override;
    SoundResult openOutput() override;
    SoundResult closeOutput() override;
    bool inputOpen() const override { return inputOpen_; }
    bool outputOpen() const override { return outputOpen_; }

    bool readInputBlock(InputBlock block) override;
    SoundResult playBuffer(int index) override;

    // Writes everything transmitted so far to the output file (closeOutput does it too).
    SoundResult writeOutputFile();
    // The outcome of the last write of the output file.
    const SoundResult& lastOutputResult() const { return lastOutputResult_; }
    // Samples of the recording delivered to the input so far (at the nominal rate).
    uint64_t inputSamplesDelivered() const { return delivered_.load(); }
    // Samples lost because a real-time paced input was not read in time.
    uint64_t inputOverruns() const override { return overruns_.load(); }

  private:
    void pace();

    WavFileSoundCardFiles files_;
    RecordingFiles access_;

    // Input: the recording at the nominal rate, fed to the ring by the pacing thread.
    std::vector<int16_t> recording_;
    SpscRing<int16_t> ring_;
    std::thread pacer_;
    std::mutex pacerMutex_;
    std::condition_variable pacerWake_;
    std::atomic<bool> stopPacer_{false};
    std::atomic<uint64_t> delivered_{0};
    std::atomic<uint64_t> overruns_{0};
    uint32_t inputStream_ = 0;
    bool inputOpen_ = false;

    // Output: everything transmitted since the card was made.
    std::vector<int16_t> transmitted_;
    uint32_t outputStream_ = 0;
    bool outputOpen_ = false;
    SoundResult lastOutputResult_;
};

}  // namespace tarnvel::audio
