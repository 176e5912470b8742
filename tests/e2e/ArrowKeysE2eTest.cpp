#include "ZentrivoE2eSession.h"

namespace zentrivo::e2e {
namespace {

using ArrowKeysE2eTest = ZentrivoE2eTest;

TEST_F(ArrowKeysE2eTest,
       OnAFirstRunEachArrowShowsTheReticleOnItsSlotButOneTakenElsewhereAndTheDefaultsSurvive) {
    for (const char* id : {"app-r", "app-l", "app-t", "app-b"})
        addApp(id);
    write(
        "mainReticleSpec", "-string",
        panel(0, {slot("r", "app-r"), slot("l", "app-l"), slot("t", "app-t"), slot("b", "app-b")}));
    write("arrowKeysDisplays", "-int", "1"); // userEnabled
    // Another program holds Super+Alt+Up (Mod4 | Mod1) before Zentrivo starts.
    ChildProcess holder({ZENTRIVO_E2E_GRAB_KEY, "Up", "0x48"}, env, root / "grab-key.log");
    ASSERT_TRUE(says(holder, "grabbed\n")) << holder.log();
    // A first run: the trigger becomes Super+Alt and the reticle waits for 5 px of travel, so
    // the modifiers alone never show it: the arrow does.
    start();
    // A new user has no applications folder of their own; GIO would poll for it while idle.
    EXPECT_TRUE(fs::is_directory(root / "XDG_DATA_HOME" / "applications"));

    // the arrow pressed while Super+Alt is held, then the app its release runs
    const std::pair<const char*, const char*> rows[] = {
        {"Right", "app-r"},
        {"Up", nullptr}, // the other program's: no reticle, nothing runs
        {"Left", "app-l"},
        {"Down", "app-b"},
    };
    for (const auto& [arrow, app] : rows) {
        SCOPED_TRACE(arrow);
        ASSERT_EQ(xdotool(std::string("keydown Super_L Alt_L key ") + arrow).status, 0);
        // Bounded: a reticle that never comes fails the row instead of hanging.
        EXPECT_TRUE(!app || xdotool("search --sync --onlyvisible" + reticle).status == 0);
        release();
        expectRan(app);
    }
    // The refusal names the key, once.
    const std::string log = zentrivo->log(),
                      refusal = "hot key Super+Alt+Up refused: another program has taken it";
    EXPECT_NE(log.find(refusal), std::string::npos) << log;
    EXPECT_EQ(log.find(refusal, log.find(refusal) + 1), std::string::npos) << log;

    EXPECT_EQ(zentrivo->stop(SIGTERM, 20s), 0);
    const std::string stored = run({ZENTRIVO_E2E_CTL, "defaults", "read"}).output;
    for (const std::string& line :
         Commands{"lastVersion = " + std::to_string(ZENTRIVO_BUILD_NUMBER),
                  "reticleDisplayMinDist = 5", "reticleFlags = 1572864"})
        EXPECT_NE(stored.find(line + "\n"), std::string::npos) << line << " in\n" << stored;
}

} // namespace
} // namespace zentrivo::e2e
