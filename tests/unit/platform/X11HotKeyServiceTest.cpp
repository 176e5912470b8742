// The X11 hot-key service against a real X server (a private Xvfb, see run-under-xvfb.sh): its
// grabs are checked by another client trying the same combinations, its events by XTest keys.
#include "platform/linux/X11HotKeyService.h"

#include "EventLoopWait.h"
#include "tests/fakes/RecordingLog.h"

#include <algorithm>
#include <cstdlib>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
// After gtest, which has a type called None: X.h defines None as a macro.
#include <X11/Xlib.h>
#include <X11/keysym.h>

namespace zentrivo::platform {
namespace {

constexpr std::uint32_t superAlt = 0x900, zntr = 0x5A4E5452;
constexpr unsigned int base = Mod4Mask | Mod1Mask; // Mod2 is Num Lock in the server's keymap
const std::vector<unsigned int> lockVariants{base, base | LockMask, base | Mod2Mask,
                                             base | LockMask | Mod2Mask};

int lastError = Success;

/// How many of `modifierSets` on `keyCode` another client may grab; `keep` holds them.
int freeGrabs(Display* other, unsigned int keyCode,
              const std::vector<unsigned int>& modifierSets = lockVariants, bool keep = false) {
    int free = 0;
    for (const unsigned int modifiers : modifierSets) {
        lastError = Success;
        XGrabKey(other, int(keyCode), modifiers, DefaultRootWindow(other), False, GrabModeAsync,
                 GrabModeAsync);
        XSync(other, False);
        free += lastError == Success;
        if (!keep)
            XUngrabKey(other, int(keyCode), modifiers, DefaultRootWindow(other));
    }
    XSync(other, False);
    return free;
}

TEST(X11HotKeyServiceTest, grabsAllLockVariantsOrNoneRepeatsPressesReleasesOnceFollowsKeymap) {
    XSetErrorHandler([](Display*, XErrorEvent* error) { return lastError = error->error_code, 0; });
    Display* other = XOpenDisplay(nullptr);
    test::RecordingLog log;
    X11HotKeyService service{log};
    std::string seen; // P or R for pressed (5) or released (6), then the id
    service.setEventHandler([&](const HotKeyEvent* event) {
        const char kind = event->kind == 5 ? 'P' : event->kind == 6 ? 'R' : '?';
        seen += kind + std::to_string(event->hotKeyId->id);
        return HotKeyEventResult::handled;
    });
    // Runs xdotool and waits until `count` events of `kind` have been seen.
    const auto keys = [&](const std::string& words, long count, char kind) {
        return std::system(("xdotool " + words).c_str()) == 0 &&
               test::pumpUntil([&] { return std::ranges::count(seen, kind) >= count; });
    };
    const unsigned int rightKey = XKeysymToKeycode(other, XK_Right),
                       leftKey = XKeysymToKeycode(other, XK_Left),
                       upKey = XKeysymToKeycode(other, XK_Up);

    // Another client holds one variant of Super+Alt+Right: refused, named once, and the three
    // variants the service had taken are released. The function key has no X modifier.
    ASSERT_EQ(freeGrabs(other, rightKey, {base | LockMask | Mod2Mask}, true), 1);
    EXPECT_FALSE(service.registerHotKey(124, superAlt, {zntr, 1}));
    EXPECT_FALSE(service.registerHotKey(124, superAlt, {zntr, 2}));
    EXPECT_EQ(freeGrabs(other, rightKey), 4); // its own grab is free to the holder
    EXPECT_FALSE(service.registerHotKey(123, 0x20900, {zntr, 3}));
    ASSERT_EQ(log.lines.size(), 2u);
    EXPECT_EQ(log.lines[0].message,
              "hot key Super+Alt+Right refused: another program has taken it");

    const auto left = service.registerHotKey(123, superAlt, {zntr, 4}).value();
    EXPECT_EQ(freeGrabs(other, leftKey), 0);
    EXPECT_EQ(freeGrabs(other, leftKey, {Mod4Mask}), 1); // Super alone is another combination
    // The refused key is not reported; Alt let go before the arrow ends nothing early. Held, the
    // server repeats the press; the one release comes when the key is let go (xdotool sends it
    // twice: the second is nobody's, as the next press and release show).
    ASSERT_TRUE(keys("key super+alt+Right keydown super+alt+Left keyup alt keyup Left keyup super",
                     1, 'R'));
    ASSERT_TRUE(keys("keydown super+alt+Left", 4, 'P'));
    ASSERT_TRUE(keys("keyup Left keyup super+alt key super+alt+Left", 3, 'R'));

    // Left and Up swap keys: the grab follows Left.
    KeySym leftSym = XK_Left, upSym = XK_Up;
    XChangeKeyboardMapping(other, int(upKey), 1, &leftSym, 1);
    XChangeKeyboardMapping(other, int(leftKey), 1, &upSym, 1);
    XSync(other, False);
    ASSERT_TRUE(test::pumpUntil([&] { return freeGrabs(other, leftKey) == 4; }));
    ASSERT_TRUE(keys("key super+alt+Left", 4, 'R'));
    EXPECT_THAT(seen, ::testing::MatchesRegex("P4R4(P4){3,}R4P4R4P4R4"));

    service.unregisterHotKey(left);
    EXPECT_EQ(freeGrabs(other, upKey), 4);
    XCloseDisplay(other);
}

} // namespace
} // namespace zentrivo::platform
