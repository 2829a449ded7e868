#include "audio/UsbDeviceLink.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "radio/SerialPort.h"

namespace tarnvel::audio {
namespace {

// How long the reader waits for the station to make room in a full ring before it looks
// at the stop flag again.
constexpr int kFullRingPollMs = 5;

std::string errnoText(int error) {
    return std::strerror(error);
}

}  // namespace

UsbDeviceLink::UsbDeviceLink(UsbLinkListener& listener)
    : listener_(listener), ring_(kReceiveRingBytes) {}

UsbDeviceLink::~UsbDeviceLink() {
    close();
}

SoundResult UsbDeviceLink::open(const std::string& path) {
    close();
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        const int error = errno;
        return SoundResult::failure(
            SoundError::DeviceUnavailable,
            "Cannot open the USB sound device " + path + ": " + errnoText(error));
    }
    ::ioctl(fd, TIOCEXCL);  // no second program on the device
    const radio::SerialResult line = radio::configureRawLine(fd, path, usb::kBaud);
    const int wake = line ? ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC) : -1;
    if (!line || wake < 0) {
        ::close(fd);
        return SoundResult::failure(SoundError::FormatRefused,
                                    line ? "No wake-up descriptor for " + path : line.message);
    }
    fd_ = fd;
    wakeFd_ = wake;
    path_ = path;
    stopping_ = false;
    failed_ = false;
    stalls_ = 0;
    ring_.clear();
    {
        std::lock_guard lock(mutex_);
        head_ = count_ = 0;
        audioQueued_ = 0;
        waitingHead_ = waitingCount_ = 0;
        failure_.clear();
    }
    reader_ = std::thread([this] { readerLoop(); });
    writer_ = std::thread([this] { writerLoop(); });
    return SoundResult::success();
}

void UsbDeviceLink::close() {
    if (fd_ < 0) return;
    stopping_ = true;
    const uint64_t one = 1;
    [[maybe_unused]] const ssize_t n = ::write(wakeFd_, &one, sizeof one);
    {
        std::lock_guard lock(mutex_);
        changed_.notify_all();
    }
    if (reader_.joinable()) reader_.join();
    if (writer_.joinable()) writer_.join();
    ::close(fd_);
    ::close(wakeFd_);
    fd_ = wakeFd_ = -1;
    std::lock_guard lock(mutex_);
    count_ = 0;
    audioQueued_ = 0;
    waitingCount_ = 0;
}

SoundResult UsbDeviceLink::enqueue(std::span<const uint8_t> bytes, bool audio) {
    if (!isOpen())
        return SoundResult::failure(SoundError::NotOpen, "the USB sound device is not open");
    if (failed_.load()) return SoundResult::failure(SoundError::DeviceVanished, failure_);
    if (count_ == kWriteSlots || bytes.size() > usb::kBlockBytes) {
        return SoundResult::failure(
            SoundError::OutputFull,
            "the write queue of the USB sound device " + path_ + " is full");
    }
    Write& w = writes_[(head_ + count_) % kWriteSlots];
    std::copy(bytes.begin(), bytes.end(), w.bytes.begin());
    w.length = bytes.size();
    w.audio = audio;
    w.started = false;
    ++count_;
    changed_.notify_all();
    return SoundResult::success();
}

SoundResult UsbDeviceLink::sendControl(std::span<const uint8_t> bytes) {
    std::lock_guard lock(mutex_);
    return enqueue(bytes, false);
}

// A buffer given back to the producer may come back as one more block: give it back only
// while the blocks queued plus every buffer the producer holds stay within eight.
SoundResult UsbDeviceLink::sendAudio(std::span<const uint8_t, usb::kBlockBytes> block, int tag,
                                     bool& readyNow) {
    std::lock_guard lock(mutex_);
    readyNow = false;
    if (audioQueued_ >= usb::kWritesInFlight) {
        return SoundResult::failure(SoundError::OutputFull,
                                    "more than eight blocks queued for " + path_);
    }
    if (SoundResult r = enqueue(block, true); !r.ok()) return r;
    ++audioQueued_;
    const int producerHolds = kOutputBuffersInFlight - static_cast<int>(waitingCount_);
    readyNow = audioQueued_ + producerHolds <= usb::kWritesInFlight;
    if (!readyNow) {
        waitingTags_[(waitingHead_ + waitingCount_) % waitingTags_.size()] = tag;
        ++waitingCount_;
    }
    return SoundResult::success();
}

bool UsbDeviceLink::markEndOfLastBlock() {
    std::lock_guard lock(mutex_);
    if (count_ == 0) return false;
    Write& last = writes_[(head_ + count_ - 1) % kWriteSlots];
    if (!last.audio || last.started) return false;
    usb::markTransmissionEnd(std::span<uint8_t, usb::kBlockBytes>(last.bytes));
    return true;
}

bool UsbDeviceLink::drain(std::chrono::milliseconds timeout) {
    std::unique_lock lock(mutex_);
    changed_.wait_for(lock, timeout, [this] { return count_ == 0 || failed_.load(); });
    return count_ == 0 && !failed_.load();
}

int UsbDeviceLink::audioBlocksQueued() const {
    std::lock_guard lock(mutex_);
    return audioQueued_;
}

void UsbDeviceLink::discardReceived() {
    std::array<uint8_t, 4096> sink{};
    while (ring_.pop(sink.data(), sink.size()) > 0) {
    }
}

std::string UsbDeviceLink::failureMessage() const {
    std::lock_guard lock(mutex_);
    return failure_;
}

void UsbDeviceLink::fail(const std::string& why) {
    {
        std::lock_guard lock(mutex_);
        if (failed_.load() || stopping_.load()) return;
        failure_ = "The USB sound device " + path_ + " stopped: " + why;
        failed_.store(true, std::memory_order_release);
        changed_.notify_all();
    }
    listener_.failed();
}

bool UsbDeviceLink::waitFor(short events, int timeoutMs, bool& ready) {
    std::array<pollfd, 2> fds{pollfd{fd_, events, 0}, pollfd{wakeFd_, POLLIN, 0}};
    ready = false;
    for (;;) {
        if (stopping_.load()) return false;
        const int rc = ::poll(fds.data(), fds.size(), timeoutMs);
        if (rc < 0 && errno == EINTR) continue;
        if (rc < 0) {
            fail("waiting for the device failed: " + errnoText(errno));
            return false;
        }
        if (fds[1].revents != 0) return false;
        if (rc == 0) return true;
        if ((fds[0].revents & (POLLHUP | POLLERR | POLLNVAL)) && !(fds[0].revents & events)) {
            fail("the device hung up");
            return false;
        }
        ready = (fds[0].revents & events) != 0;
        return true;
    }
}

void UsbDeviceLink::readerLoop() {
    std::array<uint8_t, 4096> buffer{};
    bool wasFull = false;
    while (!stopping_.load()) {
        const std::size_t room = std::min(ring_.writable(), buffer.size());
        bool ready = false;
        if (room == 0) {
            // The station is behind: leave the bytes with the driver until it catches up.
            if (!wasFull) stalls_.fetch_add(1, std::memory_order_relaxed);
            wasFull = true;
            if (!waitFor(0, kFullRingPollMs, ready)) return;
            continue;
        }
        wasFull = false;
        if (!waitFor(POLLIN, -1, ready)) return;
        if (!ready) continue;
        const ssize_t n = ::read(fd_, buffer.data(), room);
        if (n < 0 && (errno == EAGAIN || errno == EINTR)) continue;
        if (n <= 0) {
            fail(n == 0 ? std::string("the device hung up")
                        : "reading failed: " + errnoText(errno));
            return;
        }
        ring_.push(buffer.data(), static_cast<std::size_t>(n));
        listener_.bytesArrived();
    }
}

void UsbDeviceLink::writerLoop() {
    for (;;) {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [this] { return stopping_.load() || failed_.load() || count_ > 0; });
        if (stopping_.load() || failed_.load()) return;
        Write& w = writes_[head_];
        w.started = true;
        lock.unlock();
        // The slot at the head is not touched by anyone else while it is being written.
        if (!writeAll(w)) return;
        lock.lock();
        const bool audio = w.audio;
        w.started = false;
        head_ = (head_ + 1) % kWriteSlots;
        --count_;
        int tag = -1;
        if (audio) {
            --audioQueued_;
            const int producerHolds = kOutputBuffersInFlight - static_cast<int>(waitingCount_) + 1;
            if (waitingCount_ > 0 && audioQueued_ + producerHolds <= usb::kWritesInFlight) {
                tag = waitingTags_[waitingHead_];
                waitingHead_ = (waitingHead_ + 1) % waitingTags_.size();
                --waitingCount_;
            }
        }
        changed_.notify_all();
        lock.unlock();
        if (tag >= 0) listener_.readyForMore(tag);
    }
}

bool UsbDeviceLink::writeAll(const Write& write) {
    std::size_t done = 0;
    while (done < write.length) {
        const ssize_t n = ::write(fd_, write.bytes.data() + done, write.length - done);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
            continue;
        }
        const int error = n < 0 ? errno : EIO;
        if (error == EINTR) continue;
        if (error == EAGAIN) {
            bool ready = false;
            if (!waitFor(POLLOUT, -1, ready)) return false;
            continue;
        }
        fail("writing failed: " + errnoText(error));
        return false;
    }
    return true;
}

}  // namespace tarnvel::audio
