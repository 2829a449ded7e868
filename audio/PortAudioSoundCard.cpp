#include "audio/PortAudioSoundCard.h"

#include <algorithm>
#include <string>

#include "audio/PortAudioCallbacks.h"
#include "audio/PortAudioDevices.h"
#include "audio/PortAudioStreams.h"

namespace tarnvel::audio {

namespace {

SoundResult noConversion(int from, int to) {
    return SoundResult::failure(SoundError::FormatRefused,
                                "no conversion from " + std::to_string(from) + " to " +
                                    std::to_string(to) + " samples per second");
}

}  // namespace

PortAudioSoundCard::PortAudioSoundCard(const SoundCardConfig& config, SoundEvents* shared)
    : SoundCard(config, shared) {}

PortAudioSoundCard::~PortAudioSoundCard() {
    stopInput();
    [[maybe_unused]] const SoundResult closed = closeOutput();
}

bool PortAudioSoundCard::backgroundClosesPending() {
    return audio::backgroundClosesPending();
}

std::vector<SoundDeviceInfo> PortAudioSoundCard::inputDevices() {
    return devices(SoundDirection::Input);
}

std::vector<SoundDeviceInfo> PortAudioSoundCard::outputDevices() {
    return devices(SoundDirection::Output);
}

std::vector<SoundDeviceInfo> PortAudioSoundCard::devices(SoundDirection direction) {
    // The device dialog should see what is there now, not what was there at start-up.
    const bool streamsOpen = input_ || output_;
    if (!streamsOpen) library_.restart();
    if (!library_.ensure(streamsOpen).ok()) return {};
    return listDevices(direction);
}

SoundResult PortAudioSoundCard::startInput() {
    if (input_) return SoundResult::success();
    if (SoundResult r = library_.ensure(output_ != nullptr); !r.ok()) return r;

    const int nominal = config_.nominalRate;
    auto stream = std::make_unique<PortAudioInputStream>();
    SoundResult result = openStream(*stream, &inputCallback, config_);
    if (!result.ok()) {
        library_.markStale();
        return result;
    }
    // The callback runs only once the stream starts, so the ring can still be sized for the
    // rate the device accepted: 48 blocks of backlog at that rate.
    const int rate = stream->deviceRate;
    stream->ring.reallocate(static_cast<std::size_t>(
        (static_cast<uint64_t>(kInputBacklogBlocks) * kInputBlockSamples * rate + nominal - 1) /
        static_cast<uint64_t>(nominal)));
    stream->events = &events_;
    stream->creditPerFrame = static_cast<uint64_t>(nominal);
    stream->creditPerBlock =
        static_cast<uint64_t>(kInputBlockSamples) * static_cast<uint64_t>(rate);
    if (rate != nominal) {
        stream->converter = makeRateConverter(rate, nominal);
        if (!stream->converter) {
            closeStream(std::move(stream), false);
            return noConversion(rate, nominal);
        }
        stream->raw.resize(4096);
    }
    stream->serial = events_.beginStream(SoundDirection::Input);
    result = startOrAbandon(stream, "input");
    if (!result.ok()) {
        events_.endStream(SoundDirection::Input);
        library_.markStale();
        return result;
    }
    input_ = std::move(stream);
    watchdog_.watch(*input_);
    return SoundResult::success();
}

void PortAudioSoundCard::stopInput() {
    if (!input_) return;
    events_.endStream(SoundDirection::Input);
    if (input_->failed.load()) library_.markStale();
    watchdog_.forget(SoundDirection::Input);
    closeStream(std::move(input_), false);
}

bool PortAudioSoundCard::readInputBlock(InputBlock block) {
    if (!input_) return false;
    PortAudioInputStream& s = *input_;
    if (s.converter) return readConverted(s, block);
    if (s.ring.readable() < block.size()) return false;
    s.ring.pop(block.data(), block.size());
    return true;
}

// Pulls device-rate samples through the converter until a block is whole.
bool PortAudioSoundCard::readConverted(PortAudioInputStream& s, InputBlock block) {
    while (s.converted.size() - s.convertedRead < block.size()) {
        const std::size_t got = s.ring.pop(s.raw.data(), s.raw.size());
        if (got == 0) return false;
        s.converter->convert(std::span<const int16_t>(s.raw.data(), got), s.converted);
    }
    std::copy_n(s.converted.begin() + static_cast<std::ptrdiff_t>(s.convertedRead), block.size(),
                block.begin());
    s.convertedRead += block.size();
    if (s.convertedRead >= s.converted.size() / 2) {
        s.converted.erase(s.converted.begin(),
                          s.converted.begin() + static_cast<std::ptrdiff_t>(s.convertedRead));
        s.convertedRead = 0;
    }
    return true;
}

SoundResult PortAudioSoundCard::openOutput() {
    if (output_) return SoundResult::success();
    if (SoundResult r = library_.ensure(input_ != nullptr); !r.ok()) return r;

    const int nominal = config_.nominalRate;
    auto stream = std::make_unique<PortAudioOutputStream>();
    SoundResult result = openStream(*stream, &outputCallback, config_);
    if (!result.ok()) {
        library_.markStale();
        return result;
    }
    // Room for every buffer in flight at the device's rate, plus what a converter may add.
    const int rate = stream->deviceRate;
    const uint64_t perBuffer =
        (static_cast<uint64_t>(kOutputBufferSamples) * rate + nominal - 1) / nominal + 64;
    stream->ring.reallocate(static_cast<std::size_t>(perBuffer * (kOutputBuffersInFlight + 1)));
    stream->events = &events_;
    if (rate != nominal) {
        stream->converter = makeRateConverter(nominal, rate);
        if (!stream->converter) {
            closeStream(std::move(stream), false);
            return noConversion(nominal, rate);
        }
    }
    stream->serial = events_.beginStream(SoundDirection::Output);
    result = startOrAbandon(stream, "output");
    if (!result.ok()) {
        events_.endStream(SoundDirection::Output);
        library_.markStale();
        return result;
    }
    output_ = std::move(stream);
    watchdog_.watch(*output_);
    return SoundResult::success();
}

SoundResult PortAudioSoundCard::closeOutput() {
    if (!output_) return SoundResult::success();
    events_.endStream(SoundDirection::Output);
    if (output_->failed.load()) library_.markStale();
    watchdog_.forget(SoundDirection::Output);
    closeStream(std::move(output_), true);
    return SoundResult::success();
}

SoundResult PortAudioSoundCard::playBuffer(int index) {
    if (!validBuffer(index)) {
        return SoundResult::failure(SoundError::BadBuffer,
                                    "no output buffer number " + std::to_string(index));
    }
    if (!output_) return SoundResult::failure(SoundError::NotOpen, "the output is not open");
    PortAudioOutputStream& s = *output_;
    if (s.failed.load()) {
        return SoundResult::failure(SoundError::DeviceVanished, "the output stream has stopped");
    }
    if (s.busy[index].load(std::memory_order_acquire)) {
        return SoundResult::failure(SoundError::BadBuffer,
                                    "output buffer " + std::to_string(index) + " is still playing");
    }
    std::span<const int16_t> samples(outputBuffers_[index]);
    if (s.converter) {
        s.converted.clear();
        s.converter->convert(samples, s.converted);
        samples = s.converted;
    }
    if (s.ring.writable() < samples.size() || s.queued.writable() == 0) {
        return SoundResult::failure(SoundError::OutputFull, "the output queue is full");
    }
    // The record goes first, so the callback never plays samples it cannot account for.
    s.busy[index].store(true, std::memory_order_release);
    s.queued.push({index, static_cast<uint32_t>(samples.size())});
    s.ring.push(samples.data(), samples.size());
    return SoundResult::success();
}

uint64_t PortAudioSoundCard::inputOverruns() const {
    return input_ ? input_->overruns.load() : 0;
}

uint64_t PortAudioSoundCard::outputUnderruns() const {
    return output_ ? output_->underruns.load() : 0;
}

int PortAudioSoundCard::inputDeviceRate() const {
    return input_ ? input_->deviceRate : 0;
}

int PortAudioSoundCard::outputDeviceRate() const {
    return output_ ? output_->deviceRate : 0;
}

}  // namespace tarnvel::audio
