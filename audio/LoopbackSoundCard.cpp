#include "audio/LoopbackSoundCard.h"

#include <string>

namespace tarnvel::audio {

namespace {
constexpr const char* kLoopbackDeviceName = "Loopback";
}

LoopbackSoundCard::LoopbackSoundCard(const SoundCardConfig& config)
    : SoundCard(config),
      ring_(static_cast<std::size_t>(kInputBacklogBlocks) * kInputBlockSamples) {}

std::vector<SoundDeviceInfo> LoopbackSoundCard::inputDevices() {
    return {{kLoopbackDeviceName, 1, static_cast<double>(config_.nominalRate)}};
}

std::vector<SoundDeviceInfo> LoopbackSoundCard::outputDevices() {
    return {{kLoopbackDeviceName, 1, static_cast<double>(config_.nominalRate)}};
}

SoundResult LoopbackSoundCard::checkDevice(int deviceId, const std::string& name,
                                           const char* side) const {
    // One device in each list: number 0, or the preferred one.
    if (findDevicePosition({{kLoopbackDeviceName, 1, 0.0}}, deviceId, name) == kMissingDevice) {
        return SoundResult::failure(SoundError::NoDevice, std::string(side) + " sound device '" +
                                                              name + "' is not present");
    }
    if (deviceId > 0) {
        return SoundResult::failure(
            SoundError::NoDevice,
            std::string("no ") + side + " sound device number " + std::to_string(deviceId));
    }
    return SoundResult::success();
}

SoundResult LoopbackSoundCard::startInput() {
    if (inputOpen_) return SoundResult::success();
    if (SoundResult r = checkDevice(config_.inputDeviceId, config_.inputDeviceName, "input");
        !r.ok())
        return r;
    ring_.clear();
    sinceLastEvent_ = 0;
    inputStream_ = events_.beginStream(SoundDirection::Input);
    inputOpen_ = true;
    return SoundResult::success();
}

void LoopbackSoundCard::stopInput() {
    if (!inputOpen_) return;
    inputOpen_ = false;
    events_.endStream(SoundDirection::Input);
}

SoundResult LoopbackSoundCard::openOutput() {
    if (outputOpen_) return SoundResult::success();
    if (SoundResult r = checkDevice(config_.outputDeviceId, config_.outputDeviceName, "output");
        !r.ok())
        return r;
    outputStream_ = events_.beginStream(SoundDirection::Output);
    outputOpen_ = true;
    return SoundResult::success();
}

SoundResult LoopbackSoundCard::closeOutput() {
    if (!outputOpen_) return SoundResult::success();
    outputOpen_ = false;
    events_.endStream(SoundDirection::Output);
    return SoundResult::success();
}

void LoopbackSoundCard::inject(std::span<const int16_t> samples) {
    if (!inputOpen_) return;  // a stopped input hears nothing, as on a real card
    const std::size_t taken = ring_.push(samples.data(), samples.size());
    overruns_ += samples.size() - taken;
    sinceLastEvent_ += taken;
    // Each whole block says so, as a sound card reports each filled buffer (the events coalesce).
    for (; sinceLastEvent_ >= kInputBlockSamples; sinceLastEvent_ -= kInputBlockSamples) {
        events_.post({SoundEventKind::InputBlockReady, SoundDirection::Input, -1, SoundError::None,
                      inputStream_});
    }
}

bool LoopbackSoundCard::readInputBlock(InputBlock block) {
    if (!inputOpen_ || ring_.readable() < block.size()) return false;
    ring_.pop(block.data(), block.size());
    return true;
}

SoundResult LoopbackSoundCard::playBuffer(int index) {
    if (!validBuffer(index)) {
        return SoundResult::failure(SoundError::BadBuffer,
                                    "no output buffer number " + std::to_string(index));
    }
    if (!outputOpen_) return SoundResult::failure(SoundError::NotOpen, "the output is not open");
    inject(outputBuffers_[index]);
    events_.post({SoundEventKind::OutputBufferDone, SoundDirection::Output, index, SoundError::None,
                  outputStream_});
    return SoundResult::success();
}

}  // namespace tarnvel::audio
