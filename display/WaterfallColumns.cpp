#include "display/WaterfallColumns.h"

#include <algorithm>

#include "display/SpectrumAnalyser.h"
#include "display/WaterfallModel.h"

namespace tarnvel::display {

namespace {

// Rank of a palette index when bins share a pixel.
int prominence(uint8_t index) {
    if (index < kPaletteGradientSize) return index;
    if (index == kPaletteBlack) return -1;
    return kPaletteGradientSize + index;  // marker dots, separator, cursor colours
}

}  // namespace

void WaterfallColumns::build(const FrequencyScale& scale) {
    const int width = std::max(scale.width(), 0);
    spans_.assign(static_cast<size_t>(width), Span{});
    for (int bin = 0; bin < kSpectrumBins; ++bin) {
        const int x = scale.binToX(bin);
        if (x < 0 || x >= width) continue;
        Span& s = spans_[static_cast<size_t>(x)];
        if (s.first < 0 || bin < s.first) s.first = static_cast<int16_t>(bin);
        s.last = std::max<int16_t>(s.last, static_cast<int16_t>(bin));
    }
    // Pixels between the columns of two bins (the zoom spreads a bin): the bin they map to.
    for (int x = 0; x < width; ++x) {
        Span& s = spans_[static_cast<size_t>(x)];
        if (s.first >= 0) continue;
        const int bin = scale.xToBin(x);
        if (bin >= 0 && bin < kSpectrumBins) s.first = s.last = static_cast<int16_t>(bin);
    }
}

void WaterfallColumns::render(const uint8_t* bins, uint8_t* pixels) const {
    for (size_t x = 0; x < spans_.size(); ++x) {
        const Span& s = spans_[x];
        if (s.first < 0) {
            pixels[x] = kPaletteBlack;
            continue;
        }
        uint8_t best = bins[s.first];
        for (int b = s.first + 1; b <= s.last; ++b) {
            if (prominence(bins[b]) > prominence(best)) best = bins[b];
        }
        pixels[x] = best;
    }
}

}  // namespace tarnvel::display
