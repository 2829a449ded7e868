#pragma once
// Sends datagrams to one host and port (a logger's UDP listener). The host must be an IP
// address or "localhost": a name lookup could stall the station's thread, so none is made.

#include <cstdint>
#include <string>
#include <vector>

#include "link/LinkServer.h"

namespace tarnvel::link {

class UdpSender {
  public:
    UdpSender() = default;
    ~UdpSender();
    UdpSender(const UdpSender&) = delete;
    UdpSender& operator=(const UdpSender&) = delete;

    LinkStatus open(const std::string& host, int port);
    void close();
    bool isOpen() const { return fd_ >= 0; }
    LinkStatus send(const std::vector<uint8_t>& datagram);

  private:
    int fd_ = -1;
    std::string target_;
};

}  // namespace tarnvel::link
