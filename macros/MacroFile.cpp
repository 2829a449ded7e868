#include "macros/MacroFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "macros/SettingTextEscaping.h"

namespace tarnvel::macros {

namespace {

constexpr MacroKeySet kSetsInFileOrder[] = {MacroKeySet::F, MacroKeySet::Ctrl};

std::string oneLine(std::string_view label) {
    std::string line(label);
    for (char& c : line) {
        if (c == '\r' || c == '\n') c = ' ';
    }
    return line;
}

enum class ReadOutcome { Read, CannotOpen, TooLarge };

ReadOutcome readWholeFile(const std::string& name, std::string& bytes) {
    const int fd = ::open(name.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return ReadOutcome::CannotOpen;
    struct stat info {};
    ReadOutcome outcome = ReadOutcome::Read;
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        outcome = ReadOutcome::CannotOpen;
    } else if (static_cast<std::uint64_t>(info.st_size) > kMaxMacroFileBytes) {
        outcome = ReadOutcome::TooLarge;
    } else {
        bytes.assign(kMaxMacroFileBytes + 1, '\0');
        std::size_t filled = 0;
        ssize_t got = 0;
        while (filled < bytes.size() &&
               (got = ::read(fd, bytes.data() + filled, bytes.size() - filled)) > 0) {
            filled += static_cast<std::size_t>(got);
        }
        if (got < 0) outcome = ReadOutcome::CannotOpen;
        if (filled > kMaxMacroFileBytes) outcome = ReadOutcome::TooLarge;
        bytes.resize(filled);
    }
    ::close(fd);
    return outcome;
}

// The lines of the text; a last line without its line feed still counts.
std::vector<std::string_view> splitLines(std::string_view text) {
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        lines.push_back(line);
        if (end == std::string_view::npos) break;
        text.remove_prefix(end + 1);
    }
    return lines;
}

bool writeAll(int fd, std::string_view text) {
    while (!text.empty()) {
        const ssize_t written = ::write(fd, text.data(), text.size());
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return false;
        text.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

MacroFileResult failure(std::string_view message, const std::string& name) {
    return {false, std::string(message) + name};
}

}  // namespace

std::string formatMacroFile(const MacroSet& macros) {
    std::string text;
    for (MacroKeySet set : kSetsInFileOrder) {
        for (int key = 1; key <= kMacroKeysPerSet; ++key) {
            const Macro& macro = macros.at(set, key);
            text += oneLine(macro.label) + '\n';
            text += escapeMacroText(macro.text) + '\n';
        }
    }
    return text;
}

MacroFileResult loadMacroFile(const std::string& name, MacroSet& macros) {
    std::string bytes;
    switch (readWholeFile(name, bytes)) {
        case ReadOutcome::CannotOpen:
            return failure(kCannotOpenMacroFile, name);
        case ReadOutcome::TooLarge:
            return failure(kErrorReadingMacroFile, name);
        case ReadOutcome::Read:
            break;
    }
    const std::vector<std::string_view> lines = splitLines(bytes);
    std::size_t next = 0;
    for (MacroKeySet set : kSetsInFileOrder) {
        for (int key = 1; key <= kMacroKeysPerSet; ++key) {
            Macro& macro = macros.at(set, key);
            if (next == lines.size()) return failure(kErrorReadingMacroFile, name);
            macro.label = std::string(lines[next++]);
            if (next == lines.size()) return failure(kErrorReadingMacroFile, name);
            macro.text = unescapeMacroText(lines[next++]);
        }
    }
    return {true, {}};
}

MacroFileResult saveMacroFile(const std::string& name, const MacroSet& macros) {
    const std::string temporary = name + ".tmp";
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) return failure(kCannotCreateMacroFile, name);
    const bool written = writeAll(fd, formatMacroFile(macros)) && ::fsync(fd) == 0;
    const bool closed = ::close(fd) == 0;
    if (!written || !closed || std::rename(temporary.c_str(), name.c_str()) != 0) {
        std::remove(temporary.c_str());
        return failure(kCannotCreateMacroFile, name);
    }
    return {true, {}};
}

}  // namespace tarnvel::macros
