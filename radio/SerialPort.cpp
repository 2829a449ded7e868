#include "radio/SerialPort.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <utility>

namespace tarnvel::radio {

namespace {

struct SpeedEntry {
    int baud;
    speed_t constant;
};

constexpr std::array kSpeeds{
    SpeedEntry{300, B300},         SpeedEntry{600, B600},         SpeedEntry{1200, B1200},
    SpeedEntry{2400, B2400},       SpeedEntry{4800, B4800},       SpeedEntry{9600, B9600},
    SpeedEntry{19200, B19200},     SpeedEntry{38400, B38400},     SpeedEntry{57600, B57600},
    SpeedEntry{115200, B115200},   SpeedEntry{230400, B230400},   SpeedEntry{460800, B460800},
    SpeedEntry{500000, B500000},   SpeedEntry{576000, B576000},   SpeedEntry{921600, B921600},
    SpeedEntry{1000000, B1000000}, SpeedEntry{1152000, B1152000}, SpeedEntry{1500000, B1500000},
    SpeedEntry{2000000, B2000000}, SpeedEntry{2500000, B2500000}, SpeedEntry{3000000, B3000000},
    SpeedEntry{3500000, B3500000}, SpeedEntry{4000000, B4000000},
};

std::optional<speed_t> speedConstant(int baud) {
    for (const auto& s : kSpeeds) {
        if (s.baud == baud) return s.constant;
    }
    return std::nullopt;
}

std::string describeErrno(int error) {
    return std::strerror(error);
}

// Errors after which the device is gone for good, as opposed to "try again".
bool meansDeviceGone(int error) {
    return error == EIO || error == ENXIO || error == ENODEV || error == EBADF ||
           error == EPIPE;
}

}  // namespace

bool isSupportedSerialSpeed(int baud) {
    return speedConstant(baud).has_value();
}

SerialPort::SerialPort() : rxRing_(kRingBytes) {}

SerialPort::~SerialPort() {
    close();
}

SerialResult SerialPort::open(const std::string& device, int baud) {
    if (isOpen()) close();
    if (!isSupportedSerialSpeed(baud)) {
        return SerialResult::failure(SerialError::UnsupportedSpeed,
                                     "Unsupported serial speed " + std::to_string(baud) +
                                         " baud for " + device);
    }
    const auto started = std::chrono::steady_clock::now();
    const int fd = ::open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        const int error = errno;
        return SerialResult::failure(SerialError::OpenFailed,
                                     "Cannot open " + device + ": " + describeErrno(error));
    }
    fd_ = fd;
    device_ = device;
    // The driver has just raised DTR and RTS: clear them before anything else.
    hasModemLines_ = true;
    releaseLines();
    lineRaiseWindow_ = std::chrono::duration_cast<std::chrono::microseconds>(
        std::chrono::steady_clock::now() - started);
    ::ioctl(fd_, TIOCEXCL);  // no second program on the same port (not on ptys; harmless)

    SerialResult result = configure(baud);
    if (result) result = startThreads();
    if (!result) {
        stopThreads();
        ::close(fd_);
        fd_ = -1;
        device_.clear();
        return result;
    }
    baud_ = baud;
    return {};
}

void SerialPort::releaseLines() {
    int bits = TIOCM_RTS | TIOCM_DTR;
    if (::ioctl(fd_, TIOCMBIC, &bits) != 0 && errno == ENOTTY) hasModemLines_ = false;
}

SerialResult configureRawLine(int fd, const std::string& device, int baud) {
    const std::optional<speed_t> speed = speedConstant(baud);
    if (!speed) {
        return SerialResult::failure(SerialError::UnsupportedSpeed,
                                     "Unsupported serial speed " + std::to_string(baud) +
                                         " baud for " + device);
    }
    termios tio{};
    if (::tcgetattr(fd, &tio) != 0) {
        const int error = errno;
        return SerialResult::failure(SerialError::NotSerial,
                                     device + " is not a serial device: " + describeErrno(error));
    }
    ::cfmakeraw(&tio);
    tio.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | CSTOPB | CRTSCTS);
    tio.c_cflag |= CS8 | CLOCAL | CREAD | HUPCL;  // HUPCL: lines drop if we die holding them
    tio.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY | INPCK);
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;
    ::cfsetispeed(&tio, *speed);
    ::cfsetospeed(&tio, *speed);
    if (::tcsetattr(fd, TCSANOW, &tio) != 0) {
        const int error = errno;
        return SerialResult::failure(SerialError::SettingsRefused,
                                     device + " refused " + std::to_string(baud) +
                                         " baud 8N1: " + describeErrno(error));
    }
    ::tcflush(fd, TCIOFLUSH);
    return {};
}

SerialResult SerialPort::configure(int baud) {
    return configureRawLine(fd_, device_, baud);
}

SerialResult SerialPort::startThreads() {
    wakeFd_ = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    if (wakeFd_ < 0) {
        return SerialResult::failure(SerialError::ThreadFailed,
                                     "No wake-up descriptor for " + device_);
    }
    stopping_.store(false);
    lost_.store(false);
    lostTaken_.store(false);
    lostMessage_.clear();
    {
        std::lock_guard lock(txMutex_);
        txQueue_.clear();
        txInFlight_ = 0;
    }
    {
        std::lock_guard lock(rxMutex_);
        rxWrite_ = rxRead_ = rxCount_ = 0;
        rxOverflows_ = 0;
    }
    try {
        writer_ = std::thread([this] { writerLoop(); });
        reader_ = std::thread([this] { readerLoop(); });
    } catch (const std::system_error& e) {
        return SerialResult::failure(SerialError::ThreadFailed,
                                     "Cannot start the threads of " + device_ + ": " + e.what());
    }
    return {};
}

SerialResult SerialPort::close() {
    if (!isOpen()) return SerialResult::failure(SerialError::NotOpen, "No serial port is open");
    releaseLines();
    stopThreads();
    ::tcflush(fd_, TCIOFLUSH);
    ::close(fd_);
    fd_ = -1;
    device_.clear();
    baud_ = 0;
    return {};
}

void SerialPort::stopThreads() {
    stopping_.store(true);
    if (wakeFd_ >= 0) {
        const uint64_t one = 1;
        [[maybe_unused]] const ssize_t n = ::write(wakeFd_, &one, sizeof one);
    }
    {
        std::lock_guard lock(txMutex_);
        txChanged_.notify_all();
    }
    if (writer_.joinable()) writer_.join();
    if (reader_.joinable()) reader_.join();
    if (wakeFd_ >= 0) ::close(wakeFd_);
    wakeFd_ = -1;
    std::lock_guard lock(txMutex_);
    txQueue_.clear();
    txInFlight_ = 0;
}

SerialResult SerialPort::write(std::span<const uint8_t> bytes) {
    if (!isOpen()) return SerialResult::failure(SerialError::NotOpen, "No serial port is open");
    if (lost()) {
        return SerialResult::failure(SerialError::DeviceLost, device_ + " is no longer there");
    }
    {
        std::lock_guard lock(txMutex_);
        // Refuse rather than overwrite: a half-sent command is worse than none.
        if (txQueue_.size() + txInFlight_ + bytes.size() > kRingBytes) {
            return SerialResult::failure(
                SerialError::QueueFull,
                "The transmit queue of " + device_ + " is full (" +
                    std::to_string(txQueue_.size() + txInFlight_) + " bytes waiting)");
        }
        txQueue_.insert(txQueue_.end(), bytes.begin(), bytes.end());
    }
    txChanged_.notify_one();
    return {};
}

std::size_t SerialPort::pendingBytes() const {
    std::lock_guard lock(txMutex_);
    return txQueue_.size() + txInFlight_;
}

bool SerialPort::flush(std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    {
        std::unique_lock lock(txMutex_);
        const bool emptied = txChanged_.wait_until(lock, deadline, [this] {
            return (txQueue_.empty() && txInFlight_ == 0) || lost() || stopping_.load();
        });
        if (!emptied || !txQueue_.empty() || txInFlight_ != 0) return false;
    }
    // Then until the driver has sent its own buffer.
    for (;;) {
        int queued = 0;
        if (!isOpen() || lost() || ::ioctl(fd_, TIOCOUTQ, &queued) != 0) return false;
        if (queued == 0) return true;
        if (std::chrono::steady_clock::now() >= deadline) return false;
        ::poll(nullptr, 0, 2);
    }
}

SerialResult SerialPort::setRts(bool on) {
    return changeLine(TIOCM_RTS, on, "RTS");
}

SerialResult SerialPort::setDtr(bool on) {
    return changeLine(TIOCM_DTR, on, "DTR");
}

SerialResult SerialPort::changeLine(int bit, bool on, const char* name) {
    if (!isOpen()) return SerialResult::failure(SerialError::NotOpen, "No serial port is open");
    if (lost()) {
        return SerialResult::failure(SerialError::DeviceLost, device_ + " is no longer there");
    }
    if (::ioctl(fd_, on ? TIOCMBIS : TIOCMBIC, &bit) == 0) return {};
    const int error = errno;
    const std::string what = std::string("Cannot ") + (on ? "set " : "clear ") + name + " on " +
                             device_ + ": " + describeErrno(error);
    if (error == ENOTTY || error == EINVAL) {
        return SerialResult::failure(SerialError::LinesUnsupported,
                                     what + " (the device has no modem-control lines)");
    }
    if (meansDeviceGone(error)) markLost(what);
    return SerialResult::failure(meansDeviceGone(error) ? SerialError::DeviceLost
                                                        : SerialError::LineFailed,
                                 what);
}

void SerialPort::markLost(const std::string& why) {
    // The first thread to get here writes the message; the flag publishes it. Taking the
    // queue's lock also makes sure a `flush` waiting on it sees the loss.
    {
        std::lock_guard lock(txMutex_);
        if (lost_.load(std::memory_order_acquire)) return;
        lostMessage_ = "The serial port " + device_ + " was lost: " + why;
        lost_.store(true, std::memory_order_release);
        txChanged_.notify_all();
    }
    if (lostHandler_) lostHandler_();
}

std::optional<std::string> SerialPort::takeLostMessage() {
    if (!lost() || lostTaken_.exchange(true)) return std::nullopt;
    return lostMessage_;
}

bool SerialPort::waitReady(short events) {
    std::array<pollfd, 2> fds{pollfd{fd_, events, 0}, pollfd{wakeFd_, POLLIN, 0}};
    for (;;) {
        if (stopping_.load()) return false;
        const int rc = ::poll(fds.data(), fds.size(), -1);
        if (rc < 0 && errno == EINTR) continue;
        if (rc < 0 || fds[1].revents != 0) return false;
        if (fds[0].revents & (POLLHUP | POLLERR | POLLNVAL)) {
            if (!(fds[0].revents & events)) {
                markLost("the device hung up");
                return false;
            }
        }
        if (fds[0].revents & events) return true;
    }
}

void SerialPort::writerLoop() {
    std::vector<uint8_t> chunk;
    for (;;) {
        {
            std::unique_lock lock(txMutex_);
            txInFlight_ = 0;
            txChanged_.notify_all();
            txChanged_.wait(lock, [this] { return stopping_.load() || !txQueue_.empty(); });
            if (stopping_.load()) return;
            chunk.swap(txQueue_);
            txQueue_.clear();
            txInFlight_ = chunk.size();
        }
        if (!writeAll(chunk)) {
            std::lock_guard lock(txMutex_);
            txInFlight_ = 0;
            txQueue_.clear();  // nothing more reaches a device that is gone or closing
            txChanged_.notify_all();
            return;
        }
    }
}

bool SerialPort::writeAll(const std::vector<uint8_t>& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd_, bytes.data() + done, bytes.size() - done);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
            continue;
        }
        const int error = n < 0 ? errno : EIO;
        if (error == EINTR) continue;
        if (error == EAGAIN) {
            if (!waitReady(POLLOUT)) return false;
            continue;
        }
        markLost("writing failed: " + describeErrno(error));
        return false;
    }
    return true;
}

void SerialPort::readerLoop() {
    std::array<uint8_t, kReadChunk> buffer{};
    while (waitReady(POLLIN)) {
        const ssize_t n = ::read(fd_, buffer.data(), buffer.size());
        if (n < 0 && (errno == EAGAIN || errno == EINTR)) continue;
        if (n <= 0) {
            // A tty opened non-blocking reads 0 bytes only when it has hung up.
            markLost(n == 0 ? std::string("the device hung up")
                            : "reading failed: " + describeErrno(errno));
            return;
        }
        std::lock_guard lock(rxMutex_);
        for (ssize_t i = 0; i < n; ++i) {
            if (rxCount_ == kRingBytes) {  // full: the oldest byte makes room
                rxRead_ = (rxRead_ + 1) % kRingBytes;
                --rxCount_;
                ++rxOverflows_;
            }
            rxRing_[rxWrite_] = buffer[static_cast<std::size_t>(i)];
            rxWrite_ = (rxWrite_ + 1) % kRingBytes;
            ++rxCount_;
        }
    }
}

std::size_t SerialPort::read(std::span<uint8_t> out) {
    std::lock_guard lock(rxMutex_);
    const std::size_t n = std::min(out.size(), rxCount_);
    for (std::size_t i = 0; i < n; ++i) {
        out[i] = rxRing_[rxRead_];
        rxRead_ = (rxRead_ + 1) % kRingBytes;
    }
    rxCount_ -= n;
    return n;
}

int SerialPort::readByte() {
    uint8_t byte = 0;
    return read(std::span(&byte, 1)) == 1 ? byte : -1;
}

std::vector<uint8_t> SerialPort::readAll() {
    std::vector<uint8_t> bytes;
    {
        std::lock_guard lock(rxMutex_);
        bytes.resize(rxCount_);
    }
    bytes.resize(read(bytes));
    return bytes;
}

uint64_t SerialPort::rxOverflows() const {
    std::lock_guard lock(rxMutex_);
    return rxOverflows_;
}

}  // namespace tarnvel::radio
