#pragma once
// The log keeps the station's 8-bit codes in the character set on the air; the windows show
// and take Qt text. Whoever opens a log window says how to turn one into the other.

#include <QString>
#include <functional>
#include <string>
#include <string_view>

namespace tarnvel::logbook {

struct LogTextCodec {
    std::function<QString(std::string_view)> show;
    std::function<std::string(const QString&)> take;
};

}  // namespace tarnvel::logbook
