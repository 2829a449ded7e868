#pragma once
// Decimal numbers in stored text (settings, band pages, markers) are always written with a
// decimal point, whatever the desktop's locale: a Polish desktop would otherwise write
// "14070,000000" and lose every fraction when reading it back.

#include <string>
#include <string_view>

namespace tarnvel::display {

// Fixed-point text with `decimals` digits after the point ("0" for a value that has none).
std::string formatDecimal(double value, int decimals);

// The number at the start of text (leading blanks skipped, anything after it ignored, 0 when
// there is none). A decimal comma is read as a point, so that values written under a
// comma locale by earlier versions keep their fractions.
double parseDecimal(std::string_view text);

}  // namespace tarnvel::display
