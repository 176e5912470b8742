// Running applications under a real EWMH window manager (openbox): activating, hiding and
// reopening them, as the windows' states on the X server show.
#include "ZentrivoE2eSession.h"

namespace zentrivo::e2e {
namespace {

class RunningAppsE2eTest : public ZentrivoE2eTest {
protected:
    /// An application whose window has WM_CLASS "main", `wmClass`: only its entry's
    /// StartupWMClass ties the window to the entry (all share one program, which names none).
    void addWindowApp(const std::string& id, const std::string& wmClass) {
        std::ofstream(applications() / (id + ".desktop"))
            << "[Desktop Entry]\nType=Application\nName=" << id
            << "\nExec=" ZENTRIVO_E2E_TEST_WINDOW " " << (root / "runs").string() << " main "
            << wmClass << "\nStartupWMClass=" << wmClass << "\n";
    }

    std::unique_ptr<ChildProcess> runWindow(const std::string& wmClass) {
        return std::make_unique<ChildProcess>(
            Commands{ZENTRIVO_E2E_TEST_WINDOW, (root / "runs").string(), "main", wmClass}, env,
            root / (wmClass + ".log"));
    }

    std::unique_ptr<ChildProcess> startWindowManager() {
        // The window manager finds its theme in the system's data folders, not the test's.
        Commands wmEnv = env;
        for (auto& entry : wmEnv)
            if (entry.rfind("XDG_DATA_DIRS=", 0) == 0)
                entry = "XDG_DATA_DIRS=/usr/local/share:/usr/share";
        auto wm = std::make_unique<ChildProcess>(Commands{"openbox"}, wmEnv, root / "openbox.log");
        EXPECT_TRUE(poll([&] {
            return run({"xprop", "-root", "_NET_SUPPORTING_WM_CHECK"}).output.find("window id") !=
                   std::string::npos;
        }));
        return wm;
    }

    /// Asks the X server again until `done` holds; false after `timeout`.
    bool poll(const std::function<bool()>& done, std::chrono::milliseconds timeout = 20s) {
        for (const auto deadline = Clock::now() + timeout; Clock::now() < deadline;)
            if (done())
                return true;
        return done();
    }

    std::string window(const std::string& wmClass) {
        std::string id;
        poll([&] {
            id = xdotool("search --class '^" + wmClass + "$'").output;
            return !id.empty();
        });
        return id.substr(0, id.find('\n'));
    }
    std::string active() {
        const std::string id = xdotool("getactivewindow").output;
        return id.substr(0, id.find('\n'));
    }
    bool iconic(const std::string& window) {
        return run({"xprop", "-id", window, "WM_STATE"}).output.find("state: Iconic") !=
               std::string::npos;
    }

    /// Holds Super+Alt, moves by `move` once the reticle shows, and releases unless `hold`.
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

    void writePanel(const std::string& slots) {
        write("mainReticleSpec", "-string", "{\"id\":0," + slots + "}");
        write("lastVersion", "-string", "1");
        write("reticleFlags", "-int", "1572864");
    }
};

constexpr const char* right = "100 0";

TEST_F(RunningAppsE2eTest, AppSlotsRaiseRunningAppsAndAWindowManagerStartedLaterIsPickedUp) {
    addWindowApp("e2e-alpha", "AlphaWin");
    addWindowApp("e2e-beta", "BetaWin");
    addWindowApp("e2e-gamma", "GammaWin");
    writePanel(slot("r", "e2e-alpha") + "," + slot("l", "e2e-beta") +
               ",\"t\":{\"stringValue\":\"e2e-gamma\",\"type\":3}" +
               ",\"b\":{\"stringValue\":\"\",\"type\":2}");
    start();
    EXPECT_NE(zentrivo->log().find("no EWMH window manager"), std::string::npos);
    // Without a window manager nothing is known to run, and launching goes on.
    gesture(right);
    ASSERT_TRUE(waitUntil([&] { return contents(root / "runs") == "AlphaWin\n"; }, 20s));

    const auto wm = startWindowManager();
    EXPECT_TRUE(waitUntil(
        [&] { return zentrivo->log().find("window manager found") != std::string::npos; }, 20s));
    const auto betaProcess = runWindow("BetaWin");
    const std::string alpha = window("AlphaWin"), beta = window("BetaWin");
    ASSERT_TRUE(poll([&] { return active() == beta; }));

    // slot, beta activated first, the window that must end up active
    const std::tuple<const char*, const char*, bool, std::string> rows[] = {
        {"app slot of a running app", right, false, alpha},
        {"runningApp slot of an app that does not run", "0 -100", false, alpha},
        {"lastApp after alpha then beta", "0 100", true, alpha},
    };
    for (const auto& [name, move, betaFirst, expected] : rows) {
        SCOPED_TRACE(name);
        if (betaFirst) {
            ASSERT_EQ(xdotool("windowactivate --sync " + beta).status, 0);
        }
        gesture(move);
        EXPECT_TRUE(poll([&] { return active() == expected; })) << active();
    }
    // No second alpha, no gamma: running apps were raised, the one not running never started.
    EXPECT_EQ(contents(root / "runs"), "AlphaWin\nBetaWin\n");
}

TEST_F(RunningAppsE2eTest, HoverRaisesHideFrontmostIconifiesAndRelaunchRestores) {
    addWindowApp("e2e-alpha", "AlphaWin");
    addWindowApp("e2e-beta", "BetaWin");
    writePanel(slot("r", "e2e-alpha") + "," + slot("l", "e2e-beta"));
    write("hideFrontmost", "-int", "1");
    write("relaunchActive", "-int", "1");
    write("hoverMillis", "-int", "300");
    const auto wm = startWindowManager();
    const auto alphaProcess = runWindow("AlphaWin");
    const std::string alpha = window("AlphaWin");
    const auto betaProcess = runWindow("BetaWin");
    const std::string beta = window("BetaWin");
    ASSERT_TRUE(poll([&] { return active() == beta; }));
    start();

    // Resting on alpha's slot brings alpha forward while the trigger is still held.
    gesture(right, true);
    EXPECT_TRUE(poll([&] { return active() == alpha; })) << active();
    EXPECT_EQ(xdotool("search --onlyvisible" + reticle).status, 0) << "the reticle closed";
    release();

    // Alpha in front: its slot hides it.
    gesture(right);
    EXPECT_TRUE(poll([&] { return iconic(alpha); }));
    EXPECT_NE(active(), alpha);

    // Alpha minimised: relaunching restores and activates its window rather than starting it.
    gesture(right);
    EXPECT_TRUE(poll([&] { return active() == alpha && !iconic(alpha); })) << active();
    EXPECT_EQ(contents(root / "runs"), "AlphaWin\nBetaWin\n");
}

} // namespace
} // namespace zentrivo::e2e
