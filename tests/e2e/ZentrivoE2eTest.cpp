// The real zentrivo on a private desktop (run-under-xvfb.sh gives each test its own Xvfb and
// session bus), driven by xdotool.
#include "ChildProcess.h"

#include <functional>
#include <gtest/gtest.h>
#include <sys/inotify.h>

namespace zentrivo::e2e {
namespace {

namespace fs = std::filesystem;

const std::string reticle = " --name '^Zentrivo Reticle$'";

std::string slot(const std::string& position, const std::string& appId) {
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

TEST_F(ZentrivoE2eTest, OneInstanceShowsTheReticleOnTheCursorAndRunsTheAppReleasedOverOnce) {
    addApp("app-r", "utilities-terminal");
    addApp("app-t", "folder");
    for (const char* id : {"app-l", "app-b", "far-r"})
        addApp(id);
    // The panels and the trigger of a user who has run Zentrivo before.
    write("mainReticleSpec", "-string",
          "{\"id\":0," + slot("r", "app-r") + "," + slot("l", "app-l") + "," + slot("t", "app-t") +
              "," + slot("b", "app-b") + "}");
    write("farReticleSpec", "-string", "{\"id\":1," + slot("r", "far-r") + "}");
    write("lastVersion", "-string", "1");
    write("reticleFlags", "-int", "1572864");
    // One-based button 4 is the X server's button 8 (the "back" side button).
    write("reticleMouseButton", "-int", "4");
    // A compositor makes the translucent parts come out transparent in the screenshot.
    ChildProcess compositor({"xcompmgr"}, env, root / "xcompmgr.log");
    start();

    const Completed second = run({ZENTRIVO_E2E_ZENTRIVO});
    EXPECT_EQ(second.status, 0) << second.output;
    EXPECT_NE(second.output.find("already running"), std::string::npos) << second.output;
    const Completed windows = xdotool("search" + reticle);
    EXPECT_EQ(std::count(windows.output.begin(), windows.output.end(), '\n'), 1) << "windows";

    // trigger by button 8 (else Super+Alt), cursor, move, app that runs
    const std::tuple<bool, int, int, std::string, const char*> rows[] = {
        {false, 640, 400, "100 0", "app-r"},
        {false, 640, 400, "10 0", nullptr}, // in the 25 px dead zone: the next row shows none ran
        {false, 640, 400, "-100 0", "app-l"},
        {false, 640, 400, "250 0", "far-r"}, // beyond the first ring distance (200 px): far panel
        {false, 640, 400, "100 0", "app-r"}, // the next gesture starts on the near panel again
        {true, 640, 400, "0 -100", "app-t"},
        // Away from the vertical centre of the 800 px high screen, where a y-flipped placement
        // would put the reticle at y 600: X's y grows downwards, so 100 px down is the bottom.
        {false, 300, 200, "0 100", "app-b"},
    };
    std::string ran; // every app that ran so far, a line each, in order
    bool first = true;
    for (const auto& [button, x, y, move, app] : rows) {
        SCOPED_TRACE(testing::Message() << (button ? "button 8" : "Super+Alt") << " at " << x << ","
                                        << y << " by " << move);
        const Completed held = xdotool(
            "mousemove " + std::to_string(x) + " " + std::to_string(y) +
            (button ? " mousedown 8" : " keydown Super_L Alt_L") + " search --sync --onlyvisible" +
            reticle + " getwindowgeometry --shell mousemove_relative --sync -- " + move);
        int left, top, width, height;
        ASSERT_EQ(std::sscanf(held.output.c_str(), "WINDOW=%*u X=%d Y=%d WIDTH=%d HEIGHT=%d", &left,
                              &top, &width, &height),
                  4)
            << held.output;
        // Centred on the cursor, to the pixel (half a pixel either way for an odd size).
        EXPECT_NEAR(left + width / 2.0, x, 0.5);
        EXPECT_NEAR(top + height / 2.0, y, 0.5);
        if (std::exchange(first, false)) { // held, it stays; its screenshot is kept as an artefact
            fs::create_directories(fs::path(ZENTRIVO_E2E_SCREENSHOT).parent_path());
            EXPECT_EQ(run({"import", "-window", "root", ZENTRIVO_E2E_SCREENSHOT}).status, 0);
            EXPECT_FALSE(waitGone(300ms));
        }
        ASSERT_EQ(xdotool(button ? "mouseup 8" : "keyup Alt_L Super_L").status, 0);
        ASSERT_TRUE(waitGone(20s));
        if (app) {
            ran += app + std::string("\n");
            ASSERT_TRUE(
                waitUntil([&] { return contents(root / "runs").size() >= ran.size(); }, 60s));
            EXPECT_EQ(contents(root / "runs"), ran);
        }
    }
}

TEST_F(ZentrivoE2eTest, FirstRunDefaultsSurviveATermination) {
    // A new user has no applications folder of their own; GIO would poll for it while idle.
    fs::remove_all(applications());
    start();
    EXPECT_TRUE(fs::is_directory(applications()));

    EXPECT_EQ(zentrivo->stop(SIGTERM, 20s), 0);
    zentrivo.reset();
    for (const auto& [key, value] : {std::pair{"reticleFlags", std::string("1572864")},
                                     {"reticleDisplayMinDist", "5"},
                                     {"lastVersion", std::to_string(ZENTRIVO_BUILD_NUMBER)}}) {
        const Completed read = run({ZENTRIVO_E2E_CTL, "defaults", "read", key});
        EXPECT_EQ(read.output, value + "\n") << key;
    }
}

} // namespace
} // namespace zentrivo::e2e
