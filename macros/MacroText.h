#pragma once
// A macro text during expansion: the operator's own text, in which tags are looked for,
// interleaved with values already substituted, which are never looked at again. A call
// sign, a QTH or a received name holding "<TX>" or "<FILE:...>" is therefore sent as
// typed, whatever step comes later.
//
// Removing a tag joins the operator's text on both sides (a tag may form there, as it
// would in the typed text); a value, even an empty one, always stands between its
// neighbours.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tarnvel::macros {

class MacroText {
  public:
    explicit MacroText(std::string_view typed);

    // Whether the tag occurs in the operator's text.
    bool contains(std::string_view tag) const;
    // Replaces every occurrence by value (sealed); true when there was one.
    bool replaceAll(std::string_view tag, std::string_view value);
    // Removes every occurrence; true when there was one.
    bool removeAll(std::string_view tag);

    // An argument tag: opener, the argument, and the first ">" after it.
    struct ArgumentTag {
        std::size_t piece = 0;
        std::size_t begin = 0;  // of the opener
        std::size_t end = 0;    // one past the ">"
        std::string argument;
    };
    // The first occurrence of opener in the operator's text, when a ">" follows it in the
    // same stretch of typed text; an unterminated one is no tag and stays as text.
    std::optional<ArgumentTag> findArgumentTag(std::string_view opener) const;
    // Replaces a tag found by findArgumentTag (with nothing changed since) by value, sealed.
    void replaceArgumentTag(const ArgumentTag& tag, std::string_view value);
    void removeArgumentTag(const ArgumentTag& tag);

    std::string str() const;

  private:
    struct Piece {
        std::string text;
        bool sealed = false;
    };
    void splitAround(std::size_t piece, std::size_t begin, std::size_t end, std::string_view value);

    std::vector<Piece> pieces_;
};

}  // namespace tarnvel::macros
