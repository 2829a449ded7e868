#pragma once
// A client of the station's data link, for the command-line tool and tests: sends commands
// and waits (with a time limit) for their answers, keeping the CHANGED and EVENT lines that
// arrive meanwhile.

#include <deque>
#include <optional>
#include <string>

#include "link/LinkProtocol.h"
#include "link/LinkServer.h"

namespace tarnvel::link {

class LinkClient {
  public:
    LinkClient() = default;
    ~LinkClient();
    LinkClient(const LinkClient&) = delete;
    LinkClient& operator=(const LinkClient&) = delete;

    // Fails with a clear reason when no station answers at path.
    LinkStatus connect(const std::string& socketPath);
    bool connected() const { return fd_ >= 0; }

    // Sends the command and returns its answer (VALUE, OK or ERROR); nothing when the station
    // did not answer within timeoutMs or went away (error says which).
    std::optional<LinkReply> call(const LinkCommand& command, int timeoutMs);
    // The next CHANGED or EVENT line; nothing after timeoutMs or when the station went away.
    std::optional<LinkReply> nextNotice(int timeoutMs);

    const std::string& error() const { return error_; }

  private:
    std::optional<LinkReply> readReply(int timeoutMs);
    bool sendLine(const std::string& line);

    int fd_ = -1;
    std::string in_;
    std::deque<LinkReply> notices_;
    std::string error_;
};

}  // namespace tarnvel::link
