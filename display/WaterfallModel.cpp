#include "display/WaterfallModel.h"

#include <algorithm>

#include "display/FrequencyScale.h"

namespace tarnvel::display {

namespace {

// The gradient spans analyser outputs 0.4 (8 dB) to 4.38 (87.6 dB) in steps of 0.02.
constexpr float kOutputToPalette = 50.0f;
constexpr float kPaletteFloor = 20.0f;
constexpr float kTopEntry = 199.0f;

}  // namespace

uint8_t paletteIndexForOutput(float analyserOutput) {
    const float c = std::min(
        kTopEntry, std::max(kPaletteFloor, kOutputToPalette * analyserOutput) - kPaletteFloor);
    return static_cast<uint8_t>(c);
}

bool WaterfallModel::ensureSurface(int clientWidth, int clientHeight) {
    const int w = std::max(clientWidth, 0);
    const int h = std::max(clientHeight, 0);
    if (built_ && w == width_ && h == height_) return false;
    width_ = w;
    height_ = h;
    rows_ = std::max(h - kScaleStripHeight, 0);
    rowIndex_ = 0;
    pixels_.assign(static_cast<size_t>(width_) * static_cast<size_t>(rows_), kPaletteBlack);
    built_ = true;
    return true;
}

uint8_t* WaterfallModel::advanceRow() {
    if (rows_ == 0 || width_ == 0) return nullptr;
    if (--rowIndex_ < 0) rowIndex_ = rows_ - 1;
    return pixels_.data() + static_cast<size_t>(rowIndex_) * static_cast<size_t>(width_);
}

bool WaterfallModel::takeNewRow(SpectrumCollector& collector, SpectrumAnalyser& analyser,
                                SpectrumWindow window, const WaterfallSettings& settings) {
    bool added = false;
    if (separatorPending_) {
        addSeparatorRow(settings);
        added = true;
    } else if (collector.blockReady()) {
        analyser.analyseBlock(collector.block(), window, lastRow_);
        addSpectrumRow(lastRow_, settings);
        added = true;
    }
    collector.clearBlockReady();
    return added;
}

void WaterfallModel::addSpectrumRow(const SpectrumRow& out, const WaterfallSettings& settings) {
    history_.addRow(out);
    separatorPending_ = false;
    if (uint8_t* row = advanceRow()) paintSpectrumRow(out, settings, width_, row);
}

void WaterfallModel::addSeparatorRow(const WaterfallSettings& settings) {
    separatorPending_ = false;
    if (uint8_t* row = advanceRow()) paintSeparatorRow(settings, width_, row);
}

void paintSpectrumRow(const SpectrumRow& out, const WaterfallSettings& settings, int width,
                      uint8_t* row) {
    const FrequencyScale scale(settings.freqMode, width, settings.sampleRate);
    const int columns = std::min(width, kSpectrumBins);
    for (int k = 0; k < columns; ++k) {
        const int x = scale.binToX(k);
        if (x >= 0 && x < width) row[x] = paletteIndexForOutput(out[static_cast<size_t>(k)]);
    }
    paintMarkers(settings, width, row);
}

void paintSeparatorRow(const WaterfallSettings& settings, int width, uint8_t* row) {
    const FrequencyScale scale(settings.freqMode, width, settings.sampleRate);
    const int columns = std::min(width, kSpectrumBins);
    for (int k = 0; k < columns; ++k) {
        const int x = scale.binToX(k);
        if (x >= 0 && x < width) row[x] = x % 2 == 1 ? kPaletteBlack : kPaletteGreen;
    }
    paintMarkers(settings, width, row);
}

void paintMarkers(const WaterfallSettings& settings, int width, uint8_t* row) {
    const FrequencyScale scale(settings.freqMode, width, settings.sampleRate);
    for (float f : settings.markers) {
        if (f <= 0.0f) continue;
        const int x = scale.binToX(frequencyToBin(f, settings.sampleRate));
        if (x >= 0 && x < width) row[x] = kPaletteRed;
    }
}

}  // namespace tarnvel::display
