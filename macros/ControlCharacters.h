#pragma once
// The characters that expansion leaves for the transmitter to act on, and the guard that
// keeps the same bytes in substituted text from acting: a name, a QTH or a brag file saying
// "20°C" (176 is the degree sign in the station's codes) must be sent, not end the
// transmission or key the identification.

#include <string>
#include <string_view>

#include "modem/CharacterSet.h"

namespace tarnvel::macros {

inline constexpr char kEndOfTransmission = '\xAE';   // 174: back to receive
inline constexpr char kEndAndClear = '\xA9';         // 169: the same, window cleared
inline constexpr char kSendIdentification = '\xB0';  // 176: key the CW identification

inline constexpr std::string_view kRxTagText = "\xAE\r\n";
inline constexpr std::string_view kRxAndClearTagText = "\xA9";
inline constexpr std::string_view kCwIdTagText = "\r\n\xB0\r\n";
inline constexpr std::string_view kTxToggleWhileTransmitting = "\xAE";

// The version text "<VER>" inserts.
inline constexpr std::string_view kVersionText = "2.0";

// What the three characters become inside substituted text: the readable forms of the
// registered, copyright and degree signs they are in Latin-1.
inline constexpr std::string_view kEndOfTransmissionStandIn = "(R)";
inline constexpr std::string_view kEndAndClearStandIn = "(C)";
inline constexpr std::string_view kSendIdentificationStandIn = "deg";

// The text with every 174, 169 and 176 that the transmitter would act on replaced by its
// stand-in. In UTF-8 those bytes inside a letter ("ę", "©", "°") are text and stay, so UTF-8
// values pass unchanged; a lead byte of a broken sequence that could still take the next byte
// (at the end, or before a byte that continues it) becomes "?", so that it cannot take a
// control character that follows for part of a letter.
std::string withoutControlCharacters(std::string_view text, modem::CharacterSet set);

}  // namespace tarnvel::macros
