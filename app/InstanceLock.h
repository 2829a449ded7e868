#pragma once

// One Tarnvel per user at a time: the log and the settings are rewritten whole by the program
// that holds them, so a second program writing them at the same time would lose the first
// one's changes. The holder keeps an exclusive flock on "Tarnvel.lock" in the data folder for
// as long as it runs; the kernel drops it when the process ends, however it ends, so a crash
// never leaves a stale lock behind. The file holds the holder's process id, for the message.
//
// The file is never removed: removing it while another program waits on it would let two
// programs hold locks on two different files of the same name.

#include <string>
#include <utility>

namespace tarnvel::app {

inline constexpr const char* kInstanceLockFileName = "Tarnvel.lock";

class InstanceLock {
  public:
    enum class Outcome {
        Held,           // this process holds the lock
        HeldByAnother,  // another process (see ownerPid) holds it
        Unavailable,    // the lock file could not be made or locked (see message)
    };

    // Takes the lock in dataFolder (made when missing), without waiting.
    static InstanceLock acquire(const std::string& dataFolder);

    InstanceLock(InstanceLock&& other) noexcept;
    InstanceLock& operator=(InstanceLock&& other) noexcept;
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;
    ~InstanceLock();  // releases the lock

    Outcome outcome() const { return outcome_; }
    bool held() const { return outcome_ == Outcome::Held; }
    const std::string& path() const { return path_; }
    // The holder's process id when another process holds the lock and wrote it; else 0.
    long ownerPid() const { return ownerPid_; }
    // For the operator when the lock is not held; empty when it is.
    const std::string& message() const { return message_; }

  private:
    InstanceLock(Outcome outcome, std::string path) : outcome_(outcome), path_(std::move(path)) {}
    void release();

    Outcome outcome_;
    std::string path_;
    int fd_ = -1;
    long ownerPid_ = 0;
    std::string message_;
};

}  // namespace tarnvel::app
