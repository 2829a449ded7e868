#pragma once

// The lines of a sectioned "key=value" text file, kept as they were read so that a
// rewrite changes only the entries that were set: comments, blank lines, unknown
// sections and keys, their order and even lines that make no sense stay as they are.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tarnvel::app {

class IniDocument {
  public:
    enum class LineKind { Blank, Comment, Section, Entry, Malformed };

    struct Line {
        LineKind kind = LineKind::Blank;
        std::string text;        // the line as it is written out
        std::string section;     // Section: the name between the brackets
        std::string key;         // Entry: the name before '='
        std::string value;       // Entry: the text after '=', edge spaces trimmed
        bool inSection = false;  // Entry: false for entries above the first section
    };

    // Splits text into lines (LF or CR LF ends) and classifies them.
    static IniDocument parse(std::string_view text);

    // The text to write back: every line followed by a line feed (CR LF for a line whose
    // text ends in a CR, so that it reads back the same).
    std::string serialize() const;

    // The value of the first entry for key in any section of that name (names compare
    // without regard to ASCII case, as the profile files of the desktop always did).
    std::optional<std::string> find(std::string_view section, std::string_view key) const;

    // Sets the first such entry, or adds one at the end of the first section of that
    // name (or in a new section at the end). Returns true when the text changed.
    bool set(std::string_view section, std::string_view key, std::string_view value);

    const std::vector<Line>& lines() const { return lines_; }
    std::size_t malformedLineCount() const;

  private:
    std::optional<std::size_t> findEntry(std::string_view section, std::string_view key) const;
    std::optional<std::size_t> findSectionEnd(std::string_view section) const;

    std::vector<Line> lines_;
    bool byteOrderMark_ = false;  // kept, so an editor that wrote one finds it again
};

bool equalsIgnoringAsciiCase(std::string_view a, std::string_view b);

}  // namespace tarnvel::app
