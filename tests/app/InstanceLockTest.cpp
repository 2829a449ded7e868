// One Tarnvel per user: a second process is refused while the first runs, and a holder that
// dies however it dies leaves no lock behind.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <optional>

#include "TempFolder.h"
#include "app/InstanceLock.h"

namespace tarnvel::app {
namespace {

using testing::readFile;
using testing::TempFolder;

// A child process that takes the lock and keeps it until it is killed or told to end (by
// closing the pipe it waits on).
class LockingChild {
  public:
    explicit LockingChild(const std::string& folder) {
        int ready[2], hold[2];
        if (::pipe(ready) != 0 || ::pipe(hold) != 0) return;
        pid_ = ::fork();
        if (pid_ == 0) {
            ::close(ready[0]);
            ::close(hold[1]);
            const InstanceLock lock = InstanceLock::acquire(folder);
            const char held = lock.held() ? 'y' : 'n';
            (void)!::write(ready[1], &held, 1);
            char ignored;
            (void)!::read(hold[0], &ignored, 1);  // returns when the parent closes its end
            ::_exit(0);
        }
        ::close(ready[1]);
        ::close(hold[0]);
        holdPipe_ = hold[1];
        char held = 'n';
        held_ = ::read(ready[0], &held, 1) == 1 && held == 'y';
        ::close(ready[0]);
    }
    ~LockingChild() {
        if (pid_ > 0 && !ended_) kill();
    }
    pid_t pid() const { return pid_; }
    bool held() const { return held_; }
    // Ends the child as a crash would, and waits until it is gone.
    void kill() {
        ::kill(pid_, SIGKILL);
        waitForEnd();
    }
    // Lets the child leave normally (its lock goes with its descriptors).
    void finish() {
        ::close(holdPipe_);
        holdPipe_ = -1;
        waitForEnd();
    }

  private:
    void waitForEnd() {
        int status = 0;
        ::waitpid(pid_, &status, 0);
        if (holdPipe_ >= 0) ::close(holdPipe_);
        holdPipe_ = -1;
        ended_ = true;
    }
    pid_t pid_ = -1;
    int holdPipe_ = -1;
    bool held_ = false;
    bool ended_ = false;
};

TEST(InstanceLock, ASecondProcessIsRefusedAndToldWhoHoldsTheLock) {
    TempFolder folder;
    LockingChild first(folder.path());
    ASSERT_GT(first.pid(), 0);
    ASSERT_TRUE(first.held());

    const InstanceLock second = InstanceLock::acquire(folder.path());
    EXPECT_EQ(second.outcome(), InstanceLock::Outcome::HeldByAnother);
    EXPECT_FALSE(second.held());
    EXPECT_EQ(second.ownerPid(), first.pid());
    EXPECT_NE(second.message().find("already running"), std::string::npos) << second.message();
    EXPECT_NE(second.message().find(std::to_string(first.pid())), std::string::npos);
    EXPECT_NE(second.message().find(folder.path()), std::string::npos);
    EXPECT_EQ(second.path(), folder.file(kInstanceLockFileName));
}

TEST(InstanceLock, AKilledHolderLeavesNoStaleLock) {
    TempFolder folder;
    LockingChild first(folder.path());
    ASSERT_TRUE(first.held());
    first.kill();
    // The dead holder's process id is still in the file; the lock is free all the same.
    const InstanceLock after = InstanceLock::acquire(folder.path());
    EXPECT_TRUE(after.held()) << after.message();
    EXPECT_TRUE(after.message().empty());
    EXPECT_EQ(readFile(after.path()), std::to_string(::getpid()) + "\n");
}

TEST(InstanceLock, AHolderThatEndsNormallyFreesTheLock) {
    TempFolder folder;
    LockingChild first(folder.path());
    ASSERT_TRUE(first.held());
    first.finish();
    EXPECT_TRUE(InstanceLock::acquire(folder.path()).held());
}

// Two opens of the file in one process are two lock holders as well, so the release can be
// watched without a second process.
TEST(InstanceLock, TheLockGoesWithItsObjectAndSurvivesAMove) {
    TempFolder folder;
    std::optional<InstanceLock> mine = InstanceLock::acquire(folder.path());
    ASSERT_TRUE(mine->held());
    InstanceLock moved = std::move(*mine);
    mine.reset();  // the moved-from object must not release what it no longer holds
    EXPECT_TRUE(moved.held());
    const InstanceLock refused = InstanceLock::acquire(folder.path());
    EXPECT_EQ(refused.outcome(), InstanceLock::Outcome::HeldByAnother);
    EXPECT_EQ(refused.ownerPid(), ::getpid());

    // Assigning over a held lock releases it (the new value was asked for while it was held).
    moved = InstanceLock::acquire(folder.path());
    EXPECT_EQ(moved.outcome(), InstanceLock::Outcome::HeldByAnother);
    EXPECT_TRUE(InstanceLock::acquire(folder.path()).held());
}

// A program started while the lock is held (a rig daemon, say) must not keep it alive after
// Tarnvel has ended.
TEST(InstanceLock, AProgramStartedByTheHolderDoesNotInheritIt) {
    TempFolder folder;
    int input[2], execed[2];
    ASSERT_EQ(::pipe(input), 0);
    // Closed on exec: its reading end sees the end of the file once the program has started.
    ASSERT_EQ(::pipe2(execed, O_CLOEXEC), 0);
    pid_t child = -1;
    {
        const InstanceLock lock = InstanceLock::acquire(folder.path());
        ASSERT_TRUE(lock.held());
        child = ::fork();
        if (child == 0) {
            ::dup2(input[0], STDIN_FILENO);
            ::close(input[1]);
            ::execl("/bin/sh", "sh", "-c", "cat >/dev/null", static_cast<char*>(nullptr));
            ::_exit(127);
        }
        ::close(input[0]);
        ::close(execed[1]);
        char ignored;
        ASSERT_EQ(::read(execed[0], &ignored, 1), 0);
        ::close(execed[0]);
    }
    // The started program still runs (it reads until its input closes) while the lock is
    // asked for.
    const InstanceLock after = InstanceLock::acquire(folder.path());
    EXPECT_TRUE(after.held()) << after.message();
    ::close(input[1]);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the program did not run";
}

TEST(InstanceLock, AFolderThatCannotBeMadeIsReportedByName) {
    TempFolder folder;
    testing::writeFile(folder.file("file"), "in the way");
    const std::string dataFolder = folder.file("file") + "/tarnvel";
    const InstanceLock lock = InstanceLock::acquire(dataFolder);
    EXPECT_EQ(lock.outcome(), InstanceLock::Outcome::Unavailable);
    EXPECT_FALSE(lock.held());
    EXPECT_NE(lock.message().find(folder.file("file")), std::string::npos) << lock.message();
}

}  // namespace
}  // namespace tarnvel::app
