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

namespace {

// The ring's columns are bins in order: the natural scale, never mirrored.
WaterfallSettings binColumns(const WaterfallSettings& settings) {
    return WaterfallSettings{kFreqModeAudio, settings.sampleRate, settings.markers};
}

}  // namespace

bool WaterfallModel::ensureRows(int clientHeight) {
    const int rows = std::max(clientHeight - kScaleStripHeight, 0);
    if (built_ && rows == rows_) return false;
    std::vector<uint8_t> pixels(static_cast<size_t>(rows) * kSpectrumBins, kPaletteBlack);
    // The newest rows go to the top of the new ring, whose row index restarts at 0.
    const int kept = std::min(rows, rows_);
    for (int line = 0; line < kept; ++line)
        std::copy_n(row(ringRowForLine(line)), kSpectrumBins,
                    pixels.begin() + static_cast<std::ptrdiff_t>(line) * kSpectrumBins);
    pixels_ = std::move(pixels);
    rows_ = rows;
    rowIndex_ = 0;
    built_ = true;
    return true;
}

uint8_t* WaterfallModel::advanceRow() {
    if (rows_ == 0) return nullptr;
    if (--rowIndex_ < 0) rowIndex_ = rows_ - 1;
    ++rowsAdded_;
    return pixels_.data() + static_cast<size_t>(rowIndex_) * static_cast<size_t>(kSpectrumBins);
}

bool WaterfallModel::takeNewRow(SpectrumCollector& collector, SpectrumAnalyser& analyser,
                                SpectrumWindow window, const WaterfallSettings& settings) {
    bool added = false;
    if (separatorPending_) {
        addSeparatorRow(settings);
        added = true;
    } else if (collector.blockReady()) {
        SpectrumRow out;
        analyser.analyseBlock(collector.block(), window, out);
        addSpectrumRow(out, settings);
        added = true;
    }
    collector.clearBlockReady();
    return added;
}

void WaterfallModel::addSpectrumRow(const SpectrumRow& out, const WaterfallSettings& settings) {
    lastRow_ = out;
    if (separatorPending_) {
        addSeparatorRow(settings);
        return;
    }
    history_.addRow(out);
    if (uint8_t* row = advanceRow())
        paintSpectrumRow(out, binColumns(settings), kSpectrumBins, row);
}

void WaterfallModel::addSeparatorRow(const WaterfallSettings& settings) {
    separatorPending_ = false;
    if (uint8_t* row = advanceRow()) paintSeparatorRow(binColumns(settings), kSpectrumBins, row);
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
