// The data link on any bytes from a client: every line the station sends back reads as a
// reply, every command that parses formats back to itself, and nothing reaches the station
// but a checked write of one of the other station's QSO fields.

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <array>
#include <cstring>

#include "FuzzSupport.h"
#include "link/LinkProtocol.h"
#include "link/LinkServer.h"

using namespace tarnvel;
using link::LinkItem;

namespace {

struct WatchedStation : link::LinkStation {
    std::array<std::string, link::kLinkItemCount> values{};
    std::string linkValue(LinkItem item) const override {
        return values[static_cast<size_t>(item)];
    }
    void linkPoked(LinkItem item, const std::string& value) override {
        FUZZ_CHECK(link::linkItemInfo(item).writable);
        FUZZ_CHECK(!link::pokedValueProblem(value));
        values[static_cast<size_t>(item)] = value;
    }
};

struct Fixture {
    WatchedStation station;
    link::LinkServer server{station};
    std::string path = fuzz::scratch() / "link";
    Fixture() {
        station.values[static_cast<size_t>(LinkItem::Ptt)] = "0";
        if (!server.start(path)) fuzz::fail("cannot start the link", __FILE__, __LINE__);
    }
};

void checkCommandRoundTrip(std::string_view line) {
    std::string error;
    const auto command = link::parseCommand(line, error);
    if (!command) {
        FUZZ_CHECK(!error.empty());
        return;
    }
    const std::string again = link::formatCommand(*command);
    const auto second = link::parseCommand(again, error);
    FUZZ_CHECK(second && second->value == command->value && second->item == command->item &&
               second->topic == command->topic && second->verb == command->verb);
    FUZZ_CHECK(link::unescapeValue(link::escapeValue(command->value)) == command->value);
}

int connectTo(const std::string& path) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path.c_str(), sizeof(address.sun_path) - 1);
    FUZZ_CHECK(::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0);
    return fd;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static Fixture fixture;
    const std::string_view bytes = fuzz::asText(data, size);
    for (size_t start = 0; start <= bytes.size();) {
        const size_t end = std::min(bytes.find('\n', start), bytes.size());
        checkCommandRoundTrip(bytes.substr(start, end - start));
        start = end + 1;
    }

    const int fd = connectTo(fixture.path);
    fixture.server.service();
    (void)::send(fd, data, size, MSG_NOSIGNAL);
    (void)::shutdown(fd, SHUT_WR);
    std::string replies;
    for (int round = 0; round < 50; ++round) {
        fixture.server.service();
        char buffer[65536];
        const ssize_t got = ::recv(fd, buffer, sizeof(buffer), 0);
        if (got == 0) break;
        if (got > 0) replies.append(buffer, static_cast<size_t>(got));
        else ::poll(nullptr, 0, 1);
    }
    ::close(fd);
    fixture.server.service();
    FUZZ_CHECK(fixture.server.clientCount() == 0);
    for (size_t start = 0; start < replies.size();) {
        const size_t end = replies.find('\n', start);
        if (end == std::string::npos) break;  // cut by the round limit
        FUZZ_CHECK(link::parseReply(std::string_view(replies).substr(start, end - start)));
        start = end + 1;
    }
    return 0;
}
