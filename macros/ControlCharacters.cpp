#include "macros/ControlCharacters.h"

namespace tarnvel::macros {
namespace {

void appendHarmless(std::string& safe, char c) {
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

// A lead byte whose sequence is broken is harmless when the byte after it cannot continue
// it; at the end of the text, or before a byte that would, it could take a control byte.
bool mayTakeAControl(std::string_view text, std::size_t i) {
    const auto lead = static_cast<unsigned char>(text[i]);
    if (modem::utf8::sequenceLength(lead) < 2) return false;
    return i + 1 == text.size() ||
           modem::utf8::continues(lead, 1, static_cast<unsigned char>(text[i + 1]));
}

}  // namespace

std::string withoutControlCharacters(std::string_view text, modem::CharacterSet set) {
    std::string safe;
    safe.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t length = modem::characterLengthAt(text, i, set);
        if (length > 1) {
            safe += text.substr(i, length);
        } else if (set == modem::CharacterSet::Utf8 && mayTakeAControl(text, i)) {
            safe += modem::kUnencodable;
        } else {
            appendHarmless(safe, text[i]);
        }
        i += length;
    }
    return safe;
}

}  // namespace tarnvel::macros
