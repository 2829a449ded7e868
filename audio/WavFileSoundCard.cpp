#include "audio/WavFileSoundCard.h"

#include <algorithm>
#include <chrono>
#include <cstring>

#include "audio/RateConverter.h"

namespace tarnvel::audio {

namespace {
// How long the pacer sleeps at most before it looks at the stop flag and the ring again.
constexpr std::chrono::milliseconds kPacerPoll{5};

SoundResult checkDevice(int deviceId, const std::string& file, const char* side,
                        const std::string& missingMessage) {
    if (file.empty()) return SoundResult::failure(SoundError::NoDevice, missingMessage);
    if (deviceId > 0) {
        return SoundResult::failure(
            SoundError::NoDevice,
            std::string("no ") + side + " sound device number " + std::to_string(deviceId));
    }
    return SoundResult::success();
}
}  // namespace

WavFileSoundCard::WavFileSoundCard(const SoundCardConfig& config, WavFileSoundCardFiles files,
                                   RecordingFiles access)
    : SoundCard(config),
      files_(std::move(files)),
      access_(std::move(access)),
      ring_(static_cast<std::size_t>(kInputBacklogBlocks) * kInputBlockSamples) {}

WavFileSoundCard::~WavFileSoundCard() {
    stopInput();
    // Audio transmitted by a station that never closed its output is still written.
    [[maybe_unused]] const SoundResult closed = closeOutput();
}

std::vector<SoundDeviceInfo> WavFileSoundCard::inputDevices() {
    if (files_.inputFile.empty()) return {};
    return {{files_.inputFile, 1, static_cast<double>(config_.nominalRate)}};
}

std::vector<SoundDeviceInfo> WavFileSoundCard::outputDevices() {
    if (files_.outputFile.empty()) return {};
    return {{files_.outputFile, 1, static_cast<double>(config_.nominalRate)}};
}

SoundResult WavFileSoundCard::startInput() {
    if (inputOpen_) return SoundResult::success();
    if (SoundResult r = checkDevice(config_.inputDeviceId, files_.inputFile, "input",
                                    "no input file was given"); !r.ok()) {
        return r;
    }
    Recording recording;
    if (SoundResult r = access_.read(files_.inputFile, recording); !r.ok()) return r;
    if (recording.rate != config_.nominalRate) {
        auto converter = makeRateConverter(recording.rate, config_.nominalRate);
        if (!converter) {
            return SoundResult::failure(SoundError::FormatRefused,
                                        "no conversion from " + std::to_string(recording.rate) +
                                            " to " + std::to_string(config_.nominalRate) +
                                            " samples per second for " + files_.inputFile);
        }
        std::vector<int16_t> converted;
        converter->convert(recording.samples, converted);
        converter->finish(converted);
        recording.samples = std::move(converted);
    }
    recording_ = std::move(recording.samples);
    ring_.clear();
    delivered_ = 0;
    overruns_ = 0;
    stopPacer_ = false;
    inputStream_ = events_.beginStream(SoundDirection::Input);
    pacer_ = std::thread([this] { pace(); });
    inputOpen_ = true;
    return SoundResult::success();
}

void WavFileSoundCard::stopInput() {
    if (!inputOpen_) return;
    inputOpen_ = false;
    events_.endStream(SoundDirection::Input);
    stopPacer_ = true;
    pacerWake_.notify_all();
    if (pacer_.joinable()) pacer_.join();
}

// The pacing thread: moves the recording into the ring one block at a time.
void WavFileSoundCard::pace() {
    using Clock = std::chrono::steady_clock;
    const auto started = Clock::now();
    const double secondsPerBlock = static_cast<double>(kInputBlockSamples) / config_.nominalRate;
    std::array<int16_t, kInputBlockSamples> block{};
    std::size_t position = 0;
    uint64_t blocks = 0;
    std::unique_lock lock(pacerMutex_);
    while (!stopPacer_ && position < recording_.size()) {
        if (files_.realTime) {
            // Each block is due when the recording has played that far.
            const auto due =
                started + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(
                              secondsPerBlock * static_cast<double>(blocks + 1)));
            if (pacerWake_.wait_until(lock, due, [this] { return stopPacer_.load(); })) break;
        } else if (ring_.writable() < kInputBlockSamples) {
            // As fast as the station reads, but nothing is dropped.
            pacerWake_.wait_for(lock, kPacerPoll);
            continue;
        }
        const std::size_t n =
            std::min<std::size_t>(kInputBlockSamples, recording_.size() - position);
        std::copy_n(recording_.begin() + static_cast<std::ptrdiff_t>(position), n, block.begin());
        std::fill(block.begin() + static_cast<std::ptrdiff_t>(n), block.end(), int16_t{0});
        // A station that falls behind in real time loses audio, as with a sound card.
        if (ring_.writable() >= block.size()) {
            ring_.push(block.data(), block.size());
            delivered_ += n;
        } else {
            overruns_ += n;
        }
        position += n;
        ++blocks;
        if (files_.loop && position >= recording_.size()) position = 0;
        events_.post({SoundEventKind::InputBlockReady, SoundDirection::Input, -1, SoundError::None,
                      inputStream_});
    }
    if (!stopPacer_) {
        events_.post({SoundEventKind::InputEnded, SoundDirection::Input, -1, SoundError::None,
                      inputStream_});
    }
}

bool WavFileSoundCard::readInputBlock(InputBlock block) {
    if (!inputOpen_ || ring_.readable() < block.size()) return false;
    ring_.pop(block.data(), block.size());
    pacerWake_.notify_one();
    return true;
}

SoundResult WavFileSoundCard::openOutput() {
    if (outputOpen_) return SoundResult::success();
    if (SoundResult r = checkDevice(config_.outputDeviceId, files_.outputFile, "output",
                                    files_.noOutputMessage); !r.ok()) {
        return r;
    }
    // Find out now, not after a whole transmission, whether the file can be written.
    if (SoundResult r = writeOutputFile(); !r.ok()) return r;
    outputStream_ = events_.beginStream(SoundDirection::Output);
    outputOpen_ = true;
    return SoundResult::success();
}

SoundResult WavFileSoundCard::closeOutput() {
    if (!outputOpen_) return SoundResult::success();
    outputOpen_ = false;
    events_.endStream(SoundDirection::Output);
    return writeOutputFile();
}

SoundResult WavFileSoundCard::writeOutputFile() {
    const int error = access_.write(transmitted_, config_.nominalRate, files_.outputFile);
    lastOutputResult_ = error == 0 ? SoundResult::success()
                                   : SoundResult::failure(SoundError::WriteFailed,
                                                          "writing " + files_.outputFile +
                                                              " failed: " + std::strerror(error));
    return lastOutputResult_;
}

SoundResult WavFileSoundCard::playBuffer(int index) {
    if (!validBuffer(index)) {
        return SoundResult::failure(SoundError::BadBuffer,
                                    "no output buffer number " + std::to_string(index));
    }
    if (!outputOpen_) return SoundResult::failure(SoundError::NotOpen, "the output is not open");
    const auto& buffer = outputBuffers_[index];
    transmitted_.insert(transmitted_.end(), buffer.begin(), buffer.end());
    events_.post({SoundEventKind::OutputBufferDone, SoundDirection::Output, index, SoundError::None,
                  outputStream_});
    return SoundResult::success();
}

}  // namespace tarnvel::audio
