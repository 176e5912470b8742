#include "TestDesktop.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <poll.h>
#include <stdexcept>
#include <sys/inotify.h>
#include <unistd.h>

namespace zentrivo::e2e {

namespace {

using Clock = std::chrono::steady_clock;

int remainingMillis(Clock::time_point deadline) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    return left.count() > 0 ? static_cast<int>(left.count()) : 0;
}

/// Starts a server that announces itself by writing one line to a descriptor it inherits
/// (Xvfb -displayfd, dbus-daemon --print-address), and returns that line.
std::string startAnnouncingServer(std::unique_ptr<ChildProcess>& process,
                                  std::vector<std::string> argv, const std::string& fdPlaceholder,
                                  const Environment& env, std::chrono::milliseconds timeout) {
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0)
        throw std::runtime_error("pipe failed");
    for (auto& arg : argv) {
        const auto at = arg.find(fdPlaceholder);
        if (at != std::string::npos)
            arg.replace(at, fdPlaceholder.size(), std::to_string(fds[1]));
    }
    ChildProcess::Options options;
    options.argv = argv;
    options.environment = env;
    options.inheritFd = fds[1];
    process = std::make_unique<ChildProcess>(options);
    ::close(fds[1]);

    std::string line;
    const auto deadline = Clock::now() + timeout;
    while (line.find('\n') == std::string::npos) {
        pollfd pfd{fds[0], POLLIN, 0};
        if (::poll(&pfd, 1, remainingMillis(deadline)) <= 0)
            break;
        char chunk[256];
        const ssize_t count = ::read(fds[0], chunk, sizeof chunk);
        if (count <= 0)
            break;
        line.append(chunk, static_cast<std::size_t>(count));
    }
    ::close(fds[0]);
    const auto newline = line.find('\n');
    if (newline == std::string::npos)
        throw std::runtime_error(argv[0] + " did not start");
    return line.substr(0, newline);
}

void writeFile(const std::filesystem::path& path, const std::string& text) {
    std::filesystem::create_directories(path.parent_path());
    std::ofstream out(path);
    out << text;
    if (!out)
        throw std::runtime_error("cannot write " + path.string());
}

} // namespace

std::filesystem::path artifactsDir() {
    return ZENTRIVO_E2E_ARTIFACTS;
}

TestDesktop::TestDesktop() {
    std::string pattern = (std::filesystem::temp_directory_path() / "zentrivo-e2e-XXXXXX").string();
    if (!::mkdtemp(pattern.data()))
        throw std::runtime_error("mkdtemp failed");
    rootDir = pattern;
    markerDir = rootDir / "markers";
    const auto runtimeDir = rootDir / "runtime";
    for (const auto& dir : {rootDir / "home", rootDir / "config", rootDir / "data" / "applications",
                            rootDir / "data-dirs", rootDir / "cache", runtimeDir, markerDir})
        std::filesystem::create_directories(dir);
    std::filesystem::permissions(runtimeDir, std::filesystem::perms::owner_all);

    env["PATH"] = std::getenv("PATH") ? std::getenv("PATH") : "/usr/local/bin:/usr/bin:/bin";
    env["HOME"] = (rootDir / "home").string();
    env["XDG_CONFIG_HOME"] = (rootDir / "config").string();
    env["XDG_DATA_HOME"] = (rootDir / "data").string();
    env["XDG_DATA_DIRS"] = (rootDir / "data-dirs").string();
    env["XDG_CACHE_HOME"] = (rootDir / "cache").string();
    env["XDG_RUNTIME_DIR"] = runtimeDir.string();
    env["LANG"] = "C.UTF-8";
    env["QT_QPA_PLATFORM"] = "xcb";
    for (const char* name : {"ASAN_OPTIONS", "UBSAN_OPTIONS", "LSAN_OPTIONS"})
        if (const char* value = std::getenv(name))
            env[name] = value;

    const auto displayNumber =
        startAnnouncingServer(xserver,
                              {"Xvfb", "-displayfd", "@FD@", "-screen", "0", "1280x800x24",
                               "-nolisten", "tcp", "-noreset"},
                              "@FD@", env, 20s);
    displayName = ":" + displayNumber;
    env["DISPLAY"] = displayName;

    env["DBUS_SESSION_BUS_ADDRESS"] = startAnnouncingServer(
        bus, {"dbus-daemon", "--session", "--nofork", "--nopidfile", "--print-address=@FD@"},
        "@FD@", env, 20s);
}

TestDesktop::~TestDesktop() {
    compositor.reset();
    if (bus)
        bus->stop(SIGTERM, 5s);
    if (xserver)
        xserver->stop(SIGTERM, 5s);
    std::error_code ignored;
    std::filesystem::remove_all(rootDir, ignored);
}

void TestDesktop::addApp(const std::string& id, const std::string& name, const std::string& icon) {
    std::string entry = "[Desktop Entry]\nType=Application\nName=" + name + "\n";
    entry += "Exec=sh -c \"echo ran >> " + (markerDir / id).string() + "\"\n";
    if (!icon.empty())
        entry += "Icon=" + icon + "\n";
    writeFile(rootDir / "data" / "applications" / (id + ".desktop"), entry);
}

int TestDesktop::runCount(const std::string& id) const {
    std::ifstream in(markerDir / id);
    int lines = 0;
    for (std::string line; std::getline(in, line);)
        ++lines;
    return lines;
}

bool TestDesktop::waitForRun(const std::string& id, int count, std::chrono::milliseconds timeout) {
    const int watch = ::inotify_init1(IN_CLOEXEC | IN_NONBLOCK);
    if (watch < 0)
        return false;
    ::inotify_add_watch(watch, markerDir.c_str(), IN_CLOSE_WRITE | IN_MODIFY | IN_CREATE);
    const auto deadline = Clock::now() + timeout;
    bool reached = false;
    // Check after arming the watch, so a write between the two is never missed.
    while (!(reached = runCount(id) >= count)) {
        pollfd pfd{watch, POLLIN, 0};
        if (::poll(&pfd, 1, remainingMillis(deadline)) <= 0)
            break;
        char events[4096];
        while (::read(watch, events, sizeof events) > 0) {
        }
    }
    ::close(watch);
    return reached || runCount(id) >= count;
}

RunResult TestDesktop::ctl(const std::vector<std::string>& args) {
    std::vector<std::string> argv{ZENTRIVO_E2E_CTL};
    argv.insert(argv.end(), args.begin(), args.end());
    return runProgram(argv, env, 20s);
}

RunResult TestDesktop::send(const std::vector<std::string>& args,
                            std::chrono::milliseconds timeout) {
    std::vector<std::string> argv{ZENTRIVO_E2E_XTEST_SEND};
    argv.insert(argv.end(), args.begin(), args.end());
    return runProgram(argv, env, timeout);
}

std::unique_ptr<ChildProcess> TestDesktop::startZentrivo(bool* ready,
                                                         std::chrono::milliseconds timeout) {
    ChildProcess::Options options;
    options.argv = {ZENTRIVO_E2E_ZENTRIVO};
    options.environment = env;
    options.pipeStderr = true;
    auto process = std::make_unique<ChildProcess>(options);
    const auto deadline = Clock::now() + timeout;
    *ready = false;
    while (auto line = process->readLine(std::chrono::milliseconds(remainingMillis(deadline)))) {
        if (line->find("com-tovelane-Zentrivo ready") != std::string::npos) {
            *ready = true;
            break;
        }
    }
    return process;
}

void TestDesktop::startCompositor() {
    ChildProcess::Options options;
    options.argv = {"xcompmgr"};
    options.environment = env;
    // Only the screenshot's looks depend on it, so nothing waits for it to take over.
    compositor = std::make_unique<ChildProcess>(options);
}

bool TestDesktop::screenshot(const std::filesystem::path& file) {
    std::filesystem::create_directories(file.parent_path());
    const auto result =
        runProgram({"import", "-display", displayName, "-window", "root", file.string()}, env, 30s);
    return result.status == 0 && std::filesystem::exists(file);
}

} // namespace zentrivo::e2e
