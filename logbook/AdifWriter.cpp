#include "logbook/AdifWriter.h"

#include <cstdio>

#include "logbook/LogLine.h"

namespace tarnvel::logbook {

std::string adifField(std::string_view name, std::string_view value) {
    if (value.empty()) return {};
    std::string field = "<";
    field += name;
    field += ':';
    field += std::to_string(value.size());
    field += '>';
    field += value;
    return field;
}

std::string megahertzText(Hertz frequency) {
    const bool negative = frequency < 0;
    const uint64_t hz = negative ? 0 - static_cast<uint64_t>(frequency) : static_cast<uint64_t>(frequency);
    char text[40];
    std::snprintf(text, sizeof text, "%s%llu.%06llu", negative ? "-" : "",
                  static_cast<unsigned long long>(hz / 1'000'000), static_cast<unsigned long long>(hz % 1'000'000));
    return text;
}

std::string formatAdifRecord(const QsoRecord& r) {
    const std::string start = formatStart(r.start);  // empty for a start no log line can hold
    const bool hasStart = start.size() == 14;
    std::string record;
    record += adifField("CALL", toUpperAscii(r.call));
    record += adifField("TIME_ON", hasStart ? start.substr(8, 6) : std::string());
    record += adifField("QSO_DATE", hasStart ? start.substr(0, 8) : std::string());
    record += adifField("FREQ", megahertzText(r.frequency()));
    record += adifField("MODE", r.mode);
    record += adifField("RST_RCVD", r.rstReceived);
    record += adifField("RST_SENT", r.rstSent);
    record += adifField("NAME", r.name);
    record += adifField("QTH", r.qth);
    record += adifField("COMMENT", r.notes);
    record += "<EOR>\n";
    return record;
}

}  // namespace tarnvel::logbook
