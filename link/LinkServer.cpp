#include "link/LinkServer.h"

#include <fcntl.h>
#include <sys/epoll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "link/LinkPath.h"

namespace tarnvel::link {

struct LinkServer::Client {
    int fd = -1;
    std::string in;
    std::string out;
    std::array<bool, kLinkItemCount> advised{};
    bool dead = false;
};

namespace {

bool fillAddress(const std::string& path, sockaddr_un& address) {
    address = {};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof(address.sun_path)) return false;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    return true;
}

// True when a station already listens at path.
bool somebodyAnswers(const sockaddr_un& address) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return false;
    const bool answers =
        ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) == 0;
    ::close(fd);
    return answers;
}

LinkStatus failure(std::string text) {
    return {false, std::move(text)};
}

LinkReply error(std::string text) {
    return {ReplyKind::Error, "", "", std::move(text)};
}

}  // namespace

LinkServer::LinkServer(LinkStation& station, size_t maxQueuedBytes)
    : station_(station), maxQueuedBytes_(maxQueuedBytes) {}

LinkServer::~LinkServer() {
    stop();
}

LinkStatus LinkServer::start(const std::string& socketPath) {
    stop();
    sockaddr_un address{};
    if (!fillAddress(socketPath, address)) return failure("The link path is too long: " + socketPath);
    if (std::string problem = prepareLinkFolder(socketPath); !problem.empty())
        return failure(problem);
    if (somebodyAnswers(address))
        return failure("Another Tarnvel already answers at " + socketPath);
    ::unlink(socketPath.c_str());  // left behind by a station that died

    listenFd_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    epollFd_ = ::epoll_create1(EPOLL_CLOEXEC);
    if (listenFd_ < 0 || epollFd_ < 0 ||
        ::bind(listenFd_, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) != 0 ||
        ::chmod(socketPath.c_str(), 0600) != 0 || ::listen(listenFd_, 16) != 0) {
        const std::string reason = std::strerror(errno);
        closeAll();
        ::unlink(socketPath.c_str());
        return failure("Cannot open the data link at " + socketPath + ": " + reason);
    }
    epoll_event event{};
    event.events = EPOLLIN;
    event.data.fd = listenFd_;
    ::epoll_ctl(epollFd_, EPOLL_CTL_ADD, listenFd_, &event);
    path_ = socketPath;
    lastSent_ = {};
    return {};
}

void LinkServer::stop() {
    if (listenFd_ < 0) {
        closeAll();
        return;
    }
    sendEvent(kExitEvent);
    closeAll();
    ::unlink(path_.c_str());
    path_.clear();
}

void LinkServer::closeAll() {
    for (const auto& client : clients_) ::close(client->fd);
    clients_.clear();
    if (listenFd_ >= 0) ::close(listenFd_);
    if (epollFd_ >= 0) ::close(epollFd_);
    listenFd_ = epollFd_ = -1;
}

// ---- connections ----------------------------------------------------------------------------

void LinkServer::service() {
    if (listenFd_ < 0) return;
    acceptClients();
    servicing_ = true;
    // Clients accepted while answering join the list only at its end, and none leaves it
    // before the sweep, so the references stay good.
    for (size_t i = 0; i < clients_.size(); ++i) {
        Client& client = *clients_[i];
        if (!client.dead && !readFrom(client)) client.dead = true;
        if (!client.dead && !writeTo(client)) client.dead = true;
    }
    servicing_ = false;
    sweepDead();
}

void LinkServer::acceptClients() {
    for (;;) {
        const int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0) return;
        ucred peer{};
        socklen_t size = sizeof(peer);
        if (::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &size) != 0 ||
            peer.uid != ::geteuid()) {
            ++refusedPeers_;
            ::close(fd);
            continue;
        }
        auto client = std::make_unique<Client>();
        client->fd = fd;
        epoll_event event{};
        event.events = EPOLLIN;
        event.data.fd = fd;
        ::epoll_ctl(epollFd_, EPOLL_CTL_ADD, fd, &event);
        clients_.push_back(std::move(client));
    }
}

bool LinkServer::readFrom(Client& client) {
    char buffer[4096];
    for (;;) {
        const ssize_t got = ::recv(client.fd, buffer, sizeof(buffer), 0);
        if (got == 0) return false;
        if (got < 0) return errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR;
        client.in.append(buffer, static_cast<size_t>(got));
        size_t start = 0;
        for (size_t end; (end = client.in.find('\n', start)) != std::string::npos; start = end + 1) {
            std::string_view line(client.in.data() + start, end - start);
            if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
            if (!line.empty()) handleLine(client, line);
            if (client.dead) return false;
        }
        client.in.erase(0, start);
        if (client.in.size() > kMaxLineLength) {
            queue(client, error("line too long"));
            writeTo(client);
            return false;
        }
    }
}

bool LinkServer::writeTo(Client& client) {
    while (!client.out.empty()) {
        const ssize_t sent = ::send(client.fd, client.out.data(), client.out.size(), MSG_NOSIGNAL);
        if (sent < 0) {
            if (errno == EINTR) continue;
            if (errno != EAGAIN && errno != EWOULDBLOCK) return false;
            break;
        }
        client.out.erase(0, static_cast<size_t>(sent));
    }
    updateInterest(client);
    return true;
}

void LinkServer::updateInterest(Client& client) {
    epoll_event event{};
    event.events = client.out.empty() ? EPOLLIN : (EPOLLIN | EPOLLOUT);
    event.data.fd = client.fd;
    ::epoll_ctl(epollFd_, EPOLL_CTL_MOD, client.fd, &event);
}

void LinkServer::queue(Client& client, const LinkReply& reply) {
    if (client.dead) return;
    client.out += formatReply(reply);
    client.out += '\n';
    if (client.out.size() > maxQueuedBytes_) {
        // It has stopped reading: let it go rather than hold its backlog.
        ++droppedClients_;
        client.dead = true;
        return;
    }
    if (!writeTo(client)) client.dead = true;
}

void LinkServer::sweepDead() {
    if (servicing_) return;
    for (size_t i = clients_.size(); i-- > 0;)
        if (clients_[i]->dead) drop(i);
}

void LinkServer::drop(size_t index) {
    ::epoll_ctl(epollFd_, EPOLL_CTL_DEL, clients_[index]->fd, nullptr);
    ::close(clients_[index]->fd);
    clients_.erase(clients_.begin() + static_cast<std::ptrdiff_t>(index));
}

// ---- commands -------------------------------------------------------------------------------

void LinkServer::handleLine(Client& client, std::string_view line) {
    std::string problem;
    const std::optional<LinkCommand> command = parseCommand(line, problem);
    if (!command) {
        queue(client, error(problem));
        return;
    }
    const LinkReply reply = answer(client, *command);
    queue(client, reply);
    if (command->verb == LinkVerb::Poke && reply.kind == ReplyKind::Ok) {
        const std::optional<LinkTopic> topic = findTopic(command->topic);
        if (const std::optional<LinkItem> item = findItem(*topic, command->item))
            announce(*item, false);
    }
}

LinkReply LinkServer::answer(Client& client, const LinkCommand& command) {
    const std::optional<LinkTopic> topic = findTopic(command.topic);
    if (!topic) return error("unknown topic " + command.topic);
    if (*topic == LinkTopic::System) return answerSystem(command);
    const std::string_view topicText = topicName(*topic);
    if (command.item == kTopicItemList || command.item == kFormats) {
        if (command.verb != LinkVerb::Request) return error(command.item + " can only be requested");
        const std::string list =
            command.item == kFormats ? std::string(kTextFormat) : topicItemList(*topic);
        return {ReplyKind::Value, std::string(topicText), command.item, list};
    }
    const std::optional<LinkItem> item = findItem(*topic, command.item);
    if (!item) return error("unknown item " + command.item);
    const LinkItemInfo& info = linkItemInfo(*item);
    const auto index = static_cast<size_t>(*item);
    LinkReply value{ReplyKind::Value, std::string(topicText), std::string(info.name),
                    station_.linkValue(*item)};
    switch (command.verb) {
        case LinkVerb::Request:
            return value;
        case LinkVerb::Advise:
            client.advised[index] = true;
            return value;
        case LinkVerb::Unadvise:
            client.advised[index] = false;
            return {};
        case LinkVerb::Poke:
            if (!info.writable) return error(std::string(info.name) + " is not writable");
            if (std::optional<std::string> problem = pokedValueProblem(command.value))
                return error(*problem);
            station_.linkPoked(*item, command.value);
            return {};
    }
    return error("unknown command");
}

LinkReply LinkServer::answerSystem(const LinkCommand& command) const {
    if (command.verb != LinkVerb::Request)
        return error("the System topic can only be requested");
    std::string list;
    if (command.item == "Topics")
        list = topicList();
    else if (command.item == "SysItems" || command.item == kTopicItemList)
        list = systemItemList();
    else if (command.item == kFormats)
        list = kTextFormat;
    else
        return error("unknown item " + command.item);
    return {ReplyKind::Value, "System", command.item, list};
}

// ---- announcing -----------------------------------------------------------------------------

void LinkServer::announce(LinkItem item, bool force) {
    if (listenFd_ < 0) return;
    const auto index = static_cast<size_t>(item);
    std::string value = station_.linkValue(item);
    if (!force && value == lastSent_[index]) return;
    lastSent_[index] = value;
    const LinkItemInfo& info = linkItemInfo(item);
    const LinkReply changed{ReplyKind::Changed, std::string(topicName(info.topic)),
                            std::string(info.name), std::move(value)};
    for (const auto& client : clients_)
        if (client->advised[index]) queue(*client, changed);
    sweepDead();
}

void LinkServer::announceGroups(unsigned mask) {
    for (const LinkItemInfo& info : linkItems())
        if ((info.group & mask) != 0) announce(info.item, false);
}

void LinkServer::sendEvent(std::string_view name) {
    const LinkReply event{ReplyKind::Event, "", "", std::string(name)};
    for (const auto& client : clients_) queue(*client, event);
    sweepDead();
}

}  // namespace tarnvel::link
