#pragma once
// The waterfall without the drawing: the ring of indexed rows, the spectrum history behind the
// level measurements, the transmit separator row and the spectrum-marker dots.
//
// Rows are palette indices: 0..199 the waterfall gradient, then the display palette's fixed
// colours. A row is written by moving the row index (the ring scrolls, nothing is shifted);
// the newest row is shown at the top, under the scale strip.
//
// The ring holds one column per spectrum bin (1024, in bin order); the view maps the columns to
// its pixels (zoom, mirrored scale), so a resize, a new zoom or a new "FreqMode" redraws the
// rows already there instead of losing them.

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
    // Sets the number of rows for a client height (the strip of kScaleStripHeight pixels above
    // the waterfall is not part of the ring). The newest rows drawn so far stay, as many as fit;
    // new rows start black. Returns true when the row count changed (or on first use).
    bool ensureRows(int clientHeight);

    // The new-row step of a paint: a pending separator row, else, when the collector holds a
    // full block, the windowed transform of it as a new row. Either way the collector's block
    // is released (collection restarts with the next audio block). Returns true when a row
    // was added.
    bool takeNewRow(SpectrumCollector& collector, SpectrumAnalyser& analyser, SpectrumWindow window,
                    const WaterfallSettings& settings);
    // The newest analyser row given to the model (what the spectrum trace shows).
    const SpectrumRow& lastRow() const { return lastRow_; }

    // One analyser row: painted as a new waterfall row with the marker dots over it and stored
    // in the history (even when the view is too small to show it). A separator still pending
    // takes the row's place: the gap after a transmission is marked once, and the block that
    // straddles it does not enter the history.
    void addSpectrumRow(const SpectrumRow& analyserOutput, const WaterfallSettings& settings);

    // After a transmission: one dotted row (green on even bins, black on odd) marks the gap.
    // The history is left alone. The separator takes the place of the next spectrum row.
    void requestSeparator() { separatorPending_ = true; }
    bool separatorPending() const { return separatorPending_; }
    void addSeparatorRow(const WaterfallSettings& settings);

    // Columns of a ring row: one per bin, 0 before the first ensureRows.
    int width() const { return rows_ > 0 ? kSpectrumBins : 0; }
    int rows() const { return rows_; }  // client height - 20, at least 0
    int rowIndex() const { return rowIndex_; }
    // Rows written since the model was made; a reader compares it with what it has seen.
    uint64_t rowsAdded() const { return rowsAdded_; }
    // Ring row shown at display line y (0 = newest, just under the scale strip).
    int ringRowForLine(int line) const { return (rowIndex_ + line) % rows_; }
    const uint8_t* row(int ringRow) const {
        return pixels_.data() + static_cast<size_t>(ringRow) * static_cast<size_t>(kSpectrumBins);
    }

    const SpectrumHistory& history() const { return history_; }
    SpectrumHistory& history() { return history_; }

  private:
    uint8_t* advanceRow();

    SpectrumHistory history_;
    SpectrumRow lastRow_{};
    std::vector<uint8_t> pixels_;
    int rows_ = 0;
    int rowIndex_ = 0;
    uint64_t rowsAdded_ = 0;
    bool built_ = false;
    bool separatorPending_ = false;
};

}  // namespace tarnvel::display
