#pragma once
// Writing ADIF: the export header and one record per QSO. FREQ carries six decimals (whole
// Hz), so an exported log imports back unchanged.

#include <string>
#include <string_view>

#include "logbook/QsoRecord.h"

namespace tarnvel::logbook {

inline constexpr std::string_view kAdifHeader =
    "Tarnvel v 1.6 log file exported to ADIF\n<EOH>\n<ADIF_VER:4>1.00\n";

// "<NAME:length>value" with the length in bytes; an empty value gives nothing.
std::string adifField(std::string_view name, std::string_view value);

// CALL, TIME_ON, QSO_DATE, FREQ, MODE, RST_RCVD, RST_SENT, NAME, QTH, COMMENT, then "<EOR>\n".
std::string formatAdifRecord(const QsoRecord& record);

}  // namespace tarnvel::logbook
