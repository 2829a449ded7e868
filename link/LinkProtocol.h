#pragma once
// The data link's line protocol. Every line is UTF-8 text ending in LF (a CR before it is
// dropped); words are separated by one space; a value is the rest of its line with "\\", tab,
// CR and LF escaped as "\\\\", "\\t", "\\r" and "\\n".
//
//   client                     station
//   REQUEST topic item         VALUE topic item value | ERROR reason
//   POKE topic item value      OK | ERROR reason
//   ADVISE topic item          VALUE topic item value (then CHANGED lines) | ERROR reason
//   UNADVISE topic item        OK | ERROR reason
//                              CHANGED topic item value   (an advised item changed)
//                              EVENT StartTarnvel | EVENT ExitTarnvel
//
// Every command gets exactly one answer, in order; CHANGED and EVENT lines may come between.

#include <optional>
#include <string>
#include <string_view>

namespace tarnvel::link {

inline constexpr size_t kMaxLineLength = 4096;
// A written value: the log line's fields stay short and on one line.
inline constexpr size_t kMaxPokedValue = 256;

enum class LinkVerb { Request, Poke, Advise, Unadvise };

struct LinkCommand {
    LinkVerb verb = LinkVerb::Request;
    std::string topic;
    std::string item;
    std::string value;  // unescaped; POKE only
};

enum class ReplyKind { Value, Ok, Error, Changed, Event };

struct LinkReply {
    ReplyKind kind = ReplyKind::Ok;
    std::string topic;
    std::string item;
    std::string text;  // the value, the error's reason or the event's name
};

std::string escapeValue(std::string_view value);
// Nothing for a malformed escape (a lone "\\" at the end or an unknown letter).
std::optional<std::string> unescapeValue(std::string_view text);

// Parses one command line (without its LF). On failure, error says what was wrong.
std::optional<LinkCommand> parseCommand(std::string_view line, std::string& error);
std::string formatCommand(const LinkCommand& command);

std::optional<LinkReply> parseReply(std::string_view line);
std::string formatReply(const LinkReply& reply);

std::string_view verbName(LinkVerb verb);

// Why a poked value cannot go into the log bar, or nothing when it can.
std::optional<std::string> pokedValueProblem(std::string_view value);

}  // namespace tarnvel::link
