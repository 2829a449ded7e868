#pragma once

// The per-user settings store: one sectioned text file of "key=value" lines, read
// once when the store is made and rewritten whole on every change.
//
// A rewrite goes to a temporary file in the same folder, is flushed to the disk and
// then renamed over the old file, so a crash, a killed process or a full disk leaves
// either the old file or the new one, never a mixture. Lines the store does not
// understand are kept as they are.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "app/IniDocument.h"

namespace tarnvel::app {

class SettingsStore {
  public:
    // Reads the file at path; a missing file is an empty store that a write creates
    // (with its folders).
    explicit SettingsStore(std::string path);

    SettingsStore(const SettingsStore&) = delete;
    SettingsStore& operator=(const SettingsStore&) = delete;

    const std::string& path() const { return path_; }

    // The four operations the whole system uses. A getter gives the default when
    // the key is missing (or, for integers, holds no number). A writer returns false
    // when the file could not be written (or the names cannot be stored); lastError()
    // then says why. The value stays in the store and goes out with the next write.
    std::int32_t getInt(std::string_view section, std::string_view key,
                        std::int32_t defaultValue) const;
    std::string getString(std::string_view section, std::string_view key,
                          std::string_view defaultValue) const;
    bool writeInt(std::string_view section, std::string_view key, std::int32_t value);
    bool writeString(std::string_view section, std::string_view key, std::string_view value);

    // The stored text of a key, or nothing when the key is missing.
    std::optional<std::string> find(std::string_view section, std::string_view key) const;

    // Writes made between beginBatch and the matching endBatch go to the file once,
    // at endBatch (nested batches count). endBatch returns false when that write fails.
    void beginBatch();
    bool endBatch();

    // Why the last failing read or write failed, naming the file.
    const std::string& lastError() const { return lastError_; }

    // False when the file exists but could not be read; the store then refuses to
    // overwrite it, so nothing in it is lost.
    bool isReadable() const { return readable_; }

    std::size_t malformedLineCount() const { return document_.malformedLineCount(); }

    // Rewrites the file now (when something is waiting to be written).
    bool flush();

  private:
    bool load();
    bool store(std::string_view section, std::string_view key, std::string_view value);
    bool checkNames(std::string_view section, std::string_view key, std::string_view value);
    bool writeFile();

    std::string path_;
    IniDocument document_;
    std::string lastError_;
    bool readable_ = true;
    bool dirty_ = false;
    int batchDepth_ = 0;
};

// Writes text to path through a temporary file in the same folder: written, flushed
// to the disk, renamed over path, folder flushed. Creates missing folders. On failure
// path is untouched, the temporary file is removed and error names the step.
bool writeFileAtomically(const std::string& path, std::string_view text, std::string& error);

}  // namespace tarnvel::app
