#include "app/IniDocument.h"

namespace tarnvel::app {

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view trimBlanks(std::string_view text) {
    while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
    return text;
}

// Values lose only their edge spaces (the escaping of string settings protects the
// spaces that matter); a tab at either end is part of the value.
std::string_view trimValue(std::string_view text) {
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    return text;
}

char asciiLower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

IniDocument::Line classify(std::string_view raw, bool& inSection) {
    IniDocument::Line line;
    line.text = std::string(raw);
    const std::string_view trimmed = trimBlanks(raw);
    if (trimmed.empty()) {
        line.kind = IniDocument::LineKind::Blank;
    } else if (trimmed.front() == ';' || trimmed.front() == '#') {
        line.kind = IniDocument::LineKind::Comment;
    } else if (trimmed.front() == '[') {
        const std::size_t close = trimmed.find(']');
        const std::string_view name = close == std::string_view::npos
                                          ? std::string_view{}
                                          : trimBlanks(trimmed.substr(1, close - 1));
        if (name.empty()) {
            line.kind = IniDocument::LineKind::Malformed;
        } else {
            line.kind = IniDocument::LineKind::Section;
            line.section = std::string(name);
            inSection = true;
        }
    } else {
        const std::size_t equals = trimmed.find('=');
        const std::string_view key = equals == std::string_view::npos
                                         ? std::string_view{}
                                         : trimBlanks(trimmed.substr(0, equals));
        if (key.empty()) {
            line.kind = IniDocument::LineKind::Malformed;
        } else {
            line.kind = IniDocument::LineKind::Entry;
            line.key = std::string(key);
            line.value = std::string(trimValue(raw.substr(raw.find('=') + 1)));
            line.inSection = inSection;
        }
    }
    return line;
}

std::string entryText(std::string_view key, std::string_view value) {
    std::string text(key);
    text += '=';
    text += value;
    return text;
}

}  // namespace

bool equalsIgnoringAsciiCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (asciiLower(a[i]) != asciiLower(b[i])) return false;
    }
    return true;
}

constexpr std::string_view kUtf8ByteOrderMark = "\xEF\xBB\xBF";

IniDocument IniDocument::parse(std::string_view text) {
    IniDocument document;
    // Editors that put a byte order mark first would otherwise hide the first section.
    if (text.substr(0, kUtf8ByteOrderMark.size()) == kUtf8ByteOrderMark) {
        document.byteOrderMark_ = true;
        text.remove_prefix(kUtf8ByteOrderMark.size());
    }
    bool inSection = false;
    while (!text.empty()) {
        std::size_t end = text.find('\n');
        std::string_view raw = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (!raw.empty() && raw.back() == '\r') raw.remove_suffix(1);
        document.lines_.push_back(classify(raw, inSection));
    }
    return document;
}

std::string IniDocument::serialize() const {
    std::string text(byteOrderMark_ ? kUtf8ByteOrderMark : std::string_view{});
    for (const Line& line : lines_) {
        text += line.text;
        // A line that still ends in a CR (it ended in CR CR LF) gets its CR LF back: with a
        // bare line feed the next read would take that CR for the line end, and every
        // rewrite would eat one more.
        if (!line.text.empty() && line.text.back() == '\r') text += '\r';
        text += '\n';
    }
    return text;
}

std::optional<std::size_t> IniDocument::findEntry(std::string_view section,
                                                  std::string_view key) const {
    bool inWantedSection = false;
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        const Line& line = lines_[i];
        if (line.kind == LineKind::Section) {
            inWantedSection = equalsIgnoringAsciiCase(line.section, section);
        } else if (inWantedSection && line.kind == LineKind::Entry &&
                   equalsIgnoringAsciiCase(line.key, key)) {
            return i;
        }
    }
    return std::nullopt;
}

// The index after the last non-blank line of the first section of that name, so a
// new key joins its section before the blank line that separates the next one.
std::optional<std::size_t> IniDocument::findSectionEnd(std::string_view section) const {
    std::optional<std::size_t> end;
    bool inWantedSection = false;
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        const Line& line = lines_[i];
        if (line.kind == LineKind::Section) {
            if (end) return end;
            inWantedSection = equalsIgnoringAsciiCase(line.section, section);
            if (inWantedSection) end = i + 1;
        } else if (inWantedSection && line.kind != LineKind::Blank) {
            end = i + 1;
        }
    }
    return end;
}

std::optional<std::string> IniDocument::find(std::string_view section, std::string_view key) const {
    const auto index = findEntry(section, key);
    if (!index) return std::nullopt;
    return lines_[*index].value;
}

bool IniDocument::set(std::string_view section, std::string_view key, std::string_view value) {
    if (const auto index = findEntry(section, key)) {
        Line& line = lines_[*index];
        if (line.value == value) return false;  // hand-made spacing stays too
        line.value = std::string(trimValue(value));
        line.text = entryText(line.key, value);
        return true;
    }
    bool inSection = true;
    Line entry = classify(entryText(key, value), inSection);
    if (const auto end = findSectionEnd(section)) {
        lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(*end), std::move(entry));
        return true;
    }
    if (!lines_.empty() && lines_.back().kind != LineKind::Blank) lines_.push_back(Line{});
    std::string header = "[";
    header += section;
    header += ']';
    lines_.push_back(classify(header, inSection));
    lines_.push_back(std::move(entry));
    return true;
}

std::size_t IniDocument::malformedLineCount() const {
    std::size_t count = 0;
    for (const Line& line : lines_) {
        if (line.kind == LineKind::Malformed) ++count;
    }
    return count;
}

}  // namespace tarnvel::app
