#pragma once

// The real zentrivo on a private desktop (run-under-xvfb.sh gives each test its own Xvfb and
// session bus), driven by xdotool.
#include "ChildProcess.h"

#include <functional>
#include <gtest/gtest.h>
#include <sys/inotify.h>

namespace zentrivo::e2e {

namespace fs = std::filesystem;

inline const std::string reticle = " --name '^Zentrivo Reticle$'";

inline std::string slot(const std::string& position, const std::string& appId) {
    return "\"" + position + "\":{\"stringValue\":\"" + appId + "\",\"type\":0}";
}

/// A temporary HOME and XDG folders; apps are desktop entries that append their name to the file
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

    void addApp(const std::string& id, const std::string& icon = {}) {
        std::ofstream(applications() / (id + ".desktop"))
            << "[Desktop Entry]\nType=Application\nName=" << id << "\nExec=sh -c \"echo " << id
            << " >> " << (root / "runs").string() << "\"\n"
            << (icon.empty() ? "" : "Icon=" + icon + "\n");
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

    Completed run(const Commands& argv) { return Completed(argv, env, root / "output"); }

    void write(const std::string& key, const std::string& type, const std::string& value) {
        const Completed result = run({ZENTRIVO_E2E_CTL, "defaults", "write", key, type, value});
        ASSERT_EQ(result.status, 0) << result.output;
    }

    void start() {
        zentrivo = std::make_unique<ChildProcess>(Commands{ZENTRIVO_E2E_ZENTRIVO}, env,
                                                  root / "zentrivo.log");
        const auto ready = [&] {
            return zentrivo->log().find("Zentrivo ready") != std::string::npos;
        };
        ASSERT_TRUE(waitUntil(ready, 30s));
    }

    Completed xdotool(const std::string& words) { return run({"sh", "-c", "xdotool " + words}); }

    /// Whether the reticle leaves the screen within `timeout`.
    bool waitGone(std::chrono::milliseconds timeout) {
        for (const auto deadline = Clock::now() + timeout; Clock::now() < deadline;)
            if (xdotool("search --onlyvisible" + reticle).status == 1)
                return true;
        return false;
    }

    fs::path applications() const { return root / "XDG_DATA_HOME" / "applications"; }

    fs::path root;
    Commands env;
    std::unique_ptr<ChildProcess> zentrivo;
};

} // namespace zentrivo::e2e
