#include "display/HighlightWords.h"

namespace tarnvel::display {

void HighlightWords::assign(const Slots& slots) {
    words_.clear();
    for (const HighlightWord& w : slots)
        if (!w.text.empty()) words_.push_back(w);
}

HighlightWords::Slots HighlightWords::slots() const {
    Slots out{};
    for (size_t i = 0; i < words_.size() && i < out.size(); ++i) out[i] = words_[i];
    return out;
}

std::optional<Colour> HighlightWords::colourFor(const std::string& line) const {
    std::optional<Colour> colour;
    size_t longest = 0;
    for (const HighlightWord& w : words_) {
        if (w.text.size() > longest && line.find(w.text) != std::string::npos) {
            longest = w.text.size();
            colour = w.colour;
        }
    }
    return colour;
}

}  // namespace tarnvel::display
