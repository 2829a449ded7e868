#include "macros/ControlCharacters.h"

namespace tarnvel::macros {

std::string withoutControlCharacters(std::string_view text) {
    std::string safe;
    safe.reserve(text.size());
    for (char c : text) {
        switch (c) {
            case kEndOfTransmission:
                safe += kEndOfTransmissionStandIn;
                break;
            case kEndAndClear:
                safe += kEndAndClearStandIn;
                break;
            case kSendIdentification:
                safe += kSendIdentificationStandIn;
                break;
            default:
                safe += c;
                break;
        }
    }
    return safe;
}

}  // namespace tarnvel::macros
