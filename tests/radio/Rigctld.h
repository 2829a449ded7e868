#pragma once
// A rigctld with Hamlib's dummy rig on a free local port, and a small client that asks it
// directly what the rig's PTT and frequency are, so the tests see what reached the rig.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <string>

#include "ChildProcess.h"

namespace tarnvel::radio::test {

inline int freeTcpPort() {
    const int s = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof a;
    int port = 0;
    if (::bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0 &&
        ::getsockname(s, reinterpret_cast<sockaddr*>(&a), &len) == 0) {
        port = ntohs(a.sin_port);
    }
    ::close(s);
    return port;
}

inline int connectTo(int port) {
    const int s = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(static_cast<uint16_t>(port));
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(s, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
        ::close(s);
        return -1;
    }
    return s;
}

class Rigctld {
  public:
    Rigctld() : port_(freeTcpPort()) {
        if (port_ == 0) return;
        if (!process_.start({"rigctld", "-m", "1", "-P", "RIG", "-T", "127.0.0.1", "-t",
                             std::to_string(port_)})) {
            return;
        }
        ready_ = waitUntil([&] {
            const int s = connectTo(port_);
            if (s >= 0) ::close(s);
            return s >= 0;
        });
    }

    bool ready() const { return ready_; }
    std::string address() const { return "127.0.0.1:" + std::to_string(port_); }
    void kill() { process_.kill(SIGKILL); }
    void freeze() { process_.kill(SIGSTOP); }  // it hangs, as a rig that stopped answering

    // One command's first answer line ("t" gives "0" or "1", "f" the frequency in Hz).
    std::string ask(const std::string& command) const {
        const int s = connectTo(port_);
        if (s < 0) return "(no connection)";
        const std::string line = command + "\n";
        std::string answer;
        if (::write(s, line.data(), line.size()) == static_cast<ssize_t>(line.size())) {
            char c = 0;
            pollfd p{s, POLLIN, 0};
            while (::poll(&p, 1, 5000) > 0 && ::read(s, &c, 1) == 1 && c != '\n') answer += c;
        }
        ::close(s);
        return answer;
    }

  private:
    int port_ = 0;
    ChildProcess process_;
    bool ready_ = false;
};

}  // namespace tarnvel::radio::test
