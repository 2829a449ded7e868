#include "audio/UsbDeviceSimulator.h"

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/eventfd.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <chrono>
#include <cstring>

namespace tarnvel::audio {
namespace {

constexpr std::size_t kWritePiece = 100;  // not a multiple of 3: records arrive split
constexpr std::size_t kSamplesPerChunk = 256;
constexpr int kPollMs = 2;

using Clock = std::chrono::steady_clock;

}  // namespace

UsbDeviceSimulator::UsbDeviceSimulator(UsbSimulatorOptions options)
    : options_(std::move(options)) {}

UsbDeviceSimulator::~UsbDeviceSimulator() {
    stop_ = true;
    if (wake_ >= 0) {
        const uint64_t one = 1;
        [[maybe_unused]] const ssize_t n = ::write(wake_, &one, sizeof one);
    }
    if (thread_.joinable()) thread_.join();
    for (const int fd : {master_, slaveHold_, wake_})
        if (fd >= 0) ::close(fd);
}

SoundResult UsbDeviceSimulator::start() {
    master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
    if (master_ < 0 || ::grantpt(master_) != 0 || ::unlockpt(master_) != 0) {
        return SoundResult::failure(
            SoundError::NoDevice,
            std::string("Cannot make a pseudo-terminal: ") + std::strerror(errno));
    }
    std::array<char, 128> name{};
    if (::ptsname_r(master_, name.data(), name.size()) != 0) {
        return SoundResult::failure(
            SoundError::NoDevice,
            std::string("No name for the pseudo-terminal: ") + std::strerror(errno));
    }
    slavePath_ = name.data();
    slaveHold_ = ::open(slavePath_.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (slaveHold_ >= 0) {
        termios tio{};
        if (::tcgetattr(slaveHold_, &tio) == 0) {
            ::cfmakeraw(&tio);
            ::tcsetattr(slaveHold_, TCSANOW, &tio);
        }
    }
    wake_ = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    thread_ = std::thread([this] { run(); });
    return SoundResult::success();
}

void UsbDeviceSimulator::unplug() {
    stop_ = true;
    const uint64_t one = 1;
    [[maybe_unused]] const ssize_t n = ::write(wake_, &one, sizeof one);
    if (thread_.joinable()) thread_.join();
    for (int* fd : {&master_, &slaveHold_}) {
        if (*fd >= 0) ::close(*fd);
        *fd = -1;
    }
}

void UsbDeviceSimulator::sendCharacter(uint8_t c) {
    std::lock_guard lock(characterMutex_);
    pendingCharacters_.push_back(usb::kCharacterRecord);
    pendingCharacters_.push_back(c);
}

std::vector<int16_t> UsbDeviceSimulator::transmitted() const {
    std::lock_guard lock(mutex_);
    return transmitted_;
}

usb::Levels UsbDeviceSimulator::levels() const {
    std::lock_guard lock(mutex_);
    return levels_;
}

void UsbDeviceSimulator::run() {
    std::vector<uint8_t> out;
    std::size_t outAt = 0;
    std::array<uint8_t, 4096> in{};
    Clock::time_point receiveStart{};
    uint64_t sentSinceStart = 0;
    bool wasReceiving = false;
    while (!stop_.load()) {
        std::array<pollfd, 2> fds{pollfd{master_, POLLIN, 0}, pollfd{wake_, POLLIN, 0}};
        if (outAt < out.size()) fds[0].events |= POLLOUT;
        ::poll(fds.data(), fds.size(), kPollMs);
        if (fds[1].revents != 0) break;
        if (fds[0].revents & POLLIN) {
            const ssize_t n = ::read(master_, in.data(), in.size());
            if (n > 0) takeHostBytes(in.data(), static_cast<std::size_t>(n));
        }
        // Flush what is waiting, a piece at a time.
        while (outAt < out.size()) {
            const std::size_t piece = std::min(kWritePiece, out.size() - outAt);
            const ssize_t n = ::write(master_, out.data() + outAt, piece);
            if (n <= 0) break;
            outAt += static_cast<std::size_t>(n);
        }
        if (outAt < out.size()) continue;
        out.clear();
        outAt = 0;
        {
            std::lock_guard lock(characterMutex_);
            out.swap(pendingCharacters_);
        }
        const bool receiving = receiving_.load();
        if (receiving && !wasReceiving) {
            receiveStart = Clock::now();
            sentSinceStart = 0;
        }
        wasReceiving = receiving;
        if (!receiving) continue;
        uint64_t due = sentSinceStart + kSamplesPerChunk;
        if (options_.realTime) {
            const double seconds =
                std::chrono::duration<double>(Clock::now() - receiveStart).count();
            due = static_cast<uint64_t>(seconds * usb::kDeviceRate);
        }
        for (; sentSinceStart < due && out.size() < 3 * kSamplesPerChunk; ++sentSinceStart) {
            int16_t s = 0;
            if (options_.loop && position_ >= options_.play.size()) position_ = 0;
            if (position_ < options_.play.size()) s = options_.play[position_++];
            const auto u = static_cast<uint16_t>(s);
            out.push_back(usb::kSampleRecord);
            out.push_back(static_cast<uint8_t>(u >> 8));
            out.push_back(static_cast<uint8_t>(u & 0xff));
            played_.fetch_add(1, std::memory_order_relaxed);
        }
    }
}

void UsbDeviceSimulator::takeHostBytes(const uint8_t* bytes, std::size_t n) {
    bytesIn_.fetch_add(n, std::memory_order_relaxed);
    for (std::size_t i = 0; i < n; ++i) takeByte(bytes[i]);
}

void UsbDeviceSimulator::takeByte(uint8_t byte) {
    switch (state_) {
        case State::Idle:
            switch (byte) {
                case usb::kSampleRecord:
                    firstSample_ = false;
                    state_ = State::SampleHigh;
                    break;
                case usb::kFirstSample:
                    transmitting_ = true;
                    firstSample_ = true;
                    started_.fetch_add(1);
                    state_ = State::SampleHigh;
                    break;
                case usb::kRegisterWrite:
                    state_ = State::Register;
                    break;
                case usb::kStartReceive:
                    receiving_ = true;
                    break;
                case usb::kStopReceive:
                    receiving_ = false;
                    break;
                case usb::kStopTransmit:
                    if (transmitting_) {
                        transmitting_ = false;
                        ended_.fetch_add(1);
                        if (options_.transmissionEnded) options_.transmissionEnded();
                    }
                    break;
                default:
                    break;  // 0x40 and the fill bytes
            }
            break;
        case State::SampleHigh:
            high_ = byte;
            state_ = State::SampleLow;
            break;
        case State::SampleLow:
            if (transmitting_) {
                // 'C' takes the place of the first sample: it plays as silence.
                const auto s = firstSample_
                                   ? int16_t{0}
                                   : static_cast<int16_t>(static_cast<uint16_t>(high_ << 8 | byte));
                std::lock_guard lock(mutex_);
                transmitted_.push_back(s);
            }
            state_ = State::Idle;
            break;
        case State::Register:
            register_ = byte;
            state_ = State::Value1;
            break;
        case State::Value1:
            value1_ = byte;
            state_ = State::Value2;
            break;
        case State::Value2: {
            std::lock_guard lock(mutex_);
            if (register_ == usb::kOutputLevelRegister) levels_.vOut = value1_;
            if (register_ == usb::kInputLevelRegister) levels_.vIn = value1_;
            state_ = State::Idle;
            break;
        }
    }
}

}  // namespace tarnvel::audio
