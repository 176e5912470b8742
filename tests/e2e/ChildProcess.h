#pragma once

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <optional>
#include <poll.h>
#include <spawn.h>
#include <stdexcept>
#include <string>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace zentrivo::e2e {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using Commands = std::vector<std::string>;

inline std::string contents(const std::filesystem::path& file) {
    std::ifstream in(file);
    return {std::istreambuf_iterator<char>(in), {}};
}

/// A program a test started, writing its stdout and stderr to the file `logFile`. The destructor
/// ends it (SIGTERM, then SIGKILL) and reaps it.
class ChildProcess {
public:
    /// `env` holds "NAME=value" entries.
    ChildProcess(const Commands& argv, const Commands& env, std::filesystem::path logFile)
        : logFile(std::move(logFile)) {
        std::vector<char*> args, envp;
        for (const auto& arg : argv)
            args.push_back(const_cast<char*>(arg.c_str()));
        for (const auto& entry : env)
            envp.push_back(const_cast<char*>(entry.c_str()));
        args.push_back(nullptr);
        envp.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        ::posix_spawn_file_actions_init(&actions);
        ::posix_spawn_file_actions_addopen(&actions, 1, this->logFile.c_str(),
                                           O_WRONLY | O_CREAT | O_TRUNC, 0600);
        ::posix_spawn_file_actions_adddup2(&actions, 1, 2);
        const int error =
            ::posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), envp.data());
        ::posix_spawn_file_actions_destroy(&actions);
        if (error != 0)
            throw std::runtime_error("cannot start " + argv[0]);
        pidFd = static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
    }
    ~ChildProcess() {
        stop(SIGTERM, 5s);
        ::close(pidFd);
    }

    std::string log() const { return contents(logFile); }

    /// Sends `signal` (0: none) and waits up to `timeout` for the end. The exit status (128 +
    /// signal when a signal ended it); none, after a SIGKILL, when the end did not come in time.
    std::optional<int> stop(int signal, std::chrono::milliseconds timeout) {
        if (exitStatus)
            return exitStatus;
        ::kill(pid, signal);
        pollfd pfd{pidFd, POLLIN, 0};
        const bool ended = ::poll(&pfd, 1, static_cast<int>(timeout.count())) > 0;
        int raw = 0;
        if (!ended)
            ::kill(pid, SIGKILL);
        ::waitpid(pid, &raw, 0);
        exitStatus = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
        return ended ? exitStatus : std::nullopt;
    }

private:
    std::filesystem::path logFile;
    pid_t pid = -1;
    int pidFd = -1;
    std::optional<int> exitStatus;
};

/// A program run to its end (up to `timeout`).
struct Completed : ChildProcess {
    Completed(const Commands& argv, const Commands& env, const std::filesystem::path& logFile,
              std::chrono::milliseconds timeout = 30s)
        : ChildProcess(argv, env, logFile), status(stop(0, timeout)), output(log()) {}
    const std::optional<int> status;
    const std::string output;
};

} // namespace zentrivo::e2e
