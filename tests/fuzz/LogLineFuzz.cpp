// Log lines on any bytes: a line that reads gives a record whose own line reads back to
// the same record (after the one normalisation a write makes), the quick start reader
// agrees with the whole-line reader, and the record's ADIF export imports back.

#include "FuzzSupport.h"
#include "logbook/AdifReader.h"
#include "logbook/AdifWriter.h"
#include "logbook/LogLine.h"

using namespace tarnvel;
using logbook::QsoRecord;

namespace {

std::string_view withoutLineFeed(const std::string& line) {
    FUZZ_CHECK(!line.empty() && line.back() == '\n');
    return std::string_view(line).substr(0, line.size() - 1);
}

void checkLineRoundTrip(const QsoRecord& first) {
    const std::string line = logbook::formatLogLine(first);
    FUZZ_CHECK(line.find('\n') == line.size() - 1);
    FUZZ_CHECK(line.find('\r') == std::string::npos);
    const auto second = logbook::parseLogLine(withoutLineFeed(line));
    FUZZ_CHECK(second.has_value());
    FUZZ_CHECK(second->start == first.start);
    FUZZ_CHECK(second->frequency() == first.frequency());
    FUZZ_CHECK(second->call == logbook::toUpperAscii(logbook::sanitiseField(first.call)));
    // Once written, a record reads back exactly and writes the same line.
    FUZZ_CHECK(logbook::formatLogLine(*second) == line);
    const auto third = logbook::parseLogLine(withoutLineFeed(line));
    FUZZ_CHECK(third == second);
}

// The export of a record that reads as a log line is one ADIF record that imports as the
// same QSO.
void checkAdifExport(const QsoRecord& record) {
    const std::string text = std::string(logbook::kAdifHeader) + logbook::formatAdifRecord(record);
    const std::vector<logbook::AdifRecord> adif = logbook::readAdifRecords(text);
    FUZZ_CHECK(adif.size() == 1);
    FUZZ_CHECK(adif[0].problem.empty());
    const logbook::AdifQso qso = logbook::parseAdifRecord(adif[0]);
    if (!qso.record) {
        // Only a call of blanks, or a frequency of 0 (none given), has no QSO to export.
        FUZZ_CHECK(qso.problem == "no CALL" || record.frequency() == 0);
        return;
    }
    FUZZ_CHECK(qso.record->start == record.start);
    FUZZ_CHECK(qso.record->frequency() == record.frequency());
    FUZZ_CHECK(qso.record->mode == record.mode);
    FUZZ_CHECK(qso.record->rstSent == record.rstSent);
    FUZZ_CHECK(qso.record->rstReceived == record.rstReceived);
    FUZZ_CHECK(qso.record->name == record.name);
    FUZZ_CHECK(qso.record->qth == record.qth);
    FUZZ_CHECK(qso.record->notes == record.notes);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view line = logbook::withoutCarriageReturn(fuzz::asText(data, size));
    const auto record = logbook::parseLogLine(line);
    const auto start = logbook::parseLogStart(line);
    if (!record) return 0;
    FUZZ_CHECK(start == record->start);
    FUZZ_CHECK(record->end >= record->start);
    checkLineRoundTrip(*record);
    checkAdifExport(*logbook::parseLogLine(withoutLineFeed(logbook::formatLogLine(*record))));
    return 0;
}
