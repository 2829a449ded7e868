#pragma once
// How a log operation ended: ok, or a message for the operator that names the file concerned.

#include <string>
#include <utility>

namespace tarnvel::logbook {

struct LogStatus {
    bool ok = true;
    std::string error;  // empty when ok

    static LogStatus success() { return {}; }
    static LogStatus failure(std::string message) { return {false, std::move(message)}; }
    explicit operator bool() const { return ok; }
};

}  // namespace tarnvel::logbook
