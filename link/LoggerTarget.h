#pragma once
// Checks where a UDP logger is reached before it is stored: the host must be an IP address or
// "localhost" (no name lookup, which could stall the station) and the port 1..65535.

#include <string>
#include <string_view>

namespace tarnvel::link {

inline constexpr int kMinLoggerPort = 1;
inline constexpr int kMaxLoggerPort = 65535;

// Empty when host and port are usable, else a message naming what is wrong.
std::string loggerTargetProblem(std::string_view host, int port);

}  // namespace tarnvel::link
