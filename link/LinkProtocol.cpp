#include "link/LinkProtocol.h"

#include <array>

namespace tarnvel::link {
namespace {

constexpr std::array<std::string_view, 4> kVerbs{"REQUEST", "POKE", "ADVISE", "UNADVISE"};
constexpr std::array<std::string_view, 5> kReplies{"VALUE", "OK", "ERROR", "CHANGED", "EVENT"};

// Splits off the next space-separated word; rest keeps what follows the space.
std::string_view nextWord(std::string_view& rest) {
    const size_t space = rest.find(' ');
    const std::string_view word = rest.substr(0, space);
    rest = space == std::string_view::npos ? std::string_view{} : rest.substr(space + 1);
    return word;
}

template <size_t N>
std::optional<size_t> indexOf(const std::array<std::string_view, N>& names, std::string_view word) {
    for (size_t i = 0; i < N; ++i)
        if (names[i] == word) return i;
    return std::nullopt;
}

bool takesValue(ReplyKind kind) {
    return kind == ReplyKind::Value || kind == ReplyKind::Changed;
}

}  // namespace

std::string escapeValue(std::string_view value) {
    std::string out;
    out.reserve(value.size());
    for (char c : value) {
        switch (c) {
            case '\\': out += "\\\\"; break;
            case '\t': out += "\\t"; break;
            case '\r': out += "\\r"; break;
            case '\n': out += "\\n"; break;
            default: out += c;
        }
    }
    return out;
}

std::optional<std::string> unescapeValue(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\') {
            out += text[i];
            continue;
        }
        if (++i == text.size()) return std::nullopt;
        switch (text[i]) {
            case '\\': out += '\\'; break;
            case 't': out += '\t'; break;
            case 'r': out += '\r'; break;
            case 'n': out += '\n'; break;
            default: return std::nullopt;
        }
    }
    return out;
}

std::string_view verbName(LinkVerb verb) {
    return kVerbs[static_cast<size_t>(verb)];
}

std::optional<LinkCommand> parseCommand(std::string_view line, std::string& error) {
    if (line.size() > kMaxLineLength) {
        error = "line too long";
        return std::nullopt;
    }
    std::string_view rest = line;
    const std::optional<size_t> verb = indexOf(kVerbs, nextWord(rest));
    if (!verb) {
        error = "unknown command";
        return std::nullopt;
    }
    LinkCommand command;
    command.verb = static_cast<LinkVerb>(*verb);
    command.topic = nextWord(rest);
    command.item = nextWord(rest);
    if (command.topic.empty() || command.item.empty()) {
        error = "topic and item expected";
        return std::nullopt;
    }
    if (command.verb != LinkVerb::Poke) {
        if (!rest.empty()) {
            error = "unexpected text after the item";
            return std::nullopt;
        }
        return command;
    }
    std::optional<std::string> value = unescapeValue(rest);
    if (!value) {
        error = "bad escape in the value";
        return std::nullopt;
    }
    command.value = std::move(*value);
    return command;
}

std::string formatCommand(const LinkCommand& command) {
    std::string line{verbName(command.verb)};
    line += ' ' + command.topic + ' ' + command.item;
    if (command.verb == LinkVerb::Poke) line += ' ' + escapeValue(command.value);
    return line;
}

std::optional<LinkReply> parseReply(std::string_view line) {
    std::string_view rest = line;
    const std::optional<size_t> kind = indexOf(kReplies, nextWord(rest));
    if (!kind) return std::nullopt;
    LinkReply reply;
    reply.kind = static_cast<ReplyKind>(*kind);
    if (takesValue(reply.kind)) {
        reply.topic = nextWord(rest);
        reply.item = nextWord(rest);
        std::optional<std::string> value = unescapeValue(rest);
        if (reply.topic.empty() || reply.item.empty() || !value) return std::nullopt;
        reply.text = std::move(*value);
    } else {
        reply.text = rest;
    }
    return reply;
}

std::string formatReply(const LinkReply& reply) {
    std::string line{kReplies[static_cast<size_t>(reply.kind)]};
    if (takesValue(reply.kind))
        line += ' ' + reply.topic + ' ' + reply.item + ' ' + escapeValue(reply.text);
    else if (!reply.text.empty())
        line += ' ' + reply.text;
    return line;
}

std::optional<std::string> pokedValueProblem(std::string_view value) {
    if (value.size() > kMaxPokedValue)
        return "value longer than " + std::to_string(kMaxPokedValue) + " bytes";
    for (char c : value) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == ';') return std::string("';' is not allowed in a log field");
        if (byte < 0x20 || byte == 0x7F) return std::string("control characters are not allowed");
    }
    return std::nullopt;
}

}  // namespace tarnvel::link
