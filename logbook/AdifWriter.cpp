#include "logbook/AdifWriter.h"

#include "logbook/FrequencyText.h"
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
