#pragma once
// Reading ADIF: a tokeniser for "<NAME:LENGTH[:TYPE]>VALUE" fields and "<EOR>" record ends,
// and the conversion of one record into a QsoRecord.
//
// Field names are compared exactly, in any case. Lengths count bytes, so values may hold CR
// LF or any other byte. A file whose first character is not "<" starts with a header, skipped
// up to "<EOH>"; "<EOH>" met later throws away the fields gathered before it (files whose
// header begins with a field). Text between fields is ignored.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "logbook/QsoRecord.h"

namespace tarnvel::logbook {

struct AdifField {
    std::string name;  // upper case
    std::string value;
};

struct AdifRecord {
    std::vector<AdifField> fields;
    std::string raw;      // the record's text as it stands in the file
    std::string problem;  // why the tokeniser could not read the record whole; empty when it could

    // The value of the first field with this name (any case), or nothing.
    const std::string* field(std::string_view name) const;
};

// Every record of an ADIF text, including a last one that lacks its "<EOR>".
std::vector<AdifRecord> readAdifRecords(std::string_view text);

struct AdifQso {
    std::optional<QsoRecord> record;
    std::string problem;  // why there is no record
};

// A record becomes a QSO when it has a CALL, a valid QSO_DATE and TIME_ON (HHMM or HHMMSS),
// and a FREQ in MHz or a BAND of the band table.
AdifQso parseAdifRecord(const AdifRecord& adif);

}  // namespace tarnvel::logbook
