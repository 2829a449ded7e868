#include "logbook/BandTable.h"

#include "logbook/LogLine.h"

namespace tarnvel::logbook {

namespace {

constexpr Hertz kHz = 1000;
constexpr Hertz kMHz = 1000 * kHz;

constexpr Band kBands[] = {
    {"2190M", 135 * kHz + 700, 137 * kHz + 800, 0},
    {"630M", 472 * kHz, 479 * kHz, 0},
    {"160M", 1800 * kHz, 2000 * kHz, 1838 * kHz},
    {"80M", 3500 * kHz, 4000 * kHz, 3580 * kHz},
    {"60M", 5060 * kHz, 5450 * kHz, 0},
    {"40M", 7000 * kHz, 7300 * kHz, 7070 * kHz},
    {"30M", 10100 * kHz, 10150 * kHz, 10140 * kHz},
    {"20M", 14000 * kHz, 14350 * kHz, 14070 * kHz},
    {"17M", 18068 * kHz, 18168 * kHz, 18109 * kHz},
    {"15M", 21000 * kHz, 21450 * kHz, 21070 * kHz},
    {"12M", 24890 * kHz, 24990 * kHz, 24919 * kHz},
    {"10M", 28000 * kHz, 29700 * kHz, 28120 * kHz},
    {"6M", 50 * kMHz, 54 * kMHz, 50 * kMHz},
    {"4M", 70 * kMHz, 71 * kMHz, 0},
    {"2M", 144 * kMHz, 148 * kMHz, 144 * kMHz},
    {"1.25M", 222 * kMHz, 225 * kMHz, 0},
    {"70CM", 420 * kMHz, 450 * kMHz, 432 * kMHz},
    {"33CM", 902 * kMHz, 928 * kMHz, 0},
    {"23CM", 1240 * kMHz, 1300 * kMHz, 0},
    {"13CM", 2300 * kMHz, 2450 * kMHz, 0},
    {"9CM", 3300 * kMHz, 3500 * kMHz, 0},
    {"6CM", 5650 * kMHz, 5925 * kMHz, 0},
    {"3CM", 10000 * kMHz, 10500 * kMHz, 0},
    {"1.25CM", 24000 * kMHz, 24250 * kMHz, 0},
    {"6MM", 47000 * kMHz, 47200 * kMHz, 0},
    {"4MM", 75500 * kMHz, 81000 * kMHz, 0},
    {"2.5MM", 119980 * kMHz, 123000 * kMHz, 0},
    {"2MM", 134000 * kMHz, 149000 * kMHz, 0},
    {"1MM", 241000 * kMHz, 250000 * kMHz, 0},
};

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    return text;
}

}  // namespace

std::span<const Band> bandTable() {
    return kBands;
}

const Band* bandOfFrequency(Hertz frequency) {
    for (const Band& band : kBands)
        if (frequency >= band.lowest && frequency <= band.highest) return &band;
    return nullptr;
}

const Band* bandNamed(std::string_view name) {
    const std::string upper = toUpperAscii(trimmed(name));
    for (const Band& band : kBands)
        if (band.name == upper) return &band;
    return nullptr;
}

}  // namespace tarnvel::logbook
