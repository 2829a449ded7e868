#pragma once
// Between Qt's text and the station's 8-bit character codes (code = Latin-1 code point, so the
// control codes 174, 169 and 176 show as the characters U+00AE, U+00A9 and U+00B0).

#include <QString>
#include <string>
#include <string_view>

namespace tarnvel::display {

inline QString fromStationCodes(std::string_view codes) {
    return QString::fromLatin1(codes.data(), static_cast<qsizetype>(codes.size()));
}

// Characters beyond U+00FF have no code and are left out.
inline std::string toStationCodes(const QString& text) {
    std::string codes;
    codes.reserve(static_cast<size_t>(text.size()));
    for (const QChar c : text)
        if (c.unicode() <= 0xFF) codes += static_cast<char>(c.unicode());
    return codes;
}

// Makes the images compiled into the window library available (needed once per program,
// because the library is linked statically).
void initDisplayResources();

}  // namespace tarnvel::display
