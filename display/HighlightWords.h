#pragma once
// Up to three words that colour a multichannel line when it contains them (a callsign, "CQ").
//
// Settings (section "Misc"): "CLRtxt1" .. "CLRtxt3" hold the words, stored escaped like every
// text setting; "CLRclr1" .. "CLRclr3" their colours. This class works on unescaped text.

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "display/Palette.h"

namespace tarnvel::display {

inline constexpr int kHighlightWordSlots = 3;
inline constexpr Colour kDefaultHighlightColour = 0xC8FFFF;  // RGB(255, 255, 200)

struct HighlightWord {
    std::string text;
    Colour colour = kDefaultHighlightColour;
};

class HighlightWords {
  public:
    using Slots = std::array<HighlightWord, kHighlightWordSlots>;

    // Replaces the list by the non-empty slots, in order (start-up and the dialog's OK).
    void assign(const Slots& slots);
    // The list laid out in the three slots for the dialog and for saving; slots past the end
    // of the list have an empty text and the default colour.
    Slots slots() const;
    const std::vector<HighlightWord>& words() const { return words_; }

    // Colour of the longest word contained in the line (the first of equally long ones), or
    // nothing when the line contains none.
    std::optional<Colour> colourFor(const std::string& line) const;

    static std::string textKey(int k) { return "CLRtxt" + std::to_string(k); }    // k = 1..3
    static std::string colourKey(int k) { return "CLRclr" + std::to_string(k); }  // k = 1..3

  private:
    std::vector<HighlightWord> words_;
};

}  // namespace tarnvel::display
