#include "display/SpectrumMarkers.h"

#include "display/DecimalText.h"

namespace tarnvel::display {

float SpectrumMarkers::parse(const std::string& text) {
    return static_cast<float>(parseDecimal(text));
}

std::string SpectrumMarkers::format(float hz) {
    constexpr int kDecimals = 2;
    return formatDecimal(static_cast<double>(hz), kDecimals);
}

}  // namespace tarnvel::display
