#include "cli/ConsoleHost.h"

#include "cli/TextCodec.h"

namespace tarnvel::cli {

void ConsoleHost::showMessage(std::string_view text, std::string_view caption,
                              app::MessageKind kind) {
    if (kind == app::MessageKind::Error) ++errors_;
    std::string line = "tarnvel-cli: ";
    if (!caption.empty()) {
        line.append(caption);
    } else {
        line += kind == app::MessageKind::Error     ? "error"
                : kind == app::MessageKind::Warning ? "warning"
                                                    : "note";
    }
    line += ": ";
    line.append(text);
    for (char& c : line)
        if (c == '\n' || c == '\r') c = ' ';
    std::fprintf(stderr, "%s\n", line.c_str());
    std::fflush(stderr);
}

void ConsoleHost::showNote(std::string_view text) {
    showMessage(text, {}, app::MessageKind::Info);
}

void ConsoleHost::receivedTextShown(std::string_view) {
    if (station_ == nullptr) return;
    // The window model has applied its rules (line ends paired, control codes dropped); what
    // it gained since the last print goes out. A backspace takes nothing back on a terminal.
    const std::string& text = station_->receiveText().text();
    if (text.size() < printed_) printed_ = text.size();
    if (text.size() == printed_) return;
    const std::string out = toUtf8(std::string_view(text).substr(printed_));
    printed_ = text.size();
    std::fwrite(out.data(), 1, out.size(), stdout);
    std::fflush(stdout);
}

}  // namespace tarnvel::cli
