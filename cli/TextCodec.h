#pragma once
// Between the terminal's UTF-8 and the station's 8-bit character codes (code = Latin-1 code
// point: the control codes 174, 169 and 176 are the characters U+00AE, U+00A9 and U+00B0).

#include <string>
#include <string_view>

namespace tarnvel::cli {

struct CodedText {
    bool ok = false;
    std::string codes;  // one byte per character code
    std::string error;  // names the first character without a code
};

// Valid UTF-8 is decoded (every character must be U+0000..U+00FF); anything else is taken
// byte for byte as 8-bit codes. Line feeds not preceded by a carriage return become CR LF.
CodedText toStationCodes(std::string_view text);

// 8-bit codes as UTF-8, for printing.
std::string toUtf8(std::string_view codes);

}  // namespace tarnvel::cli
