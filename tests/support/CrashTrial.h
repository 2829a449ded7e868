#pragma once
// Trials of the programs' file writes against the two ways a write ends early: the process is
// killed in the middle, or the disk fills up.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <functional>
#include <random>
#include <sstream>
#include <string>
#include <thread>

namespace tarnvel::testing {

// Runs body in a child process whose files may not grow past limit bytes, as a full disk stops
// a write halfway (writes past it fail with EFBIG instead of killing the process); returns the
// child's exit code, or -1 when it did not exit.
template <class Body>
int runWithFileSizeLimit(rlim_t limit, Body body) {
    const pid_t child = ::fork();
    if (child == 0) {
        ::signal(SIGXFSZ, SIG_IGN);
        const rlimit small{limit, limit};
        if (::setrlimit(RLIMIT_FSIZE, &small) != 0) ::_exit(100);
        ::_exit(body());
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// The whole content of a file; empty when it cannot be read.
inline std::string fileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

struct KillTrial {
    int runs = 100;
    unsigned seed = 12345;
    int maxDelayUs = 20000;  // how long after the writer's first whole write it may be killed
};

// Each run forks a writer that calls write(0), write(1), write(2), ... until it is killed with
// SIGKILL at a random moment after its first write has finished; then check(run) looks at what
// the killed writer left. write returns false when a write fails, which fails the trial. A
// fatal failure in check ends the trial.
inline void killWriterAtRandom(const KillTrial& trial, const std::function<bool(int)>& write,
                               const std::function<void(int run)>& check) {
    std::mt19937 random(trial.seed);
    std::uniform_int_distribution<int> delayUs(0, trial.maxDelayUs);
    for (int run = 0; run < trial.runs; ++run) {
        int started[2];
        ASSERT_EQ(::pipe(started), 0);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            ::close(started[0]);
            if (!write(0)) ::_exit(1);
            (void)!::write(started[1], "s", 1);
            for (int n = 1;; ++n)
                if (!write(n)) ::_exit(1);
        }
        ::close(started[1]);
        char byte = 0;
        const bool wroteOnce = ::read(started[0], &byte, 1) == 1;
        ::close(started[0]);
        if (wroteOnce) std::this_thread::sleep_for(std::chrono::microseconds(delayUs(random)));
        ::kill(child, SIGKILL);
        int status = 0;
        ::waitpid(child, &status, 0);
        ASSERT_TRUE(wroteOnce && WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL)
            << "the writer failed by itself in run " << run;
        check(run);
        if (::testing::Test::HasFatalFailure()) return;
    }
}

}  // namespace tarnvel::testing
