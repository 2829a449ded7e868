#pragma once
// The data link's server: a Unix domain socket that only processes of the same user may use
// (the peer's credentials are checked on every connection). It runs on the station's thread:
// the owner watches pollFd() (readable whenever a connection waits to be accepted, read or
// written) and calls service(), which never blocks.
//
// A client's unread output is bounded: a client that stops reading is dropped rather than let
// grow memory or stall the station.

#include <array>
#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "link/LinkItem.h"
#include "link/LinkProtocol.h"
#include "link/LinkStation.h"

namespace tarnvel::link {

inline constexpr std::string_view kStartEvent = "StartTarnvel";
inline constexpr std::string_view kExitEvent = "ExitTarnvel";
inline constexpr size_t kDefaultMaxQueuedBytes = 256 * 1024;

struct LinkStatus {
    bool ok = true;
    std::string error;
    explicit operator bool() const { return ok; }
};

class LinkServer {
  public:
    explicit LinkServer(LinkStation& station, size_t maxQueuedBytes = kDefaultMaxQueuedBytes);
    ~LinkServer();
    LinkServer(const LinkServer&) = delete;
    LinkServer& operator=(const LinkServer&) = delete;

    // Listens at socketPath (its folder made private). Refuses when another station already
    // answers there; a socket left by one that died is replaced.
    LinkStatus start(const std::string& socketPath);
    // Sends "ExitTarnvel", closes every connection and removes the socket.
    void stop();
    bool running() const { return listenFd_ >= 0; }
    const std::string& path() const { return path_; }

    int pollFd() const { return epollFd_; }
    // Accepts, reads and answers, and writes what is queued, without blocking.
    void service();

    // Sends the item's value to the clients advised on it when it differs from what was last
    // sent (or always, when forced).
    void announce(LinkItem item, bool force);
    // Announces (not forced) every item of the groups named by mask's bits.
    void announceGroups(unsigned mask);
    void sendEvent(std::string_view name);

    size_t clientCount() const { return clients_.size(); }
    // Connections refused because they came from another user.
    int refusedPeers() const { return refusedPeers_; }
    // Clients dropped for not reading or for a protocol fault.
    int droppedClients() const { return droppedClients_; }

  private:
    struct Client;

    void acceptClients();
    bool readFrom(Client& client);
    bool writeTo(Client& client);
    void handleLine(Client& client, std::string_view line);
    LinkReply answer(Client& client, const LinkCommand& command);
    LinkReply answerSystem(const LinkCommand& command) const;
    void queue(Client& client, const LinkReply& reply);
    void updateInterest(Client& client);
    void drop(size_t index);
    // Removes the clients marked dead (not while service() walks the list).
    void sweepDead();
    void closeAll();

    LinkStation& station_;
    size_t maxQueuedBytes_;
    int listenFd_ = -1;
    int epollFd_ = -1;
    std::string path_;
    std::vector<std::unique_ptr<Client>> clients_;
    std::array<std::string, kLinkItemCount> lastSent_{};
    bool servicing_ = false;
    int refusedPeers_ = 0;
    int droppedClients_ = 0;
};

}  // namespace tarnvel::link
