#include "macros/SendFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>

#include "macros/ControlCharacters.h"

namespace tarnvel::macros {

namespace {

// Valid UTF-8 in the character set on the air; nothing when the bytes are not UTF-8 (then
// they are taken as the set's codes already).
std::optional<std::string> fromUtf8(std::string_view bytes, modem::CharacterSet set) {
    for (std::size_t i = 0; i < bytes.size();) {
        const std::size_t length = modem::characterLengthAt(bytes, i, modem::CharacterSet::Utf8);
        if (length == 1 && static_cast<unsigned char>(bytes[i]) >= 0x80) return std::nullopt;
        i += length;
    }
    if (set == modem::CharacterSet::Utf8) return std::string(bytes);
    return modem::encodeText(modem::decodeText(bytes, modem::CharacterSet::Utf8), set);
}

std::string linesEndedByLineFeed(std::string_view text) {
    std::string lines;
    lines.reserve(text.size() + 16);
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        do {
            lines += line.substr(0, kMaxSendFileLine);
            lines += '\n';
            line.remove_prefix(std::min(line.size(), kMaxSendFileLine));
        } while (!line.empty());
    }
    return lines;
}

// Reads at most limit + 1 bytes, so a file that grew past the limit is noticed.
std::optional<std::string> readAtMost(int fd, std::size_t limit) {
    std::string bytes(limit + 1, '\0');
    std::size_t filled = 0;
    while (filled < bytes.size()) {
        const ssize_t got = ::read(fd, bytes.data() + filled, bytes.size() - filled);
        if (got < 0) return std::nullopt;
        if (got == 0) break;
        filled += static_cast<std::size_t>(got);
    }
    if (filled > limit) return std::nullopt;
    bytes.resize(filled);
    return bytes;
}

}  // namespace

std::string sendFileText(std::string_view bytes, modem::CharacterSet set) {
    const std::optional<std::string> coded = fromUtf8(bytes, set);
    return withoutControlCharacters(linesEndedByLineFeed(coded ? *coded : bytes), set);
}

std::optional<SendFileContents> readSendFile(const std::string& name, modem::CharacterSet set) {
    // Non-blocking, so opening a FIFO without a writer returns at once; it is then refused
    // as not a regular file.
    const int fd = ::open(name.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return std::nullopt;
    struct stat info {};
    std::optional<std::string> bytes;
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) &&
        static_cast<std::uint64_t>(info.st_size) <= kMaxSendFileBytes) {
        bytes = readAtMost(fd, kMaxSendFileBytes);
    }
    ::close(fd);
    if (!bytes) return std::nullopt;
    return SendFileContents{sendFileText(*bytes, set), FileIdentity{info.st_dev, info.st_ino}};
}

}  // namespace tarnvel::macros
