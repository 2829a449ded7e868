#include "link/LoggerTarget.h"

#include <arpa/inet.h>

namespace tarnvel::link {

std::string loggerTargetProblem(std::string_view host, int port) {
    const std::string h(host);
    if (h.empty()) return "Enter the logger's host: an IP address or \"localhost\".";
    unsigned char address[16];
    const bool usable = h == "localhost" || ::inet_pton(AF_INET, h.c_str(), address) == 1 ||
                        ::inet_pton(AF_INET6, h.c_str(), address) == 1;
    if (!usable) return "The logger's host \"" + h + "\" is not an IP address or \"localhost\".";
    if (port < kMinLoggerPort || port > kMaxLoggerPort)
        return "The logger's port " + std::to_string(port) + " is not between 1 and 65535.";
    return {};
}

}  // namespace tarnvel::link
