#pragma once
// Between Qt's text and the station's 8-bit character codes, in the character set on the air.
// The control codes 174, 169 and 176 are codes like any other here: in the single-byte sets
// they show as "®", "©" and "°", and in UTF-8 a lone one shows as that Latin-1 character.

#include <QString>
#include <string>
#include <string_view>

#include "modem/CharacterSet.h"

namespace tarnvel::display {

inline QString fromStationCodes(std::string_view codes, modem::CharacterSet set) {
    const std::u32string text = modem::decodeText(codes, set);
    return QString::fromUcs4(text.data(), static_cast<qsizetype>(text.size()));
}

// Characters the set cannot hold become "?".
inline std::string toStationCodes(const QString& text, modem::CharacterSet set) {
    return modem::encodeText(text.toStdU32String(), set);
}

// Makes the images compiled into the window library available (needed once per program,
// because the library is linked statically).
void initDisplayResources();

}  // namespace tarnvel::display
