#pragma once
// tarnvel-cli macros: a macro file's contents, and what a macro text expands to, without a
// window or a sound card; and the macro text of "transmit --macro" put into a station.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "modem/CharacterSet.h"

namespace tarnvel::app {
class Station;
}

namespace tarnvel::cli {

// "macros show FILE.mac" and "macros expand [OPTIONS] TEXT"; the exit status.
int runMacros(const std::vector<std::string_view>& args);

// The station's fields a transmitted macro reads ("--my-call" ...), as given.
struct StationFields {
    std::optional<std::string> call, name, qth;
};

// Expands the macro in the station (its actions run), appends the expansion to the transmit
// window with an end of transmission when it has none, and starts transmitting unless the
// macro did. False when the station did not start transmitting.
bool transmitMacro(app::Station& station, std::string_view macro, const StationFields& fields);

// The expansion as printed: the codes the transmitter acts on (174, 169, 176) as "<174>",
// "<169>" and "<176>", everything else as it is.
std::string showControlCodes(std::string_view text, modem::CharacterSet set);

}  // namespace tarnvel::cli
