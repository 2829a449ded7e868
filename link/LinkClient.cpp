#include "link/LinkClient.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>

namespace tarnvel::link {
namespace {

using Clock = std::chrono::steady_clock;

int msLeft(Clock::time_point deadline) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    return left.count() > 0 ? static_cast<int>(left.count()) : 0;
}

bool isNotice(const LinkReply& reply) {
    return reply.kind == ReplyKind::Changed || reply.kind == ReplyKind::Event;
}

}  // namespace

LinkClient::~LinkClient() {
    if (fd_ >= 0) ::close(fd_);
}

LinkStatus LinkClient::connect(const std::string& socketPath) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (socketPath.size() >= sizeof(address.sun_path))
        return {false, "The link path is too long: " + socketPath};
    std::memcpy(address.sun_path, socketPath.c_str(), socketPath.size() + 1);
    fd_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd_ < 0 ||
        ::connect(fd_, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) != 0) {
        const std::string reason = std::strerror(errno);
        if (fd_ >= 0) ::close(fd_);
        fd_ = -1;
        return {false, "No Tarnvel is running (" + socketPath + ": " + reason + ")"};
    }
    return {};
}

bool LinkClient::sendLine(const std::string& line) {
    const std::string text = line + '\n';
    size_t done = 0;
    while (done < text.size()) {
        const ssize_t sent = ::send(fd_, text.data() + done, text.size() - done, MSG_NOSIGNAL);
        if (sent < 0 && errno == EINTR) continue;
        if (sent <= 0) {
            error_ = "The station closed the link";
            return false;
        }
        done += static_cast<size_t>(sent);
    }
    return true;
}

std::optional<LinkReply> LinkClient::readReply(int timeoutMs) {
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        if (const size_t end = in_.find('\n'); end != std::string::npos) {
            std::string line = in_.substr(0, end);
            in_.erase(0, end + 1);
            if (!line.empty() && line.back() == '\r') line.pop_back();
            if (std::optional<LinkReply> reply = parseReply(line)) return reply;
            error_ = "The station sent a line this client does not understand: " + line;
            return std::nullopt;
        }
        pollfd waiting{fd_, POLLIN, 0};
        const int ready = ::poll(&waiting, 1, msLeft(deadline));
        if (ready < 0 && errno == EINTR) continue;
        if (ready <= 0) {
            error_ = "The station did not answer";
            return std::nullopt;
        }
        char buffer[4096];
        const ssize_t got = ::recv(fd_, buffer, sizeof(buffer), 0);
        if (got <= 0) {
            error_ = "The station closed the link";
            return std::nullopt;
        }
        in_.append(buffer, static_cast<size_t>(got));
    }
}

std::optional<LinkReply> LinkClient::call(const LinkCommand& command, int timeoutMs) {
    if (fd_ < 0 || !sendLine(formatCommand(command))) return std::nullopt;
    for (;;) {
        std::optional<LinkReply> reply = readReply(timeoutMs);
        if (!reply || !isNotice(*reply)) return reply;
        notices_.push_back(std::move(*reply));
    }
}

std::optional<LinkReply> LinkClient::nextNotice(int timeoutMs) {
    if (!notices_.empty()) {
        LinkReply notice = std::move(notices_.front());
        notices_.pop_front();
        return notice;
    }
    if (fd_ < 0) return std::nullopt;
    for (;;) {
        std::optional<LinkReply> reply = readReply(timeoutMs);
        if (!reply || isNotice(*reply)) return reply;
        // An answer without a question: nothing waits for it.
    }
}

}  // namespace tarnvel::link
