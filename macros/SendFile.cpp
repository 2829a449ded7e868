#include "macros/SendFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>

#include "macros/ControlCharacters.h"

namespace tarnvel::macros {

namespace {

constexpr char kUnrepresentable = '?';

// The length of the UTF-8 sequence starting at text[i], or 0 when it is not one.
std::size_t utf8SequenceLength(std::string_view text, std::size_t i, char32_t& codePoint) {
    const auto byte = [&](std::size_t k) { return static_cast<std::uint8_t>(text[k]); };
    const std::uint8_t lead = byte(i);
    std::size_t length = 0;
    if (lead < 0x80) {
        codePoint = lead;
        return 1;
    }
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        codePoint = lead & 0x1Fu;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        codePoint = lead & 0x0Fu;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        codePoint = lead & 0x07u;
    } else {
        return 0;
    }
    if (i + length > text.size()) return 0;
    for (std::size_t k = 1; k < length; ++k) {
        if ((byte(i + k) & 0xC0u) != 0x80u) return 0;
        codePoint = (codePoint << 6) | (byte(i + k) & 0x3Fu);
    }
    const char32_t smallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (codePoint < smallest[length] || codePoint > 0x10FFFF) return 0;
    if (codePoint >= 0xD800 && codePoint <= 0xDFFF) return 0;
    return length;
}

// Valid UTF-8 decoded to 8-bit codes; nothing when the bytes are not UTF-8 (then they are
// taken as 8-bit codes already).
std::optional<std::string> decodeUtf8(std::string_view bytes) {
    std::string codes;
    codes.reserve(bytes.size());
    for (std::size_t i = 0; i < bytes.size();) {
        char32_t codePoint = 0;
        const std::size_t length = utf8SequenceLength(bytes, i, codePoint);
        if (length == 0) return std::nullopt;
        codes += codePoint <= 0xFF ? static_cast<char>(codePoint) : kUnrepresentable;
        i += length;
    }
    return codes;
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

std::string sendFileText(std::string_view bytes) {
    const std::optional<std::string> decoded = decodeUtf8(bytes);
    return withoutControlCharacters(linesEndedByLineFeed(decoded ? *decoded : bytes));
}

std::optional<SendFileContents> readSendFile(const std::string& name) {
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
    return SendFileContents{sendFileText(*bytes), FileIdentity{info.st_dev, info.st_ino}};
}

}  // namespace tarnvel::macros
