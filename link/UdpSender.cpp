#include "link/UdpSender.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace tarnvel::link {

UdpSender::~UdpSender() {
    close();
}

void UdpSender::close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

LinkStatus UdpSender::open(const std::string& host, int port) {
    close();
    target_ = host + ":" + std::to_string(port);
    if (port <= 0 || port > 65535) return {false, "Bad logger port " + std::to_string(port)};
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_DGRAM;
    hints.ai_flags = AI_NUMERICHOST | AI_NUMERICSERV;
    const std::string address = host == "localhost" ? "127.0.0.1" : host;
    addrinfo* found = nullptr;
    if (::getaddrinfo(address.c_str(), std::to_string(port).c_str(), &hints, &found) != 0)
        return {false, "The logger host must be an IP address or localhost: " + host};
    fd_ = ::socket(found->ai_family, SOCK_DGRAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    const bool connected = fd_ >= 0 && ::connect(fd_, found->ai_addr, found->ai_addrlen) == 0;
    const std::string reason = std::strerror(errno);
    ::freeaddrinfo(found);
    if (!connected) {
        close();
        return {false, "Cannot send to the logger at " + target_ + ": " + reason};
    }
    return {};
}

LinkStatus UdpSender::send(const std::vector<uint8_t>& datagram) {
    if (fd_ < 0) return {false, "No logger address is set"};
    const ssize_t sent = ::send(fd_, datagram.data(), datagram.size(), MSG_NOSIGNAL);
    if (sent == static_cast<ssize_t>(datagram.size())) return {};
    // A logger that is not running makes the next send fail with "connection refused".
    return {false, "Cannot send to the logger at " + target_ + ": " +
                       (sent < 0 ? std::strerror(errno) : "short send")};
}

}  // namespace tarnvel::link
