#pragma once
// The QSO frequency as the log bar and the external program show it. Written with the C
// conventions ("14.070") whatever the operator's locale.

#include <string>

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

// A band page's dial frequency in kHz as whole Hz (rounded, so 14070.001 kHz is 14070001 Hz).
Hertz hertzOfKilohertz(double kilohertz);

}  // namespace tarnvel::logbook
