#include "macros/MacroText.h"

#include <iterator>

namespace tarnvel::macros {

namespace {

constexpr char kTagEnd = '>';

}  // namespace

MacroText::MacroText(std::string_view typed) {
    pieces_.push_back({std::string(typed), false});
}

bool MacroText::contains(std::string_view tag) const {
    for (const Piece& piece : pieces_) {
        if (!piece.sealed && piece.text.find(tag) != std::string::npos) return true;
    }
    return false;
}

// One left-to-right pass per typed piece; what a replacement puts in is never searched.
bool MacroText::replaceAll(std::string_view tag, std::string_view value) {
    if (tag.empty()) return false;
    bool found = false;
    std::vector<Piece> result;
    result.reserve(pieces_.size());
    for (Piece& piece : pieces_) {
        if (piece.sealed) {
            result.push_back(std::move(piece));
            continue;
        }
        std::size_t from = 0;
        for (std::size_t at = piece.text.find(tag); at != std::string::npos;
             at = piece.text.find(tag, from)) {
            found = true;
            result.push_back({piece.text.substr(from, at - from), false});
            result.push_back({std::string(value), true});
            from = at + tag.size();
        }
        result.push_back({piece.text.substr(from), false});
    }
    pieces_ = std::move(result);
    return found;
}

bool MacroText::removeAll(std::string_view tag) {
    if (tag.empty()) return false;
    bool found = false;
    for (Piece& piece : pieces_) {
        if (piece.sealed) continue;
        std::string kept;
        std::size_t from = 0;
        for (std::size_t at = piece.text.find(tag); at != std::string::npos;
             at = piece.text.find(tag, from)) {
            found = true;
            kept.append(piece.text, from, at - from);
            from = at + tag.size();
        }
        if (from == 0) continue;
        kept.append(piece.text, from);
        piece.text = std::move(kept);
    }
    return found;
}

std::optional<MacroText::ArgumentTag> MacroText::findArgumentTag(std::string_view opener) const {
    for (std::size_t i = 0; i < pieces_.size(); ++i) {
        const Piece& piece = pieces_[i];
        if (piece.sealed) continue;
        const std::size_t begin = piece.text.find(opener);
        if (begin == std::string::npos) continue;
        const std::size_t argumentStart = begin + opener.size();
        const std::size_t close = piece.text.find(kTagEnd, argumentStart);
        if (close == std::string::npos) return std::nullopt;
        return ArgumentTag{i, begin, close + 1,
                           piece.text.substr(argumentStart, close - argumentStart)};
    }
    return std::nullopt;
}

void MacroText::replaceArgumentTag(const ArgumentTag& tag, std::string_view value) {
    splitAround(tag.piece, tag.begin, tag.end, value);
}

void MacroText::removeArgumentTag(const ArgumentTag& tag) {
    pieces_[tag.piece].text.erase(tag.begin, tag.end - tag.begin);
}

void MacroText::splitAround(std::size_t piece, std::size_t begin, std::size_t end,
                            std::string_view value) {
    std::string typed = std::move(pieces_[piece].text);
    const auto at = pieces_.begin() + static_cast<std::ptrdiff_t>(piece);
    *at = Piece{typed.substr(end), false};
    pieces_.insert(at, {Piece{typed.substr(0, begin), false}, Piece{std::string(value), true}});
}

std::string MacroText::str() const {
    std::string text;
    for (const Piece& piece : pieces_) text += piece.text;
    return text;
}

}  // namespace tarnvel::macros
