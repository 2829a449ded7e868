#pragma once
// The text files that "<FILE>" and "<FILE:name>" put into a macro. Only regular files of at
// most 64 KiB are read, so a device, a FIFO or a huge file can neither hang the station nor
// fill its memory; anything else is a file that could not be opened.

#include <sys/types.h>

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "modem/CharacterSet.h"

namespace tarnvel::macros {

inline constexpr std::size_t kMaxSendFileBytes = 64 * 1024;
// Longer lines are cut into lines of this many characters.
inline constexpr std::size_t kMaxSendFileLine = 1000;

// Which file it is, whatever name it was reached by (cycles of included files).
struct FileIdentity {
    dev_t device = 0;
    ino_t inode = 0;
    bool operator==(const FileIdentity&) const = default;
};

struct SendFileContents {
    std::string text;
    FileIdentity identity;
};

// The file's text as it is sent, or nothing when it cannot be read.
std::optional<SendFileContents> readSendFile(const std::string& name, modem::CharacterSet set);

// The bytes of a file as sent: UTF-8 (when the bytes are valid UTF-8) becomes the
// character set on the air, with "?" for characters it cannot hold, other bytes stay as
// they are; every line ends in one LF (a CR before it is dropped, so files written on Windows
// send no doubled line ends), and the control characters are made harmless.
std::string sendFileText(std::string_view bytes, modem::CharacterSet set);

}  // namespace tarnvel::macros
