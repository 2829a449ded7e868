#pragma once
// One contact of the log: the 19 fields of a log line, in line order.

#include <cstdint>
#include <optional>
#include <string>

#include "logbook/LogTime.h"

namespace tarnvel::logbook {

using Hertz = int64_t;  // 64 bits: microwave QSOs pass 2^31 Hz

struct QsoRecord {
    int number = 0;  // the save command writes 0
    std::string call;
    UtcSeconds start = 0;
    UtcSeconds end = 0;               // stored as whole minutes after start
    std::optional<UtcSeconds> dateA;  // kept, written and read, never filled here
    std::optional<UtcSeconds> dateB;
    Hertz frequency1 = 0;
    Hertz frequency2 = 0;  // the QSO frequency
    std::string text1;     // texts 1, 5, 6, 10 and 11 are carried through unchanged
    std::string mode;
    std::string rstSent;
    std::string rstReceived;
    std::string text5;
    std::string text6;
    std::string name;
    std::string qth;
    std::string notes;
    std::string text10;
    std::string text11;

    // The QSO frequency: frequency 2, or frequency 1 when that is 0.
    Hertz frequency() const { return frequency2 != 0 ? frequency2 : frequency1; }

    bool operator==(const QsoRecord&) const = default;
};

}  // namespace tarnvel::logbook
