#include "logbook/WordPick.h"

namespace tarnvel::logbook {

namespace {

bool isLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}
bool isDigit(char c) {
    return c >= '0' && c <= '9';
}
bool isWordChar(char c) {
    return isLetter(c) || isDigit(c) || c == '/';
}

}  // namespace

std::string wordAt(std::string_view text, size_t position) {
    if (position > text.size()) position = text.size();
    size_t first = position;
    while (first > 0 && isWordChar(text[first - 1])) --first;
    size_t last = position;
    while (last < text.size() && isWordChar(text[last])) ++last;
    return std::string(text.substr(first, last - first));
}

WordKind classifyWord(std::string_view word) {
    while (!word.empty() && word.front() == ' ') word.remove_prefix(1);
    while (!word.empty() && word.back() == ' ') word.remove_suffix(1);
    size_t digits = 0, letters = 0, others = 0;
    for (const char c : word) {
        if (isDigit(c))
            ++digits;
        else if (isLetter(c) || c == '/')
            ++letters;
        else
            ++others;
    }
    if (others > 0 || word.empty()) return WordKind::Other;
    if (digits > 0 && letters > 0) return WordKind::CallLike;
    if (digits == 3 && letters == 0) return WordKind::RstLike;
    if (digits == 0) return WordKind::Plain;
    return WordKind::Other;
}

QsoField fieldForPickedWord(WordKind kind, PickModifiers modifiers) {
    switch (kind) {
        case WordKind::CallLike:
            return QsoField::Call;
        case WordKind::RstLike:
            return modifiers.shift || modifiers.alt ? QsoField::RstSent : QsoField::RstReceived;
        case WordKind::Plain:
        case WordKind::Other:
            break;
    }
    if (modifiers.alt) return QsoField::Notes;
    if (modifiers.shift) return QsoField::Qth;
    return kind == WordKind::Plain ? QsoField::Name : QsoField::Notes;
}

}  // namespace tarnvel::logbook
