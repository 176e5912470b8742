#include "ZentrivoE2eSession.h"

namespace zentrivo::e2e {
namespace {

using ArrowKeysE2eTest = ZentrivoE2eTest;

TEST_F(ArrowKeysE2eTest,
       ModifiersPlusAnArrowShowTheReticleOnThatSlotAndAKeyTakenElsewhereIsRefused) {
    for (const char* id : {"app-r", "app-l", "app-t", "app-b"})
        addApp(id);
    write("mainReticleSpec", "-string",
          "{\"id\":0," + slot("r", "app-r") + "," + slot("l", "app-l") + "," + slot("t", "app-t") +
              "," + slot("b", "app-b") + "}");
    write("lastVersion", "-string", "1");
    write("reticleFlags", "-int", "1572864"); // Super+Alt
    // The reticle waits for 5 px of travel, so the modifiers alone never show it: the arrow does.
    write("reticleDisplayMinDist", "-float", "5");
    write("arrowKeysDisplays", "-int", "1"); // userEnabled
    // Another program holds Super+Alt+Up (Mod4 | Mod1) before Zentrivo starts.
    ChildProcess holder({ZENTRIVO_E2E_GRAB_KEY, "Up", "0x48"}, env, root / "grab-key.log");
    ASSERT_TRUE(waitUntil([&] { return holder.log() == "grabbed\n"; }, 10s)) << holder.log();
    start();

    // the arrow pressed while Super+Alt is held, then the app its release runs
    const std::pair<const char*, const char*> rows[] = {
        {"Right", "app-r"},
        {"Up", nullptr}, // the other program's: no reticle; the next row shows nothing ran
        {"Left", "app-l"},
        {"Down", "app-b"},
    };
    std::string ran;
    for (const auto& [arrow, app] : rows) {
        SCOPED_TRACE(arrow);
        ASSERT_EQ(xdotool(std::string("keydown Super_L Alt_L key ") + arrow).status, 0);
        if (app) // bounded: a reticle that never comes fails the row instead of hanging
            EXPECT_EQ(run({"sh", "-c", "timeout 20 xdotool search --sync --onlyvisible" + reticle})
                          .status,
                      0);
        ASSERT_EQ(xdotool("keyup Alt_L Super_L").status, 0);
        ASSERT_TRUE(waitGone(20s));
        if (app) {
            ran += app + std::string("\n");
            ASSERT_TRUE(
                waitUntil([&] { return contents(root / "runs").size() >= ran.size(); }, 60s));
            EXPECT_EQ(contents(root / "runs"), ran);
        }
    }
    // The refusal names the key, once.
    const std::string log = zentrivo->log(),
                      refusal = "hot key Super+Alt+Up refused: another program has taken it";
    std::size_t refusals = 0;
    for (auto at = log.find(refusal); at != std::string::npos; at = log.find(refusal, at + 1))
        ++refusals;
    EXPECT_EQ(refusals, 1u) << log;
}

} // namespace
} // namespace zentrivo::e2e
