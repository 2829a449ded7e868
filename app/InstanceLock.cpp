#include "app/InstanceLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>

#include "app/UserFolders.h"

namespace tarnvel::app {

namespace {

constexpr mode_t kLockFileMode = 0600;

// The process id a holder wrote into the file, or 0 when there is none (yet).
long readOwnerPid(int fd) {
    char text[32] = {};
    const ssize_t got = ::pread(fd, text, sizeof text - 1, 0);
    if (got <= 0) return 0;
    char* end = nullptr;
    const long pid = std::strtol(text, &end, 10);
    return end != text && pid > 0 ? pid : 0;
}

void writeOwnPid(int fd) {
    const std::string text = std::to_string(::getpid()) + "\n";
    // Only informative: a failure here does not weaken the lock itself.
    if (::ftruncate(fd, 0) == 0) (void)!::pwrite(fd, text.data(), text.size(), 0);
}

std::string busyMessage(const std::string& folder, long pid) {
    const std::string who = pid > 0 ? "(process " + std::to_string(pid) + ")" : "";
    return "Tarnvel is already running for this user" + (who.empty() ? "" : " " + who) +
           ": its log and settings in " + folder + " are in use. Close that Tarnvel first.";
}

}  // namespace

InstanceLock InstanceLock::acquire(const std::string& dataFolder) {
    InstanceLock lock(Outcome::Unavailable, dataFolder + "/" + kInstanceLockFileName);
    const FolderResult folder = createFolders(dataFolder);
    if (!folder.ok) {
        lock.message_ = "Cannot lock the data folder: " + folder.error;
        return lock;
    }
    // O_CLOEXEC: programs started from here (a rig daemon, say) must not inherit the lock.
    const int fd = ::open(lock.path_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, kLockFileMode);
    if (fd < 0) {
        lock.message_ = "Cannot open the lock file " + lock.path_ + ": " + std::strerror(errno);
        return lock;
    }
    int result = 0;
    do {
        result = ::flock(fd, LOCK_EX | LOCK_NB);
    } while (result != 0 && errno == EINTR);
    if (result != 0) {
        const int error = errno;
        if (error == EWOULDBLOCK) {
            lock.outcome_ = Outcome::HeldByAnother;
            lock.ownerPid_ = readOwnerPid(fd);
            lock.message_ = busyMessage(dataFolder, lock.ownerPid_);
        } else {
            lock.message_ = "Cannot lock " + lock.path_ + ": " + std::strerror(error);
        }
        ::close(fd);
        return lock;
    }
    writeOwnPid(fd);
    lock.fd_ = fd;
    lock.outcome_ = Outcome::Held;
    return lock;
}

InstanceLock::InstanceLock(InstanceLock&& other) noexcept
    : outcome_(other.outcome_),
      path_(std::move(other.path_)),
      fd_(std::exchange(other.fd_, -1)),
      ownerPid_(other.ownerPid_),
      message_(std::move(other.message_)) {
    other.outcome_ = Outcome::Unavailable;
}

InstanceLock& InstanceLock::operator=(InstanceLock&& other) noexcept {
    if (this != &other) {
        release();
        outcome_ = std::exchange(other.outcome_, Outcome::Unavailable);
        path_ = std::move(other.path_);
        fd_ = std::exchange(other.fd_, -1);
        ownerPid_ = other.ownerPid_;
        message_ = std::move(other.message_);
    }
    return *this;
}

InstanceLock::~InstanceLock() {
    release();
}

void InstanceLock::release() {
    if (fd_ < 0) return;
    // The pid goes first, so that nobody names a process that no longer holds the lock.
    (void)!::ftruncate(fd_, 0);
    ::close(fd_);  // closing the only descriptor drops the flock
    fd_ = -1;
}

}  // namespace tarnvel::app
