#pragma once
// The palette dialog's state: a working copy of the nine anchors and the 200-entry preview
// built from it. Nothing reaches the main frame's anchors until apply().

#include <string>

#include "display/Palette.h"
#include "display/PaletteFile.h"

namespace tarnvel::display {

class PaletteEditor {
  public:
    // lastFileName: the file the first file dialog offers (the one used last, if any).
    explicit PaletteEditor(const PaletteAnchors& current,
                           std::string lastFileName = kInitialPaletteFileName);

    const PaletteAnchors& working() const { return working_; }
    const Gradient& preview() const { return preview_; }

    // A colour chosen for swatch k (0..8).
    void setAnchor(int k, Colour colour);
    // "Domyślne".
    void restoreDefaults();
    // "Ładuj": on success the preview follows the file; on an error the anchors read before
    // the bad line stay in the working set but the preview is left as it was.
    PaletteFileResult load(const std::string& path);
    // "Zapisz".
    PaletteFileResult save(const std::string& path);
    // The file name offered by the next file dialog: the last one used, "*.pal" at first.
    const std::string& lastFileName() const { return lastFileName_; }

    // "Zatwierdź": the anchors the main frame takes (it rebuilds its display palette from them
    // and writes the nine "PAL%d" keys).
    const PaletteAnchors& apply() const { return working_; }

  private:
    void rebuildPreview() { preview_ = buildGradient(working_); }

    PaletteAnchors working_;
    Gradient preview_;
    std::string lastFileName_ = kInitialPaletteFileName;
};

}  // namespace tarnvel::display
