#include "logbook/SafeFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace tarnvel::logbook {

namespace {

constexpr mode_t kNewFileMode = 0666;  // narrowed by the umask

class Descriptor {
  public:
    explicit Descriptor(int fd) : fd_(fd) {}
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    ~Descriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    int get() const { return fd_; }
    bool valid() const { return fd_ >= 0; }
    // Closing can report a write error that the writes did not.
    int close() {
        const int result = ::close(fd_);
        fd_ = -1;
        return result;
    }

  private:
    int fd_;
};

bool writeAll(int fd, std::string_view text) {
    while (!text.empty()) {
        const ssize_t written = ::write(fd, text.data(), text.size());
        if (written < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        if (written == 0) {
            errno = ENOSPC;
            return false;
        }
        text.remove_prefix(static_cast<size_t>(written));
    }
    return true;
}

std::string folderOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// A rename is durable once the folder is synced. A folder that cannot be synced (some
// filesystems refuse) does not undo the rename, so it is not reported.
void syncFolder(const std::string& path) {
    Descriptor folder(::open(folderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folder.valid()) ::fsync(folder.get());
}

LogStatus writeSyncedFile(const std::string& path, std::string_view text) {
    Descriptor file(::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, kNewFileMode));
    if (!file.valid()) return LogStatus::failure(fileError("Can't create", path, errno));
    if (!writeAll(file.get(), text) || ::fsync(file.get()) != 0 || file.close() != 0) {
        const int error = errno;
        ::unlink(path.c_str());
        return LogStatus::failure(fileError("Can't write", path, error));
    }
    return LogStatus::success();
}

bool exists(const std::string& path) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0;
}

LogStatus keepBackup(const std::string& path, const std::string& backupPath) {
    if (::unlink(backupPath.c_str()) != 0 && errno != ENOENT)
        return LogStatus::failure(fileError("Can't remove the old backup", backupPath, errno));
    if (::link(path.c_str(), backupPath.c_str()) == 0) return LogStatus::success();
    // Filesystems without hard links get a copy.
    const FileText old = readWholeFile(path);
    if (!old.status) return old.status;
    return writeSyncedFile(backupPath, old.text);
}

}  // namespace

std::string fileError(const std::string& action, const std::string& path, int error) {
    return action + " " + path + ": " + std::strerror(error);
}

FileText readWholeFile(const std::string& path) {
    FileText result;
    Descriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (!file.valid()) {
        if (errno != ENOENT)
            result.status = LogStatus::failure(fileError("Can't open", path, errno));
        return result;
    }
    result.exists = true;
    char buffer[65536];
    for (;;) {
        const ssize_t got = ::read(file.get(), buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) {
            result.status = LogStatus::failure(fileError("Can't read", path, errno));
            result.text.clear();
            return result;
        }
        if (got == 0) break;
        result.text.append(buffer, static_cast<size_t>(got));
    }
    return result;
}

LogStatus replaceFile(const std::string& path, std::string_view text,
                      const std::optional<std::string>& backupPath) {
    const std::string tempPath = path + ".tmp";
    if (LogStatus written = writeSyncedFile(tempPath, text); !written) return written;
    if (backupPath && exists(path)) {
        if (LogStatus kept = keepBackup(path, *backupPath); !kept) {
            ::unlink(tempPath.c_str());
            return LogStatus::failure(kept.error + " (" + path + " is unchanged)");
        }
    }
    if (::rename(tempPath.c_str(), path.c_str()) != 0) {
        const int error = errno;
        ::unlink(tempPath.c_str());
        return LogStatus::failure(fileError("Can't replace", path, error) +
                                  " (the file is unchanged)");
    }
    syncFolder(path);
    return LogStatus::success();
}

LogStatus appendToFile(const std::string& path, std::string_view text) {
    Descriptor file(::open(path.c_str(), O_RDWR | O_CREAT | O_APPEND | O_CLOEXEC, kNewFileMode));
    if (!file.valid()) return LogStatus::failure(fileError("Can't open", path, errno));
    struct stat info {};
    if (::fstat(file.get(), &info) != 0)
        return LogStatus::failure(fileError("Can't read", path, errno));
    const off_t oldSize = info.st_size;
    std::string line;
    char last = '\n';
    if (oldSize > 0 && ::pread(file.get(), &last, 1, oldSize - 1) != 1)
        return LogStatus::failure(fileError("Can't read", path, errno));
    if (last != '\n') line += '\n';
    line += text;
    if (!writeAll(file.get(), line) || ::fsync(file.get()) != 0) {
        const int error = errno;
        (void)!::ftruncate(file.get(), oldSize);
        return LogStatus::failure(fileError("Can't write", path, error));
    }
    if (file.close() != 0) return LogStatus::failure(fileError("Can't write", path, errno));
    return LogStatus::success();
}

}  // namespace tarnvel::logbook
