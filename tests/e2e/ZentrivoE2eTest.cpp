#include "ChildProcess.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iostream>
#include <memory>
#include <sys/inotify.h>

namespace zentrivo::e2e {
namespace {

namespace fs = std::filesystem;

constexpr const char* reticleWindow = "Zentrivo Reticle";
using Commands = std::vector<std::string>;
const Commands holdModifiers{"keydown", "Super_L", "keydown", "Alt_L"};
const Commands releaseModifiers{"keyup", "Alt_L", "keyup", "Super_L"};

Commands join(std::initializer_list<Commands> parts) {
    Commands all;
    for (const auto& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

std::string slot(const std::string& position, const std::string& appId) {
    return "\"" + position + "\":{\"stringValue\":\"" + appId + "\",\"type\":0}";
}

/// The real zentrivo on a private desktop: a temporary HOME and XDG folders, its own Xvfb and
/// session bus. Apps are desktop entries that append a line to a marker file when they run.
class ZentrivoE2eTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "zentrivo-e2e-XXXXXX").string();
        ASSERT_TRUE(::mkdtemp(pattern.data()));
        root = pattern;
        applications = root / "XDG_DATA_HOME" / "applications";
        env = {{"PATH", std::getenv("PATH")}, {"LANG", "C.UTF-8"}, {"QT_QPA_PLATFORM", "xcb"}};
        for (const char* name : {"ASAN_OPTIONS", "UBSAN_OPTIONS", "LSAN_OPTIONS"})
            if (const char* value = std::getenv(name))
                env[name] = value;
        for (const char* dir : {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_DATA_DIRS",
                                "XDG_CACHE_HOME", "XDG_RUNTIME_DIR"}) {
            fs::create_directories(root / dir);
            env[dir] = (root / dir).string();
        }
        fs::permissions(root / "XDG_RUNTIME_DIR", fs::perms::owner_all);
        fs::create_directories(applications);
        fs::create_directories(root / "markers");

        env["DISPLAY"] = ":" + startServer(xserver, {"Xvfb", "-displayfd", "1", "-screen", "0",
                                                     "1280x800x24", "-nolisten", "tcp", "-noreset"});
        env["DBUS_SESSION_BUS_ADDRESS"] =
            startServer(bus, {"dbus-daemon", "--session", "--nofork", "--print-address"});
    }

    /// Starts a server that prints its address when it is ready, and returns the address.
    std::string startServer(std::unique_ptr<ChildProcess>& server, const Commands& argv) {
        server = std::make_unique<ChildProcess>(argv, env, false);
        if (!server->readUntil("\n", 20s))
            throw std::runtime_error(argv[0] + " did not start");
        return server->output.substr(0, server->output.find('\n'));
    }

    void TearDown() override {
        if (zentrivo) {
            EXPECT_EQ(zentrivo->stop(SIGTERM, 20s), 0) << "zentrivo did not end cleanly";
            if (HasFailure())
                std::cerr << "zentrivo's log:\n" << zentrivo->output << std::endl;
        }
        zentrivo.reset();
        bus.reset();
        xserver.reset();
        std::error_code ignored;
        fs::remove_all(root, ignored);
    }

    void addApp(const std::string& id, const std::string& icon = {}) {
        std::ofstream(applications / (id + ".desktop"))
            << "[Desktop Entry]\nType=Application\nName=" << id << "\nExec=sh -c \"echo >> "
            << (root / "markers" / id).string() << "\"\n"
            << (icon.empty() ? "" : "Icon=" + icon + "\n");
    }

    int runCount(const std::string& id) const {
        std::ifstream in(root / "markers" / id);
        return static_cast<int>(std::count(std::istreambuf_iterator<char>(in), {}, '\n'));
    }

    /// Waits, on the marker folder's changes, until the app `id` has run `count` times.
    bool waitForRun(const std::string& id, int count) {
        const int watch = ::inotify_init1(IN_CLOEXEC | IN_NONBLOCK);
        ::inotify_add_watch(watch, (root / "markers").c_str(), IN_MODIFY | IN_CREATE);
        const auto deadline = Clock::now() + 60s;
        // Counted after arming the watch, so a write in between is never missed.
        while (runCount(id) < count && Clock::now() < deadline) {
            pollfd pfd{watch, POLLIN, 0};
            ::poll(&pfd, 1, 1000);
            char events[4096];
            while (::read(watch, events, sizeof events) > 0) {
            }
        }
        ::close(watch);
        return runCount(id) >= count;
    }

    RunResult ctl(const Commands& args) { return run(join({{ZENTRIVO_E2E_CTL}, args}), env); }
    RunResult send(const Commands& args) {
        return run(join({{ZENTRIVO_E2E_XTEST_SEND}, args}), env);
    }

    void write(const std::string& key, const std::string& type, const std::string& value) {
        const auto result = ctl({"defaults", "write", key, type, value});
        ASSERT_EQ(result.status, 0) << result.output;
    }

    std::string read(const std::string& key) {
        const auto result = ctl({"defaults", "read", key});
        EXPECT_EQ(result.status, 0) << result.output;
        return result.output.substr(0, result.output.find('\n'));
    }

    /// The panels and the trigger of a user who has run Zentrivo before.
    void configure(const std::string& mainSlots, const std::string& farSlots = {}) {
        write("mainReticleSpec", "-string", "{\"id\":0," + mainSlots + "}");
        if (!farSlots.empty())
            write("farReticleSpec", "-string", "{\"id\":1," + farSlots + "}");
        write("lastVersion", "-string", "1");
        write("reticleFlags", "-int", "1572864");
    }

    void start() {
        zentrivo = std::make_unique<ChildProcess>(std::vector<std::string>{ZENTRIVO_E2E_ZENTRIVO},
                                                  env);
        ASSERT_TRUE(zentrivo->readUntil("com-tovelane-Zentrivo ready", 30s)) << zentrivo->output;
    }

    /// From the middle of the screen: press, wait for the reticle, move, release, wait until
    /// the reticle is gone.
    void gesture(const Commands& press, const Commands& move, const Commands& release) {
        const auto result = send(join({{"moveto", "640", "400", "sync"}, press,
                                       {"waitmap", reticleWindow, "20000"}, move, {"sync"},
                                       release, {"waitunmap", reticleWindow, "20000"}}));
        ASSERT_EQ(result.status, 0) << result.output;
    }

    fs::path root;
    fs::path applications;
    Environment env;
    std::unique_ptr<ChildProcess> xserver, bus, zentrivo;
};

TEST_F(ZentrivoE2eTest, AGestureRunsTheAppOfTheSlotItIsReleasedOverExactlyOnce) {
    for (const char* id : {"app-r", "app-l", "app-t", "far-r"})
        addApp(id);
    configure(slot("r", "app-r") + "," + slot("l", "app-l") + "," + slot("t", "app-t"),
              slot("r", "far-r"));
    // One-based button 4 is the X server's button 8 (the "back" side button).
    write("reticleMouseButton", "-int", "4");
    start();

    const struct {
        bool button;
        int dx, dy;
        const char* app;
    } rows[] = {
        {false, 100, 0, "app-r"},
        {false, 10, 0, nullptr}, // inside the 25 px dead zone; the next row proves nothing ran
        {false, -100, 0, "app-l"},
        {false, 250, 0, "far-r"}, // beyond the first ring distance (200 px): the far panel
        {false, 100, 0, "app-r"}, // the next gesture starts on the near panel again
        {true, 0, -100, "app-t"},
    };
    std::map<std::string, int> runs{{"app-r", 0}, {"app-l", 0}, {"app-t", 0}, {"far-r", 0}};
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << (row.button ? "button 8" : "Super+Alt") << " moved "
                                        << row.dx << "," << row.dy);
        const Commands move{"move", std::to_string(row.dx), std::to_string(row.dy)};
        if (row.button)
            ASSERT_NO_FATAL_FAILURE(gesture({"buttondown", "8"}, move, {"buttonup", "8"}));
        else
            ASSERT_NO_FATAL_FAILURE(gesture(holdModifiers, move, releaseModifiers));
        if (!row.app)
            continue;
        ASSERT_TRUE(waitForRun(row.app, ++runs[row.app]));
        for (const auto& [app, count] : runs)
            EXPECT_EQ(runCount(app), count) << app;
    }
}

TEST_F(ZentrivoE2eTest, ReticleIsOnScreenWhileTheTriggerIsHeldAndGoneAfter) {
    addApp("app-r", "utilities-terminal");
    addApp("app-t", "folder");
    addApp("app-b");
    configure(slot("r", "app-r") + "," + slot("t", "app-t") + "," + slot("b", "app-b"));
    // A compositor makes the translucent parts come out transparent in the screenshot.
    ChildProcess compositor({"xcompmgr"}, env);
    start();

    const auto held = send(join({{"moveto", "640", "400", "sync"}, holdModifiers,
                                 {"waitmap", reticleWindow, "20000", "move", "100", "0", "sync"}}));
    ASSERT_EQ(held.status, 0) << held.output;
    const fs::path shot = fs::path(ZENTRIVO_E2E_ARTIFACTS) / "reticle.png";
    fs::create_directories(shot.parent_path());
    const auto screenshot = run({"import", "-window", "root", shot.string()}, env);
    EXPECT_EQ(screenshot.status, 0) << screenshot.output;
    std::cout << "reticle screenshot: " << shot.string() << std::endl;

    // Still on screen while held: waiting for it to go away must time out.
    const auto stillThere = send({"waitunmap", reticleWindow, "300"});
    EXPECT_EQ(stillThere.status, 1) << stillThere.output;
    const auto released = send(join({releaseModifiers, {"waitunmap", reticleWindow, "20000"}}));
    EXPECT_EQ(released.status, 0) << released.output;
    EXPECT_TRUE(waitForRun("app-r", 1));
}

TEST_F(ZentrivoE2eTest, SecondStartLeavesTheRunningInstanceAlone) {
    addApp("app-r");
    configure(slot("r", "app-r"));
    start();

    const auto second = run({ZENTRIVO_E2E_ZENTRIVO}, env, 30s);
    EXPECT_EQ(second.status, 0) << second.output;
    EXPECT_NE(second.output.find("already running"), std::string::npos) << second.output;
    const auto windows = run({"xwininfo", "-root", "-tree"}, env);
    std::size_t reticles = 0;
    for (auto at = windows.output.find(reticleWindow); at != std::string::npos;
         at = windows.output.find(reticleWindow, at + 1))
        ++reticles;
    EXPECT_EQ(reticles, 1u) << windows.output;

    // The first instance still answers the trigger, once.
    ASSERT_NO_FATAL_FAILURE(gesture(holdModifiers, {"move", "100", "0"}, releaseModifiers));
    ASSERT_TRUE(waitForRun("app-r", 1));
    EXPECT_EQ(runCount("app-r"), 1);
}

TEST_F(ZentrivoE2eTest, FirstRunDefaultsSurviveATermination) {
    // A new user has no applications folder of their own; GIO would poll for it while idle.
    fs::remove_all(applications);
    start();
    EXPECT_TRUE(fs::is_directory(applications));

    EXPECT_EQ(zentrivo->stop(SIGTERM, 20s), 0);
    EXPECT_NE(zentrivo->output.find("com-tovelane-Zentrivo stopped"), std::string::npos)
        << zentrivo->output;
    zentrivo.reset();
    EXPECT_EQ(read("reticleFlags"), "1572864");
    EXPECT_EQ(read("reticleDisplayMinDist"), "5");
    EXPECT_EQ(read("lastVersion"), std::to_string(ZENTRIVO_BUILD_NUMBER));
}

} // namespace
} // namespace zentrivo::e2e
