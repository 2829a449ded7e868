#pragma once
// The amateur bands: the ADIF band name, its edges, and for the twelve bands an ADIF record
// may name without a frequency, the frequency such a QSO is logged on.

#include <optional>
#include <span>
#include <string_view>

#include "logbook/QsoRecord.h"

namespace tarnvel::logbook {

struct Band {
    std::string_view name;  // upper case, as ADIF "BAND" values are compared
    Hertz lowest;
    Hertz highest;
    Hertz importFrequency;  // 0: a record naming only this band has no frequency
};

std::span<const Band> bandTable();

// The band of a frequency; nothing when it lies outside every band (or is 0).
const Band* bandOfFrequency(Hertz frequency);

// The band named (case-insensitive, surrounding blanks ignored).
const Band* bandNamed(std::string_view name);

}  // namespace tarnvel::logbook
