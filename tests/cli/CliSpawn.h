#pragma once
// Starts the built tarnvel-cli with its standard output and error going to files, or runs it
// to its end and returns what a caller sees.

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "support/WavBytes.h"

extern char** environ;

namespace tarnvel::testing {

// Returns the child's pid, or -1 when it could not be started.
inline pid_t spawnCli(const std::vector<std::string>& args, const std::filesystem::path& outPath,
                      const std::filesystem::path& errPath) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    std::vector<std::string> all = {TARNVEL_CLI_PATH};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& a : all) argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid = -1;
    if (posix_spawn(&pid, TARNVEL_CLI_PATH, &actions, nullptr, argv.data(), environ) != 0) pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

struct CliRun {
    int status = -1;
    std::string out;
    std::string err;
};

inline std::string readText(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// Runs the tool to its end, with these environment variables set for it, its standard output
// and error caught in files of their own.
inline CliRun runCli(const std::vector<std::string>& args,
                     const std::vector<std::pair<std::string, std::string>>& environment = {}) {
    static ScratchFolder outputs;
    const auto outPath = outputs / "stdout", errPath = outputs / "stderr";
    for (const auto& [name, value] : environment) ::setenv(name.c_str(), value.c_str(), 1);
    CliRun run;
    const pid_t pid = spawnCli(args, outPath, errPath);
    for (const auto& [name, value] : environment) ::unsetenv(name.c_str());
    if (pid > 0) {
        int status = 0;
        ::waitpid(pid, &status, 0);
        run.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }
    run.out = readText(outPath);
    run.err = readText(errPath);
    return run;
}

}  // namespace tarnvel::testing
