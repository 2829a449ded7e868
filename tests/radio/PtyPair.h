#pragma once
// Serial devices without hardware. A socat pair links two ptys, as two ports joined by a
// null-modem cable; a bare pty lets the test hold the far end itself and close it, as an
// unplugged adapter would vanish.

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "ChildProcess.h"

namespace tarnvel::radio::test {

// Reads up to `count` bytes from `fd`, waiting at most `limit` in all.
inline std::vector<uint8_t> readFrom(int fd, std::size_t count, std::chrono::milliseconds limit) {
    std::vector<uint8_t> bytes;
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (bytes.size() < count) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) break;
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, static_cast<int>(left.count())) <= 0) break;
        uint8_t buffer[256];
        const ssize_t n = ::read(fd, buffer, std::min(sizeof buffer, count - bytes.size()));
        if (n <= 0) break;
        bytes.insert(bytes.end(), buffer, buffer + n);
    }
    return bytes;
}

class SocatPair {
  public:
    SocatPair() {
        char pattern[] = "/tmp/tarnvel-pty-XXXXXX";
        if (::mkdtemp(pattern) == nullptr) return;
        folder_ = pattern;
        near_ = folder_ + "/near";
        far_ = folder_ + "/far";
        if (!socat_.start({"socat", "pty,raw,echo=0,link=" + near_, "pty,raw,echo=0,link=" + far_})) {
            return;
        }
        ready_ = waitUntil([&] {
            return std::filesystem::exists(near_) && std::filesystem::exists(far_);
        });
    }
    ~SocatPair() {
        socat_.kill(SIGTERM);
        std::error_code ec;
        std::filesystem::remove_all(folder_, ec);
    }

    bool ready() const { return ready_; }
    const std::string& near() const { return near_; }
    const std::string& far() const { return far_; }

  private:
    std::string folder_, near_, far_;
    ChildProcess socat_;
    bool ready_ = false;
};

// A pty whose master end the test holds: the port under test opens `device()`.
class BarePty {
  public:
    BarePty() {
        master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (master_ < 0 || ::grantpt(master_) != 0 || ::unlockpt(master_) != 0) return;
        device_ = ::ptsname(master_);
    }
    ~BarePty() { closeMaster(); }

    const std::string& device() const { return device_; }
    void closeMaster() {
        if (master_ >= 0) ::close(master_);
        master_ = -1;
    }

    // Reads from the master until `count` bytes came or `limit` passed.
    std::vector<uint8_t> read(std::size_t count,
                              std::chrono::milliseconds limit = std::chrono::seconds(5)) {
        return readFrom(master_, count, limit);
    }
    bool write(const std::vector<uint8_t>& bytes) {
        return ::write(master_, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
    }

  private:
    int master_ = -1;
    std::string device_;
};

// The far end of a socat pair, opened raw by the test.
class FarEnd {
  public:
    explicit FarEnd(const std::string& path) {
        fd_ = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    }
    ~FarEnd() {
        if (fd_ >= 0) ::close(fd_);
    }
    bool ok() const { return fd_ >= 0; }
    std::vector<uint8_t> read(std::size_t count,
                              std::chrono::milliseconds limit = std::chrono::seconds(5)) {
        return readFrom(fd_, count, limit);
    }
    bool write(const std::vector<uint8_t>& bytes) {
        return ::write(fd_, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
    }

  private:
    int fd_ = -1;
};

}  // namespace tarnvel::radio::test
