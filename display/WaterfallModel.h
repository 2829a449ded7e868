#pragma once
// The waterfall without the drawing: the ring of indexed rows, the spectrum history behind the
// level measurements, the transmit separator row and the spectrum-marker dots.
//
// Rows are palette indices: 0..199 the waterfall gradient, then the display palette's fixed
// colours. A row is written by moving the row index (the ring scrolls, nothing is shifted);
// the newest row is shown at the top, under the scale strip.

#include <array>
#include <cstdint>
#include <vector>

#include "display/SpectrumAnalyser.h"
#include "display/SpectrumCollector.h"
#include "display/SpectrumHistory.h"
#include "display/SpectrumWindow.h"

namespace tarnvel::display {

// Palette indices beyond the gradient (the display palette has 205 entries; the image palette
// of a rendered waterfall adds pure black at 205).
inline constexpr uint8_t kPaletteGradientSize = 200;
inline constexpr uint8_t kPaletteRed = 200;        // (255, 0, 0): marker dots
inline constexpr uint8_t kPaletteDarkRed = 201;    // (128, 0, 0)
inline constexpr uint8_t kPaletteGreen = 202;      // (0, 255, 0): separator row
inline constexpr uint8_t kPaletteDarkGreen = 203;  // (0, 128, 0)
inline constexpr uint8_t kPaletteCursor = 204;     // (168, 40, 40): receive cursor, tags
inline constexpr uint8_t kPaletteBlack = 205;      // surface fill, separator gaps

inline constexpr int kSpectrumMarkerCount = 5;

// Gradient entry for one analyser output value (scale 0.5): 8 dB above the floor and below
// paint entry 0, about 87.6 dB and above entry 199.
uint8_t paletteIndexForOutput(float analyserOutput);

struct WaterfallSettings {
    int freqMode = 0;
    double sampleRate = 11025.0;
    std::array<float, kSpectrumMarkerCount> markers{};  // Hertz; 0 or below is not drawn
};

// Painting of one row of width pixels. Columns beyond bin 1023 keep what they held; in the
// mirrored scale bin 0 falls on x = width, outside the row.
void paintSpectrumRow(const SpectrumRow& analyserOutput, const WaterfallSettings& settings,
                      int width, uint8_t* row);
// Green on even columns, black on odd.
void paintSeparatorRow(const WaterfallSettings& settings, int width, uint8_t* row);
// A red dot at each drawn marker's column.
void paintMarkers(const WaterfallSettings& settings, int width, uint8_t* row);

class WaterfallModel {
  public:
    // Rebuilds the ring for a client size when it changed (or on first use): the row index
    // restarts at 0 and every pixel becomes black. Returns true when it rebuilt. The strip of
    // kScaleStripHeight pixels above the waterfall is not part of the ring.
    bool ensureSurface(int clientWidth, int clientHeight);

    // The new-row step of a paint: a pending separator row, else, when the collector holds a
    // full block, the windowed transform of it as a new row. Either way the collector's block
    // is released (collection restarts with the next audio block). Returns true when a row
    // was added.
    bool takeNewRow(SpectrumCollector& collector, SpectrumAnalyser& analyser, SpectrumWindow window,
                    const WaterfallSettings& settings);
    // The analyser row of the last spectrum row taken.
    const SpectrumRow& lastRow() const { return lastRow_; }

    // One analyser row: stored in the history (even when the view is too small to show it),
    // then painted as a new waterfall row with the marker dots over it.
    void addSpectrumRow(const SpectrumRow& analyserOutput, const WaterfallSettings& settings);

    // After a transmission: one dotted row (green on even columns, black on odd) marks the gap.
    // The history is left alone. The separator takes the place of the next spectrum row.
    void requestSeparator() { separatorPending_ = true; }
    bool separatorPending() const { return separatorPending_; }
    void addSeparatorRow(const WaterfallSettings& settings);

    int width() const { return width_; }
    int rows() const { return rows_; }  // client height - 20, at least 0
    int rowIndex() const { return rowIndex_; }
    // Ring row shown at display line y (0 = newest, just under the scale strip).
    int ringRowForLine(int line) const { return (rowIndex_ + line) % rows_; }
    const uint8_t* row(int ringRow) const {
        return pixels_.data() + static_cast<size_t>(ringRow) * static_cast<size_t>(width_);
    }

    const SpectrumHistory& history() const { return history_; }
    SpectrumHistory& history() { return history_; }

  private:
    uint8_t* advanceRow();

    SpectrumHistory history_;
    SpectrumRow lastRow_{};
    std::vector<uint8_t> pixels_;
    int width_ = 0;
    int height_ = 0;
    int rows_ = 0;
    int rowIndex_ = 0;
    bool built_ = false;
    bool separatorPending_ = false;
};

}  // namespace tarnvel::display
