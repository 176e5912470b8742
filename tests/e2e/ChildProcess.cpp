#include "ChildProcess.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <stdexcept>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

namespace zentrivo::e2e {

namespace {

using Clock = std::chrono::steady_clock;

int remainingMillis(Clock::time_point deadline) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    return left.count() > 0 ? static_cast<int>(left.count()) : 0;
}

[[noreturn]] void execChild(const ChildProcess::Options& options, int pipeWrite) {
    const int nullFd = ::open("/dev/null", O_RDWR);
    const int outFd = options.outputFile.empty()
                          ? nullFd
                          : ::open(options.outputFile.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
    ::dup2(nullFd, STDIN_FILENO);
    ::dup2(options.pipeStdout ? pipeWrite : outFd, STDOUT_FILENO);
    ::dup2(options.pipeStderr ? pipeWrite : outFd, STDERR_FILENO);
    // Every other descriptor the test holds stays closed in the child.
    for (int fd = 3; fd < 1024; ++fd)
        if (fd != options.inheritFd)
            ::close(fd);
    if (options.inheritFd >= 0)
        ::fcntl(options.inheritFd, F_SETFD, 0);

    std::vector<std::string> envStrings;
    for (const auto& [key, value] : options.environment)
        envStrings.push_back(key + "=" + value);
    std::vector<char*> envp;
    for (auto& entry : envStrings)
        envp.push_back(entry.data());
    envp.push_back(nullptr);
    std::vector<char*> argv;
    for (const auto& arg : options.argv)
        argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    ::execvpe(argv[0], argv.data(), envp.data());
    const std::string message =
        "cannot run " + options.argv[0] + ": " + std::strerror(errno) + "\n";
    [[maybe_unused]] auto ignored = ::write(STDERR_FILENO, message.data(), message.size());
    ::_exit(127);
}

} // namespace

ChildProcess::ChildProcess(Options options) {
    if (options.argv.empty())
        throw std::runtime_error("no program to start");
    int fds[2] = {-1, -1};
    const bool piped = options.pipeStdout || options.pipeStderr;
    if (piped && ::pipe2(fds, O_CLOEXEC) != 0)
        throw std::runtime_error("pipe failed");
    // execvpe looks the program up in the child's PATH, which the child may not have.
    if (options.environment.count("PATH") == 0)
        options.environment["PATH"] = "/usr/local/bin:/usr/bin:/bin";
    processId = ::fork();
    if (processId < 0)
        throw std::runtime_error("fork failed");
    if (processId == 0)
        execChild(options, fds[1]);
    if (piped) {
        ::close(fds[1]);
        pipeFd = fds[0];
        ::fcntl(pipeFd, F_SETFL, O_NONBLOCK);
    }
    pidFd = static_cast<int>(::syscall(SYS_pidfd_open, processId, 0));
}

ChildProcess::~ChildProcess() {
    if (!exitStatus)
        stop(SIGKILL, std::chrono::milliseconds(5000));
    if (pidFd >= 0)
        ::close(pidFd);
    if (pipeFd >= 0)
        ::close(pipeFd);
}

std::optional<int> ChildProcess::waitForExit(std::chrono::milliseconds timeout) {
    if (exitStatus)
        return exitStatus;
    const auto deadline = Clock::now() + timeout;
    for (;;) {
        int status = 0;
        const pid_t done = ::waitpid(processId, &status, WNOHANG);
        if (done == processId) {
            exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            return exitStatus;
        }
        if (done < 0) {
            exitStatus = -1;
            return exitStatus;
        }
        const int left = remainingMillis(deadline);
        if (left == 0)
            return std::nullopt;
        // The pidfd becomes readable when the process ends: a wait on the real event.
        pollfd pfd{pidFd, POLLIN, 0};
        ::poll(&pfd, 1, left);
    }
}

std::optional<int> ChildProcess::stop(int signal, std::chrono::milliseconds timeout) {
    if (exitStatus)
        return exitStatus;
    ::kill(processId, signal);
    if (auto status = waitForExit(timeout))
        return status;
    ::kill(processId, SIGKILL);
    waitForExit(std::chrono::milliseconds(5000));
    return std::nullopt;
}

bool ChildProcess::isRunning() {
    return !waitForExit(std::chrono::milliseconds(0));
}

bool ChildProcess::fillBuffer(std::chrono::milliseconds timeout) {
    if (pipeFd < 0)
        return false;
    const auto deadline = Clock::now() + timeout;
    for (;;) {
        char chunk[4096];
        const ssize_t count = ::read(pipeFd, chunk, sizeof chunk);
        if (count > 0) {
            buffer.append(chunk, static_cast<std::size_t>(count));
            readSoFar.append(chunk, static_cast<std::size_t>(count));
            return true;
        }
        if (count == 0)
            return false;
        if (errno != EAGAIN && errno != EINTR)
            return false;
        const int left = remainingMillis(deadline);
        if (left == 0)
            return false;
        pollfd pfd{pipeFd, POLLIN, 0};
        ::poll(&pfd, 1, left);
    }
}

std::optional<std::string> ChildProcess::readLine(std::chrono::milliseconds timeout) {
    const auto deadline = Clock::now() + timeout;
    for (;;) {
        const auto newline = buffer.find('\n');
        if (newline != std::string::npos) {
            std::string line = buffer.substr(0, newline);
            buffer.erase(0, newline + 1);
            return line;
        }
        if (!fillBuffer(std::chrono::milliseconds(remainingMillis(deadline))))
            return std::nullopt;
    }
}

void ChildProcess::drain() {
    while (fillBuffer(std::chrono::milliseconds(0))) {
    }
}

RunResult runProgram(const std::vector<std::string>& argv, const Environment& environment,
                     std::chrono::milliseconds timeout) {
    ChildProcess::Options options;
    options.argv = argv;
    options.environment = environment;
    options.pipeStdout = true;
    options.pipeStderr = true;
    ChildProcess child(options);
    const auto deadline = Clock::now() + timeout;
    // Read to the end of the stream first so a talkative program never blocks on a full pipe.
    while (child.readLine(std::chrono::milliseconds(remainingMillis(deadline)))) {
    }
    RunResult result;
    result.status = child.waitForExit(std::chrono::milliseconds(remainingMillis(deadline)));
    child.drain();
    result.output = child.transcript();
    return result;
}

} // namespace zentrivo::e2e
