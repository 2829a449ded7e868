#include "display/PaletteEditor.h"

#include <utility>

namespace tarnvel::display {

PaletteEditor::PaletteEditor(const PaletteAnchors& current, std::string lastFileName)
    : working_(current), preview_(buildGradient(current)), lastFileName_(std::move(lastFileName)) {}

void PaletteEditor::setAnchor(int k, Colour colour) {
    if (k < 0 || k >= kPaletteAnchorCount) return;
    working_[static_cast<size_t>(k)] = colour;
    rebuildPreview();
}

void PaletteEditor::restoreDefaults() {
    working_ = defaultPaletteAnchors();
    rebuildPreview();
}

PaletteFileResult PaletteEditor::load(const std::string& path) {
    lastFileName_ = path;
    PaletteFileResult r = loadPaletteFile(path, working_);
    if (r.ok) rebuildPreview();
    return r;
}

PaletteFileResult PaletteEditor::save(const std::string& path) {
    lastFileName_ = path;
    return savePaletteFile(path, working_);
}

}  // namespace tarnvel::display
