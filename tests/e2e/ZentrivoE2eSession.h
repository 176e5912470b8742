#pragma once

// The real zentrivo on a private desktop (run-under-xvfb.sh gives each test its own Xvfb and
// session bus), driven by xdotool.
#include <array>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <poll.h>
#include <spawn.h>
#include <stdexcept>
#include <sys/inotify.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

namespace zentrivo::e2e {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using Commands = std::vector<std::string>;

inline std::string contents(const fs::path& file) {
    std::ifstream in(file);
    return {std::istreambuf_iterator<char>(in), {}};
}

/// A program a test started, its stdout and stderr in `logFile`; `env` holds "NAME=value"
/// entries. The destructor ends it (SIGTERM, then SIGKILL) and reaps it.
class ChildProcess {
public:
    ChildProcess(const Commands& argv, const Commands& env, fs::path output) : logFile(output) {
        const auto pointers = [](const Commands& words) {
            std::vector<char*> result;
            for (const auto& word : words)
                result.push_back(const_cast<char*>(word.c_str()));
            result.push_back(nullptr);
            return result;
        };
        posix_spawn_file_actions_t actions;
        ::posix_spawn_file_actions_init(&actions);
        ::posix_spawn_file_actions_addopen(&actions, 1, output.c_str(),
                                           O_WRONLY | O_CREAT | O_TRUNC, 0600);
        ::posix_spawn_file_actions_adddup2(&actions, 1, 2);
        const int error = ::posix_spawnp(&pid, argv[0].c_str(), &actions, nullptr,
                                         pointers(argv).data(), pointers(env).data());
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

    /// Sends `signal` (0: none) and waits up to `timeout` for the end: the exit status, 128 +
    /// signal when a signal ended it, -1 when it did not end in time (it is killed then).
    int stop(int signal, std::chrono::milliseconds timeout) {
        if (status == unreaped) {
            ::kill(pid, signal);
            pollfd pfd{pidFd, POLLIN, 0};
            const bool ended = ::poll(&pfd, 1, static_cast<int>(timeout.count())) > 0;
            if (!ended)
                ::kill(pid, SIGKILL);
            int raw = 0;
            ::waitpid(pid, &raw, 0);
            status = !ended ? -1 : WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
        }
        return status;
    }

private:
    static constexpr int unreaped = -2;
    fs::path logFile;
    pid_t pid = -1;
    int pidFd = -1, status = unreaped;
};

/// A program run to its end: its status (-1 when it took more than 30 s) and output.
struct Completed {
    int status;
    std::string output;
};

inline const std::string reticle = " --name '^Zentrivo Reticle$'";

inline std::string slot(const std::string& position, const std::string& appId, int type = 0) {
    return "\"" + position + "\":{\"stringValue\":\"" + appId +
           "\",\"type\":" + std::to_string(type) + "}";
}
/// Panel `id` with `slots`, each made by slot().
inline std::string panel(int id, const Commands& slots) {
    std::string spec = "{\"id\":" + std::to_string(id);
    for (const auto& one : slots)
        spec += "," + one;
    return spec + "}";
}

/// A temporary HOME and XDG folders, without the user's applications folder a first run finds
/// missing; apps are desktop entries in a system data folder that append their name to the file
/// "runs" when they run.
class ZentrivoE2eTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "zentrivo-e2e-XXXXXX").string();
        ASSERT_TRUE(::mkdtemp(pattern.data()));
        root = pattern;
        env = {"LANG=C.UTF-8", "QT_QPA_PLATFORM=xcb"};
        for (const char* name : {"PATH", "DISPLAY", "DBUS_SESSION_BUS_ADDRESS", "XDG_RUNTIME_DIR",
                                 "ASAN_OPTIONS", "UBSAN_OPTIONS", "LSAN_OPTIONS"})
            if (const char* value = std::getenv(name))
                env.push_back(name + ("=" + std::string(value)));
        for (const char* dir :
             {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_DATA_DIRS", "XDG_CACHE_HOME"}) {
            fs::create_directories(root / dir);
            env.push_back(dir + ("=" + (root / dir).string()));
        }
        fs::create_directories(applications());
    }

    void TearDown() override {
        if (zentrivo) {
            EXPECT_EQ(zentrivo->stop(SIGTERM, 20s), 0) << "zentrivo did not end cleanly";
            if (HasFailure())
                std::cerr << "zentrivo's log:\n" << zentrivo->log() << std::endl;
        }
        fs::remove_all(root);
    }

    /// A desktop entry `id` with `lines`, by default a program that writes `id` to "runs".
    void addApp(const std::string& id, std::string lines = {}) {
        if (lines.empty())
            lines = "Exec=sh -c \"echo " + id + " >> " + (root / "runs").string() + "\"\n";
        std::ofstream(applications() / (id + ".desktop"))
            << "[Desktop Entry]\nType=Application\nName=" << id << "\n"
            << lines;
    }

    /// Waits, woken by changes in the test's folder, until `done` holds; false after `timeout`.
    bool waitUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
        const int watch = ::inotify_init1(IN_CLOEXEC | IN_NONBLOCK);
        ::inotify_add_watch(watch, root.c_str(), IN_MODIFY | IN_CREATE);
        const auto deadline = Clock::now() + timeout;
        // Checked after arming the watch, so a change in between is never missed.
        for (char events[4096]; !done() && Clock::now() < deadline;)
            if (pollfd pfd{watch, POLLIN, 0}; ::poll(&pfd, 1, 1000) > 0)
                (void)::read(watch, events, sizeof events);
        ::close(watch);
        return done();
    }
    /// Asks again (each question a round trip to the X server) until `done` holds or `timeout`.
    static bool poll(const std::function<bool()>& done, std::chrono::milliseconds timeout = 20s) {
        for (const auto deadline = Clock::now() + timeout; Clock::now() < deadline;)
            if (done())
                return true;
        return done();
    }

    /// Whether `program`'s log shows `text` within `timeout`.
    bool says(const ChildProcess& program, const std::string& text,
              std::chrono::milliseconds timeout = 20s) {
        return waitUntil([&] { return program.log().find(text) != std::string::npos; }, timeout);
    }

    /// After a gesture: `app` (none: no app) is the latest of the apps that ran, in order.
    void expectRan(const char* app) {
        ran += app ? app + std::string("\n") : "";
        ASSERT_TRUE(waitUntil([&] { return contents(root / "runs").size() >= ran.size(); }, 60s));
        EXPECT_EQ(contents(root / "runs"), ran);
    }

    Completed run(const Commands& argv) {
        ChildProcess program(argv, env, root / "output");
        return {program.stop(0, 30s), program.log()};
    }
    Completed xdotool(const std::string& words) { return run({"sh", "-c", "xdotool " + words}); }

    void write(const std::string& key, const std::string& type, const std::string& value) {
        const Completed result = run({ZENTRIVO_E2E_CTL, "defaults", "write", key, type, value});
        ASSERT_EQ(result.status, 0) << result.output;
    }

    /// A user who has run Zentrivo before: no first-run setup, and Super+Alt shows the reticle.
    void returningUser() {
        write("lastVersion", "-string", "1");
        write("reticleFlags", "-int", "1572864");
    }

    void start() {
        zentrivo = std::make_unique<ChildProcess>(Commands{ZENTRIVO_E2E_ZENTRIVO}, env,
                                                  root / "zentrivo.log");
        ASSERT_TRUE(says(*zentrivo, "Zentrivo ready", 30s));
    }

    bool visible(const std::string& name = reticle) {
        return xdotool("search --onlyvisible" + name).status == 0;
    }
    /// Whether the reticle leaves the screen within `timeout`.
    bool waitGone(std::chrono::milliseconds timeout) {
        return poll([&] { return xdotool("search --onlyvisible" + reticle).status == 1; }, timeout);
    }
    /// Left, top, width and height of the window that xdotool's `search` finds; -1s without one.
    std::array<int, 4> geometry(const std::string& search) {
        const Completed found = xdotool(search + " getwindowgeometry --shell");
        std::array<int, 4> g{-1, -1, -1, -1};
        std::sscanf(found.output.c_str(), "WINDOW=%*u X=%d Y=%d WIDTH=%d HEIGHT=%d", &g[0], &g[1],
                    &g[2], &g[3]);
        return g;
    }
    /// Holds Super+Alt at 640,400, moves by `move` once the reticle shows, lets go unless `hold`.
    void gesture(const std::string& move, bool hold = false) {
        ASSERT_EQ(xdotool("mousemove 640 400 keydown Super_L Alt_L search --sync --onlyvisible" +
                          reticle + " mousemove_relative --sync -- " + move)
                      .status,
                  0);
        if (!hold)
            release();
    }
    void release() {
        ASSERT_EQ(xdotool("keyup Alt_L Super_L").status, 0);
        ASSERT_TRUE(waitGone(20s));
    }

    fs::path applications() const { return root / "XDG_DATA_DIRS" / "applications"; }

    fs::path root;
    Commands env;
    std::unique_ptr<ChildProcess> zentrivo;
    std::string ran; ///< every app that ran so far, a line each, in order
};

} // namespace zentrivo::e2e
