#pragma once
// QSOs as text for the operator: the log window's columns and the lines of the text export
// ("export.txt").

#include <array>
#include <span>
#include <string>
#include <string_view>

#include "logbook/LogFile.h"
#include "logbook/LogStatus.h"
#include "logbook/QsoRecord.h"

namespace tarnvel::logbook {

struct LogWindowColumn {
    std::string_view heading;
    int width;  // pixels
};

inline constexpr std::array<LogWindowColumn, 9> kLogWindowColumns = {{{" UTC", 110},
                                                                      {"kHz", 60},
                                                                      {"Mode", 50},
                                                                      {"Call", 80},
                                                                      {"Sent", 40},
                                                                      {"Rcvd", 40},
                                                                      {"Name", 80},
                                                                      {"QTH", 100},
                                                                      {"Info", 150}}};

inline constexpr const char* kDefaultTextExportName = "export.txt";

// The start as "%x %H:%M:%S" in the current C locale's date format.
std::string logWindowStart(UtcSeconds start);
// The QSO frequency in kHz, "%11.3f" (C conventions, whatever the locale).
std::string logWindowKilohertz(Hertz frequency);
// The nine column texts of a QSO.
std::array<std::string, 9> logWindowColumns(const QsoRecord& record);

// One line of the text export: start "DD-Mon-YYYY hh:mm:ss" with English month names, kHz,
// mode, call, RST sent and received, name, QTH and notes in fixed columns.
std::string textExportLine(const QsoRecord& record);

// Writes the QSOs to a text file; never over the log or its working files.
LogStatus writeTextExport(const LogFile& log, const std::string& path,
                          std::span<const QsoRecord> records);

}  // namespace tarnvel::logbook
