#pragma once
// The QSO frequency as the log bar and the external program show it. Written with the C
// conventions ("14.070") whatever the operator's locale.

#include <optional>
#include <string>
#include <string_view>

#include "logbook/QsoRecord.h"

namespace tarnvel::logbook {

inline constexpr int kMinLogPrecision = 0;
inline constexpr int kMaxLogPrecision = 6;  // whole Hz

// "LogPrecision" limited to 0..6 decimals of MHz.
int clampLogPrecision(int precision);

// kHz / 1000 with the clamped precision: 14070 kHz, 1 decimal -> "14.1".
std::string megahertzDisplay(double kilohertz, int logPrecision);
// kHz with one decimal: "14070.0".
std::string kilohertzDisplay(double kilohertz);

// Megahertz with six decimals, exact to the Hz: "14.074150" (ADIF FREQ, the details dialog).
std::string megahertzText(Hertz frequency);

// A frequency in MHz as typed or read from ADIF ("14.074150"; a decimal comma is accepted;
// blanks around it ignored) in whole Hz; nothing for anything else or a negative value.
std::optional<Hertz> parseMegahertz(std::string_view text);

// A band page's dial frequency in kHz as whole Hz (rounded, so 14070.001 kHz is 14070001 Hz).
Hertz hertzOfKilohertz(double kilohertz);

}  // namespace tarnvel::logbook
