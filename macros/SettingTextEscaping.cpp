#include "macros/SettingTextEscaping.h"

#include <array>

namespace tarnvel::macros {

namespace {

struct Marker {
    std::string_view text;
    char plain;
};
constexpr std::array<Marker, 3> kMarkers{
    {{kEscapedCarriageReturn, '\r'}, {kEscapedLineFeed, '\n'}, {kEscapedSpace, ' '}}};

}  // namespace

std::string escapeMacroText(std::string_view text) {
    std::string escaped;
    escaped.reserve(text.size() + 8);
    for (char c : text) {
        if (c == '\r') {
            escaped += kMarkers[0].text;
        } else if (c == '\n') {
            escaped += kMarkers[1].text;
        } else {
            escaped += c;
        }
    }
    if (!escaped.empty() && escaped.back() == ' ') {
        escaped.pop_back();
        escaped += kEscapedSpace;
    }
    if (!escaped.empty() && escaped.front() == ' ') escaped.replace(0, 1, kEscapedSpace);
    return escaped;
}

std::string unescapeMacroText(std::string_view text) {
    std::string plain;
    plain.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        const Marker* found = nullptr;
        if (text[i] == '<') {
            for (const Marker& marker : kMarkers) {
                if (text.substr(i, marker.text.size()) == marker.text) found = &marker;
            }
        }
        if (found != nullptr) {
            plain += found->plain;
            i += found->text.size();
        } else {
            plain += text[i++];
        }
    }
    return plain;
}

}  // namespace tarnvel::macros
