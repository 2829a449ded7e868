#pragma once
// The texts of "<TIME>" and "<DATE>". In UTC they are fixed ("14:03:07z", "5 Mar 2004",
// English month names whatever the locale), so the other station reads them the same
// everywhere; in local time they follow the locale's own forms.

#include <chrono>
#include <string>

namespace tarnvel::macros {

std::string formatMacroTime(std::chrono::system_clock::time_point when, bool utc);
std::string formatMacroDate(std::chrono::system_clock::time_point when, bool utc);

}  // namespace tarnvel::macros
