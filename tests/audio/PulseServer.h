#pragma once
// A private PulseAudio server with a null sink for the tests: what is played to the default
// output comes back from the default input (the sink's monitor). It lives in a folder of its
// own with its own socket, so it never meets another server on the machine, and the test
// process's environment points PortAudio's ALSA "pulse" device at it.

#include <signal.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <thread>

namespace tarnvel::audio::test {

class PulseServer {
  public:
    PulseServer() {
        char pattern[] = "/tmp/tarnvel-pulse-XXXXXX";
        if (::mkdtemp(pattern) != nullptr) folder_ = pattern;
        pointClientsHere();
    }

    ~PulseServer() {
        stop();
        if (!folder_.empty()) std::system(("rm -rf '" + folder_ + "'").c_str());
    }

    PulseServer(const PulseServer&) = delete;
    PulseServer& operator=(const PulseServer&) = delete;

    // Starts the server; false with `error()` saying why when it cannot be started here.
    bool start() {
        if (folder_.empty()) return fail("no temporary folder for the server");
        const std::string command =
            script() + " start '" + folder_ + "' >'" + folder_ + "/script.log' 2>&1";
        if (std::system(command.c_str()) != 0) return fail("the server did not start: " + log());
        running_ = true;
        return true;
    }

    // Stops the server the orderly way and waits until it is gone.
    void stop() {
        if (!running_) return;
        if (frozen_) thaw();
        std::system((script() + " stop '" + folder_ + "' >/dev/null 2>&1").c_str());
        running_ = false;
    }

    // Freezes the server (as a hung one would be): its clients' streams stop moving.
    bool freeze() {
        const pid_t pid = serverPid();
        if (pid <= 0 || ::kill(pid, SIGSTOP) != 0) return fail("cannot freeze the server");
        frozen_ = true;
        return true;
    }

    void thaw() {
        if (const pid_t pid = serverPid(); pid > 0) ::kill(pid, SIGCONT);
        frozen_ = false;
    }

    // Kills the server without warning, as a crash would, and waits until it is gone.
    bool kill() {
        const pid_t pid = serverPid();
        if (pid <= 0) return fail("no pid file of the server");
        ::kill(pid, SIGKILL);
        frozen_ = false;
        for (int i = 0; i < 100 && ::kill(pid, 0) == 0; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        running_ = false;
        return ::kill(pid, 0) != 0;
    }

    const std::string& error() const { return error_; }
    const std::string& folder() const { return folder_; }

  private:
    pid_t serverPid() const {
        std::ifstream pidFile(folder_ + "/run/pid");
        pid_t pid = 0;
        return (pidFile >> pid) ? pid : 0;
    }

    static std::string script() {
        return std::string(TARNVEL_SOURCE_DIR) + "/tests/audio/pulse-null-sink.sh";
    }

    // The environment the ALSA "pulse" plugin reads when PortAudio opens it. Clients must not
    // spawn a server of their own, so "no server" stays no server.
    void pointClientsHere() {
        if (folder_.empty()) return;
        ::mkdir((folder_ + "/run").c_str(), 0700);
        const std::string clientConfig = folder_ + "/client.conf";
        std::ofstream(clientConfig) << "autospawn = no\n";
        ::setenv("PULSE_CLIENTCONFIG", clientConfig.c_str(), 1);
        ::setenv("PULSE_RUNTIME_PATH", (folder_ + "/run").c_str(), 1);
        ::setenv("PULSE_STATE_PATH", (folder_ + "/state").c_str(), 1);
        ::setenv("PULSE_SERVER", ("unix:" + folder_ + "/run/native").c_str(), 1);
        ::setenv("JACK_NO_START_SERVER", "1", 1);
        ::unsetenv("PULSE_SINK");
        ::unsetenv("PULSE_SOURCE");
    }

    std::string log() const {
        std::ifstream in(folder_ + "/script.log");
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    bool fail(std::string message) {
        error_ = std::move(message);
        return false;
    }

    std::string folder_;
    std::string error_;
    bool running_ = false;
    bool frozen_ = false;
};

}  // namespace tarnvel::audio::test
