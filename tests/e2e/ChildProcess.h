#pragma once

#include <algorithm>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <optional>
#include <poll.h>
#include <spawn.h>
#include <stdexcept>
#include <string>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace zentrivo::e2e {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using Environment = std::vector<std::string>; // "NAME=value"

/// A program a test started, with its stdout (and stderr unless `withStderr` is false) read
/// through a pipe into `output`. The destructor ends it (SIGTERM, then SIGKILL) and reaps it.
class ChildProcess {
public:
    ChildProcess(const std::vector<std::string>& argv, const Environment& env,
                 bool withStderr = true) {
        int fds[2];
        if (::pipe2(fds, O_CLOEXEC) != 0)
            throw std::runtime_error("pipe failed");
        posix_spawn_file_actions_t actions;
        ::posix_spawn_file_actions_init(&actions);
        ::posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
        ::posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
        if (withStderr) // else it goes where the test's own goes
            ::posix_spawn_file_actions_adddup2(&actions, fds[1], 2);
        std::vector<char*> args, envp;
        for (const auto& arg : argv)
            args.push_back(const_cast<char*>(arg.c_str()));
        for (const auto& entry : env)
            envp.push_back(const_cast<char*>(entry.c_str()));
        args.push_back(nullptr);
        envp.push_back(nullptr);
        const int error =
            ::posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), envp.data());
        ::posix_spawn_file_actions_destroy(&actions);
        ::close(fds[1]);
        if (error != 0)
            throw std::runtime_error("cannot start " + argv[0]);
        outFd = fds[0];
        pidFd = static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
    }
    ~ChildProcess() {
        stop(SIGTERM, 5s);
        ::close(pidFd);
        ::close(outFd); // -1 (EBADF) once the stream ended
    }

    /// Reads until `output` holds `text`; false when the stream ends or `timeout` passes first.
    bool readUntil(const std::string& text, std::chrono::milliseconds timeout) {
        const auto deadline = Clock::now() + timeout;
        while (output.find(text) == std::string::npos)
            if (outFd < 0 || !pump(deadline, false))
                return false;
        return true;
    }

    /// The exit status (128 + signal when a signal ended it); none while it still runs.
    std::optional<int> wait(std::chrono::milliseconds timeout) {
        const auto deadline = Clock::now() + timeout;
        while (!exitStatus) {
            int raw = 0;
            if (::waitpid(pid, &raw, WNOHANG) == pid) {
                exitStatus = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
                while (outFd >= 0 && pump(Clock::now(), false)) {
                }
            } else if (!pump(deadline, true) && Clock::now() >= deadline) {
                break;
            }
        }
        return exitStatus;
    }

    /// Sends `signal` and waits for the end; none (and SIGKILL) when it does not come in time.
    std::optional<int> stop(int signal, std::chrono::milliseconds timeout) {
        if (!exitStatus)
            ::kill(pid, signal);
        if (!wait(timeout) && ::kill(pid, SIGKILL) == 0)
            return wait(5s), std::nullopt;
        return exitStatus;
    }

    std::string output;

private:
    /// Waits for output (and with `orExit` for the process's end) and reads what came; false on
    /// timeout or at the end of the stream.
    bool pump(Clock::time_point deadline, bool orExit) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        pollfd fds[2] = {{outFd, POLLIN, 0}, {orExit ? pidFd : -1, POLLIN, 0}};
        if (::poll(fds, 2, static_cast<int>(std::max<long>(0, left.count()))) <= 0)
            return false;
        if (fds[0].revents == 0)
            return true;
        char chunk[4096];
        const ssize_t count = ::read(outFd, chunk, sizeof chunk);
        if (count > 0)
            output.append(chunk, static_cast<std::size_t>(count));
        else
            ::close(std::exchange(outFd, -1));
        return count > 0;
    }

    pid_t pid = -1;
    int pidFd = -1;
    int outFd = -1;
    std::optional<int> exitStatus;
};

/// A program run to its end (up to `timeout`), with stdout and stderr together.
struct Completed : ChildProcess {
    Completed(const std::vector<std::string>& argv, const Environment& env,
              std::chrono::milliseconds timeout = 60s)
        : ChildProcess(argv, env), status(wait(timeout)) {}
    const std::optional<int> status;
};

} // namespace zentrivo::e2e
