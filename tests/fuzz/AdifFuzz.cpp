// ADIF on any bytes: records are pieces of the text and hold no more than it, every QSO
// taken in writes a log line that reads back, and exports to ADIF that imports as the same
// QSO.

#include "FuzzSupport.h"
#include "logbook/AdifReader.h"
#include "logbook/AdifWriter.h"
#include "logbook/LogLine.h"

using namespace tarnvel;
using logbook::QsoRecord;

namespace {

void checkRecordIsPartOfText(const logbook::AdifRecord& record, std::string_view text) {
    FUZZ_CHECK(text.find(record.raw) != std::string_view::npos);
    size_t valueBytes = 0;
    for (const logbook::AdifField& field : record.fields) {
        FUZZ_CHECK(!field.name.empty());
        FUZZ_CHECK(field.name == logbook::toUpperAscii(field.name));
        valueBytes += field.value.size();
    }
    FUZZ_CHECK(valueBytes <= text.size());
}

void checkLogLine(const QsoRecord& qso) {
    const std::string line = logbook::formatLogLine(qso);
    FUZZ_CHECK(line.find('\n') == line.size() - 1);
    const auto back = logbook::parseLogLine(std::string_view(line).substr(0, line.size() - 1));
    FUZZ_CHECK(back.has_value());
    FUZZ_CHECK(back->start == qso.start);
    FUZZ_CHECK(back->frequency() == qso.frequency());
    FUZZ_CHECK(back->call == logbook::sanitiseField(qso.call));
}

void checkExport(const QsoRecord& qso) {
    const std::string text = std::string(logbook::kAdifHeader) + logbook::formatAdifRecord(qso);
    const std::vector<logbook::AdifRecord> records = logbook::readAdifRecords(text);
    FUZZ_CHECK(records.size() == 1);
    const logbook::AdifQso again = logbook::parseAdifRecord(records[0]);
    FUZZ_CHECK(again.record.has_value());
    FUZZ_CHECK(*again.record == qso);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text = fuzz::asText(data, size);
    const std::vector<logbook::AdifRecord> records = logbook::readAdifRecords(text);
    FUZZ_CHECK(records.size() <= size / 5 + 1);  // every record but the last ends in "<EOR>"
    for (const logbook::AdifRecord& record : records) {
        checkRecordIsPartOfText(record, text);
        const logbook::AdifQso qso = logbook::parseAdifRecord(record);
        FUZZ_CHECK(qso.record.has_value() == qso.problem.empty());
        if (!qso.record) continue;
        FUZZ_CHECK(!qso.record->call.empty());
        checkLogLine(*qso.record);
        checkExport(*qso.record);
    }
    return 0;
}
