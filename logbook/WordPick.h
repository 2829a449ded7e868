#pragma once
// A word taken from the receive window into the QSO in progress: the word at a position, what
// kind of word it is, and which field it goes to.

#include <cstddef>
#include <string>
#include <string_view>

namespace tarnvel::logbook {

// The fields a word can be put into, numbered as the receive window's commands use them.
enum class QsoField { Call = 0, Name = 1, RstReceived = 2, Qth = 3, Notes = 4, RstSent = 5 };

enum class WordKind {
    CallLike,  // letters or "/" and at least one digit, nothing else: "SP9XYZ/P"
    RstLike,   // exactly three digits: "599"
    Plain,     // only letters and "/": "JOHN"
    Other
};

// The word around position: letters, digits and "/" to both sides (empty when there are none).
std::string wordAt(std::string_view text, size_t position);

WordKind classifyWord(std::string_view word);

struct PickModifiers {
    bool shift = false;
    bool alt = false;
};

// The field a double-clicked word goes to.
QsoField fieldForPickedWord(WordKind kind, PickModifiers modifiers);

}  // namespace tarnvel::logbook
