// Running applications under a real EWMH window manager (openbox): activating, hiding and
// reopening them, as the windows' states on the X server show.
#include "ZentrivoE2eSession.h"

namespace zentrivo::e2e {
namespace {

class RunningAppsE2eTest : public ZentrivoE2eTest {
protected:
    std::string window(const std::string& wmClass) {
        std::string id;
        poll([&] { return !(id = xdotool("search --class '^" + wmClass + "$'").output).empty(); });
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
};

constexpr const char* right = "100 0";

TEST_F(RunningAppsE2eTest, AppSlotsRaiseHideAndRestoreRunningAppsOnceAWindowManagerComes) {
    // Each window has WM_CLASS "main", `wmClass`: only its entry's StartupWMClass ties the
    // window to the entry (all share one program, which names none).
    for (const auto& [id, wmClass] :
         {std::pair{"e2e-alpha", "AlphaWin"}, {"e2e-beta", "BetaWin"}, {"e2e-gamma", "GammaWin"}})
        addApp(id, "Exec=" ZENTRIVO_E2E_TEST_WINDOW " " + (root / "runs").string() + " main " +
                       wmClass + "\nStartupWMClass=" + wmClass + "\n");
    write("mainReticleSpec", "-string", // t runningApp, b lastApp
          panel(0, {slot("r", "e2e-alpha"), slot("l", "e2e-beta"), slot("t", "e2e-gamma", 3),
                    slot("b", "", 2)}));
    returningUser();
    start();
    EXPECT_NE(zentrivo->log().find("no EWMH window manager"), std::string::npos);
    // Without a window manager nothing is known to run, and launching goes on.
    gesture(right);
    ASSERT_TRUE(waitUntil([&] { return contents(root / "runs") == "AlphaWin\n"; }, 20s));

    // The window manager finds its theme in the system's data folders, not the test's.
    Commands wmEnv = env;
    for (auto& entry : wmEnv)
        if (entry.rfind("XDG_DATA_DIRS=", 0) == 0)
            entry = "XDG_DATA_DIRS=/usr/local/share:/usr/share";
    ChildProcess wm({"openbox"}, wmEnv, root / "openbox.log");
    EXPECT_TRUE(says(*zentrivo, "window manager found"));
    ChildProcess betaProcess(
        {ZENTRIVO_E2E_TEST_WINDOW, (root / "runs").string(), "main", "BetaWin"}, env,
        root / "beta.log");
    const std::string alpha = window("AlphaWin"), beta = window("BetaWin");
    ASSERT_TRUE(poll([&] { return active() == beta; }));

    gesture(right); // an app slot of a running app raises it
    EXPECT_TRUE(poll([&] { return active() == alpha; })) << active();
    gesture("0 -100"); // the runningApp slot of gamma, which does not run, starts nothing
    ASSERT_EQ(xdotool("windowactivate --sync " + beta).status, 0);
    gesture("0 100"); // lastApp after alpha (and gamma, had it started) then beta
    EXPECT_TRUE(poll([&] { return active() == alpha; })) << active();

    EXPECT_EQ(zentrivo->stop(SIGTERM, 20s), 0);
    write("hideFrontmost", "-int", "1");
    write("relaunchActive", "-int", "1");
    write("hoverMillis", "-int", "300");
    start();
    ASSERT_EQ(xdotool("windowactivate --sync " + beta).status, 0);
    // Resting on alpha's slot brings alpha forward while the trigger is still held.
    gesture(right, true);
    EXPECT_TRUE(poll([&] { return active() == alpha; })) << active();
    EXPECT_TRUE(visible()) << "the reticle closed";
    release();
    // Alpha in front: its slot hides it.
    gesture(right);
    EXPECT_TRUE(poll([&] { return iconic(alpha); }));
    EXPECT_NE(active(), alpha);
    // Alpha minimised: relaunching restores and activates its window rather than starting it.
    gesture(right);
    EXPECT_TRUE(poll([&] { return active() == alpha && !iconic(alpha); })) << active();
    // No second alpha, no gamma: running apps were raised, the one not running never started.
    EXPECT_EQ(contents(root / "runs"), "AlphaWin\nBetaWin\n");
}

} // namespace
} // namespace zentrivo::e2e
