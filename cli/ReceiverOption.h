#pragma once
// --receiver specified|sensitive: which receiver decodes BPSK and QPSK (decode, channels,
// listen).

#include <string>
#include <string_view>

#include "cli/OptionValues.h"
#include "modem/PskReceiverKind.h"

namespace tarnvel::cli {

inline constexpr std::string_view kReceiverOption = "--receiver";
inline constexpr std::string_view kReceiverValues = "KIND";
inline constexpr std::string_view kReceiverHelp =
    "the PSK receiver, specified or sensitive: sensitive (the\n"
    "default) copies weaker signals, specified is the plain one";

inline MaybeProblem parseReceiver(std::string_view option, std::string_view value,
                                  modem::PskReceiverKind& kind) {
    const auto parsed = modem::parsePskReceiverKind(value);
    if (!parsed)
        return Problem{std::string(option),
                       "'" + std::string(value) + "' is neither specified nor sensitive"};
    kind = *parsed;
    return std::nullopt;
}

}  // namespace tarnvel::cli
