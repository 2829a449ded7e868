#pragma once
// The display's dialogs: waterfall colours, spectrum markers, band pages and the highlight
// words of the multichannel window. Each edits a copy and hands the result back on OK (or
// "Zatwierdź"); the owner stores it.

#include <QDialog>
#include <QPushButton>
#include <array>

#include "display/BandPages.h"
#include "display/HighlightWords.h"
#include "display/PaletteEditor.h"
#include "display/SpectrumMarkers.h"
#include "modem/CharacterSet.h"

class QLineEdit;
class QComboBox;
class QRadioButton;

namespace tarnvel::display {

// A button drawn filled with one colour (palette swatches, highlight colours).
class ColourButton : public QPushButton {
    Q_OBJECT
  public:
    explicit ColourButton(const QString& text, QWidget* parent = nullptr);
    void setColour(Colour colour);
    Colour colour() const { return colour_; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    Colour colour_ = 0;
};

// The long "Paleta" bar: the whole preview gradient, one column per pixel.
class GradientBar : public QWidget {
    Q_OBJECT
  public:
    explicit GradientBar(const PaletteEditor& editor, QWidget* parent = nullptr)
        : QWidget(parent), editor_(editor) {
        setMinimumSize(200, 24);
    }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    const PaletteEditor& editor_;
};

// "Spektrum kolorów".
class CPaletteDialog : public QDialog {
    Q_OBJECT
  public:
    // The file dialogs offer the palette file used last in this run ("*.pal" at first).
    explicit CPaletteDialog(const PaletteAnchors& anchors, QWidget* parent = nullptr);
    ~CPaletteDialog() override;
    PaletteEditor& editor() { return editor_; }

  Q_SIGNALS:
    // "Zatwierdź": the owner rebuilds its display palette and writes the "PAL%d" keys.
    void applied(const tarnvel::display::PaletteAnchors& anchors);

  private:
    void chooseSwatch(int k);
    void refresh();
    void load();
    void save();

    PaletteEditor editor_;
    std::array<ColourButton*, kPaletteAnchorCount> swatches_{};
    GradientBar* bar_;
};

// "Znaczniki na spektrum": the five marker frequencies.
class CMarkersDialog : public QDialog {
    Q_OBJECT
  public:
    explicit CMarkersDialog(const SpectrumMarkers& markers, QWidget* parent = nullptr);
    SpectrumMarkers markers() const;

  private:
    std::array<QLineEdit*, kSpectrumMarkerCount> fields_{};
};

// "Opcje Spektrum pasm": the eleven band pages and the current one.
class CBandPagesDialog : public QDialog {
    Q_OBJECT
  public:
    explicit CBandPagesDialog(const BandPages& pages, QWidget* parent = nullptr);
    // The edited pages, with the chosen page current.
    BandPages pages() const;

  private:
    BandPages pages_;
    std::array<QLineEdit*, kBandPageCount> names_{};
    std::array<QLineEdit*, kBandPageCount> frequencies_{};
    std::array<QComboBox*, kBandPageCount> options_{};
    std::array<QRadioButton*, kBandPageCount> current_{};
};

// "Kolor wybranego tekstu multikanału": three words ("Opis1" .. "Opis3") with their colours.
// The words are kept in the character set on the air, as the channels' text they match.
class CHighlightDialog : public QDialog {
    Q_OBJECT
  public:
    CHighlightDialog(const HighlightWords& words, modem::CharacterSet set,
                     QWidget* parent = nullptr);
    HighlightWords::Slots words() const;

  private:
    modem::CharacterSet set_;
    std::array<QLineEdit*, kHighlightWordSlots> texts_{};
    std::array<ColourButton*, kHighlightWordSlots> colours_{};
};

}  // namespace tarnvel::display
