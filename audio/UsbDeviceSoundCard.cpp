#include "audio/UsbDeviceSoundCard.h"

#include <algorithm>
#include <chrono>

namespace tarnvel::audio {
namespace {

// The device's characters kept for the station: the last few hundred.
constexpr std::size_t kCharactersKept = 256;
// Time for the device to take what is queued: the blocks' playing time and a margin.
constexpr std::chrono::milliseconds kDrainMargin{2000};
constexpr std::chrono::milliseconds kShutdownDrain{500};

std::chrono::milliseconds playingTime(int blocks) {
    return std::chrono::milliseconds(static_cast<long long>(blocks) * usb::kBlockSamples * 1000 /
                                     usb::kDeviceRate);
}

}  // namespace

UsbDeviceSoundCard::UsbDeviceSoundCard(const SoundCardConfig& config, SoundEvents* shared)
    : SoundCard(config, shared), link_(*this) {}

UsbDeviceSoundCard::~UsbDeviceSoundCard() {
    shutdown();
}

std::vector<SoundDeviceInfo> UsbDeviceSoundCard::inputDevices() {
    return {{config_.usb.device, 1, static_cast<double>(usb::kDeviceRate)}};
}

std::vector<SoundDeviceInfo> UsbDeviceSoundCard::outputDevices() {
    return inputDevices();
}

SoundResult UsbDeviceSoundCard::checkRate() const {
    if (config_.nominalRate == usb::kDeviceRate) return SoundResult::success();
    return SoundResult::failure(
        SoundError::FormatRefused,
        "the USB sound device runs at " + std::to_string(usb::kDeviceRate) +
            " samples per second, not " + std::to_string(config_.nominalRate) +
            " (set the sample rate to " + std::to_string(usb::kDeviceRate) + ")");
}

// Opens the link when it is not open on the configured device (or has failed since), and
// sends the configuration block.
SoundResult UsbDeviceSoundCard::openLink() {
    if (link_.isOpen() && !link_.hasFailed() && link_.path() == config_.usb.device)
        return SoundResult::success();
    link_.close();
    if (config_.usb.device.empty())
        return SoundResult::failure(SoundError::NoDevice, "no USB sound device was chosen");
    if (SoundResult r = link_.open(config_.usb.device); !r.ok()) return r;
    sentLevels_ = usb::levelsFor(config_.usb.volumeIn, config_.usb.volumeOut);
    parser_.reset();
    return link_.sendControl(usb::configurationBlock(sentLevels_));
}

SoundResult UsbDeviceSoundCard::startInput() {
    if (inputOpen_) return SoundResult::success();
    if (SoundResult r = checkRate(); !r.ok()) return r;
    if (SoundResult r = openLink(); !r.ok()) return r;
    const usb::Levels wanted = usb::levelsFor(config_.usb.volumeIn, config_.usb.volumeOut);
    if (wanted != sentLevels_) {
        if (SoundResult r = link_.sendControl(usb::levelUpdate(wanted)); !r.ok()) return r;
        sentLevels_ = wanted;
    }
    // What came while receive was off is not this stream's.
    link_.discardReceived();
    parsedCount_ = 0;
    inputStream_ = events_.beginStream(SoundDirection::Input);
    const uint8_t start = usb::kStartReceive;
    if (SoundResult r = link_.sendControl({&start, 1}); !r.ok()) {
        events_.endStream(SoundDirection::Input);
        return r;
    }
    inputOpen_ = true;
    return SoundResult::success();
}

void UsbDeviceSoundCard::stopInput() {
    if (!inputOpen_) return;
    inputOpen_ = false;
    events_.endStream(SoundDirection::Input);
    const uint8_t stop = usb::kStopReceive;
    [[maybe_unused]] const SoundResult sent = link_.sendControl({&stop, 1});
}

bool UsbDeviceSoundCard::readInputBlock(InputBlock block) {
    if (!inputOpen_) return false;
    while (parsedCount_ < block.size()) {
        const std::size_t n = link_.read(rawBytes_);
        if (n == 0) break;
        parsedCount_ +=
            parser_.parse({rawBytes_.data(), n}, parsed_.data() + parsedCount_, characters_);
    }
    if (characters_.size() > 2 * kCharactersKept)
        characters_.erase(0, characters_.size() - kCharactersKept);
    if (parsedCount_ < block.size()) return false;
    std::copy_n(parsed_.begin(), block.size(), block.begin());
    std::copy(parsed_.begin() + static_cast<std::ptrdiff_t>(block.size()),
              parsed_.begin() + static_cast<std::ptrdiff_t>(parsedCount_), parsed_.begin());
    parsedCount_ -= block.size();
    return true;
}

SoundResult UsbDeviceSoundCard::openOutput() {
    if (outputOpen_) return SoundResult::success();
    if (SoundResult r = checkRate(); !r.ok()) return r;
    if (SoundResult r = openLink(); !r.ok()) return r;
    outputStream_ = events_.beginStream(SoundDirection::Output);
    firstBlock_ = true;
    outputOpen_ = true;
    return SoundResult::success();
}

SoundResult UsbDeviceSoundCard::playBuffer(int index) {
    if (!validBuffer(index)) {
        return SoundResult::failure(SoundError::BadBuffer,
                                    "no output buffer number " + std::to_string(index));
    }
    if (!outputOpen_) return SoundResult::failure(SoundError::NotOpen, "the output is not open");
    usb::encodeBlock(std::span<const int16_t, usb::kBlockSamples>(outputBuffers_[index]),
                     firstBlock_, block_);
    bool readyNow = false;
    if (SoundResult r = link_.sendAudio(block_, index, readyNow); !r.ok()) return r;
    firstBlock_ = false;
    if (readyNow) {
        events_.post({SoundEventKind::OutputBufferDone, SoundDirection::Output, index,
                      SoundError::None, outputStream_.load()});
    }
    return SoundResult::success();
}

SoundResult UsbDeviceSoundCard::closeOutput() {
    if (!outputOpen_) return SoundResult::success();
    outputOpen_ = false;
    events_.endStream(SoundDirection::Output);
    // A failed link has been reported through its DeviceFailed event already.
    if (link_.hasFailed() || !link_.isOpen()) return SoundResult::success();
    if (!link_.markEndOfLastBlock()) {
        const uint8_t stop = usb::kStopTransmit;
        if (SoundResult r = link_.sendControl({&stop, 1}); !r.ok()) return r;
    }
    if (link_.drain(playingTime(link_.audioBlocksQueued()) + kDrainMargin) || link_.hasFailed())
        return SoundResult::success();
    return SoundResult::failure(
        SoundError::DeviceVanished,
        "the USB sound device " + link_.path() + " did not take the end of the transmission");
}

std::string UsbDeviceSoundCard::failureDetail(SoundDirection) const {
    return link_.failureMessage();
}

void UsbDeviceSoundCard::shutdown() {
    if (!link_.isOpen()) return;
    if (!link_.hasFailed()) {
        const auto sequence = usb::shutdownSequence();
        if (link_.sendControl(sequence).ok()) link_.drain(kShutdownDrain);
    }
    link_.close();
}

// ---- the link's threads: post only ----------------------------------------------------------

void UsbDeviceSoundCard::bytesArrived() {
    events_.post({SoundEventKind::InputBlockReady, SoundDirection::Input, -1, SoundError::None,
                  inputStream_.load()});
}

void UsbDeviceSoundCard::readyForMore(int tag) {
    events_.post({SoundEventKind::OutputBufferDone, SoundDirection::Output, tag, SoundError::None,
                  outputStream_.load()});
}

void UsbDeviceSoundCard::failed() {
    for (const SoundDirection d : {SoundDirection::Input, SoundDirection::Output}) {
        const uint32_t stream =
            d == SoundDirection::Input ? inputStream_.load() : outputStream_.load();
        events_.post({SoundEventKind::DeviceFailed, d, -1, SoundError::DeviceVanished, stream});
    }
}

}  // namespace tarnvel::audio
