#include "display/BandPages.h"

#include "display/DecimalText.h"
#include "display/FrequencyScale.h"

namespace tarnvel::display {

namespace {

struct DefaultPage {
    const char* name;
    const char* frequency;
};

constexpr std::array<DefaultPage, kBandPageCount> kDefaultPages = {{
    {"160m", "1838.0"},
    {"80m", "3580.0"},
    {"40m", "7070.0"},
    {"30m", "10139.0"},
    {"20m", "14070.0"},
    {"17m", "18109.0"},
    {"15m", "21070.0"},
    {"12m", "24919.0"},
    {"10m", "28120.0"},
    {"6m", "50000.0"},
    {"2m", "144000.0"},
}};

}  // namespace

BandPages::BandPages() {
    for (size_t i = 0; i < pages_.size(); ++i)
        pages_[i] = BandPage{kDefaultPages[i].name, kDefaultPages[i].frequency, 0};
}

int BandPages::select(int index) {
    if (index >= 0 && index < kBandPageCount) current_ = index;
    return page(current_).spectrumOption;
}

std::vector<int> BandPages::listedPages(int fourband) {
    if (fourband == 1) return {1, 4, 6, 8};
    if (fourband == 2) return {1, 4};
    std::vector<int> all(kBandPageCount);
    for (int i = 0; i < kBandPageCount; ++i) all[static_cast<size_t>(i)] = i;
    return all;
}

double BandPages::dialFrequencyKHz(int freqMode) const {
    if (freqMode == kFreqModeAudio) return 0.0;
    // The dial is kept as a float, as the band-page frequency always has been.
    return static_cast<float>(parseFrequency(page(current_).frequency));
}

double BandPages::parseFrequency(const std::string& text) {
    return parseDecimal(text);
}

std::string BandPages::formatFrequency(double kHz) {
    constexpr int kDecimals = 6;
    return formatDecimal(kHz, kDecimals);
}

}  // namespace tarnvel::display
