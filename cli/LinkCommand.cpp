#include "cli/LinkCommand.h"

#include <array>
#include <csignal>
#include <cstdio>
#include <string>

#include "cli/Commands.h"
#include "cli/OptionTable.h"
#include "link/LinkClient.h"
#include "link/LinkPath.h"

namespace tarnvel::cli {
namespace {

constexpr int kAnswerTimeoutMs = 3000;
// A watch wakes this often to notice Ctrl-C.
constexpr int kWatchPollMs = 500;

enum class LinkAction { Get, Set, Watch };

struct LinkOptions {
    std::string socket;
    LinkAction action = LinkAction::Get;
    std::vector<std::pair<std::string, std::string>> items;  // topic, item
    std::string value;
};

constexpr std::array<OptionSpec<LinkOptions>, 1> kLinkOptions{{
    {"--socket", "PATH", "the station's link socket (default\n$XDG_RUNTIME_DIR/tarnvel/link)",
     [](std::string_view name, std::string_view value, LinkOptions& o) {
         return parseFileName(name, value, o.socket);
     }},
}};

MaybeProblem finishLink(LinkOptions& o, const ScannedArgs& args) {
    const auto& words = args.positionals;
    if (words.empty()) return problem("link", "get, set or watch expected");
    const std::string_view action = words[0];
    const size_t given = words.size() - 1;
    if (action == "get" && given == 2) {
        o.action = LinkAction::Get;
    } else if (action == "set" && given == 3) {
        o.action = LinkAction::Set;
        o.value = words[3];
    } else if (action == "watch" && given >= 2 && given % 2 == 0) {
        o.action = LinkAction::Watch;
    } else {
        return problem(action, "expected 'get TOPIC ITEM', 'set TOPIC ITEM VALUE' or "
                               "'watch TOPIC ITEM [TOPIC ITEM...]'");
    }
    const size_t pairs = o.action == LinkAction::Watch ? given / 2 : 1;
    for (size_t i = 0; i < pairs; ++i)
        o.items.emplace_back(words[1 + 2 * i], words[2 + 2 * i]);
    if (o.socket.empty()) {
        link::LinkPathResult path = link::defaultLinkPath();
        if (path.path.empty()) return problem("link", path.error);
        o.socket = path.path;
    }
    return std::nullopt;
}

constexpr CommandSpec<LinkOptions> kLink{
    "link get TOPIC ITEM | set TOPIC ITEM VALUE | watch TOPIC ITEM... [--socket PATH]",
    "Talks to the running Tarnvel of this user. 'get' prints an item's value, 'set'\n"
    "writes one (only the other station's QSO fields: QSO Call, Name, Qth, RstRcv,\n"
    "RstSnt, Notes), 'watch' prints \"TOPIC ITEM VALUE\" now and at every change until\n"
    "the station ends. Topics: System, Info, QSO, CAT; each lists its items under\n"
    "TopicItemList. Values are printed with tab, CR, LF and backslash escaped.",
    kLinkOptions,
    17,
    "Exit status: 0 done, 1 no station running or the station refused, 2 bad command line.",
    finishLink};

volatile std::sig_atomic_t interrupted = 0;

int refused(const link::LinkReply& reply) {
    reportProblem({"link", reply.text});
    return kExitFailure;
}

int lost(const link::LinkClient& client) {
    reportProblem({"link", client.error()});
    return kExitFailure;
}

void printValue(const link::LinkReply& reply) {
    std::printf("%s %s %s\n", reply.topic.c_str(), reply.item.c_str(),
                link::escapeValue(reply.text).c_str());
    std::fflush(stdout);
}

int watch(link::LinkClient& client, const LinkOptions& o) {
    for (const auto& [topic, item] : o.items) {
        const auto reply = client.call({link::LinkVerb::Advise, topic, item, ""}, kAnswerTimeoutMs);
        if (!reply) return lost(client);
        if (reply->kind == link::ReplyKind::Error) return refused(*reply);
        printValue(*reply);
    }
    std::signal(SIGINT, [](int) { interrupted = 1; });
    std::signal(SIGTERM, [](int) { interrupted = 1; });
    while (!interrupted) {
        const auto notice = client.nextNotice(kWatchPollMs);
        if (!notice) {
            if (client.error() == "The station did not answer") continue;
            return kExitOk;  // the station has gone
        }
        if (notice->kind == link::ReplyKind::Event) {
            if (notice->text == link::kExitEvent) return kExitOk;
            continue;
        }
        printValue(*notice);
    }
    return kExitOk;
}

int runLinkOptions(const LinkOptions& o) {
    link::LinkClient client;
    if (link::LinkStatus connected = client.connect(o.socket); !connected) {
        reportProblem({"link", connected.error});
        return kExitFailure;
    }
    if (o.action == LinkAction::Watch) return watch(client, o);
    const auto& [topic, item] = o.items.front();
    const link::LinkVerb verb = o.action == LinkAction::Set ? link::LinkVerb::Poke
                                                            : link::LinkVerb::Request;
    const auto reply = client.call({verb, topic, item, o.value}, kAnswerTimeoutMs);
    if (!reply) return lost(client);
    if (reply->kind == link::ReplyKind::Error) return refused(*reply);
    if (o.action == LinkAction::Get) std::printf("%s\n", link::escapeValue(reply->text).c_str());
    return kExitOk;
}

}  // namespace

int runLink(const std::vector<std::string_view>& args) {
    const Parsed<LinkOptions> parsed = parseCommand(kLink, args);
    if (parsed.help) {
        const std::string help = helpText(kLink);
        std::fwrite(help.data(), 1, help.size(), stdout);
        return kExitOk;
    }
    if (parsed.problem) {
        reportProblem(*parsed.problem);
        return kExitBadInput;
    }
    return runLinkOptions(parsed.options);
}

}  // namespace tarnvel::cli
