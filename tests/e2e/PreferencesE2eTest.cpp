#include "ZentrivoE2eSession.h"

#include <algorithm>

namespace zentrivo::e2e {
namespace {

inline const std::string preferences = " --name '^Zentrivo Preferences$'";

/// The preferences window through the keyboard, as XTest types it: opened by starting zentrivo a
/// second time, a slot's menu from its focused button, a switch by its Alt mnemonic.
TEST_F(ZentrivoE2eTest, PreferencesOpenOnReopenAndWhatTheyChangeIsStoredAndUsed) {
    addApp("app-pick");
    returningUser();
    start();
    ASSERT_FALSE(visible(preferences)) << "not shown at start";

    const Completed second = run({ZENTRIVO_E2E_ZENTRIVO});
    ASSERT_EQ(second.status, 0) << second.output;
    ASSERT_TRUE(poll([&] { return visible(preferences); })) << zentrivo->log();
    // Keyboard focus to the window (Xvfb has no window manager to give it), on the first slot.
    ASSERT_EQ(xdotool("search --onlyvisible" + preferences + " windowfocus --sync").status, 0);

    const auto read = [&](const std::string& key) {
        return run({ZENTRIVO_E2E_CTL, "defaults", "read", key}).output;
    };

    // The window opens on the top left slot; the right one is the fourth Tab stop after it (top,
    // top right, left, right). Its menu: "-", "Open File or Folder", "Last Frontmost App", then
    // the applications.
    const auto visibleWindows = [&] {
        const std::string ids = xdotool("search --onlyvisible --classname '^zentrivo$'").output;
        return std::count(ids.begin(), ids.end(), '\n');
    };
    const auto before = visibleWindows();
    ASSERT_EQ(xdotool("key --delay 80 Tab Tab Tab Tab space").status, 0);
    // The menu is a window of its own; keys typed before it is up would go to the button.
    ASSERT_TRUE(poll([&] { return visibleWindows() == before + 1; }, 10s)) << before;
    ASSERT_EQ(xdotool("key --delay 80 Down Down Down Down Return").status, 0);
    EXPECT_TRUE(poll(
        [&] { return read("mainReticleSpec").find(slot("r", "app-pick")) != std::string::npos; },
        10s))
        << read("mainReticleSpec");

    // "Show background" by its mnemonic.
    ASSERT_EQ(xdotool("key --delay 80 alt+b").status, 0);
    EXPECT_TRUE(poll([&] { return read("background") == "1\n"; }, 10s)) << read("background");

    gesture("100 0"); // the next gesture to the right starts it
    expectRan("app-pick");
}

} // namespace
} // namespace zentrivo::e2e
