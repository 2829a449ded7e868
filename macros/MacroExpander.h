#pragma once
// Turns a macro text into the text put into the transmit window. Tags are handled one
// after another in the fixed order of the tag table, each over the whole text: values are
// substituted for every occurrence (and never looked at again), actions run once when
// their tag occurs (in table order, not in the order they stand in the text), and the
// control characters for the transmitter are left in place. Unknown tags stay as typed.
//
// A file named by "<FILE:name>" is expanded in turn, up to kMaxIncludeDepth files deep;
// a file that includes itself, directly or through others, gives nothing the second time.

#include <string>
#include <string_view>
#include <vector>

#include "macros/MacroContext.h"
#include "macros/MacroTags.h"
#include "macros/SendFile.h"

namespace tarnvel::macros {

inline constexpr int kMaxIncludeDepth = 8;
inline constexpr std::string_view kRstPrompt = "RST to send";
inline constexpr std::string_view kRstPromptInitial = "599";
inline constexpr std::string_view kImdNotMeasured = "IMD was not measured";
inline constexpr std::string_view kCannotOpenMessage = "Cannot open ";
inline constexpr std::string_view kWarningCaption = "Warning!";

class MacroText;

class MacroExpander {
  public:
    explicit MacroExpander(MacroContext& context) : context_(context) {}

    std::string expand(std::string_view macro);

  private:
    std::string expandIncluded(std::string_view macro, std::vector<FileIdentity>& includes);
    void applySpecial(MacroTag tag, MacroText& text, std::vector<FileIdentity>& includes);
    void substitute(MacroText& text, MacroTag tag, std::string_view value);
    void expandRst(MacroText& text);
    void expandCwId(MacroText& text);
    void expandTxToggle(MacroText& text);
    void startTransmitting(MacroText& text);
    void selectBand(MacroText& text);
    void tune(MacroText& text);
    void expandImd(MacroText& text);
    void lookUpCall(MacroText& text);
    void insertChosenFile(MacroText& text);
    void includeNamedFile(MacroText& text, std::vector<FileIdentity>& includes);
    void sendExternalCommand(MacroText& text);

    MacroContext& context_;
};

}  // namespace tarnvel::macros
