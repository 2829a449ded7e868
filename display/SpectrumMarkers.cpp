#include "display/SpectrumMarkers.h"

#include <cstdio>
#include <cstdlib>

namespace tarnvel::display {

float SpectrumMarkers::parse(const std::string& text) {
    return static_cast<float>(std::atof(text.c_str()));
}

std::string SpectrumMarkers::format(float hz) {
    char text[64];
    std::snprintf(text, sizeof text, "%0.2f", static_cast<double>(hz));
    return text;
}

}  // namespace tarnvel::display
