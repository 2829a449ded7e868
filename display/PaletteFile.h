#pragma once
// ".pal" files: nine lines "red;green;blue", one per palette anchor.

#include <string>

#include "display/Palette.h"

namespace tarnvel::display {

struct PaletteFileResult {
    bool ok = false;
    std::string message;  // the warning text with the file name appended; empty when ok
    int anchorsRead = 0;  // lines taken into the working anchors
};

// Reads nine anchors into working. Reading stops at the first bad line: the anchors read
// before it stay replaced, the rest keep their values, and the caller keeps its preview as it
// was. Messages: "Cannot open ", "Error reading " (a line is missing), "Wrong format of " (a
// line does not give three numbers).
PaletteFileResult loadPaletteFile(const std::string& path, PaletteAnchors& working);

// Writes the nine anchors as "%3i;%3i;%3i" lines, replacing the file whole (the old palette
// stays when the write fails halfway). "Cannot create " when the file cannot be
// created or written completely.
PaletteFileResult savePaletteFile(const std::string& path, const PaletteAnchors& anchors);

// The file dialogs' texts.
inline constexpr const char* kPaletteFileFilter =
    "Palette files (*.pal)|*.pal|All files (*.*)|*.*||";
inline constexpr const char* kLoadPaletteTitle = "Load Palette";
inline constexpr const char* kSavePaletteTitle = "Save Palette";
inline constexpr const char* kInitialPaletteFileName = "*.pal";

}  // namespace tarnvel::display
