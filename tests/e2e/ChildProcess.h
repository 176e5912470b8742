#pragma once

#include <chrono>
#include <map>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace zentrivo::e2e {

using Environment = std::map<std::string, std::string>;

/// A program started by a test. The destructor kills and reaps it if it still runs, so no test
/// leaves a process behind.
class ChildProcess {
public:
    struct Options {
        std::vector<std::string> argv;
        Environment environment;
        /// Where stdout and stderr go; /dev/null when empty. Ignored for a stream read through a
        /// pipe.
        std::string outputFile;
        /// Read stdout through a pipe (`readLine`).
        bool pipeStdout = false;
        /// Read stderr through a pipe (`readLine`); stdout then goes to `outputFile`.
        bool pipeStderr = false;
        /// An extra descriptor the child inherits under the same number.
        int inheritFd = -1;
    };

    /// Starts the program; throws std::runtime_error when it cannot be started at all.
    explicit ChildProcess(Options options);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    pid_t pid() const noexcept { return processId; }

    /// The exit status once the process ended by itself within `timeout`; 128 + signal for a
    /// process that a signal ended; none when it still runs.
    std::optional<int> waitForExit(std::chrono::milliseconds timeout);
    /// Sends `signal` and waits up to `timeout` for the end; kills it for good after that.
    std::optional<int> stop(int signal, std::chrono::milliseconds timeout);
    bool isRunning();

    /// The next line of the piped stream, waiting up to `timeout` for it. None on timeout or at
    /// the end of the stream.
    std::optional<std::string> readLine(std::chrono::milliseconds timeout);
    /// Everything read through the pipe so far, line by line, including lines not yet returned.
    const std::string& transcript() const noexcept { return readSoFar; }
    /// Reads what is left in the pipe without waiting.
    void drain();

private:
    bool fillBuffer(std::chrono::milliseconds timeout);

    pid_t processId = -1;
    int pidFd = -1;
    int pipeFd = -1;
    std::optional<int> exitStatus;
    std::string buffer;
    std::string readSoFar;
};

/// The result of a program run to its end.
struct RunResult {
    /// None when it did not end within the timeout (it is then killed).
    std::optional<int> status;
    std::string output;
};

/// Runs a program to its end, collecting stdout and stderr together.
RunResult runProgram(const std::vector<std::string>& argv, const Environment& environment,
                     std::chrono::milliseconds timeout);

} // namespace zentrivo::e2e
