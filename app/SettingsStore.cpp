#include "app/SettingsStore.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "app/SettingsText.h"
#include "app/UserFolders.h"

namespace tarnvel::app {

namespace {

std::string systemError(int code) {
    return std::strerror(code);
}

bool containsLineBreakOrNul(std::string_view text) {
    return text.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos;
}

bool hasEdgeBlank(std::string_view text) {
    auto blank = [](char c) { return c == ' ' || c == '\t'; };
    return !text.empty() && (blank(text.front()) || blank(text.back()));
}

// A symbolic link (a settings file kept with the user's other dotfiles, say) is
// followed, so the rename replaces the file it names and the link stays.
std::string resolveLink(const std::string& path) {
    std::error_code error;
    if (!std::filesystem::is_symlink(path, error)) return path;
    const auto target = std::filesystem::weakly_canonical(path, error);
    return error ? path : target.string();
}

std::string folderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

constexpr std::string_view kTemporaryInfix = ".tmp.";

// "<file>.tmp.<pid>.<n>": the process id tells whose rewrite it was.
std::string temporaryNameFor(const std::string& path) {
    static std::atomic<unsigned> counter{0};
    return path + std::string(kTemporaryInfix) + std::to_string(::getpid()) + "." +
           std::to_string(counter++);
}

// A writer killed halfway leaves its temporary file; once that process is gone
// nobody will finish it, so it is removed.
void removeAbandonedTemporaries(const std::string& path) {
    namespace fs = std::filesystem;
    const std::string target = resolveLink(path);
    const fs::path file(target);
    const std::string prefix = file.filename().string() + std::string(kTemporaryInfix);
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(folderOf(target), error)) {
        const std::string name = entry.path().filename().string();
        if (name.compare(0, prefix.size(), prefix) != 0) continue;
        const std::string rest = name.substr(prefix.size());
        const std::size_t dot = rest.find('.');
        if (dot == 0 || dot == std::string::npos || rest.find_first_not_of("0123456789") != dot) {
            continue;
        }
        const long pid = std::strtol(rest.c_str(), nullptr, 10);
        if (pid <= 0 || (::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH)) {
            std::error_code ignored;
            fs::remove(entry.path(), ignored);
        }
    }
}

bool writeAll(int fd, std::string_view text) {
    while (!text.empty()) {
        const ssize_t written = ::write(fd, text.data(), text.size());
        if (written < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        text.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

// The rename is durable only once the folder itself is on the disk. Some file
// systems cannot flush a folder; the file is in place by then, so that is no failure.
void flushFolder(const std::string& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    (void)::fsync(fd);
    ::close(fd);
}

}  // namespace

bool writeFileAtomically(const std::string& path, std::string_view text, std::string& error) {
    const std::string target = resolveLink(path);
    const std::string folder = folderOf(target);
    if (const FolderResult made = createFolders(folder); !made.ok) {
        error = "Cannot write " + path + ": " + made.error;
        return false;
    }
    const std::string temporary = temporaryNameFor(target);
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) {
        error = "Cannot create " + temporary + ": " + systemError(errno);
        return false;
    }
    auto fail = [&](const char* step, int code) {
        ::close(fd);
        ::unlink(temporary.c_str());
        error = std::string("Cannot ") + step + " " + temporary + ": " + systemError(code);
        return false;
    };
    // The new file keeps the permissions the user gave the old one.
    struct stat old {};
    if (::stat(target.c_str(), &old) == 0 && ::fchmod(fd, old.st_mode & 07777) != 0) {
        return fail("set the permissions of", errno);
    }
    if (!writeAll(fd, text)) return fail("write", errno);
    if (::fsync(fd) != 0) return fail("flush", errno);
    if (::close(fd) != 0) {
        const int code = errno;
        ::unlink(temporary.c_str());
        error = "Cannot close " + temporary + ": " + systemError(code);
        return false;
    }
    if (::rename(temporary.c_str(), target.c_str()) != 0) {
        const int code = errno;
        ::unlink(temporary.c_str());
        error = "Cannot replace " + target + ": " + systemError(code);
        return false;
    }
    flushFolder(folder);
    return true;
}

SettingsStore::SettingsStore(std::string path) : path_(std::move(path)) {
    if (load()) removeAbandonedTemporaries(path_);
}

bool SettingsStore::load() {
    const int fd = ::open(path_.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT) return true;  // first start: every key has its default
        readable_ = false;
        lastError_ = "Cannot read the settings file " + path_ + ": " + systemError(errno);
        return false;
    }
    std::string text;
    char buffer[8192];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got == 0) break;
        if (got < 0) {
            if (errno == EINTR) continue;
            readable_ = false;
            lastError_ = "Cannot read the settings file " + path_ + ": " + systemError(errno);
            ::close(fd);
            return false;
        }
        text.append(buffer, static_cast<std::size_t>(got));
    }
    ::close(fd);
    document_ = IniDocument::parse(text);
    return true;
}

std::optional<std::string> SettingsStore::find(std::string_view section,
                                               std::string_view key) const {
    return document_.find(section, key);
}

std::int32_t SettingsStore::getInt(std::string_view section, std::string_view key,
                                   std::int32_t defaultValue) const {
    const auto text = find(section, key);
    if (!text) return defaultValue;
    return parseSettingInt(*text).value_or(defaultValue);
}

std::string SettingsStore::getString(std::string_view section, std::string_view key,
                                     std::string_view defaultValue) const {
    const auto text = find(section, key);
    return text ? *text : std::string(defaultValue);
}

bool SettingsStore::writeInt(std::string_view section, std::string_view key, std::int32_t value) {
    return store(section, key, formatSettingInt(value));
}

bool SettingsStore::writeString(std::string_view section, std::string_view key,
                                std::string_view value) {
    return store(section, key, value);
}

// Names and values that would break the one-line "key=value" form, or that would
// read back as a different name, are refused rather than written wrongly.
bool SettingsStore::checkNames(std::string_view section, std::string_view key,
                               std::string_view value) {
    std::string problem;
    if (section.empty() || key.empty()) {
        problem = "an empty section or key name";
    } else if (containsLineBreakOrNul(section) || containsLineBreakOrNul(key) ||
               containsLineBreakOrNul(value)) {
        problem = "a line break or NUL character (escape it first)";
    } else if (section.find(']') != std::string_view::npos || hasEdgeBlank(section)) {
        problem = "a section name with ']' or edge blanks";
    } else if (key.find('=') != std::string_view::npos || hasEdgeBlank(key) || key.front() == '[' ||
               key.front() == ';' || key.front() == '#') {
        problem = "a key name with '=', edge blanks or a leading '[', ';' or '#'";
    }
    if (problem.empty()) return true;
    lastError_ = "Cannot store [" + std::string(section) + "] " + std::string(key) +
                 " in the settings file " + path_ + ": " + problem;
    return false;
}

bool SettingsStore::store(std::string_view section, std::string_view key, std::string_view value) {
    if (!checkNames(section, key, value)) return false;
    if (document_.set(section, key, value)) dirty_ = true;
    if (batchDepth_ > 0) return true;
    return flush();
}

void SettingsStore::beginBatch() {
    ++batchDepth_;
}

bool SettingsStore::endBatch() {
    if (batchDepth_ > 0) --batchDepth_;
    if (batchDepth_ > 0) return true;
    return flush();
}

bool SettingsStore::flush() {
    if (!dirty_) return true;
    return writeFile();
}

bool SettingsStore::writeFile() {
    if (!readable_) {
        lastError_ =
            "The settings file " + path_ + " could not be read at start, so it is not overwritten";
        return false;
    }
    if (!writeFileAtomically(path_, document_.serialize(), lastError_)) return false;
    dirty_ = false;
    return true;
}

}  // namespace tarnvel::app
