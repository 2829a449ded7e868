#pragma once
// File primitives of the log. A rewrite never leaves a half-written log: the new text goes to
// "<name>.tmp", every write is checked and the file synced, the previous log is kept under the
// backup name (hard link, or a synced copy where links fail), and only then is the temporary
// file renamed over the log and the folder synced. A crash at any moment leaves either the old
// or the new log whole under the log's name, or (between the rename steps) the old one under
// the backup name.

#include <optional>
#include <string>
#include <string_view>

#include "logbook/LogStatus.h"

namespace tarnvel::logbook {

struct FileText {
    LogStatus status;
    bool exists = false;  // a missing file reads as empty text and is not an error
    std::string text;
};

FileText readWholeFile(const std::string& path);

// Replaces the file at path with text through path + ".tmp"; with a backup name, the previous
// file (when there is one) is kept under it.
LogStatus replaceFile(const std::string& path, std::string_view text,
                      const std::optional<std::string>& backupPath);

// Appends text, adding a line feed first when the file does not end with one. A failed write
// cuts the file back to its old length, so no partial line stays behind.
LogStatus appendToFile(const std::string& path, std::string_view text);

// "name: reason" for the operator.
std::string fileError(const std::string& action, const std::string& path, int error);

}  // namespace tarnvel::logbook
