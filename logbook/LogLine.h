#pragma once
// The log line: the 19 fields of a QsoRecord, each followed by ";", then a line feed.
//   number;CALL;YYYYMMDDhhmmss;minutes;YYYYMMDD;YYYYMMDD;Hz;Hz;text1;mode;rst sent;rst rcvd;
//   text5;text6;name;QTH;notes;text10;text11;
// A ";" inside a text would split the line for every program reading the log, and a CR or LF
// would break it in two, so they are written as "," and a blank.

#include <optional>
#include <string>
#include <string_view>

#include "logbook/QsoRecord.h"

namespace tarnvel::logbook {

inline constexpr int kLogLineFields = 19;
inline constexpr int64_t kMaxDurationMinutes = 10LL * 366 * 1440;
inline constexpr Hertz kMaxFrequency = 1'000'000'000'000'000LL;  // 1 PHz: anything above is garbage

// The line with its final line feed.
std::string formatLogLine(const QsoRecord& record);

// A text field as it will be written: ";" -> ",", CR and LF -> " ".
std::string sanitiseField(std::string_view text);

// ASCII upper case (other bytes, UTF-8 included, are kept).
std::string toUpperAscii(std::string_view text);

// The whole line (without its line end). Fails when a field is missing, the number is not an
// integer, the start is not a valid 14-digit time, the duration or a frequency is not a
// number in range. A date that does not read is cleared. A 0 frequency takes the other one.
std::optional<QsoRecord> parseLogLine(std::string_view line);

// Only the start (third field), as the merge of two logs needs it.
std::optional<UtcSeconds> parseLogStart(std::string_view line);

// The line without a trailing CR (logs that passed through other systems).
std::string_view withoutCarriageReturn(std::string_view line);

}  // namespace tarnvel::logbook
