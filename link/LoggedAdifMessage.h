#pragma once
// The "Logged ADIF" message (type 12) of WSJT-X's published UDP protocol, which today's
// loggers listen for: a saved QSO sent as one ADIF record, so the operator's logger records it
// without typing. Big-endian fields as Qt's QDataStream writes them: magic, schema, type, then
// two byte strings (a 32-bit length and UTF-8 bytes): the sender's id and the ADIF text.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "logbook/QsoRecord.h"

namespace tarnvel::link {

inline constexpr uint32_t kWsjtxMagic = 0xadbccbda;
inline constexpr uint32_t kWsjtxSchema = 2;
inline constexpr uint32_t kLoggedAdifType = 12;
inline constexpr std::string_view kLoggerClientId = "Tarnvel";
inline constexpr int kDefaultLoggerPort = 2237;

struct LoggedAdif {
    std::string id;
    std::string adif;
};

std::vector<uint8_t> encodeLoggedAdif(const LoggedAdif& message);
// Nothing when the bytes are not a whole "Logged ADIF" message.
std::optional<LoggedAdif> decodeLoggedAdif(const std::vector<uint8_t>& bytes);

// The ADIF text of one saved QSO (texts in UTF-8): a small header, the record as the export
// writes it, and STATION_CALLSIGN when the operator's call is known.
std::string loggedQsoAdif(const logbook::QsoRecord& record, std::string_view myCall);

}  // namespace tarnvel::link
