#pragma once
// A fake station and a raw socket client that pumps the server while it waits, so a test
// drives both ends on one thread.

#include <gtest/gtest.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <array>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "link/LinkServer.h"
#include "link/LinkStation.h"

namespace testing_link {

struct FakeStation : tarnvel::link::LinkStation {
    std::array<std::string, tarnvel::link::kLinkItemCount> values{};
    std::vector<std::pair<tarnvel::link::LinkItem, std::string>> pokes;

    std::string& operator[](tarnvel::link::LinkItem item) {
        return values[static_cast<size_t>(item)];
    }
    std::string linkValue(tarnvel::link::LinkItem item) const override {
        return values[static_cast<size_t>(item)];
    }
    void linkPoked(tarnvel::link::LinkItem item, const std::string& value) override {
        pokes.emplace_back(item, value);
        (*this)[item] = value;
    }
};

// A private folder for the socket, removed at the end.
struct TempFolder {
    std::filesystem::path path;
    TempFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "tarnvel-link-XXXXXX");
        path = ::mkdtemp(pattern.data());
    }
    ~TempFolder() { std::filesystem::remove_all(path); }
};

class RawClient {
  public:
    RawClient(tarnvel::link::LinkServer& server, const std::string& path)
        : RawClient([&server] { server.service(); }, path) {}
    // pump serves the station's side while the client waits.
    RawClient(std::function<void()> pump, const std::string& path) : pump_(std::move(pump)) {
        fd_ = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::strncpy(address.sun_path, path.c_str(), sizeof(address.sun_path) - 1);
        connected_ = ::connect(fd_, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0;
        pump_();
    }
    ~RawClient() { ::close(fd_); }
    bool connected() const { return connected_; }
    int fd() const { return fd_; }

    void send(const std::string& text) {
        ASSERT_EQ(::send(fd_, text.data(), text.size(), MSG_NOSIGNAL),
                  static_cast<ssize_t>(text.size()));
    }
    // The next line, pumping the server meanwhile; nothing after about a second, or when the
    // server closed the connection (closed() then holds).
    std::optional<std::string> line() {
        for (int round = 0; round < 100; ++round) {
            if (const size_t end = in_.find('\n'); end != std::string::npos) {
                std::string line = in_.substr(0, end);
                in_.erase(0, end + 1);
                return line;
            }
            pump_();
            pollfd waiting{fd_, POLLIN, 0};
            if (::poll(&waiting, 1, 10) <= 0) continue;
            char buffer[4096];
            const ssize_t got = ::recv(fd_, buffer, sizeof(buffer), 0);
            if (got <= 0) {
                closed_ = true;
                return std::nullopt;
            }
            in_.append(buffer, static_cast<size_t>(got));
        }
        return std::nullopt;
    }
    std::optional<std::string> ask(const std::string& command) {
        send(command + "\n");
        return line();
    }
    bool closed() const { return closed_; }

  private:
    std::function<void()> pump_;
    int fd_ = -1;
    bool connected_ = false;
    bool closed_ = false;
    std::string in_;
};

}  // namespace testing_link
