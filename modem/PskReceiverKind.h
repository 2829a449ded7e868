#pragma once
// Which receiver decodes BPSK and QPSK: the plain one, or the one built for weak signals. The
// names are what the settings file and the command line use.

#include <optional>
#include <string_view>

namespace tarnvel::modem {

enum class PskReceiverKind { Specified, Sensitive };

inline constexpr PskReceiverKind kDefaultPskReceiver = PskReceiverKind::Sensitive;

inline constexpr std::string_view pskReceiverName(PskReceiverKind kind) {
    return kind == PskReceiverKind::Sensitive ? "sensitive" : "specified";
}

inline std::optional<PskReceiverKind> parsePskReceiverKind(std::string_view name) {
    for (const PskReceiverKind kind : {PskReceiverKind::Specified, PskReceiverKind::Sensitive})
        if (name == pskReceiverName(kind)) return kind;
    return std::nullopt;
}

// A stored name nobody knows (a hand-edited settings file) gets the default.
inline PskReceiverKind pskReceiverOrDefault(std::string_view name) {
    return parsePskReceiverKind(name).value_or(kDefaultPskReceiver);
}

}  // namespace tarnvel::modem
